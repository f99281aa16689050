// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct SDL_RWops;

namespace pelmora {

struct Mpg123Library;

// The one format of the output: the device is opened in it and every sound
// is converted to it, interleaved signed 16-bit samples. The functions below
// need sdlLibrary() to be loaded.
constexpr int kOutputFrequency = 44100;
constexpr int kOutputChannels = 2;

// The sample rates a WAV may have. Outside them SDL's converter would blow a
// short file up into hundreds of megabytes (1 Hz) or overflow while setting
// itself up (above some 4.19 MHz). MPEG audio has rates of 8 to 48 kHz only.
constexpr int kMinSourceFrequency = 8000;
constexpr int kMaxSourceFrequency = 192000;

// What SDL's loader may make of a WAV file at most, in bytes of its decoded
// samples, whatever the header claims: the rest of the file is not read.
constexpr std::size_t kMaxWavDecoded = 4u << 20;

// A sound being converted to the output format a piece at a time.
class SoundStream {
public:
    virtual ~SoundStream() = default;
    // Fills out (an even number of samples) from the start with the next
    // samples and returns how many; fewer than asked only once it has ended.
    virtual std::size_t read(std::span<std::int16_t> out) = 0;
};

// Reads the sound in `source`, which it closes; a null source is SDL's
// failure to open one. The content chooses the decoder. RIFF/WAVE goes to
// SDL's WAV loader, which is handed only the bytes of the first `seconds`
// (within what decodes to kMaxWavDecoded), with the header's lengths lowered
// to the bytes present, so that a damaged file plays what it holds. Anything else goes to libmpg123,
// which reads as it decodes and delivers the output format itself (nothing
// without mpg123). Nothing where no sound is found, and why in `why`.
std::unique_ptr<SoundStream> openSound(SDL_RWops* source, const Mpg123Library* mpg123, double seconds,
                                       std::string& why);

} // namespace pelmora
