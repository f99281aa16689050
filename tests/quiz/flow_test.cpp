// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "answer_key.h"
#include "quiz_fixture.h"
#include "quiz_script.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pelmora;

namespace {

using Flow = QuizTest;

// What a child counts in a scene for a question: the one kind it names, or
// the sum or difference of the two kinds, in the order it names them.
int countedAnswer(const std::string& question, const std::vector<std::string>& figures)
{
    const std::pair<const char*, const char*> kinds[] = {
        {"サンタ", " santa "}, {"トナカイ", " Tonakai "}, {"ベル", " BELL "}, {"雪だるま", " Snowman "}};
    std::vector<std::pair<std::size_t, int>> named; // where the question names a kind, how many there were
    for (const auto& [word, character] : kinds) {
        if (const auto at = question.find(word); at != std::string::npos)
            named.emplace_back(at, std::count_if(figures.begin(), figures.end(), [&](const std::string& f) {
                                   return f.find(character) != std::string::npos;
                               }));
    }
    std::sort(named.begin(), named.end());
    if (named.empty()) {
        ADD_FAILURE() << "no kind named in " << question;
        return 0;
    }
    if (named.size() == 1)
        return named[0].second;
    EXPECT_EQ(named.size(), 2u) << question;
    if (question.find("ひく") != std::string::npos)
        return named[0].second - named[1].second;
    EXPECT_TRUE(question.find("あわせる") != std::string::npos || question.find("たす") != std::string::npos)
        << question;
    return named[0].second + named[1].second;
}

// The whole run as the child sees it, plain or slowed: each scene (its empty
// slots shown too), then its question exactly `stretch` times 8 s (the
// first) or 3 s later, the scene staying beside the question only for
// questions 8 to 14; the number counted in the scene is the one judged
// right; each mark stays `stretch` times 5 s. The quiz's own timer rules stay
// as they are, the music keeps its beat, and with every third answer wrong
// the score is the same at any pace.
class WholeRun : public ::testing::TestWithParam<int> {};

TEST_P(WholeRun, ShowsEachSceneThenAsksItsQuestionAndTakesTheCountedAnswer)
{
    const int stretch = GetParam();
    QuizRig rig(stretch);
    Form1& form = rig.form;
    rig.start();
    for (int q = 0; q < 20; ++q) {
        SCOPED_TRACE("question " + std::to_string(q));
        const auto scene = script::describe(script::kScenes[q]);
        EXPECT_EQ(script::shownFigures(form), scene);
        EXPECT_TRUE(rig.slotsVisible(true)) << "the empty slots too";
        rig.clock.advance((q == 0 ? 8000 : 3000) * stretch - 1);
        EXPECT_EQ(script::shownFigures(form), scene);
        ASSERT_FALSE(rig.asked()) << "came early";
        EXPECT_TRUE(rig.buttonsEnabled(false));
        EXPECT_EQ(form.Timer1.interval(), 8000);

        rig.clock.advance(1);
        ASSERT_EQ(form.Mondai.text(), script::kQuestions[q]);
        EXPECT_TRUE(rig.buttonsEnabled(true));
        EXPECT_FALSE(form.Timer1.enabled());
        EXPECT_FALSE(rig.clock.dueTime(form.Timer1));
        const bool kept = q >= 8 && q <= 14;
        EXPECT_EQ(script::shownFigures(form), kept ? scene : std::vector<std::string>{});

        // The program's answers are the key's (see Startup); so is the count.
        const int counted = countedAnswer(form.Mondai.text(), scene);
        EXPECT_EQ(counted, test::kAnswerKey[q]);
        const bool right = q % 3 != 0;
        form.clickAnswer(static_cast<std::int16_t>(right ? counted - 1 : counted));
        EXPECT_EQ(form.YES.visible(), right) << "answered " << counted + !right;
        rig.clock.advance(5000 * stretch - 1);
        ASSERT_TRUE(rig.markShown());
        EXPECT_TRUE(script::shownFigures(form).empty());
        rig.clock.advance(1);
        ASSERT_FALSE(rig.markShown());
        EXPECT_TRUE(rig.musicOnItsBeat());
    }
    rig.clock.advance(3000 * stretch);
    EXPECT_EQ(rig.quiz.Score, 13);
    EXPECT_EQ(form.Label1.caption(), "20もんちゅう 13せいかいでした");
}

INSTANTIATE_TEST_SUITE_P(Pace, WholeRun, ::testing::Values(1, 3, 10));

// Right (two Santas) or wrong, the same steps.
class Answer : public QuizTest, public ::testing::WithParamInterface<bool> {};

TEST_P(Answer, ShowsItsMarkAndSoundAtOnceThenTheNextSceneThenItsQuestion)
{
    const bool right = GetParam();
    rig.playTo(0);
    form.clickAnswer(right ? 1 : 2);

    EXPECT_EQ(form.YES.visible(), right);
    EXPECT_EQ(form.No.visible(), !right);
    ASSERT_EQ(rig.effects().size(), 1u);
    EXPECT_EQ(rig.effects()[0].text, right ? "C:\\Apps\\Quiz\\pinpon.wav" : "C:\\Apps\\Quiz\\mistake.wav");
    EXPECT_EQ(rig.effects()[0].flags, 1u);
    EXPECT_TRUE(rig.effects()[0].nullModule);
    EXPECT_EQ(rig.quiz.Score, right ? 1 : 0);
    EXPECT_EQ(rig.quiz.QuestionIndex, 1);
    EXPECT_EQ(form.Mondai.text(), "");
    EXPECT_TRUE(rig.slotsVisible(false));
    EXPECT_TRUE(rig.buttonsEnabled(false));
    EXPECT_EQ(form.Image1[0].picture(), form.Tonakai.picture()) << "the next scene is staged, hidden";
    EXPECT_EQ(form.Image1[1].picture(), form.Tonakai.picture());
    EXPECT_EQ(form.Image1[1].left(), 300);
    EXPECT_TRUE(form.Timer1.enabled());
    EXPECT_TRUE(form.Timer2.enabled());

    // When the mark goes, the next scene comes, and its question, the whole
    // run shows.
    rig.clock.advance(5000);
    EXPECT_FALSE(form.Timer2.enabled());
    rig.clock.advance(3000);
    EXPECT_TRUE(rig.slotsVisible(false)) << "with the question, the empty slots go too";
}

INSTANTIATE_TEST_SUITE_P(RightOrWrong, Answer, ::testing::Bool());

TEST_F(Flow, TheLastClickStagesNothingAndLeavesTheButtonsEnabled)
{
    rig.playTo(19);
    form.clickAnswer(rig.wrongButton());
    EXPECT_EQ(rig.quiz.QuestionIndex, 20);
    EXPECT_TRUE(rig.buttonsEnabled(true));
    EXPECT_TRUE(form.Timer1.enabled());
    EXPECT_TRUE(form.Timer2.enabled());
    for (const PictureBox& slot : form.Image1)
        EXPECT_FALSE(slot.picture());
    rig.clock.advance(5000);
    EXPECT_TRUE(rig.slotsVisible(true)) << "ten empty slots come on screen";
    EXPECT_FALSE(form.Label1.visible());
    rig.clock.advance(3000);
    EXPECT_EQ(form.Label1.caption(), "20もんちゅう 19せいかいでした");
}

TEST(ResultCaption, HoldsAPlaceForTheSign)
{
    EXPECT_EQ(Quiz::resultCaption(0), "20もんちゅう 0せいかいでした");
    EXPECT_EQ(Quiz::resultCaption(15), "20もんちゅう 15せいかいでした");
    EXPECT_EQ(Quiz::resultCaption(-3), "20もんちゅう-3せいかいでした");
}

TEST_F(Flow, ATickAtAnIndexOutsideTheQuizChangesNothingAndKeepsTicking)
{
    rig.start();
    rig.quiz.QuestionIndex = 21;
    rig.clock.advance(8000);
    EXPECT_TRUE(form.Timer1.enabled());
    EXPECT_TRUE(rig.slotsVisible(true));
    EXPECT_FALSE(form.Label1.visible());
    EXPECT_EQ(form.Mondai.text(), "");
    EXPECT_EQ(rig.clock.dueTime(form.Timer1), 16000);

    rig.quiz.QuestionIndex = -5;
    rig.clock.advance(8000);
    EXPECT_TRUE(form.Timer1.enabled());
    EXPECT_FALSE(form.Label1.visible());
}

TEST_F(Flow, OverflowAndRangeErrorsEscapeTheHandlers)
{
    rig.start();
    rig.quiz.QuestionIndex = INT16_MAX;
    EXPECT_THROW(rig.quiz.Timer1_Timer(), OverflowError);
    EXPECT_TRUE(form.Timer1.enabled()) << "nothing after the error is done";

    rig.quiz.QuestionIndex = 0;
    rig.quiz.Score = INT16_MAX;
    EXPECT_THROW(rig.quiz.Answer_Click(1), OverflowError);
    EXPECT_TRUE(form.YES.visible()) << "steps before the error stay done";
    EXPECT_EQ(rig.quiz.QuestionIndex, 0) << "steps after it are not";

    EXPECT_THROW(rig.quiz.Answer_Click(INT16_MAX), OverflowError);
}

} // namespace
