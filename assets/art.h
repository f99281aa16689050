#pragma once

#include "artwork.h"

#include <QIcon>
#include <QImage>

#include <array>

namespace pelmora {

// A picture at its exact size in device-independent pixels, opaque on white,
// drawn from its vector source at the given device-pixel ratio.
QImage renderArt(Art art, qreal devicePixelRatio = 1.0);

// The sides of the square icon images, smallest first.
inline constexpr std::array kIconSides{16, 32, 48, 256};

// One square icon image: the bell on a white band as wide as the square,
// with fully transparent bands above and below it.
QImage iconImage(int side);

// The bell-and-holly icon in all its sizes.
QIcon appIcon();

} // namespace pelmora
