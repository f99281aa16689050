// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "question_bank.h"

namespace pelmora {

namespace {

struct Question {
    const char* text;
    std::int16_t answer;
};

// Indexes 4 and 14 end in an ASCII "?", the others in a full-width one: the
// texts stay exactly as they were first written, so leave those two be.
constexpr std::array<Question, QuestionBank::kQuestions> kBank{{
    {"サンタさんは、何人いましたか？", 2},
    {"トナカイさんは、何匹いましたか？", 2},
    {"ベルは全部でいくつあったかな？", 3},
    {"雪だるまは、ぜんぶでいくつあったかな？", 2},
    {"サンタさんは、何人いましたか?", 5},
    {"雪だるまは、ぜんぶでいくつあったかな？", 3},
    {"トナカイさんは、何匹いましたか？", 2},
    {"サンタさんは、何人いましたか？", 3},
    {"サンタさんとトナカイさんをあわせるといくつかな？", 3},
    {"雪だるまとサンタさんをあわせるといくつかな？", 6},
    {"サンタさんと雪だるまをあわせるといくつかな？", 3},
    {"ベルと雪だるまをあわせるといくつかな？", 3},
    {"サンタさんの数からトナカイの数をひくといくつ？", 1},
    {"サンタさんの数からベルの数をひくといくつ？", 2},
    {"トナカイの数から雪だるまの数をひくといくつ?", 1},
    {"サンタさんと雪だるまの数をたすといくつ？", 3},
    {"サンタさんの数とベルの数をたすといくつ？", 4},
    {"サンタさんの数とトナカイの数をたすといくつ？", 2},
    {"サンタさんの数からベルの数をひくといくつ？", 2},
    {"サンタさんの数からベルの数をひくといくつ？", 1},
}};

} // namespace

void QuestionBank::fill()
{
    for (int i = 0; i < kQuestions; ++i) {
        setText(i, kBank[i].text);
        setAnswer(i, kBank[i].answer);
    }
}

} // namespace pelmora
