// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "audio_file.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace pelmora {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, const char* magic, std::size_t at = 0)
{
    const std::size_t n = std::strlen(magic);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, magic, n) == 0;
}

} // namespace

AudioFormat detectAudioFormat(std::span<const std::uint8_t> start)
{
    return startsWith(start, "RIFF") && startsWith(start, "WAVE", 8) ? AudioFormat::Wav : AudioFormat::Mp3;
}

std::filesystem::path platformPath(std::string_view windowsName)
{
    std::u8string name(windowsName.begin(), windowsName.end());
#if defined(_WIN32)
    // Made wide here, from UTF-8: the ANSI code page would lose any
    // character outside it.
    try {
        return std::filesystem::path(name);
    } catch (const std::exception&) {
        return {};
    }
#else
    std::replace(name.begin(), name.end(), u8'\\', u8'/');
    return std::filesystem::path(name);
#endif
}

std::string utf8FromUtf16(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
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

std::optional<FileStamp> stampOf(const std::filesystem::path& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return std::nullopt;
    FileStamp stamp;
    stamp.size = std::filesystem::file_size(path, error);
    if (error)
        return std::nullopt;
    stamp.modified = std::filesystem::last_write_time(path, error);
    if (error)
        return std::nullopt;
    return stamp;
}

} // namespace pelmora
