// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "art_drawing.h"

#include <QIcon>
#include <QImage>

namespace pelmora {

// A picture at its exact size in device-independent pixels, opaque on white,
// at the given device-pixel ratio: as drawArt() draws it.
QImage renderArt(Art art, qreal devicePixelRatio = 1.0);

// One square icon image, as drawIcon() draws it.
QImage iconImage(int side);

// The bell-and-holly icon in all its sizes.
QIcon appIcon();

} // namespace pelmora
