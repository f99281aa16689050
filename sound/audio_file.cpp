#include "audio_file.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>

namespace pelmora {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, const char* magic, std::size_t at = 0)
{
    const std::size_t n = std::strlen(magic);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, magic, n) == 0;
}

std::uint32_t littleEndian32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8
        | std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

bool isMp3FrameHeader(std::span<const std::uint8_t> bytes, std::size_t at)
{
    if (bytes.size() < at + 4)
        return false;
    const std::uint8_t b1 = bytes[at + 1];
    const std::uint8_t b2 = bytes[at + 2];
    const bool sync = bytes[at] == 0xFF && (b1 & 0xE0) == 0xE0;
    const bool version = ((b1 >> 3) & 0x3) != 0x1;
    const bool layer = ((b1 >> 1) & 0x3) != 0x0;
    const bool bitrate = (b2 >> 4) != 0xF;
    const bool sampleRate = ((b2 >> 2) & 0x3) != 0x3;
    return sync && version && layer && bitrate && sampleRate;
}

bool isMp3(std::span<const std::uint8_t> bytes)
{
    if (!startsWith(bytes, "ID3"))
        return isMp3FrameHeader(bytes, 0);
    // An ID3v2 tag: its size is stored in four bytes of seven bits each, and
    // real audio frames must follow it.
    if (bytes.size() < 10 || bytes[3] == 0xFF || bytes[4] == 0xFF)
        return false;
    std::uint32_t size = 0;
    for (std::size_t i = 6; i < 10; ++i) {
        if (bytes[i] & 0x80)
            return false;
        size = size << 7 | bytes[i];
    }
    const bool footer = bytes[5] & 0x10;
    return isMp3FrameHeader(bytes, 10 + std::size_t(size) + (footer ? 10 : 0));
}

} // namespace

AudioFormat detectAudioFormat(std::span<const std::uint8_t> bytes)
{
    if (startsWith(bytes, "RIFF") && startsWith(bytes, "WAVE", 8)) {
        const std::uint64_t declared = std::uint64_t(littleEndian32(bytes, 4)) + 8;
        return declared <= bytes.size() ? AudioFormat::Wav : AudioFormat::Unknown;
    }
    if (startsWith(bytes, "OggS"))
        return AudioFormat::Ogg;
    if (startsWith(bytes, "fLaC"))
        return AudioFormat::Flac;
    if (isMp3(bytes))
        return AudioFormat::Mp3;
    return AudioFormat::Unknown;
}

std::filesystem::path platformPath(std::string_view windowsName)
{
    std::u8string name(windowsName.begin(), windowsName.end());
#if !defined(_WIN32)
    std::replace(name.begin(), name.end(), u8'\\', u8'/');
#endif
    return std::filesystem::path(name);
}

std::optional<std::string> playCommandFile(std::string_view command)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t at = 0;
    while (at < command.size() && isBlank(command[at]))
        ++at;
    constexpr std::string_view verb = "play";
    if (command.size() < at + verb.size())
        return std::nullopt;
    for (std::size_t i = 0; i < verb.size(); ++i) {
        const char c = command[at + i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != verb[i])
            return std::nullopt;
    }
    at += verb.size();
    if (at < command.size() && !isBlank(command[at]))
        return std::nullopt;
    while (at < command.size() && isBlank(command[at]))
        ++at;
    return std::string(command.substr(at));
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

std::optional<AudioFile> readAudioFile(const std::filesystem::path& path, std::uintmax_t maxSize)
{
    const std::optional<FileStamp> stamp = stampOf(path);
    if (!stamp || stamp->size == 0 || stamp->size > maxSize)
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    AudioFile file;
    file.stamp = *stamp;
    file.bytes.resize(std::size_t(stamp->size));
    in.read(reinterpret_cast<char*>(file.bytes.data()), std::streamsize(file.bytes.size()));
    // The file may have shrunk since it was measured.
    file.bytes.resize(std::size_t(in.gcount()));
    file.format = detectAudioFormat(file.bytes);
    if (file.format == AudioFormat::Unknown)
        return std::nullopt;
    return file;
}

} // namespace pelmora
