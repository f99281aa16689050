// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "quiet_multimedia.h"

namespace pelmora {

void NoMusic::setMusic(bool on)
{
    if (on != music_ && !on)
        output_->stopMusic();
    else if (on != music_ && !lastCommand_.empty())
        output_->SendString(lastCommand_.c_str(), nullptr, 0, nullptr);
    music_ = on;
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
