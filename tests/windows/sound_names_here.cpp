// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints the directory this program runs from and the names the quiz gives
// its sounds there, and the voice the clip of its first question, each with
// what reading the file it names shows: "wav", "mp3", or "missing".
#include "audio_file.h"
#include "audio_streams.h"
#include "question_bank.h"
#include "sound.h"
#include "voice.h"

#include <array>
#include <fstream>
#include <cstdio>
#include <string>

using namespace pelmora;

namespace {

void report(const std::string& name)
{
    const std::filesystem::path path = platformPath(name);
    std::ifstream source(path, std::ios::binary);
    std::array<std::uint8_t, 12> start{};
    const std::size_t n = isRegularFile(path) && source.read(reinterpret_cast<char*>(start.data()), 12) ? 12 : 0;
    const char* what = n == 0 ? "missing"
                       : detectAudioFormat(std::span(start.data(), n)) == AudioFormat::Wav ? "wav"
                                                                                         : "mp3";
    std::printf("%s %s\n", name.c_str(), what);
}

} // namespace

int main()
{
    const std::string directory = applicationDirectory();
    std::printf("directory %s\n", directory.c_str());
    report(Sound::effectFileName(directory, Effect::Correct));
    report(Sound::effectFileName(directory, Effect::Wrong));
    const std::string command = Sound::musicCommand(directory);
    std::printf("command %s\n", command.c_str());
    report(playCommandFile(command).value_or(""));
    QuestionBank bank;
    bank.fill();
    report(Voice::clipFileName(directory, bank.text(0)));
    return 0;
}
