#include "system_multimedia.h"

#include "sdl_multimedia.h"

namespace pelmora {

std::unique_ptr<Multimedia> makeSystemMultimedia()
{
    return std::make_unique<SdlMultimedia>();
}

} // namespace pelmora
