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
    QuestionBank bank;
    bank.fill();
    std::map<std::string, std::string> shown;
    for (int q = 0; q < QuestionBank::kQuestions; ++q)
        shown[bank.text(q)] = script::kReadings[std::size_t(q)];
    for (int score = 0; score <= QuestionBank::kQuestions; ++score)
        shown[Quiz::resultCaption(std::int16_t(score))] =
            "ニジューモンチュー、" + script::kNumberReadings[std::size_t(score)] + "セイカイデシタ";

    // Each clip's name, its text and Open JTalk's reading.
    std::ifstream index(PELMORA_VOICE_INDEX);
    std::string clip, text, reading;
    std::getline(index, clip);
    EXPECT_EQ(clip, "clip\ttext\treading");
    std::map<std::string, std::string> said;
    const std::filesystem::path folder = std::filesystem::path(PELMORA_RUNTIME_DIR) / "voice";
    std::uintmax_t bytes = 0;
    while (std::getline(index, clip, '\t') && std::getline(index, text, '\t') && std::getline(index, reading)) {
        EXPECT_EQ(clip, Voice::clipName(text)) << text;
        EXPECT_TRUE(said.emplace(text, reading).second) << "twice: " << text;
        std::error_code missing;
        bytes += std::filesystem::file_size(folder / clip, missing);
        EXPECT_FALSE(missing) << clip << " is not beside the program";
    }
    EXPECT_EQ(said, shown);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), std::ptrdiff_t(said.size()));
    EXPECT_LT(bytes, 1u << 20) << "all clips together";
}
