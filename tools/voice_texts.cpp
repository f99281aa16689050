// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Prints every text the window can show, each once, with the name of the
// clip that reads it aloud: "<clip>\t<text>", the questions first, then the
// score of each possible run. tools/make-voice speaks them.

#include "question_bank.h"
#include "quiz.h"
#include "voice.h"

#include <cstdio>
#include <set>
#include <string>
#include <vector>

int main()
{
    using namespace pelmora;
    QuestionBank bank;
    bank.fill();
    std::vector<std::string> texts;
    for (int q = 0; q < QuestionBank::kQuestions; ++q)
        texts.push_back(bank.text(q));
    for (int score = 0; score <= QuestionBank::kQuestions; ++score)
        texts.push_back(Quiz::resultCaption(static_cast<std::int16_t>(score)));
    std::set<std::string> printed;
    for (const std::string& text : texts)
        if (printed.insert(text).second)
            std::printf("%s\t%s\n", Voice::clipName(text).c_str(), text.c_str());
    return 0;
}
