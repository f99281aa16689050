// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What a person sees on the window, read off a screenshot of its client area.

#include "pixels.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>

namespace pelmora::e2e {

using test::countNear;

inline const QRect kMondai(104, 0, 409, 121);
inline const QRect kMarks(144, 89, 305, 372);
inline const QRect kLabel(84, 256, 469, 46);

inline bool santaAt(const QImage& shot, int left, int top)
{
    return countNear(shot, QRect(left, top, 100, 112), QColor(214, 0, 0), 40) > 200;
}
inline bool questionShown(const QImage& shot)
{
    return countNear(shot, kMondai, QColor(255, 0, 255), 30) > 100;
}
inline bool circleShown(const QImage& shot)
{
    return countNear(shot, kMarks, QColor(224, 32, 64), 30) > 1000;
}
inline bool crossShown(const QImage& shot)
{
    return countNear(shot, kMarks, QColor(255, 0, 0), 20) > 300 && !circleShown(shot);
}
inline bool resultShown(const QImage& shot)
{
    // Red text on the label, and no red mark around it.
    const QRect aboveLabel(144, 130, 305, 120);
    return countNear(shot, kLabel, QColor(255, 0, 0), 60) > 200
           && countNear(shot, aboveLabel, QColor(255, 0, 0), 60) == 0 && !questionShown(shot);
}

// The button for an answer, 1 to 10: a point well inside it.
inline QPoint buttonFor(int answer)
{
    return {112 + 40 * (answer - 1) + 20, 545};
}

} // namespace pelmora::e2e
