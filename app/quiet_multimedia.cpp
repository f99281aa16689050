#include "quiet_multimedia.h"

namespace pelmora {

QuietMultimedia::QuietMultimedia(std::unique_ptr<SystemMultimedia> effects) : effects_(std::move(effects))
{
}

void QuietMultimedia::open()
{
    if (effects_)
        effects_->open();
}

bool QuietMultimedia::PlaySound(const char* sound, const void* module, std::uint32_t flags)
{
    return effects_ ? effects_->PlaySound(sound, module, flags) : true;
}

std::uint32_t QuietMultimedia::SendString(const char*, char* returnString, std::uint32_t returnLength, const void*)
{
    // An empty reply, as a command that succeeds without one gives.
    if (returnString && returnLength > 0)
        returnString[0] = '\0';
    return 0;
}

} // namespace pelmora
