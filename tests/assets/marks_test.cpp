// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The answer marks are placed over the scene by position, so their geometry
// matters to the pixel.

#include "art.h"
#include "pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using namespace pelmora;
using namespace pelmora::test;

namespace {

const QColor kCircleInk(224, 32, 64);
const QColor kCrossInk(255, 0, 0);

// A pixel counts as part of a mark when the ink covers at least half of it.
constexpr double kHalf = 0.5;

void expectOnlyInkOverWhite(const QImage& image, QColor ink)
{
    int stray = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            stray += !coverage(image.pixel(x, y), ink).has_value();
    EXPECT_EQ(stray, 0) << "pixels of another colour than the ink over white";
}

// The smallest rectangle that holds every pixel for which `in` holds.
QRect boxOf(const QImage& image, const std::function<bool(int, int)>& in)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (in(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

TEST(CircleMark, OuterEdgeSpansItsBoxInOneColour)
{
    const QImage image = renderArt(Art::Circle);
    expectOnlyInkOverWhite(image, kCircleInk);
    EXPECT_GT(countExactly(image, kCircleInk), 1000);

    const QRect box = boxOf(image, [&](int x, int y) { return inkAt(image, x, y, kCircleInk) >= kHalf; });
    EXPECT_EQ(box, QRect(QPoint(21, 33), QPoint(278, 298)))
        << box.left() << "," << box.top() << " to " << box.right() << "," << box.bottom();
}

TEST(CircleMark, StrokeIsAboutEightPixelsAllRound)
{
    const QImage image = renderArt(Art::Circle);
    const int cx = 150;
    const int cy = 166;
    // The ink summed along a line across the stroke is its thickness there.
    auto across = [&](int x0, int y0, int dx, int dy) {
        double sum = 0;
        for (int x = x0, y = y0; x != cx || y != cy; x += dx, y += dy)
            sum += inkAt(image, x, y, kCircleInk);
        return sum;
    };
    EXPECT_NEAR(across(0, cy, 1, 0), 8.0, 0.75) << "left";
    EXPECT_NEAR(across(image.width() - 1, cy, -1, 0), 8.0, 0.75) << "right";
    EXPECT_NEAR(across(cx, 0, 0, 1), 8.0, 0.75) << "top";
    EXPECT_NEAR(across(cx, image.height() - 1, 0, -1), 8.0, 0.75) << "bottom";
    EXPECT_TRUE(isWhite(image.pixel(cx, cy))) << "the circle is open";
}

struct Line {
    // x = slope * y + offset, in pixel-centre coordinates.
    double slope;
    double offset;

    double xAt(double y) const { return slope * y + offset; }
    double distanceTo(double x, double y) const
    {
        return std::abs(xAt(y) - x) / std::hypot(1.0, slope);
    }
};

// Where the ink of one stroke lies on row y between columns from and to,
// and how much ink there is.
struct RowInk {
    double centre;
    double amount;
};

RowInk rowInk(const QImage& image, int y, int from, int to)
{
    double sum = 0, moment = 0;
    for (int x = from; x < to; ++x) {
        const double a = inkAt(image, x, y, kCrossInk);
        sum += a;
        moment += a * (x + 0.5);
    }
    return {sum > 0 ? moment / sum : -1, sum};
}

// Least-squares line through the centres of one stroke on rows [y0, y1),
// looking only at the columns on the given side of the middle.
struct Stroke {
    Line line;
    double width; // across the stroke, averaged over the rows
};

Stroke fitStroke(const QImage& image, int y0, int y1, bool leftSide)
{
    const int middle = image.width() / 2;
    double n = 0, sy = 0, sx = 0, syy = 0, syx = 0, amount = 0;
    for (int y = y0; y < y1; ++y) {
        const RowInk ink = leftSide ? rowInk(image, y, 0, middle) : rowInk(image, y, middle, image.width());
        if (ink.amount == 0)
            continue;
        const double yc = y + 0.5;
        n += 1;
        sy += yc;
        sx += ink.centre;
        syy += yc * yc;
        syx += yc * ink.centre;
        amount += ink.amount;
    }
    Stroke stroke{};
    if (n < 2)
        return stroke;
    stroke.line.slope = (n * syx - sy * sx) / (n * syy - sy * sy);
    stroke.line.offset = (sx - stroke.line.slope * sy) / n;
    // A row cuts a slanted stroke over a longer run than its width.
    stroke.width = amount / n / std::hypot(1.0, stroke.line.slope);
    return stroke;
}

TEST(CrossMark, TwoThinRedStrokesCrossNearTheMiddle)
{
    const QImage image = renderArt(Art::Cross);
    expectOnlyInkOverWhite(image, kCrossInk);
    EXPECT_GT(countExactly(image, kCrossInk), 300);

    // Above the crossing the falling stroke is on the right; below it, on the left.
    const Stroke upper[] = {fitStroke(image, 70, 140, false), fitStroke(image, 70, 140, true)};
    const Stroke lower[] = {fitStroke(image, 200, 270, true), fitStroke(image, 200, 270, false)};

    // One stroke from top right to bottom left through (228, 57) and (64, 280).
    for (const Stroke& s : {upper[0], lower[0]}) {
        EXPECT_NEAR(s.width, 3.0, 0.5);
        EXPECT_LT(s.line.distanceTo(228.5, 57.5), 1.5);
        EXPECT_LT(s.line.distanceTo(64.5, 280.5), 1.5);
    }
    // The other from top left to bottom right.
    for (const Stroke& s : {upper[1], lower[1]}) {
        EXPECT_NEAR(s.width, 3.0, 0.5);
        EXPECT_GT(s.line.slope, 0.4);
        EXPECT_LT(s.line.xAt(57.5), 100);
        EXPECT_GT(s.line.xAt(280.5), 200);
    }
    // Each is one straight stroke, not two pieces.
    EXPECT_NEAR(upper[0].line.slope, lower[0].line.slope, 0.02);
    EXPECT_NEAR(upper[1].line.slope, lower[1].line.slope, 0.02);

    const Line& a = upper[0].line;
    const Line& b = upper[1].line;
    const double y = (b.offset - a.offset) / (a.slope - b.slope);
    EXPECT_NEAR(a.xAt(y), 148.5, 3.0);
    EXPECT_NEAR(y, 168.5, 3.0);
}

TEST(CrossMark, StrokesEndWhereTheyShould)
{
    const QImage image = renderArt(Art::Cross);
    EXPECT_GE(inkAt(image, 228, 57, kCrossInk), kHalf);
    EXPECT_GE(inkAt(image, 64, 280, kCrossInk), kHalf);
    // Nothing a few pixels beyond those ends, further along the stroke.
    EXPECT_TRUE(isWhite(image.pixel(231, 53)));
    EXPECT_TRUE(isWhite(image.pixel(61, 284)));
    // Nothing near the picture's edges: the cross stays inside the scene area.
    const QRect box = boxOf(image, [&](int x, int y) { return !isWhite(image.pixel(x, y)); });
    EXPECT_TRUE(QRect(50, 45, 200, 250).contains(box)) << box.x() << "," << box.y() << " "
                                                        << box.width() << "x" << box.height();
}

} // namespace
