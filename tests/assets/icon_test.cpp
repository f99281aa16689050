// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "art.h"
#include "ico_file.h"
#include "pixels.h"

#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QImageReader>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace pelmora;
using namespace pelmora::test;

namespace {

// The alpha of a row whose pixels all share one, or -1.
int rowAlpha(const QImage& image, int y)
{
    const int alpha = qAlpha(image.pixel(0, y));
    for (int x = 1; x < image.width(); ++x)
        if (qAlpha(image.pixel(x, y)) != alpha)
            return -1;
    return alpha;
}

TEST(Icon, HoldsTheFourSizesEachAWhiteBandBetweenTransparentBands)
{
    const QIcon icon = appIcon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {256, 256}}));
    for (int side : kIconSides) {
        SCOPED_TRACE(side);
        const QImage image = icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(side, side));
        // Every row wholly clear or wholly opaque, the opaque ones together.
        int top = side, bottom = 0;
        for (int y = 0; y < side; ++y) {
            const int alpha = rowAlpha(image, y);
            ASSERT_TRUE(alpha == 0 || alpha == 255) << "row " << y;
            if (alpha == 255) {
                ASSERT_TRUE(top == side || y == bottom) << "a gap in the band at row " << y;
                top = std::min(top, y);
                bottom = y + 1;
            }
        }
        EXPECT_GT(top, 0) << "a clear band above";
        EXPECT_TRUE(side - bottom == top || side - bottom == top + 1) << "centred: " << top << ", " << bottom;
        // As tall as the bell's 100 x 73 picture at the icon's width, to the nearest row.
        EXPECT_NEAR(bottom - top, side * 73.0 / 100.0, 0.5);
        // White at the band's ends, the gold bell between them.
        for (int y : {top, bottom - 1}) {
            EXPECT_TRUE(isWhite(image.pixel(0, y)));
            EXPECT_TRUE(isWhite(image.pixel(side - 1, y)));
        }
        EXPECT_GT(countExactly(image, QColor(255, 214, 0)), side * side / 20);
    }
}

TEST(Icon, CarriedReadyDrawnExactlyAsDrawn)
{
    for (int side : kIconSides)
        EXPECT_EQ(iconImage(side), drawIcon(side).convertToFormat(QImage::Format_ARGB32)) << side;
}

TEST(IconFile, StoresEverySizeLosslessly)
{
    std::vector<QImage> images;
    for (int side : kIconSides)
        images.push_back(iconImage(side));
    QByteArray data = icoFile(images);
    ASSERT_FALSE(data.isEmpty());

    // The directory of four 16-byte entries; the largest is stored as PNG.
    QDataStream entries(data.mid(6, 4 * 16));
    entries.setByteOrder(QDataStream::LittleEndian);
    std::vector<int> sides;
    quint32 lastOffset = 0;
    for (int i = 0; i < 4; ++i) {
        quint8 width, height, colours, reserved;
        quint16 planes, bits;
        quint32 length;
        entries >> width >> height >> colours >> reserved >> planes >> bits >> length >> lastOffset;
        sides.push_back(width == 0 ? 256 : width);
        EXPECT_EQ(bits, 32);
    }
    EXPECT_EQ(sides, (std::vector<int>{16, 32, 48, 256}));
    EXPECT_EQ(data.mid(lastOffset + 1, 3), QByteArray("PNG"));

    QBuffer buffer(&data);
    QImageReader reader(&buffer, "ico");
    ASSERT_EQ(reader.imageCount(), 4);
    for (const QImage& expected : images) {
        const QImage read = reader.read().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(read.size(), expected.size());
        EXPECT_EQ(read, expected.convertToFormat(QImage::Format_ARGB32)) << expected.width();
        reader.jumpToNextImage();
    }
}

TEST(IconFile, RefusesImagesItCannotHold)
{
    const QImage wide(32, 16, QImage::Format_ARGB32);
    const QImage huge(300, 300, QImage::Format_ARGB32);
    EXPECT_TRUE(icoFile(std::vector{wide}).isEmpty());
    EXPECT_TRUE(icoFile(std::vector{huge}).isEmpty());
}

// The Windows program icon is committed; it must show what the drawings show.
TEST(IconFile, CommittedFileMatchesTheDrawings)
{
    QImageReader reader(QStringLiteral(PELMORA_COMMITTED_ICO), "ico");
    ASSERT_EQ(reader.imageCount(), 4) << "regenerate it with pelmora_render_icons --ico";
    for (int side : kIconSides) {
        SCOPED_TRACE(side);
        const QImage committed = reader.read().convertToFormat(QImage::Format_ARGB32);
        reader.jumpToNextImage();
        const QImage drawn = iconImage(side);
        ASSERT_EQ(committed.size(), drawn.size());
        // Allow for small differences between renderer versions.
        int differing = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                const QRgb a = committed.pixel(x, y), b = drawn.pixel(x, y);
                differing += qAlpha(a) != qAlpha(b) || std::abs(qRed(a) - qRed(b)) > 24
                             || std::abs(qGreen(a) - qGreen(b)) > 24 || std::abs(qBlue(a) - qBlue(b)) > 24;
            }
        EXPECT_LE(differing, side * side / 100);
    }
}

} // namespace
