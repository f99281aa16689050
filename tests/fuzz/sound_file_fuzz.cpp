// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target: a sound file's bytes through the entry the layer plays
// every file by (content sniffing, the WAV prefix and its lengths, SDL's
// loader and conversion, libmpg123), read as an effect and as the music.
// What comes out may not exceed what the bytes can hold: for a WAV two sample
// frames a byte (4-bit ADPCM), for MP3 1152 a frame of no less than 24 bytes,
// at the lowest rate taken.

#include "read_within.h"
#include "sdl_library.h"

#include <algorithm>
#include <cstdlib>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!sdlLibrary() || !mpg123Library())
        std::abort();
    const std::uint64_t wavFrames = 2 * std::uint64_t(size) + 2;
    const std::uint64_t mp3Frames = (std::uint64_t(size) / 24 + 2) * 1152;
    const std::uint64_t maxFrames = std::max(wavFrames, mp3Frames) * kOutputFrequency / kMinSourceFrequency + 1024;
    for (const double seconds : {5.0, 3600.0}) {
        std::string why;
        const std::unique_ptr<SoundStream> stream
            = openSound(sdlLibrary()->SDL_RWFromConstMem(data, int(size)), mpg123Library(), seconds, why);
        if (stream)
            readToEndWithin(*stream, maxFrames);
        else if (why.empty())
            std::abort(); // turned away without a word
    }
    return 0;
}
