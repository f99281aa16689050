// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "quiz.h"

#include "form1.h"
#include "scenes.h"
#include "sound.h"

namespace pelmora {

Quiz::Quiz(Form1& form, const Sound& sound) : form_(form), sound_(sound) {}

void Quiz::bind()
{
    form_.events.Form_Load = [this] { Form_Load(); };
    form_.events.Answer_Click = [this](std::int16_t index) { Answer_Click(index); };
    form_.events.Timer1_Timer = [this] { Timer1_Timer(); };
    form_.events.Timer2_Timer = [this] { Timer2_Timer(); };
    form_.events.Timer3_Timer = [this] { Timer3_Timer(); };
}

void Quiz::Form_Load()
{
    for (PictureBox* hidden : {&form_.santa, &form_.BELL, &form_.Tonakai, &form_.Snowman,
                               &form_.YES, &form_.No})
        hidden->setVisible(false);

    sound_.SendMusicCommand();
    form_.Timer3.setInterval(kMusicResend);

    QuestionIndex = 0;
    Score = 0;
    bank.fill();

    setAnswersEnabled(false);

    form_.Timer1.setEnabled(true);
    form_.Timer1.setInterval(kQuestionDelay);

    // The first scene goes on screen with the window: no clearing, no hiding.
    StageScene(form_, 0);
}

void Quiz::Timer1_Timer()
{
    // Index 0 to 19 asks a question and 20 shows the result; any other comes
    // only from a fault elsewhere, so the tick then changes nothing, Timer1
    // included, rather than guess what to show.
    const int selector = checkedAdd(QuestionIndex, 1);
    if (selector >= 1 && selector <= QuestionBank::kQuestions)
        PresentQuestion();
    else if (selector == QuestionBank::kQuestions + 1)
        ShowFinalResult();
}

void Quiz::PresentQuestion()
{
    form_.Timer1.setEnabled(false);
    const int q = QuestionIndex;
    if (q < kFirstSceneKeptQuestion || q > kLastSceneKeptQuestion)
        setSlotsVisible(false);
    form_.Mondai.setText(bank.text(QuestionIndex));
    setAnswersEnabled(true);
}

void Quiz::ShowFinalResult()
{
    form_.Timer1.setEnabled(false);
    setSlotsVisible(false);
    form_.Label1.setVisible(true);
    form_.Label1.setCaption(resultCaption(Score));
}

std::string Quiz::resultCaption(std::int16_t score)
{
    // The blank holds the place of a minus sign.
    const std::string number = score < 0 ? std::to_string(score) : " " + std::to_string(score);
    return "20もんちゅう" + number + "せいかいでした";
}

void Quiz::Answer_Click(std::int16_t Index)
{
    const int q = QuestionIndex;
    if (q < 0 || q >= QuestionBank::kQuestions)
        return;

    const std::int16_t answer = checkedAdd(Index, 1);
    if (answer == bank.answer(q)) {
        form_.YES.setVisible(true);
        sound_.PlayEffect(Effect::Correct);
        Score = checkedAdd(Score, 1);
    } else {
        form_.No.setVisible(true);
        sound_.PlayEffect(Effect::Wrong);
    }

    QuestionIndex = checkedAdd(QuestionIndex, 1);
    form_.Timer1.setEnabled(true);
    form_.Timer1.setInterval(kQuestionDelay);
    form_.Mondai.setText("");
    form_.Timer2.setEnabled(true);
    ClearScene(form_);

    // After the last question there is no scene to stage, and the buttons
    // stay enabled: the result comes next and the guard above ignores every
    // click from then on, so nothing needs them disabled.
    if (q == QuestionBank::kQuestions - 1)
        return;
    StageScene(form_, QuestionIndex);
    setAnswersEnabled(false);
}

void Quiz::Timer2_Timer()
{
    form_.No.setVisible(false);
    form_.YES.setVisible(false);
    setSlotsVisible(true);
    form_.Timer2.setEnabled(false);
}

void Quiz::Timer3_Timer()
{
    sound_.SendMusicCommand();
}

void Quiz::setAnswersEnabled(bool enabled)
{
    for (CommandButton& button : form_.Answer)
        button.setEnabled(enabled);
}

void Quiz::setSlotsVisible(bool visible)
{
    for (PictureBox& slot : form_.Image1)
        slot.setVisible(visible);
}

} // namespace pelmora
