#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

enum class AudioFormat { Unknown, Wav, Mp3, Ogg, Flac };

// What the bytes of a whole file hold, judged by their content and never by
// the file's name. A WAV file shorter than its own header says counts as
// unknown: it has been cut off.
AudioFormat detectAudioFormat(std::span<const std::uint8_t> bytes);

// A name in the Windows form (backslash separators, UTF-8 bytes) as a path
// of this platform.
std::filesystem::path platformPath(std::string_view windowsName);

// The file name of a "play <file>" command: the verb in any case, then
// everything after the blanks that follow it, blanks included. Nothing for
// any other command.
std::optional<std::string> playCommandFile(std::string_view command);

// Size and time of last change of a regular file, to tell whether a file
// loaded earlier is still the same.
struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified;
    bool operator==(const FileStamp&) const = default;
};

// Nothing for anything but an existing regular file.
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

struct AudioFile {
    FileStamp stamp;
    AudioFormat format = AudioFormat::Unknown;
    std::vector<std::uint8_t> bytes;
};

// Reads a whole regular file of at most maxSize bytes. Nothing when the file
// cannot be read, is empty, too large, or holds no known audio format.
std::optional<AudioFile> readAudioFile(const std::filesystem::path& path, std::uintmax_t maxSize);

} // namespace pelmora
