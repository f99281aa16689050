// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "audio_streams.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace pelmora {

// Reads the stream to its end, a piece at a time as the mixer does, and
// aborts (a finding) once more sample frames come out than `maxFrames`.
inline void readToEndWithin(SoundStream& stream, std::uint64_t maxFrames)
{
    std::uint64_t samples = 0;
    std::array<std::int16_t, 4096> piece;
    for (;;) {
        const std::size_t got = stream.read(piece);
        samples += got;
        if (samples > maxFrames * kOutputChannels)
            std::abort();
        if (got < piece.size())
            return;
    }
}

} // namespace pelmora
