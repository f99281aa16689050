// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target: the textual multimedia command, the mapping of Windows
// file names, and the sniffing of audio file contents, with arbitrary bytes.

#include "audio_file.h"
#include "sdl_multimedia.h"

#include <cctype>
#include <cstdlib>
#include <string>

using namespace pelmora;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // The file name of a play command is the tail of the command itself,
    // after blanks and a verb that reads "play" in any case.
    if (const auto file = playCommandFile(text)) {
        const std::size_t verb = text.find_first_not_of(" \t");
        check(verb != std::string_view::npos && text.size() >= verb + 4 + file->size());
        check(text.substr(text.size() - file->size()) == *file);
        for (std::size_t i = 0; i < 4; ++i)
            check(std::tolower(static_cast<unsigned char>(text[verb + i])) == "play"[i]);
    }

    // No separator of the Windows form survives the mapping.
    const std::string mapped = platformPath(text).string();
#if !defined(_WIN32)
    check(mapped.find('\\') == std::string::npos);
    check(mapped.size() == text.size());
#endif

    detectAudioFormat({data, size});

    // The real layer, its device never opened: parsing, mapping and looking
    // the file up, all on the caller's thread.
    static SdlMultimedia multimedia;
    const std::string command(text);
    char reply[2] = "1";
    multimedia.SendString(command.c_str(), reply, 0, nullptr);
    multimedia.PlaySound(command.c_str(), nullptr, Multimedia::kAsync);
    return 0;
}
