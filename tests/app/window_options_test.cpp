// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's additions on a 1280 x 1024 screen: the number keys, and the
// whole window drawn larger, full screen.

#include "art.h"
#include "form_probe.h"
#include "quiz_script.h"
#include "scaling.h"
#include "voice.h"
#include "window_rig.h"

#include <QAbstractTextDocumentLayout>
#include <QFontInfo>
#include <QLabel>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>
#include <QtTest/QTest>

#include <map>

using namespace pelmora;
using namespace pelmora::test;

namespace {

constexpr QSize kScreen(1280, 1024);
constexpr QSize kDesign(Form1::kClientWidth, Form1::kClientHeight);

// Before start-up, the buttons take clicks: a click or a key only tells
// which index reached Answer_Click.
class Keys : public WindowRig {
protected:
    Keys()
    {
        form.events.Answer_Click = [this](std::int16_t index) { pressed.push_back(index); };
        window.show();
    }

    std::vector<int> pressed;
};

TEST_F(Keys, TopRowAndKeypadPressTheButtonsOneToTen)
{
    for (Qt::KeyboardModifiers keypad : {Qt::KeyboardModifiers(Qt::NoModifier), Qt::KeyboardModifiers(Qt::KeypadModifier)}) {
        pressed.clear();
        for (int digit : {1, 2, 3, 4, 5, 6, 7, 8, 9, 0})
            QTest::keyClick(&window, Qt::Key(Qt::Key_0 + digit), keypad);
        EXPECT_EQ(pressed, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9})) << "keypad " << bool(keypad);
    }
    // The mouse takes the very same way.
    pressed.clear();
    QTest::mouseClick(button(9), Qt::LeftButton);
    EXPECT_EQ(pressed, std::vector<int>{9});
}

TEST_F(Keys, ReachTheWindowPastAFocusedButton)
{
    button(4)->setFocus();
    QTest::keyClick(button(4), Qt::Key_7);
    EXPECT_EQ(pressed, std::vector<int>{6});
    EXPECT_EQ(window.focusWidget(), button(4)) << "the keys leave the focus where it was";
}

TEST_F(Keys, DoNothingForADisabledButtonOrWithAModifier)
{
    form.Answer[1].setEnabled(false);
    QTest::keyClick(&window, Qt::Key_2);
    EXPECT_TRUE(pressed.empty());
    QTest::keyClick(&window, Qt::Key_3, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_3, Qt::AltModifier);
    QTest::keyClick(&window, Qt::Key_A);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(pressed.empty());
    EXPECT_FALSE(window.isFullScreen()) << "Esc in the window changes nothing";
    QTest::keyClick(&window, Qt::Key_3);
    EXPECT_EQ(pressed, std::vector<int>{2});
}

// The quiz itself in the window, answered from the keyboard. Ticks are run
// straight from the timer models so that a whole quiz takes no time.
class KeysInTheQuiz : public WindowRig {
protected:
    explicit KeysInTheQuiz(int stretch = Pace::kPlain) : WindowRig(stretch, true) {}

    // Everything a key could change.
    std::string state()
    {
        return std::to_string(quiz.QuestionIndex) + "/" + std::to_string(quiz.Score) + "/" + form.Mondai.text() + "/"
               + form.Label1.caption() + "/" + std::to_string(sounds()) + "/" + std::to_string(shown(form.YES))
               + std::to_string(shown(form.No)) + "/" + std::to_string(qTimer(form.Timer1)->isActive())
               + std::to_string(qTimer(form.Timer2)->isActive());
    }
    // Every digit, on the top row and on the keypad.
    void expectKeysChangeNothing()
    {
        const std::string before = state();
        for (int digit = 0; digit <= 9; ++digit) {
            QTest::keyClick(&window, Qt::Key(Qt::Key_0 + digit));
            QTest::keyClick(&window, Qt::Key(Qt::Key_0 + digit), Qt::KeypadModifier);
        }
        EXPECT_EQ(state(), before);
    }
};

