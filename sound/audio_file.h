// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pelmora {

// Which decoder the first bytes of a file go to: RIFF/WAVE to SDL's WAV
// loader, anything else to libmpg123, which finds MP3 frames past tags and
// junk or turns the file away.
enum class AudioFormat { Wav, Mp3 };
AudioFormat detectAudioFormat(std::span<const std::uint8_t> start);

// A name in the Windows form (backslash separators, UTF-8 bytes) as a path
// of this platform; empty where the bytes are no UTF-8 the platform takes.
std::filesystem::path platformPath(std::string_view windowsName);

// The file name of a "play <file>" command: the verb in any case, then
// everything after the blanks that follow it, blanks included. Nothing for
// any other command.
std::optional<std::string> playCommandFile(std::string_view command);

// Whether the path names an existing regular file: never a directory or a
// device that could be read forever.
bool isRegularFile(const std::filesystem::path& path);

} // namespace pelmora
