// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "answer_key.h"
#include "quiz_fixture.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

using Startup = QuizTest;

TEST_F(Startup, LeavesTheQuizReadyForTheFirstQuestion)
{
    rig.quiz.QuestionIndex = 7;
    rig.quiz.Score = 3;
    rig.start();

    EXPECT_EQ(rig.quiz.QuestionIndex, 0);
    EXPECT_EQ(rig.quiz.Score, 0);
    for (PictureBox* hidden : {&form.santa, &form.BELL, &form.Tonakai, &form.Snowman, &form.YES, &form.No})
        EXPECT_FALSE(hidden->visible()) << hidden->name();
    EXPECT_TRUE(rig.buttonsEnabled(false));
    EXPECT_TRUE(form.Mondai.text().empty());
    EXPECT_FALSE(form.Label1.visible());
    for (const PictureBox& tree : form.TREE)
        EXPECT_TRUE(tree.visible());
}

TEST_F(Startup, ArmsTheTimers)
{
    EXPECT_FALSE(rig.clock.dueTime(form.Timer1)) << "nothing ticks before start-up";
    EXPECT_FALSE(rig.clock.dueTime(form.Timer2));
    EXPECT_FALSE(rig.clock.dueTime(form.Timer3));

    rig.start(); // Timer1's 8 s the whole run shows
    EXPECT_TRUE(form.Timer1.enabled());
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_EQ(form.Timer2.interval(), 5000);
    EXPECT_EQ(form.Timer3.interval(), 3100);
    EXPECT_EQ(rig.clock.dueTime(form.Timer3), 3100);
}

TEST_F(Startup, SendsTheMusicCommandOnceThenAtEveryTimer3Tick)
{
    rig.start();
    ASSERT_EQ(rig.multimedia.calls.size(), 1u);
    const auto first = rig.multimedia.calls[0];
    EXPECT_EQ(first.kind, RecordingMultimedia::Call::Kind::SendString);
    EXPECT_EQ(first.text, "Play C:\\Apps\\Quiz\\bgm.mp3");
    EXPECT_EQ(first.returnLength, 0u);
    EXPECT_TRUE(first.nullModule);

    rig.clock.advance(3099);
    EXPECT_EQ(rig.multimedia.calls.size(), 1u);
    rig.clock.advance(1);
    EXPECT_EQ(rig.multimedia.calls.size(), 2u);
    rig.clock.advance(3100 * 9);
    EXPECT_EQ(rig.multimedia.count(RecordingMultimedia::Call::Kind::SendString), 11u);
    EXPECT_EQ(rig.multimedia.count(RecordingMultimedia::Call::Kind::PlaySound), 0u);
    for (const auto& call : rig.multimedia.calls)
        EXPECT_EQ(call.text, first.text);
}

TEST_F(Startup, FillsTheBankWithTheTwentyQuestions)
{
    rig.start();
    const QuestionBank& bank = rig.quiz.bank;
    // The texts are checked where the child reads them, in Mondai.
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(bank.answer(i), test::kAnswerKey[i]) << i;
    for (int i = 20; i < 30; ++i) {
        EXPECT_EQ(bank.text(i), "") << i;
        EXPECT_EQ(bank.answer(i), 0) << i;
    }
    EXPECT_THROW(bank.text(30), RangeError);
    EXPECT_THROW(bank.answer(-1), RangeError);
}

} // namespace