// Two Santas, then two reindeer: 2 answers the first question right, and 0 on
// the keypad answers the second with ten.
TEST_F(KeysInTheQuiz, TwoAnswersTheFirstQuestionAndZeroTen)
{
    form.Timer1.tick();
    ASSERT_FALSE(form.Mondai.text().empty());
    QTest::keyClick(&window, Qt::Key_2);
    EXPECT_EQ(quiz.Score, 1);
    EXPECT_EQ(quiz.QuestionIndex, 1);
    EXPECT_TRUE(shown(form.YES));
    EXPECT_FALSE(shown(form.No));
    ASSERT_EQ(sounds(), 1u);
    EXPECT_EQ(lastSound(), QuizRig::soundFile("pinpon.wav"));

    form.Timer2.tick();
    form.Timer1.tick();
    QTest::keyClick(&window, Qt::Key_0, Qt::KeypadModifier);
    EXPECT_EQ(quiz.Score, 1);
    EXPECT_EQ(quiz.QuestionIndex, 2);
    EXPECT_TRUE(shown(form.No));
    EXPECT_EQ(lastSound(), QuizRig::soundFile("mistake.wav"));
}

// A whole run answered from the keys. Each scene is drawn as written down:
// the characters at their places, the later slot in front, and nothing else
// between the trees. While a scene or a mark is shown, and after the result,
// the keys change nothing.
TEST_F(KeysInTheQuiz, AnswerAWholeRunOfScenesAsWrittenDownAndChangeNothingElse)
{
    const std::map<std::string, Art> art{
        {"santa", Art::Santa}, {"Tonakai", Art::Reindeer}, {"BELL", Art::Bell}, {"Snowman", Art::Snowman}};
    for (int q = 0; q < 20; ++q) {
        SCOPED_TRACE("question " + std::to_string(q));
        std::vector<Drawn> figures;
        for (const script::Figure& figure : script::kScenes[q])
            figures.push_back({art.at(figure.character), figure.left, figure.top});
        const QImage shot = grab();
        EXPECT_EQ(pixelsNotAsDrawn(shot, figures), 0);
        int elsewhere = 0;
        const QRect sceneArea(86, 121, 458, 399);
        for (int y = sceneArea.top(); y <= sceneArea.bottom(); ++y)
            for (int x = sceneArea.left(); x <= sceneArea.right(); ++x)
                if (std::none_of(figures.begin(), figures.end(),
                                 [&](const Drawn& f) { return f.rect().contains(x, y); }))
                    elsewhere += shot.pixel(x, y) != qRgb(255, 255, 255);
        EXPECT_EQ(elsewhere, 0) << "pixels drawn outside the characters";
        expectKeysChangeNothing();

        form.Timer1.tick();
        const int answer = quiz.bank.answer(q);
        QTest::keyClick(&window, answer == 10 ? Qt::Key_0 : Qt::Key(Qt::Key_0 + answer));
        ASSERT_EQ(quiz.Score, q + 1);
        expectKeysChangeNothing(); // the mark
        form.Timer2.tick();
    }
    expectKeysChangeNothing(); // the empty slots after the last mark
    form.Timer1.tick();
    ASSERT_TRUE(form.Label1.visible());
    const QImage before = grab();
    expectKeysChangeNothing();
    EXPECT_EQ(grab(), before);
}

// The voice over whole runs in virtual time: the rig's clock drives the
// timers in place of the window's own.
class ReadAloud : public WindowRig {
protected:
    ReadAloud()
    {
        rig.clock.attach(form);
        window.show();
    }
    // The clips asked for so far, an empty name for each stop.
    std::vector<std::string> spoken() const { return rig.multimedia.texts(RecordingMultimedia::Call::Kind::Speak); }
    static std::string clip(const std::string& text) { return Voice::clipFileName(QuizRig::kDirectory, text); }

