// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "art.h"
#include "pixels.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

using namespace pelmora;
using namespace pelmora::test;

namespace {

struct Subject {
    Art art;
    QColor mainColour;
    // The smallest share of the picture that the main colour fills, unblended.
    double minShare;
};

// Named after the picture, in test names and in messages alike.
void PrintTo(const Subject& subject, std::ostream* out)
{
    *out << artName(subject.art);
}

std::string nameOf(const testing::TestParamInfo<Subject>& info)
{
    return std::string(artName(info.param.art));
}

class Picture : public testing::TestWithParam<Subject> {};

// Carried ready drawn at each usual ratio: its exact size, on opaque white,
// its main colour, and exactly what drawing it gives.
TEST_P(Picture, HasItsExactSizeOnOpaqueWhiteAtEveryRatioAsDrawn)
{
    const Subject& subject = GetParam();
    const ArtSize size = artSize(subject.art);
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage image = renderArt(subject.art, ratio);
        ASSERT_EQ(image.width(), size.width * ratio);
        ASSERT_EQ(image.height(), size.height * ratio);
        EXPECT_EQ(image.devicePixelRatio(), ratio);
        EXPECT_EQ(image.deviceIndependentSize(), QSizeF(size.width, size.height));
        EXPECT_FALSE(image.hasAlphaChannel());

        // White all around: the whole outermost ring of pixels.
        int coloured = 0;
        for (int x = 0; x < image.width(); ++x)
            coloured += !isWhite(image.pixel(x, 0)) + !isWhite(image.pixel(x, image.height() - 1));
        for (int y = 0; y < image.height(); ++y)
            coloured += !isWhite(image.pixel(0, y)) + !isWhite(image.pixel(image.width() - 1, y));
        EXPECT_EQ(coloured, 0) << "pixels on the edge that are not white";

        const double share = double(countExactly(image, subject.mainColour)) / (image.width() * image.height());
        EXPECT_GE(share, subject.minShare) << "the main colour";
        EXPECT_EQ(image.convertToFormat(QImage::Format_RGB32),
                  drawArt(subject.art, ratio).convertToFormat(QImage::Format_RGB32))
            << "rebuild to draw the pictures again";
    }
    // Other ratios are drawn when they are needed.
    const QImage odd = renderArt(subject.art, 1.5);
    EXPECT_EQ(odd.size(), QSize(int(std::ceil(size.width * 1.5)), int(std::ceil(size.height * 1.5))));
}

TEST_P(Picture, TwoTimesRatioIsDrawnAnewNotEnlarged)
{
    const Art art = GetParam().art;
    const QImage sharp = renderArt(art, 2.0);
    const QImage enlarged = renderArt(art, 1.0).scaled(sharp.size(), Qt::IgnoreAspectRatio,
                                                       Qt::SmoothTransformation);
    int differing = 0;
    for (int y = 0; y < sharp.height(); ++y)
        for (int x = 0; x < sharp.width(); ++x)
            differing += sharp.pixel(x, y) != enlarged.pixel(x, y);
    EXPECT_GT(differing, sharp.width() * sharp.height() / 100);
}

INSTANTIATE_TEST_SUITE_P(
    Artwork, Picture,
    testing::Values(Subject{Art::Santa, QColor(214, 0, 0), 0.07},
                    Subject{Art::Reindeer, QColor(255, 148, 8), 0.10},
                    Subject{Art::Bell, QColor(255, 214, 0), 0.15},
                    Subject{Art::Snowman, QColor(222, 0, 41), 0.02},
                    Subject{Art::Tree, QColor(0, 140, 49), 0.15},
                    Subject{Art::Circle, QColor(224, 32, 64), 0.05},
                    Subject{Art::Cross, QColor(255, 0, 0), 0.005}),
    nameOf);

} // namespace
