// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "multimedia.h"

#include <memory>

namespace pelmora {

// The platform's own sound output. Its device opens when open() is called,
// so that a program can leave that until its window is on screen; what is
// asked for before is carried out as soon as the device is open.
class SystemMultimedia : public Multimedia {
public:
    virtual void open() = 0;
    // Silences the music at once; the next "play" starts it from the
    // beginning.
    virtual void stopMusic() = 0;
};

std::unique_ptr<SystemMultimedia> makeSystemMultimedia();

} // namespace pelmora