    Voice voice{rig.multimedia, QuizRig::kDirectory};
};

// Each question is asked for the moment it appears and the score too, the
// answer stops it, R asks again; R in a scene or a mark asks for nothing.
TEST_F(ReadAloud, SpeaksEachQuestionAndTheScoreAsTheyAppear)
{
    window.setVoice(&voice, true);
    window.load();
    std::vector<std::string> expected;
    for (int q = 0; q <= 20; ++q) {
        rig.clock.advance(7999);
        QTest::keyClick(&window, Qt::Key_R);
        EXPECT_EQ(spoken(), expected) << "before question " << q;
        rig.clock.advance(1);
        expected.push_back(clip(q < 20 ? script::kQuestions[std::size_t(q)] : Quiz::resultCaption(20)));
        QTest::keyClick(&window, Qt::Key_R);
        expected.push_back(expected.back());
        if (q < 20) {
            form.clickAnswer(rig.rightButton());
            expected.push_back("");
        }
    }
    EXPECT_EQ(spoken(), expected);
}

TEST_F(ReadAloud, WithoutTheOptionSpeaksOnlyOnR)
{
    window.setVoice(&voice, false);
    window.load();
    for (int q = 0; q < 20; ++q) {
        rig.clock.advance(8000);
        form.clickAnswer(rig.rightButton());
    }
    rig.clock.advance(8000);
    EXPECT_TRUE(spoken().empty());
    QTest::keyClick(&window, Qt::Key_R);
    EXPECT_EQ(spoken(), std::vector<std::string>{clip(Quiz::resultCaption(20))});
}

// Slowed three times, and paused with either key.
class SlowWindow : public KeysInTheQuiz {
protected:
    SlowWindow() : KeysInTheQuiz(3) {}
};

TEST_F(SlowWindow, PauseAndPHoldTheQuizAsItStandsAndTheKeysDoWhatTheyWould)
{
    QTimer* timer1 = qTimer(form.Timer1);
    QTimer* timer2 = qTimer(form.Timer2);
    EXPECT_EQ(timer1->interval(), 24000);
    EXPECT_EQ(qTimer(form.Timer3)->interval(), 3100) << "the music keeps its own time";

    // In the scene: held, and the number keys still do nothing.
    const QImage scene = grab();
    QTest::keyClick(&window, Qt::Key_Pause);
    EXPECT_TRUE(window.paused());
    EXPECT_FALSE(timer1->isActive());
    EXPECT_TRUE(qTimer(form.Timer3)->isActive());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Pelmora（いちじていし）"));
    expectKeysChangeNothing();
    EXPECT_EQ(grab(), scene) << "nothing on screen changes";
    QTest::keyClick(&window, Qt::Key_P);
    EXPECT_FALSE(window.paused());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Pelmora"));
    ASSERT_TRUE(timer1->isActive());
    EXPECT_LE(timer1->remainingTime(), 24000);
    EXPECT_GT(timer1->remainingTime(), 12000) << "the countdown goes on with what was left";

    // At a question: an answer counts at once, and its mark stays, whole,
    // until the pause ends.
    form.Timer1.tick();
    QTest::keyClick(&window, Qt::Key_P);
    QTest::keyClick(&window, Qt::Key_2);
    EXPECT_EQ(quiz.Score, 1);
    EXPECT_TRUE(shown(form.YES));
    EXPECT_FALSE(timer1->isActive());
    EXPECT_FALSE(timer2->isActive());
    QTest::keyClick(&window, Qt::Key_P);
    ASSERT_TRUE(timer2->isActive());
    EXPECT_EQ(timer2->interval(), 15000);
    EXPECT_EQ(timer1->interval(), 24000);
}

// Full screen on the 1280 x 1024 screen: 1024 / 624 times larger.
class FullScreen : public WindowRig {
protected:
    FullScreen() : WindowRig(Pace::kPlain, true) {}
};

