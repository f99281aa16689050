// libFuzzer target: the content sniffing and libmpg123, opened on the bytes
// and read as the music is, a piece at a time, to the end. What comes out
// may not exceed what MPEG frames can hold: no frame is shorter than 24
// bytes nor carries more than 1152 sample frames, at the lowest rate taken.

#include "read_within.h"
#include "sdl_library.h"

#include <cstdlib>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!sdlLibrary() || !mpg123Library())
        std::abort();
    const std::unique_ptr<SoundStream> stream
        = openSound(memorySource(std::vector<std::uint8_t>(data, data + size)), mpg123Library(), size);
    if (!stream)
        return 0;
    const std::uint64_t frames = std::uint64_t(size) / 24 + 2;
    const std::uint64_t maxFrames = frames * 1152 * kOutputFrequency / kMinSourceFrequency + 1024;
    readToEndWithin(*stream, maxFrames);
    return 0;
}
