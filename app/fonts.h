// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "controls.h"

#include <QFont>

namespace pelmora {

// The font a control asks for, as a Qt font of the same pixel size. The
// Windows families the layout was made with are mapped explicitly to fonts
// of matching metrics, so the text fits its boxes wherever it runs. With a
// scale, for the window drawn larger, the pixel size grows with it, rounded
// down so that the text still fits.
QFont qtFont(const Font& font, double scale = 1.0);

// Tells on standard error which of the substitutes are not installed. It
// reads the whole font database, so it waits until the window is on screen.
void warnAboutMissingFonts();

// The family actually drawn for a family the layout names.
QString substituteFamily(const std::string& family);

} // namespace pelmora
