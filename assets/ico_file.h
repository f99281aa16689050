// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QImage>

#include <span>

namespace pelmora {

// A Windows icon file holding the given square images, smallest first.
// Images up to 48 pixels are stored as 32-bit bitmaps with alpha and an AND
// mask, larger ones as PNG, as Windows expects. Returns an empty array for
// an image that is not square or lies outside 1..256 pixels.
QByteArray icoFile(std::span<const QImage> images);

} // namespace pelmora
