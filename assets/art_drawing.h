// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "artwork.h"

#include <QImage>

#include <array>

namespace pelmora {

// The sides of the square icon images, smallest first.
inline constexpr std::array kIconSides{16, 32, 48, 256};

// A picture drawn from its vector source at its exact size in
// device-independent pixels, opaque on white, at any device-pixel ratio.
QImage drawArt(Art art, qreal devicePixelRatio);

// One square icon image: the bell on a white band as wide as the square,
// with fully transparent bands above and below it.
QImage drawIcon(int side);

} // namespace pelmora
