#include "system_multimedia.h"

#include "sdl_multimedia.h"

namespace pelmora {

std::unique_ptr<SystemMultimedia> makeSystemMultimedia()
{
    return std::make_unique<SdlMultimedia>(SdlMultimedia::Opening::OnRequest);
}

} // namespace pelmora
