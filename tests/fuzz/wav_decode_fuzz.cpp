// libFuzzer target: SDL's WAV loader and the conversion to the output
// format, through the same function the layer decodes every WAV file with.
// What comes out may not exceed what the bytes can hold: at most two sample
// frames a byte (4-bit ADPCM), at the lowest rate taken.

#include "audio_streams.h"
#include "sdl_library.h"

#include <array>
#include <cstdlib>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!sdlLibrary())
        std::abort();
    const std::unique_ptr<SoundStream> stream = decodeWav(std::vector<std::uint8_t>(data, data + size));
    if (!stream)
        return 0;
    const std::uint64_t maxFrames = (2 * std::uint64_t(size) + 2) * kOutputFrequency / kMinSourceFrequency + 1024;
    std::uint64_t samples = 0;
    std::array<std::int16_t, 8192> piece;
    for (;;) {
        const std::size_t got = stream->read(piece);
        samples += got;
        if (samples > maxFrames * kOutputChannels)
            std::abort();
        if (got < piece.size())
            break;
    }
    return 0;
}
