#include "quiet_multimedia.h"

namespace pelmora {

std::uint32_t NoSound::SendString(const char*, char* returnString, std::uint32_t returnLength, const void*)
{
    // An empty reply, as a command that succeeds without one gives.
    if (returnString && returnLength > 0)
        returnString[0] = '\0';
    return 0;
}

NoMusic::NoMusic(std::unique_ptr<SystemMultimedia> output, bool music) : output_(std::move(output)), music_(music)
{
}

void NoMusic::setMusic(bool on)
{
    if (on == music_)
        return;
    music_ = on;
    if (!on)
        output_->stopMusic();
    else if (!lastCommand_.empty())
        output_->SendString(lastCommand_.c_str(), nullptr, 0, nullptr);
}

std::uint32_t NoMusic::SendString(const char* command, char* returnString, std::uint32_t returnLength,
                                  const void* callbackWindow)
{
    lastCommand_ = command ? command : "";
    if (music_)
        return output_->SendString(command, returnString, returnLength, callbackWindow);
    return NoSound().SendString(command, returnString, returnLength, callbackWindow);
}

} // namespace pelmora
