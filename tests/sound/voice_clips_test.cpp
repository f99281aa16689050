// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The voice's clips as tools/make-voice left them beside the program: one
// for each text the window can show, found by that text, said as written.

#include "question_bank.h"
#include "quiz.h"
#include "quiz_script.h"
#include "voice.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

using namespace pelmora;

TEST(VoiceClips, EachTextOnScreenHasItsClipSaidAsWritten)
{
    // What the program shows, each with how it must be said.
    QuestionBank bank;
    bank.fill();
    std::map<std::string, std::string> shown;
    for (int q = 0; q < QuestionBank::kQuestions; ++q)
        shown[bank.text(q)] = script::kReadings[std::size_t(q)];
    for (int score = 0; score <= QuestionBank::kQuestions; ++score)
        shown[Quiz::resultCaption(std::int16_t(score))] =
            "ニジューモンチュー、" + script::kNumberReadings[std::size_t(score)] + "セイカイデシタ";

    // What the index says of each clip: its text and Open JTalk's reading.
    std::ifstream index(PELMORA_VOICE_INDEX);
    std::string line;
    ASSERT_TRUE(std::getline(index, line));
    EXPECT_EQ(line, "clip\ttext\treading");
    std::map<std::string, std::string> said;
    const std::filesystem::path folder = std::filesystem::path(PELMORA_RUNTIME_DIR) / "voice";
    std::uintmax_t bytes = 0;
    while (std::getline(index, line)) {
        const std::size_t tab = line.find('\t'), second = line.find('\t', tab + 1);
        ASSERT_NE(second, std::string::npos) << line;
        const std::string clip = line.substr(0, tab), text = line.substr(tab + 1, second - tab - 1);
        EXPECT_EQ(clip, Voice::clipName(text)) << text;
        EXPECT_TRUE(said.emplace(text, line.substr(second + 1)).second) << "twice: " << text;
        std::error_code missing;
        bytes += std::filesystem::file_size(folder / clip, missing);
        EXPECT_FALSE(missing) << clip << " is not beside the program";
    }
    EXPECT_EQ(said, shown);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), std::ptrdiff_t(said.size()));
    EXPECT_LT(bytes, 1u << 20) << "all clips together";
}
