// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "multimedia.h"

#include <memory>
#include <string>

namespace pelmora {

// No sound at all: every call is taken as if it had played, with an empty
// reply, and no device is ever opened.
class NoSound final : public SystemMultimedia {
public:
    void open() override {}
    void stopMusic() override {}
    void speak(const std::string&) override {}
    bool PlaySound(const char*, const void*, std::uint32_t) override { return true; }
    std::uint32_t SendString(const char*, char* returnString, std::uint32_t returnLength, const void*) override
    {
        if (returnString && returnLength > 0)
            returnString[0] = '\0';
        return 0;
    }
};

// Music that can be switched off and on while the answer sounds pass. While
// it is off, the textual commands (the music's only way in) are kept from the
// output and answered as if carried out; switched on again, the last of them
// is sent at once, so the music comes back without waiting for the next.
class NoMusic final : public SystemMultimedia {
public:
    NoMusic(std::unique_ptr<SystemMultimedia> output, bool music) : output_(std::move(output)), music_(music) {}

    void setMusic(bool on)
    {
        if (on != music_ && !on)
            output_->stopMusic();
        else if (on != music_ && !lastCommand_.empty())
            output_->SendString(lastCommand_.c_str(), nullptr, 0, nullptr);
        music_ = on;
    }
    bool music() const { return music_; }

    void open() override { output_->open(); }
    void stopMusic() override { output_->stopMusic(); }
    void speak(const std::string& clip) override { output_->speak(clip); }
    bool PlaySound(const char* sound, const void* module, std::uint32_t flags) override
    {
        return output_->PlaySound(sound, module, flags);
    }
    std::uint32_t SendString(const char* command, char* returnString, std::uint32_t returnLength,
                             const void* callbackWindow) override
    {
        lastCommand_ = command ? command : "";
        if (music_)
            return output_->SendString(command, returnString, returnLength, callbackWindow);
        return NoSound().SendString(command, returnString, returnLength, callbackWindow);
    }

private:
    std::unique_ptr<SystemMultimedia> output_;
    bool music_;
    std::string lastCommand_;
};

} // namespace pelmora
