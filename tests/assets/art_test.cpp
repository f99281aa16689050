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

TEST_P(Picture, HasItsExactSizeOnOpaqueWhiteAtEveryRatio)
{
    const Art art = GetParam().art;
    const ArtSize size = artSize(art);
    for (const qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(ratio);
        const QImage image = renderArt(art, ratio);
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
    }
}

TEST_P(Picture, ShowsItsMainColour)
{
    const Subject& subject = GetParam();
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage image = renderArt(subject.art, ratio);
        const double share = double(countExactly(image, subject.mainColour)) / (image.width() * image.height());
        EXPECT_GE(share, subject.minShare) << "at ratio " << ratio;
    }
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

TEST_P(Picture, CarriedReadyDrawnExactlyAsDrawn)
{
    const Art art = GetParam().art;
    for (qreal ratio : {1.0, 2.0}) {
        const QImage carried = renderArt(art, ratio);
        EXPECT_EQ(carried.devicePixelRatio(), ratio);
        EXPECT_EQ(carried.convertToFormat(QImage::Format_RGB32), drawArt(art, ratio).convertToFormat(QImage::Format_RGB32))
            << "ratio " << ratio << ": rebuild to draw the pictures again";
    }
    // Other ratios are drawn when they are needed.
    const QImage odd = renderArt(art, 1.5);
    EXPECT_EQ(odd.size(), QSize(int(std::ceil(artSize(art).width * 1.5)), int(std::ceil(artSize(art).height * 1.5))));
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
