// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The one window of the quiz, as data: every control with its design-time
// properties, the stacking and tab orders, and the five bindable events.

#include "controls.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace pelmora {

struct FormEvents {
    std::function<void()> Form_Load;
    std::function<void(std::int16_t index)> Answer_Click;
    std::function<void()> Timer1_Timer;
    std::function<void()> Timer2_Timer;
    std::function<void()> Timer3_Timer;
};

class Form1 {
public:
    Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    static constexpr const char* kCaption = "Pelmora";
    static constexpr int kClientWidth = 639;
    static constexpr int kClientHeight = 624;
    static constexpr Color kBackColor = kWhite;
    static constexpr bool kMinButton = false;
    static constexpr bool kMaxButton = false;
    // Used by every control without a font of its own: the answer buttons.
    const Font font{"MS Sans Serif", 8.25, 700};

    TextBox Mondai{"Mondai", {kMagenta, kWhite, {"System", 27, 400}}};
    std::array<CommandButton, 10> Answer;
    Label Label1{"Label1", {kRed, kWhite, {"ＭＳ ゴシック", 20.25, 700}}};
    PictureBox YES{"YES"};
    PictureBox No{"No"};
    std::array<PictureBox, 10> Image1;
    std::array<PictureBox, 8> TREE;
    PictureBox santa{"santa"};
    PictureBox Tonakai{"Tonakai"};
    PictureBox BELL{"BELL"};
    PictureBox Snowman{"Snowman"};
    Timer Timer1{"Timer1"};
    Timer Timer2{"Timer2"};
    Timer Timer3{"Timer3"};

    FormEvents events;

    // The window's Load event, and a click on Answer(index).
    void load();
    void clickAnswer(std::int16_t index);

    // Every drawn control, front to back. Buttons and the text box are always
    // in front of the label and the pictures.
    std::vector<VisualRef> stackingOrder();
    // Controls that take part in tab order, by their tab index.
    std::vector<VisualControl*> tabOrder();
};

} // namespace pelmora
