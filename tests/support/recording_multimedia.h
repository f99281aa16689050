// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "multimedia.h"

#include <cstdint>
#include <string>
#include <vector>

namespace pelmora {

// Remembers every call, in order, and plays nothing.
class RecordingMultimedia final : public SystemMultimedia {
public:
    struct Call {
        enum class Kind { PlaySound, SendString, Speak } kind;
        std::string text;
        std::uint32_t flags = 0;
        bool nullModule = true;
        std::uint32_t returnLength = 0;
    };

    bool PlaySound(const char* sound, const void* module, std::uint32_t flags) override
    {
        calls.push_back({Call::Kind::PlaySound, sound ? sound : "", flags, module == nullptr, 0});
        return true;
    }

    std::uint32_t SendString(const char* command, char*, std::uint32_t returnLength,
                             const void* callback) override
    {
        calls.push_back({Call::Kind::SendString, command ? command : "", 0, callback == nullptr,
                         returnLength});
        return 0;
    }

    void speak(const std::string& clip) override { calls.push_back({Call::Kind::Speak, clip}); }
    void open() override {}
    void stopMusic() override {}

    std::vector<std::string> texts(Call::Kind kind) const
    {
        std::vector<std::string> of;
        for (const Call& call : calls)
            if (call.kind == kind)
                of.push_back(call.text);
        return of;
    }

    std::size_t count(Call::Kind kind) const
    {
        std::size_t n = 0;
        for (const Call& call : calls)
            n += call.kind == kind;
        return n;
    }

    std::vector<Call> calls;
};

} // namespace pelmora
