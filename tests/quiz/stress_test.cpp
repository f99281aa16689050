// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "quiz_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

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
    ASSERT_TRUE(rig.buttonsEnabled(true) || rig.buttonsEnabled(false)) << "the buttons go together, step " << step;
    if (rig.buttonsEnabled(true)) {
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

struct Answers {
    const char* name;
    std::vector<bool> right;
    int expectedScore;
};

void PrintTo(const Answers& answers, std::ostream* out)
{
    *out << answers.name;
}

class FullRun : public QuizTest, public ::testing::WithParamInterface<Answers> {};

TEST_P(FullRun, EndsWithTheScoreThenIgnoresClicksForADay)
{
    const Answers run = GetParam();
    rig.start(8000);
    for (int q = 0; q < 20; ++q) {
        form.clickAnswer(run.right[q] ? rig.rightButton() : rig.wrongButton());
        rig.clock.advance(8000);
    }
    EXPECT_EQ(rig.quiz.QuestionIndex, 20);
    EXPECT_EQ(rig.quiz.Score, run.expectedScore);
    EXPECT_TRUE(form.Label1.visible());
    const std::string result = "20もんちゅう " + std::to_string(run.expectedScore) + "せいかいでした";
    EXPECT_EQ(form.Label1.caption(), result);
    EXPECT_TRUE(rig.slotsVisible(false));
    EXPECT_FALSE(form.Timer1.enabled());
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_FALSE(form.YES.visible());
    EXPECT_FALSE(form.No.visible());
    EXPECT_EQ(form.Mondai.text(), "");
    EXPECT_TRUE(rig.buttonsEnabled(true)) << "the last click leaves the buttons as they were";
    EXPECT_EQ(rig.effects().size(), 20u) << "one effect per judged click, none for the result";

    // The result screen takes no more answers, and for a day nothing but the
    // music's timer runs; nothing in the quiz grows.
    for (std::int16_t i = 0; i < 10; ++i)
        form.clickAnswer(i);
    EXPECT_EQ(rig.effects().size(), 20u);
    rig.multimedia.calls.clear();
    std::size_t heapAfterFirstHour = 0;
    for (int h = 0; h < 24; ++h) {
        const std::int64_t then = rig.clock.now();
        rig.clock.advance(60LL * 60 * 1000);
        expectConsistent(rig, h);
        EXPECT_EQ(rig.multimedia.calls.size(), static_cast<std::size_t>(rig.clock.now() / 3100 - then / 3100))
            << "only the music command, every 3100 ms";
        EXPECT_TRUE(rig.effects().empty());
        // Only what the recorder keeps may grow.
        rig.multimedia.calls.clear();
        if (h == 0)
            heapAfterFirstHour = heapInUse();
    }
    EXPECT_EQ(heapInUse(), heapAfterFirstHour);
    EXPECT_EQ(rig.quiz.QuestionIndex, 20);
    EXPECT_EQ(rig.quiz.Score, run.expectedScore);
    EXPECT_EQ(form.Label1.caption(), result);
    EXPECT_FALSE(form.YES.visible());
    EXPECT_FALSE(form.No.visible());
    EXPECT_FALSE(form.Timer1.enabled());
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_FALSE(rig.clock.dueTime(form.Timer1));
    EXPECT_FALSE(rig.clock.dueTime(form.Timer2));
    EXPECT_EQ(rig.clock.dueTime(form.Timer3).value() % 3100, 0) << "the music command keeps its beat";
}

std::vector<bool> pattern(unsigned seed)
{
    std::vector<bool> right(20);
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < right.size(); ++i)
        right[i] = random() % 3 != 0;
    return right;
}

int countRight(const std::vector<bool>& right)
{
    return static_cast<int>(std::count(right.begin(), right.end(), true));
}

INSTANTIATE_TEST_SUITE_P(Mixes, FullRun,
                         ::testing::Values(Answers{"AllRight", std::vector<bool>(20, true), 20},
                                           Answers{"AllWrong", std::vector<bool>(20, false), 0},
                                           Answers{"Mixed7", pattern(7), countRight(pattern(7))},
                                           Answers{"Mixed2026", pattern(2026), countRight(pattern(2026))}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
