// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sound.h"

namespace pelmora {

std::string Sound::effectFileName(const std::string& directory, Effect effect)
{
    return directory + (effect == Effect::Correct ? "\\pinpon.wav" : "\\mistake.wav");
}

std::string Sound::musicCommand(const std::string& directory)
{
    return "Play " + directory + "\\bgm.mp3";
}

void Sound::PlayEffect(Effect effect) const
{
    const std::string name = effectFileName(directory_, effect);
    multimedia_.PlaySound(name.c_str(), nullptr, Multimedia::kAsync);
}

void Sound::SendMusicCommand() const
{
    const std::string command = musicCommand(directory_);
    char reply[] = "1";
    multimedia_.SendString(command.c_str(), reply, 0, nullptr);
}

} // namespace pelmora
