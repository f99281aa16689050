// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "audio_file.h"
#include "sound.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace pelmora {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, const char* magic, std::size_t at = 0)
{
    const std::size_t n = std::strlen(magic);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, magic, n) == 0;
}

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

AudioFormat detectAudioFormat(std::span<const std::uint8_t> start)
{
    return startsWith(start, "RIFF") && startsWith(start, "WAVE", 8) ? AudioFormat::Wav : AudioFormat::Mp3;
}

std::filesystem::path platformPath(std::string_view windowsName)
{
    std::u8string name(windowsName.begin(), windowsName.end());
#if !defined(_WIN32)
    std::replace(name.begin(), name.end(), u8'\\', u8'/');
#endif
    // From UTF-8: on Windows the ANSI code page would lose any character
    // outside it, and bytes that are no UTF-8 name nothing.
    try {
        return std::filesystem::path(name);
    } catch (const std::exception&) {
        return {};
    }
}

std::optional<std::string> playCommandFile(std::string_view command)
{
    const auto skipBlanks = [command](std::size_t at) {
        while (at < command.size() && (command[at] == ' ' || command[at] == '\t'))
            ++at;
        return at;
    };
    const std::size_t verb = skipBlanks(0);
    if (command.size() < verb + 4 || (command.size() > verb + 4 && skipBlanks(verb + 4) == verb + 4))
        return std::nullopt;
    // In any case, ASCII only: the 0x20 bit tells the cases of these letters apart.
    for (std::size_t i = 0; i < 4; ++i)
        if ((command[verb + i] | 0x20) != "play"[i])
            return std::nullopt;
    return std::string(command.substr(skipBlanks(verb + 4)));
}

bool isRegularFile(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::string applicationDirectory()
{
    // UTF-8 on every platform: on Windows that of the wide name, which the
    // multimedia layer makes wide again, since the ANSI text would lose a
    // Japanese user name. With no answer from the platform the names are
    // relative to nothing in particular: the sounds are then simply not found.
    try {
        const std::u8string directory = executablePath().parent_path().u8string();
        return std::string(directory.begin(), directory.end());
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace pelmora
