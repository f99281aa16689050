// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The twenty scenes and question texts as a child meets them, written out
// by hand from the quiz's design, never taken from the program's tables.

#include "form1.h"

#include <array>
#include <string>
#include <vector>

namespace pelmora::script {

// A character of a scene: the template it copies, by control name, and the
// slot's Left and Top. A scene's figures fill slots 0, 1, 2, ... in order.
struct Figure {
    const char* character;
    int left, top;
};

inline const std::array<std::vector<Figure>, 20> kScenes{{
    /* 0 */ {{"santa", 100, 150}, {"santa", 380, 200}},
    /* 1 */ {{"Tonakai", 100, 150}, {"Tonakai", 300, 200}},
    /* 2 */ {{"BELL", 100, 150}, {"BELL", 200, 200}, {"BELL", 300, 280}},
    /* 3 */ {{"santa", 100, 150}, {"Snowman", 200, 150}, {"Snowman", 300, 180}},
    /* 4 */ {{"santa", 100, 130}, {"santa", 150, 200}, {"santa", 200, 300}, {"santa", 250, 170}, {"santa", 350, 130}},
    /* 5 */ {{"Snowman", 100, 130}, {"Snowman", 200, 200}, {"Snowman", 300, 300}, {"santa", 400, 170}, {"santa", 400, 320}},
    /* 6 */ {{"Snowman", 400, 320}, {"Snowman", 200, 200}, {"BELL", 300, 300}, {"Tonakai", 400, 170}, {"Tonakai", 100, 130}},
    /* 7 */ {{"santa", 100, 320}, {"Snowman", 200, 200}, {"santa", 300, 300}, {"BELL", 400, 170}, {"BELL", 350, 130}, {"santa", 400, 300}},
    /* 8 */ {{"santa", 100, 320}, {"Tonakai", 200, 200}, {"santa", 300, 300}},
    /* 9 */ {{"santa", 100, 320}, {"Snowman", 200, 200}, {"santa", 300, 300}, {"santa", 400, 170}, {"Snowman", 290, 130}, {"santa", 400, 300}},
    /* 10 */ {{"santa", 400, 320}, {"Snowman", 200, 200}, {"BELL", 300, 300}, {"santa", 400, 170}, {"Tonakai", 100, 130}},
    /* 11 */ {{"santa", 100, 320}, {"Snowman", 200, 200}, {"santa", 300, 300}, {"BELL", 400, 170}, {"BELL", 280, 130}, {"santa", 400, 300}},
    /* 12 */ {{"santa", 100, 320}, {"Tonakai", 200, 200}, {"santa", 300, 300}},
    /* 13 */ {{"santa", 100, 320}, {"Snowman", 200, 200}, {"santa", 300, 300}, {"santa", 400, 170}, {"Snowman", 290, 130}, {"BELL", 400, 300}},
    /* 14 */ {{"Tonakai", 400, 320}, {"Snowman", 200, 200}, {"BELL", 300, 300}, {"Snowman", 400, 170}, {"Tonakai", 100, 130}, {"Tonakai", 100, 240}},
    /* 15 */ {{"santa", 100, 150}, {"Snowman", 200, 150}, {"santa", 300, 180}},
    /* 16 */ {{"santa", 400, 320}, {"BELL", 200, 200}, {"BELL", 300, 300}, {"santa", 400, 170}},
    /* 17 */ {{"Tonakai", 100, 320}, {"BELL", 200, 200}, {"santa", 300, 300}, {"BELL", 400, 170}},
    /* 18 */ {{"BELL", 100, 130}, {"santa", 200, 200}, {"santa", 300, 300}, {"santa", 400, 170}},
    /* 19 */ {{"santa", 400, 320}, {"santa", 200, 200}, {"BELL", 300, 300}, {"Tonakai", 400, 170}, {"Tonakai", 100, 130}},
}};

// Questions 4 and 14 end in an ASCII "?", all others in a full-width "？".
inline const std::array<std::string, 20> kQuestions{
    "サンタさんは、何人いましたか？",
    "トナカイさんは、何匹いましたか？",
    "ベルは全部でいくつあったかな？",
    "雪だるまは、ぜんぶでいくつあったかな？",
    "サンタさんは、何人いましたか?",
    "雪だるまは、ぜんぶでいくつあったかな？",
    "トナカイさんは、何匹いましたか？",
    "サンタさんは、何人いましたか？",
    "サンタさんとトナカイさんをあわせるといくつかな？",
    "雪だるまとサンタさんをあわせるといくつかな？",
    "サンタさんと雪だるまをあわせるといくつかな？",
    "ベルと雪だるまをあわせるといくつかな？",
    "サンタさんの数からトナカイの数をひくといくつ？",
    "サンタさんの数からベルの数をひくといくつ？",
    "トナカイの数から雪だるまの数をひくといくつ?",
    "サンタさんと雪だるまの数をたすといくつ？",
    "サンタさんの数とベルの数をたすといくつ？",
    "サンタさんの数とトナカイの数をたすといくつ？",
    "サンタさんの数からベルの数をひくといくつ？",
    "サンタさんの数からベルの数をひくといくつ？",
};

// How each question is said, in kana as the listener hears it (は as ワ, long
// vowels as ー); the score is said "ニジューモンチュー、", the number, "セイカイデシタ".
inline const std::array<std::string, 20> kReadings{
    "サンタサンワ、ナンニンイマシタカ", "トナカイサンワ、ナンビキイマシタカ", "ベルワゼンブデイクツアッタカナ",
    "ユキダルマワ、ゼンブデイクツアッタカナ", "サンタサンワ、ナンニンイマシタカ", "ユキダルマワ、ゼンブデイクツアッタカナ",
    "トナカイサンワ、ナンビキイマシタカ", "サンタサンワ、ナンニンイマシタカ", "サンタサントトナカイサンヲアワセルトイクツカナ",
    "ユキダルマトサンタサンヲアワセルトイクツカナ", "サンタサントユキダルマヲアワセルトイクツカナ",
    "ベルトユキダルマヲアワセルトイクツカナ", "サンタサンノカズカラトナカイノカズヲヒクトイクツ",
    "サンタサンノカズカラベルノカズヲヒクトイクツ", "トナカイノカズカラユキダルマノカズヲヒクトイクツ",
    "サンタサントユキダルマノカズヲタストイクツ", "サンタサンノカズトベルノカズヲタストイクツ",
    "サンタサンノカズトトナカイノカズヲタストイクツ", "サンタサンノカズカラベルノカズヲヒクトイクツ",
    "サンタサンノカズカラベルノカズヲヒクトイクツ"};
inline const std::array<std::string, 21> kNumberReadings{
    "ゼロ", "イチ", "ニ", "サン", "ヨン", "ゴ", "ロク", "ナナ", "ハチ", "キュー", "ジュー", "ジューイチ", "ジューニ",
    "ジューサン", "ジューヨン", "ジューゴ", "ジューロク", "ジューナナ", "ジューハチ", "ジューキュー", "ニジュー"};

// "Image1(0) santa 100,150": one figure as the child sees it.
inline std::string describe(int slot, const std::string& character, int left, int top)
{
    return "Image1(" + std::to_string(slot) + ") " + character + " " + std::to_string(left) + ","
           + std::to_string(top);
}

inline std::vector<std::string> describe(const std::vector<Figure>& scene)
{
    std::vector<std::string> all;
    for (std::size_t i = 0; i < scene.size(); ++i)
        all.push_back(describe(static_cast<int>(i), scene[i].character, scene[i].left, scene[i].top));
    return all;
}

// What the scene slots show: every visible slot that holds a picture, named
// by the template whose picture it is.
inline std::vector<std::string> shownFigures(const Form1& form)
{
    std::vector<std::string> shown;
    for (const PictureBox& slot : form.Image1) {
        if (!slot.visible() || !slot.picture())
            continue;
        std::string character = "another picture";
        for (const PictureBox* t : {&form.santa, &form.Tonakai, &form.BELL, &form.Snowman})
            if (slot.picture() == t->picture())
                character = t->name();
        shown.push_back(describe(slot.index(), character, slot.left(), slot.top()));
    }
    return shown;
}

} // namespace pelmora::script
