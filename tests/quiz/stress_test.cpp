// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "quiz_fixture.h"

#include <gtest/gtest.h>

#include <random>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace pelmora;

namespace {

std::size_t heapInUse()
{
#if defined(__GLIBC__)
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

// Whatever the order of clicks and ticks, the quiz stays within its states.
void expectConsistent(const QuizRig& rig, int step)
{
    const Quiz& quiz = rig.quiz;
    const Form1& form = rig.form;
    ASSERT_GE(quiz.QuestionIndex, 0) << step;
    ASSERT_LE(quiz.QuestionIndex, 20) << step;
    ASSERT_GE(quiz.Score, 0) << step;
    ASSERT_LE(quiz.Score, quiz.QuestionIndex) << step;
    ASSERT_EQ(form.Timer2.interval(), 5000);
    ASSERT_EQ(form.Timer3.interval(), 3100);
    ASSERT_TRUE(form.Timer3.enabled());
    ASSERT_TRUE(form.Timer1.interval() == 8000);
    bool anyEnabled = false, allEnabled = true;
    for (const CommandButton& button : form.Answer) {
        anyEnabled |= button.enabled();
        allEnabled &= button.enabled();
    }
    ASSERT_EQ(anyEnabled, allEnabled) << "the buttons go together, step " << step;
    if (allEnabled) {
        ASSERT_FALSE(form.Timer1.enabled() && quiz.QuestionIndex < 20) << "a question waits for its answer";
    }
    if (form.Label1.visible()) {
        ASSERT_EQ(quiz.QuestionIndex, 20);
        ASSERT_EQ(form.Label1.caption(), Quiz::resultCaption(quiz.Score));
    }
    for (std::size_t i = 6; i < 10; ++i)
        ASSERT_FALSE(form.Image1[i].picture()) << "slots 6 to 9 never show anything";
}

TEST(Stress, RandomClicksAndTicksNeverLeaveTheQuizStates)
{
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        QuizRig rig;
        rig.start();
        std::mt19937 random(seed);
        int effects = 0;
        for (int step = 0; step < 20000; ++step) {
            const auto before = rig.quiz.QuestionIndex;
            const bool buttonsEnabled = rig.form.Answer[0].enabled();
            switch (random() % 3) {
            case 0: {
                // A click reaches the quiz only through an enabled button.
                const auto index = static_cast<std::int16_t>(random() % 10);
                if (rig.form.Answer[static_cast<std::size_t>(index)].enabled()) {
                    ASSERT_NO_THROW(rig.form.clickAnswer(index));
                }
                break;
            }
            case 1:
                ASSERT_NO_THROW(rig.clock.advance(random() % 9000));
                break;
            default:
                ASSERT_NO_THROW(rig.clock.advance(random() % 50));
                break;
            }
            if (rig.quiz.QuestionIndex != before) {
                ASSERT_TRUE(buttonsEnabled);
                ASSERT_EQ(rig.quiz.QuestionIndex, before + 1);
                ++effects;
            }
            expectConsistent(rig, step);
        }
        EXPECT_EQ(rig.quiz.QuestionIndex, 20) << "seed " << seed << " played to the end";
        EXPECT_EQ(rig.multimedia.count(RecordingMultimedia::Call::Kind::PlaySound),
                  static_cast<std::size_t>(effects));
    }
}

TEST(Soak, ADayOnTheResultScreenChangesNothingButTheMusicCommands)
{
    QuizRig rig;
    rig.playTo(20);
    ASSERT_TRUE(rig.form.Label1.visible());
    rig.multimedia.calls.clear();

    const std::int64_t hour = 60LL * 60 * 1000;
    std::size_t heapAfterFirstHour = 0;
    for (int h = 0; h < 24; ++h) {
        rig.clock.advance(hour);
        expectConsistent(rig, h);
        EXPECT_GE(rig.multimedia.calls.size(), 1161u); // 3600 s / 3.1 s
        // Only what the recorder keeps may grow; nothing in the quiz does.
        rig.multimedia.calls.clear();
        if (h == 0)
            heapAfterFirstHour = heapInUse();
    }
    EXPECT_EQ(heapInUse(), heapAfterFirstHour);
    EXPECT_EQ(rig.quiz.QuestionIndex, 20);
    EXPECT_EQ(rig.quiz.Score, 20);
    EXPECT_EQ(rig.form.Label1.caption(), "20もんちゅう 20せいかいでした");
    EXPECT_FALSE(rig.clock.dueTime(rig.form.Timer1));
    EXPECT_FALSE(rig.clock.dueTime(rig.form.Timer2));
    EXPECT_EQ(rig.clock.dueTime(rig.form.Timer3).value() % 3100, 0) << "the music command keeps its beat";
}

} // namespace