TEST(Scaling, ScalesEdgesSoNeighboursKeepTheirSharedColumn)
{
    const double k = 1024.0 / 624.0;
    EXPECT_EQ(scaledRect(112, 520, 41, 50, 1.0), QRect(112, 520, 41, 50));
    EXPECT_EQ(scaledRect(112, 520, 41, 50, k), QRect(184, 853, 67, 82));
    EXPECT_EQ(scaledRect(152, 520, 41, 50, k), QRect(249, 853, 68, 82));
    // Answer(0) ends after Answer(1) begins, by a column.
    const QRect a0 = scaledRect(112, 520, 41, 50, k), a1 = scaledRect(152, 520, 41, 50, k);
    EXPECT_GT(a0.right(), a1.left() - 1);
    EXPECT_DOUBLE_EQ(fitScale(kDesign, kScreen), k);
    EXPECT_DOUBLE_EQ(fitScale(kDesign, QSize(1278, 2000)), 2.0) << "the width comes first";
    EXPECT_EQ(fittedRect(kDesign, kScreen, k), QRect(115, 0, 1049, 1024));
    EXPECT_EQ(fittedRect(kDesign, kDesign, 1.0), QRect(QPoint(0, 0), kDesign));
}

TEST_F(FullScreen, FillsTheScreenHeightWithEveryControlScaledAndCentredAndTakesClicks)
{
    const double k = 1024.0 / 624.0;
    setFullScreen(true);
    ASSERT_EQ(window.size(), kScreen);
    EXPECT_EQ(window.stage().geometry(), QRect(115, 0, 1049, 1024));
    expectMirrored();
    // Moves made while full screen are scaled too.
    form.Image1[3].setLeft(300);
    form.Image1[3].setTop(200);
    EXPECT_EQ(widget(form.Image1[3])->pos(), QPoint(scaledEdge(300, k), scaledEdge(200, k)));

    // White all round the stage, and the trees on it.
    const QImage shot = grab();
    for (QPoint p : {QPoint(5, 5), QPoint(110, 500), QPoint(1170, 500), QPoint(1275, 1020)})
        EXPECT_EQ(shot.pixelColor(p), QColor(Qt::white)) << p.x() << "," << p.y();

    // A click on the scaled "2" answers; where each point of the button row
    // lands, the window tests show.
    form.Timer1.tick();
    QWidget* two = window.childAt(onScreen(172, 545));
    QTest::mouseClick(two, Qt::LeftButton, {}, two->mapFrom(&window, onScreen(172, 545)));
    EXPECT_EQ(quiz.Score, 1) << "button 2 answers the first question";
    EXPECT_EQ(lastSound(), QuizRig::soundFile("pinpon.wav"));
}

TEST_F(FullScreen, DrawsThePicturesFromTheirSourcesAtTheScale)
{
    window.setFullScreen(true);
    const double k = scale();
    form.Image1[0].setPicture(form.santa.picture());
    form.Image1[0].setLeft(150);
    form.Image1[0].setTop(200);
    for (int i = 1; i < 10; ++i)
        form.Image1[i].setVisible(false);
    const QImage shot = grab();
    const QRect slot = widget(form.Image1[0])->geometry().translated(window.stage().geometry().topLeft());
    const QImage sharp = renderArt(Art::Santa, k).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.copy(slot), sharp.copy(0, 0, slot.width(), slot.height()));
    // Enlarging the 1x picture instead would not give the same pixels.
    const QImage blownUp = renderArt(Art::Santa, 1.0).scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_NE(shot.copy(slot), blownUp.convertToFormat(QImage::Format_RGB32).copy(0, 0, slot.width(), slot.height()));
}

