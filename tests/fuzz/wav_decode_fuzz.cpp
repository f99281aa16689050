// libFuzzer target: SDL's WAV loader and the conversion to the output
// format, through the same function the layer decodes every WAV file with.
// What comes out may not exceed what the bytes can hold: at most two sample
// frames a byte (4-bit ADPCM), at the lowest rate taken.

#include "read_within.h"
#include "sdl_library.h"

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
    readToEndWithin(*stream, maxFrames);
    return 0;
}
