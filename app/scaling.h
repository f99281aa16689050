// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QRect>
#include <QSize>

#include <algorithm>
#include <cmath>

namespace pelmora {

// The window's layout drawn `scale` times larger. Edges are scaled and
// rounded, not sizes, so that controls which share a pixel column still
// share one and the one in front keeps it.
inline int scaledEdge(int pixels, double scale)
{
    return static_cast<int>(std::lround(pixels * scale));
}

inline QRect scaledRect(int left, int top, int width, int height, double scale)
{
    const int x = scaledEdge(left, scale), y = scaledEdge(top, scale);
    return {x, y, scaledEdge(left + width, scale) - x, scaledEdge(top + height, scale) - y};
}

// The largest scale at which `design` fits into `area`, whichever of height
// and width comes first.
inline double fitScale(QSize design, QSize area)
{
    return std::min(double(area.width()) / design.width(), double(area.height()) / design.height());
}

// Where the scaled design lies inside the area: centred.
inline QRect fittedRect(QSize design, QSize area, double scale)
{
    const QSize size(scaledEdge(design.width(), scale), scaledEdge(design.height(), scale));
    return {QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2), size};
}

} // namespace pelmora
