// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window on a screen of twice the usual pixel density: every picture is
// drawn anew at that density, pixel for pixel, never enlarged.

#include "art.h"
#include "pixels.h"
#include "window_rig.h"

using namespace pelmora;
using namespace pelmora::test;

namespace {

constexpr int kRatio = 2;
// Before main() starts Qt, which reads it once.
[[maybe_unused]] const bool kScaled = qputenv("QT_SCALE_FACTOR", QByteArray::number(kRatio));

// The window alone, before start-up.
using WindowAtTwiceTheDensity = WindowRig;

TEST_F(WindowAtTwiceTheDensity, ShowsThePicturesFromTheStart)
{
    ASSERT_EQ(window.devicePixelRatioF(), kRatio);
    const QImage image = grab();
    ASSERT_EQ(image.size(), QSize(Form1::kClientWidth * kRatio, Form1::kClientHeight * kRatio));

    std::vector<Drawn> backToFront = kTreesAndTemplates;
    backToFront.insert(backToFront.end(), kMarks.begin(), kMarks.end());
    EXPECT_EQ(pixelsNotAsDrawn(image, backToFront, {QRect(104, 0, 409, 121)}, kRatio), 0);
}

TEST_F(WindowAtTwiceTheDensity, SceneSlotsShowTheCharactersSharp)
{
    form.YES.setVisible(false);
    form.No.setVisible(false);
    const std::vector<Drawn> characters{
        {Art::Santa, 100, 130}, {Art::Reindeer, 210, 130}, {Art::Bell, 320, 130}, {Art::Snowman, 100, 280}};
    for (std::size_t i = 0; i < characters.size(); ++i) {
        form.Image1[i].setPicture(std::array{&form.santa, &form.Tonakai, &form.BELL, &form.Snowman}[i]->picture());
        form.Image1[i].setLeft(characters[i].left);
        form.Image1[i].setTop(characters[i].top);
    }
    EXPECT_EQ(pixelsNotAsDrawn(grab(), characters, {}, kRatio), 0);
}

} // namespace
