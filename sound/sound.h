// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "multimedia.h"

#include <string>

namespace pelmora {

enum class Effect { Correct, Wrong };

// The quiz's two sound operations. File names are built anew at every call
// by appending a suffix such as "\pinpon.wav" to the application
// directory's text, exactly as it stands.
class Sound {
public:
    Sound(Multimedia& multimedia, std::string applicationDirectory)
        : multimedia_(multimedia), directory_(std::move(applicationDirectory)) {}

    void PlayEffect(Effect effect) const;
    void SendMusicCommand() const;

    static std::string effectFileName(const std::string& directory, Effect effect);
    static std::string musicCommand(const std::string& directory);

private:
    Multimedia& multimedia_;
    std::string directory_;
};

// The directory that holds the running program, as the platform reports it.
std::string applicationDirectory();

} // namespace pelmora
