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

// The part of the window's image under a control, in device pixels.
QImage underControl(const QImage& window, const VisualControl& control)
{
    return window.copy(control.left() * kRatio, control.top() * kRatio, control.width() * kRatio,
                       control.height() * kRatio);
}

QImage sharp(Art art)
{
    return renderArt(art, kRatio).convertToFormat(QImage::Format_RGB32);
}

// The window alone, before start-up.
using WindowAtTwiceTheDensity = WindowRig;

TEST_F(WindowAtTwiceTheDensity, ShowsThePicturesFromTheStart)
{
    ASSERT_EQ(window.devicePixelRatioF(), kRatio);
    const QImage image = grab();
    ASSERT_EQ(image.size(), QSize(Form1::kClientWidth * kRatio, Form1::kClientHeight * kRatio));

    // In each column the lower tree stands in front and covers the bottom
    // rows of the one above; compare what is left in view.
    for (std::size_t i = 0; i < form.TREE.size(); ++i) {
        const PictureBox& tree = form.TREE[i];
        int rows = tree.height();
        if (i + 1 < form.TREE.size() && form.TREE[i + 1].left() == tree.left())
            rows = form.TREE[i + 1].top() - tree.top();
        const QRect inView(tree.left() * kRatio, tree.top() * kRatio, tree.width() * kRatio, rows * kRatio);
        EXPECT_EQ(image.copy(inView), sharp(Art::Tree).copy(0, 0, inView.width(), inView.height()))
            << "tree " << i;
    }
    // The cross lies in front of the circle and clear of everything else.
    EXPECT_EQ(underControl(image, form.No), sharp(Art::Cross));
}

TEST_F(WindowAtTwiceTheDensity, SceneSlotsShowTheCharactersSharp)
{
    form.YES.setVisible(false);
    form.No.setVisible(false);
    const Art characters[] = {Art::Santa, Art::Reindeer, Art::Bell, Art::Snowman};
    const PictureBox* templates[] = {&form.santa, &form.Tonakai, &form.BELL, &form.Snowman};
    for (int i = 0; i < 4; ++i) {
        form.Image1[i].setPicture(templates[i]->picture());
        form.Image1[i].setLeft(100 + 110 * (i % 3));
        form.Image1[i].setTop(130 + 150 * (i / 3));
    }
    const QImage image = grab();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(artName(characters[i]));
        EXPECT_EQ(underControl(image, form.Image1[i]), sharp(characters[i]));
    }
}

} // namespace