// In the window every question fits its box's three lines of 39 pixels and
// the result its label; full screen, each question breaks into the same
// lines, and they fit the larger box.
TEST_F(FullScreen, FitsEveryTextInTheWindowAndAtTheScaledSize)
{
    auto* mondai = widget<QTextEdit>(form.Mondai);
    auto* label = widget<QLabel>(form.Label1);
    std::vector<int> linesInTheWindow;
    for (bool full : {false, true}) {
        SCOPED_TRACE(full ? "full screen" : "in the window");
        setFullScreen(full);
        for (int q = 0; q < 20; ++q) {
            form.Mondai.setText(quiz.bank.text(q));
            QTextDocument* text = mondai->document();
            const QSizeF used = text->size(); // lays the text out
            int lines = 0;
            for (QTextBlock b = text->begin(); b.isValid(); b = b.next())
                lines += b.layout()->lineCount();
            EXPECT_GT(lines, 0);
            if (full) {
                EXPECT_EQ(lines, linesInTheWindow[q]) << "question " << q;
            } else {
                linesInTheWindow.push_back(lines);
                EXPECT_LE(text->documentLayout()->documentSize().height(), 121) << "question " << q;
            }
            EXPECT_LE(used.height(), mondai->viewport()->height()) << "question " << q << " is cut off";
            EXPECT_LE(used.width(), mondai->viewport()->width()) << "question " << q;
        }
        for (std::int16_t score : {0, 10, 20})
            EXPECT_LE(label->fontMetrics().horizontalAdvance(QString::fromStdString(Quiz::resultCaption(score))),
                      label->width());
        EXPECT_LE(label->fontMetrics().height(), label->height());
    }
    EXPECT_EQ(QFontInfo(mondai->font()).pixelSize(), 59);
    EXPECT_EQ(QFontInfo(label->font()).pixelSize(), 44);
    EXPECT_EQ(QFontInfo(button(0)->font()).pixelSize(), 18);
}

TEST_F(FullScreen, F11AndEscBringTheWindowBackAsItWasAndTheQuizGoesOn)
{
    const QImage windowed = grab();
    const QPoint place = window.pos();
    form.Timer1.tick();
    QTest::keyClick(&window, Qt::Key_1); // wrong: two Santas
    const int remaining = qTimer(form.Timer2)->remainingTime();

    QTest::keyClick(&window, Qt::Key_F11);
    QApplication::processEvents();
    EXPECT_TRUE(window.isFullScreen());
    EXPECT_EQ(window.size(), kScreen);
    EXPECT_TRUE(widget(form.No)->isVisibleTo(&window));

    QTest::keyClick(&window, Qt::Key_F11);
    QApplication::processEvents();
    EXPECT_FALSE(window.isFullScreen());
    EXPECT_EQ(window.size(), kDesign);
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed again";
    EXPECT_EQ(window.pos(), place);
    expectMirrored();

    // Quickly there and back: whatever the screen still says about the full
    // screen, the window ends in its own size.
    QTest::keyClick(&window, Qt::Key_F11);
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == kDesign; }, 5000)) << window.width();
    EXPECT_FALSE(window.isFullScreen());

    // The quiz noticed nothing: the countdown runs on, the mark stays.
    EXPECT_EQ(quiz.QuestionIndex, 1);
    EXPECT_TRUE(qTimer(form.Timer2)->isActive());
    EXPECT_LE(qTimer(form.Timer2)->remainingTime(), remaining);
    EXPECT_TRUE(qTimer(form.Timer1)->isActive());
    EXPECT_TRUE(widget(form.No)->isVisibleTo(&window));
    form.Timer2.tick();
    EXPECT_NE(grab(), windowed) << "a new scene";
    // Back to how it looked at start-up after a full-screen trip.
    Form1 other;
    Window fresh(other);
    fresh.show();
    const QImage plain = drawn(fresh);
    fresh.setFullScreen(true);
    drawn(fresh);
    fresh.setFullScreen(false);
    EXPECT_EQ(drawn(fresh), plain);
}

} // namespace
