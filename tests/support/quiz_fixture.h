// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "form1.h"
#include "form_probe.h"
#include "quiz.h"
#include "recording_multimedia.h"
#include "sound.h"
#include "virtual_clock.h"

namespace pelmora {

// A quiz on the control models, its sound going to a recording multimedia
// layer and its timers on a virtual clock, or left to a window's own.
struct QuizRig {
    static constexpr const char* kDirectory = "C:\\Apps\\Quiz";
    enum class Time { Virtual, Window };

    // In virtual time the waits the child sees last `stretch` times as long;
    // a window keeps its own pace.
    explicit QuizRig(Time time = Time::Virtual, int stretch = Pace::kPlain) : clock(stretch)
    {
        if (time == Time::Virtual)
            clock.attach(form);
        quiz.bind();
    }
    explicit QuizRig(int stretch) : QuizRig(Time::Virtual, stretch) {}

    // Start-up, then the given number of virtual milliseconds.
    void start(std::int64_t milliseconds = 0)
    {
        form.load();
        clock.advance(milliseconds);
    }

    // The answer that is right, or one that is wrong, for the question asked now.
    std::int16_t rightButton() const { return static_cast<std::int16_t>(quiz.bank.answer(quiz.QuestionIndex) - 1); }
    std::int16_t wrongButton() const { return static_cast<std::int16_t>(rightButton() == 9 ? 0 : rightButton() + 1); }
    // Where a sound of the quiz is played from.
    static std::string soundFile(const char* name) { return std::string(kDirectory) + "\\" + name; }

    Form1 form;
    RecordingMultimedia multimedia;
    Sound sound{multimedia, kDirectory};
    Quiz quiz{form, sound};
    VirtualClock clock;
};

} // namespace pelmora
