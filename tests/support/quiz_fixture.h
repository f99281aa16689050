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

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

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

    // From start-up to the moment question q is asked, every earlier one
    // answered right.
    void playTo(int q)
    {
        start(8000);
        for (int i = 0; i < q; ++i) {
            form.clickAnswer(rightButton());
            clock.advance(8000);
        }
        ASSERT_EQ(quiz.QuestionIndex, q);
    }

    bool asked() const { return !form.Mondai.text().empty(); }
    bool markShown() const { return form.YES.visible() || form.No.visible(); }
    // Timer3 re-sends the music every 3100 ms from start-up, slowed or not.
    bool musicOnItsBeat() const { return clock.dueTime(form.Timer3) == (clock.now() / 3100 + 1) * 3100; }
    bool slotsVisible(bool visible) const
    {
        return std::all_of(form.Image1.begin(), form.Image1.end(),
                           [&](const PictureBox& slot) { return slot.visible() == visible; });
    }
    bool buttonsEnabled(bool enabled) const
    {
        return std::all_of(form.Answer.begin(), form.Answer.end(),
                           [&](const CommandButton& button) { return button.enabled() == enabled; });
    }
    std::vector<RecordingMultimedia::Call> effects() const
    {
        std::vector<RecordingMultimedia::Call> played;
        std::copy_if(multimedia.calls.begin(), multimedia.calls.end(), std::back_inserter(played),
                     [](const auto& call) { return call.kind == RecordingMultimedia::Call::Kind::PlaySound; });
        return played;
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

// A test with a quiz in virtual time.
class QuizTest : public ::testing::Test {
protected:
    QuizRig rig;
    Form1& form = rig.form;
};

} // namespace pelmora
