// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "trace.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace pelmora::trace {

namespace {

std::FILE* sink()
{
    static std::FILE* file = [] {
        const char* path = std::getenv("PELMORA_TRACE");
        return path && *path ? std::fopen(path, "a") : nullptr;
    }();
    return file;
}

} // namespace

bool enabled()
{
    return sink() != nullptr;
}

void event(std::string_view name, std::string_view detail)
{
    std::FILE* file = sink();
    if (!file)
        return;
    const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
    std::fprintf(file, "%lld %.*s %.*s\n", static_cast<long long>(now), static_cast<int>(name.size()),
                 name.data(), static_cast<int>(detail.size()), detail.data());
    std::fflush(file);
}

} // namespace pelmora::trace
