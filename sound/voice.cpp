// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "voice.h"

#include <cstdint>
#include <cstdio>

namespace pelmora {

void Voice::speak(const std::string& text)
{
    if (text.empty() && !spoke_)
        return;
    spoke_ = !text.empty();
    output_.speak(text.empty() ? std::string() : clipFileName(directory_, text));
}

std::string Voice::clipName(std::string_view text)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    char name[24];
    std::snprintf(name, sizeof name, "%016llx.mp3", static_cast<unsigned long long>(hash));
    return name;
}

std::string Voice::clipFileName(const std::string& directory, std::string_view text)
{
    return directory + "\\voice\\" + clipName(text);
}

} // namespace pelmora
