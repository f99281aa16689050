// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Reading colours off pictures and screenshots: how much of a flat colour,
// drawn over white, covers each pixel, and where a colour appears.

#include <QColor>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace pelmora::test {

// An antialiased pixel of ink over white is white + a * (ink - white) with
// the coverage a in 0..1. The coverage is read from the channel where ink
// and white differ most; the pixel belongs to the ink only if the other
// channels agree with that blend to within kBlendTolerance levels.
inline constexpr int kBlendTolerance = 6;

inline std::optional<double> coverage(QRgb pixel, QColor ink)
{
    const int inkChannels[] = {ink.red(), ink.green(), ink.blue()};
    const int channels[] = {qRed(pixel), qGreen(pixel), qBlue(pixel)};
    int widest = 0;
    for (int c = 1; c < 3; ++c)
        if (255 - inkChannels[c] > 255 - inkChannels[widest])
            widest = c;
    const double a = std::clamp((255.0 - channels[widest]) / (255.0 - inkChannels[widest]), 0.0, 1.0);
    for (int c = 0; c < 3; ++c) {
        const double expected = 255.0 + a * (inkChannels[c] - 255.0);
        if (std::abs(channels[c] - expected) > kBlendTolerance)
            return std::nullopt;
    }
    return a;
}

// The coverage, or 0 for a pixel that is not this ink over white.
inline double inkAt(const QImage& image, int x, int y, QColor ink)
{
    return coverage(image.pixel(x, y), ink).value_or(0.0);
}

inline bool isWhite(QRgb pixel)
{
    return qRed(pixel) == 255 && qGreen(pixel) == 255 && qBlue(pixel) == 255;
}

inline int countExactly(const QImage& image, QColor colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xffffff) == (colour.rgb() & 0xffffff);
    return n;
}

// Pixels in an area whose colour lies within a distance of the given one,
// the distance summed over the three channels.
inline int countNear(const QImage& image, QRect area, QColor colour, int tolerance)
{
    int n = 0;
    area = area.intersected(image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green())
                     + std::abs(c.blue() - colour.blue())
                 <= tolerance;
        }
    return n;
}

inline bool hasColourNear(const QImage& image, QRect area, QColor colour, int tolerance = 40)
{
    return countNear(image, area, colour, tolerance) > 0;
}

} // namespace pelmora::test
