// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "question_bank.h"

#include <cstdint>

namespace pelmora {

class Form1;
class Sound;

// The quiz: its state, its question bank and the five event handlers of the
// window. Everything here runs on the window's one thread, one handler at a
// time; errors are not trapped but left to the window to report.
class Quiz {
public:
    Quiz(Form1& form, const Sound& sound);
    Quiz(const Quiz&) = delete;
    Quiz& operator=(const Quiz&) = delete;

    // Binds the five handlers to the window's events.
    void bind();

    void Form_Load();
    void Answer_Click(std::int16_t Index);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    std::int16_t QuestionIndex = 0;
    std::int16_t Score = 0;
    QuestionBank bank;

    static constexpr int kFirstSceneKeptQuestion = 8;
    static constexpr int kLastSceneKeptQuestion = 14;
    static constexpr int kQuestionDelay = 8000;
    static constexpr int kMusicResend = 3100;

    // "20もんちゅう 15せいかいでした"
    static std::string resultCaption(std::int16_t score);

private:
    void PresentQuestion();
    void ShowFinalResult();
    void setAnswersEnabled(bool enabled);
    void setSlotsVisible(bool visible);

    Form1& form_;
    const Sound& sound_;
};

} // namespace pelmora
