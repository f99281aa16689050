// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "multimedia.h"

#include <string>
#include <string_view>

namespace pelmora {

// Reads the window's texts aloud from clips made ahead (tools/make-voice):
// one for each text the window can show, in the folder "voice" of the
// application directory, named for the text's exact bytes.
class Voice {
public:
    Voice(SystemMultimedia& output, std::string applicationDirectory)
        : output_(output), directory_(std::move(applicationDirectory)) {}

    // Speaks the clip of exactly this text, cutting off the one still
    // speaking. An empty text stops the voice, if it spoke at all.
    void speak(const std::string& text);

    // "3f0a...c1.mp3": the clip's file name, made from a 64-bit FNV-1a hash
    // of the text's UTF-8 bytes, so that finding a clip reads no index.
    static std::string clipName(std::string_view text);
    // The directory's text, then "\voice\" and the clip's name.
    static std::string clipFileName(const std::string& directory, std::string_view text);

private:
    SystemMultimedia& output_;
    std::string directory_;
    bool spoke_ = false;
};

} // namespace pelmora
