#pragma once

#include "artwork.h"

#include <QIcon>
#include <QImage>

namespace pelmora {

// A picture at its exact size in device-independent pixels, opaque on white,
// drawn from its vector source at the given device-pixel ratio.
QImage renderArt(Art art, qreal devicePixelRatio = 1.0);

// The bell-and-holly icon in all its sizes.
QIcon appIcon();

} // namespace pelmora
