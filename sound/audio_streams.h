#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pelmora {

// The one format of the output: the device is opened in it and every sound
// is converted to it. The functions below need the libraries of
// sdlLibrary() to be loaded.
constexpr int kOutputFrequency = 44100;
constexpr int kOutputChannels = 2;

// Interleaved signed 16-bit samples in the output format.
using Pcm = std::vector<std::int16_t>;

// The sound of a whole WAV file in the output format; nothing where SDL
// cannot read it or it would last longer than ten minutes.
std::shared_ptr<const Pcm> decodeWav(std::span<const std::uint8_t> bytes);

// Music as the audio callback takes it, one buffer at a time.
class MusicStream {
public:
    virtual ~MusicStream() = default;
    // Fills out from the start with the next samples and returns how many;
    // fewer than asked only once the music has ended.
    virtual std::size_t read(std::span<std::int16_t> out) = 0;
};

std::unique_ptr<MusicStream> playPcm(std::shared_ptr<const Pcm> pcm);

// Decodes the MP3 file in these bytes a frame at a time, as it is read.
// Nothing where no MP3 frame can be found in them.
std::unique_ptr<MusicStream> streamMp3(std::shared_ptr<const std::vector<std::uint8_t>> bytes);

// Adds source to the start of out, clipped to 16 bits.
void mixInto(std::span<std::int16_t> out, std::span<const std::int16_t> source);

} // namespace pelmora
