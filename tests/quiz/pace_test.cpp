// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The quiz slowed down and paused, in virtual time: the same run, with the
// waits the child sees longer or held.

#include "quiz_fixture.h"
#include "quiz_script.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

struct PauseCase {
    int stretch;
    bool inTheMark; // else in the scene
    std::int64_t pausedAfter, length;
};

void PrintTo(const PauseCase& c, std::ostream* out)
{
    *out << "slow " << c.stretch << (c.inTheMark ? ", in the mark" : ", in the scene") << " after " << c.pausedAfter
         << " ms, for " << c.length << " ms";
}

class Pause : public ::testing::TestWithParam<PauseCase> {};

// Whatever comes next comes exactly the pause's length later, and nothing
// changes while it lasts, though the music is still sent.
TEST_P(Pause, DelaysWhatFollowsByExactlyItsLength)
{
    const PauseCase c = GetParam();
    QuizRig rig(c.stretch);
    const std::int64_t scene = 8000 * c.stretch, mark = 5000 * c.stretch;
    std::int64_t shown = 0; // when the mark or the scene came on screen
    rig.start();
    if (c.inTheMark) {
        rig.clock.advance(scene);
        rig.form.clickAnswer(rig.wrongButton());
        shown = rig.clock.now();
    }
    rig.clock.advance(c.pausedAfter);
    const auto before = script::shownFigures(rig.form);
    const bool markBefore = rig.markShown();
    const auto musicSent = rig.multimedia.calls.size();

    rig.clock.pause();
    rig.clock.advance(c.length);
    EXPECT_EQ(script::shownFigures(rig.form), before);
    EXPECT_EQ(rig.markShown(), markBefore);
    EXPECT_FALSE(rig.asked());
    EXPECT_EQ(rig.multimedia.calls.size() - musicSent, static_cast<std::size_t>((shown + c.pausedAfter + c.length) / 3100
                                                                               - (shown + c.pausedAfter) / 3100));
    rig.clock.resume();
    EXPECT_TRUE(rig.musicOnItsBeat());

    if (c.inTheMark) {
        rig.clock.advance(shown + mark + c.length - 1 - rig.clock.now());
        EXPECT_TRUE(rig.markShown());
        rig.clock.advance(1);
        EXPECT_FALSE(rig.markShown());
        EXPECT_EQ(script::shownFigures(rig.form), script::describe(script::kScenes[1]));
    }
    rig.clock.advance(shown + scene + c.length - 1 - rig.clock.now());
    EXPECT_FALSE(rig.asked());
    rig.clock.advance(1);
    EXPECT_TRUE(rig.asked());
}

INSTANTIATE_TEST_SUITE_P(AnyLength, Pause,
                         ::testing::Values(PauseCase{1, false, 0, 1}, PauseCase{1, false, 7999, 3600000},
                                           PauseCase{3, false, 12345, 777}, PauseCase{1, true, 1, 4999},
                                           PauseCase{2, true, 9999, 20000}, PauseCase{10, true, 30000, 1}));

TEST(PauseAtAQuestion, AnAnswerStillCountsAndItsMarkStaysUntilThePauseEnds)
{
    QuizRig rig(2);
    rig.start(16000);
    rig.clock.pause();
    rig.form.clickAnswer(rig.rightButton());
    EXPECT_TRUE(rig.form.YES.visible());
    EXPECT_EQ(rig.quiz.Score, 1);
    rig.clock.advance(60000);
    EXPECT_TRUE(rig.form.YES.visible());
    EXPECT_FALSE(rig.form.Answer[0].enabled()) << "the buttons are asleep as they would be";

    rig.clock.resume();
    rig.clock.advance(9999);
    EXPECT_TRUE(rig.form.YES.visible());
    rig.clock.advance(1);
    EXPECT_FALSE(rig.form.YES.visible());
    rig.clock.advance(6000);
    EXPECT_EQ(rig.form.Mondai.text(), script::kQuestions[1]);
}

} // namespace
