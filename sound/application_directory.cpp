// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sound.h"

#include "audio_file.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace pelmora {

namespace {

std::filesystem::path executablePath()
{
#if defined(_WIN32)
    // The wide name, in a buffer of the longest a path may be.
    std::wstring buffer(32768, L'\0');
    buffer.resize(GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size())));
    return std::filesystem::path(buffer);
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
#endif
}

} // namespace

std::string applicationDirectory()
{
    const std::filesystem::path directory = executablePath().parent_path();
    // With no answer from the platform the names are relative to nothing in
    // particular: the sounds are then simply not found.
#if defined(_WIN32)
    // UTF-8 of the wide name, which the multimedia layer makes wide again:
    // the ANSI text would lose a Japanese user name.
    return utf8FromUtf16(directory.u16string());
#else
    return directory.string();
#endif
}

} // namespace pelmora
