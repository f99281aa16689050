#include "fonts.h"
#include "form_probe.h"
#include "pixels.h"
#include "quiz_fixture.h"
#include "window.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

using namespace pelmora;
using test::hasColourNear;

namespace {

// The quiz in the real Qt window, on the offscreen platform.
class WindowTest : public ::testing::Test {
protected:
    WindowTest()
    {
        quiz.bind();
        window.setErrorReporter([this](const std::string& handler, const std::exception& error) {
            errors.push_back(handler + ": " + error.what());
        });
    }

    QImage screenshot()
    {
        window.show();
        QApplication::processEvents();
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    template <typename W>
    W* widget(const VisualControl& control)
    {
        auto* w = dynamic_cast<W*>(window.widgetFor(control));
        EXPECT_NE(w, nullptr) << control.displayName();
        return w;
    }

    Form1 form;
    RecordingMultimedia multimedia;
    Sound sound{multimedia, "/nowhere"};
    Quiz quiz{form, sound};
    Window window{form};
    std::vector<std::string> errors;
};

TEST_F(WindowTest, IsOneFixedWhiteWindowNamedPelmora)
{
    EXPECT_EQ(window.windowTitle(), "Pelmora");
    EXPECT_EQ(window.size(), QSize(639, 624));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    const QImage shot = screenshot();
    EXPECT_EQ(shot.pixelColor(300, 480), QColor(255, 255, 255));
    QApplication::processEvents();
    EXPECT_FALSE(window.windowIcon().isNull()) << "the bell comes right after the first frame";
    EXPECT_EQ(window.windowIcon().availableSizes().size(), 4);
}

TEST_F(WindowTest, MirrorsEveryControlsGeometryAndState)
{
    window.load();
    for (VisualControl* control : visualControls(form)) {
        QWidget* w = window.widgetFor(*control);
        EXPECT_EQ(w->geometry(), QRect(control->left(), control->top(), control->width(), control->height()))
            << control->displayName();
        EXPECT_EQ(w->isVisibleTo(&window), control->visible()) << control->displayName();
        EXPECT_EQ(w->isEnabled(), control->enabled()) << control->displayName();
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(widget<QPushButton>(form.Answer[i])->text(), QString::number(i + 1));
}

TEST_F(WindowTest, DeliversClicksToTheButtonInFront)
{
    window.show();
    EXPECT_EQ(window.childAt(232, 540), window.widgetFor(form.Answer[3]));
    EXPECT_EQ(window.childAt(152, 540), window.widgetFor(form.Answer[1]));
    EXPECT_EQ(window.childAt(192, 540), window.widgetFor(form.Answer[1]));
    EXPECT_EQ(window.childAt(272, 540), window.widgetFor(form.Answer[4]));
    // The text box stays in front of the circle where they overlap.
    EXPECT_TRUE(window.widgetFor(form.Mondai)->isAncestorOf(window.childAt(300, 100)));
}

TEST_F(WindowTest, RunsTheBoundHandlerOnAClickAndATick)
{
    window.load();
    form.Timer1.setInterval(1); // the first question, at once
    QTimer* timer1 = window.timerFor(form.Timer1);
    ASSERT_TRUE(timer1->isActive());
    EXPECT_EQ(timer1->interval(), 1);
    QElapsedTimer waited;
    waited.start();
    while (form.Mondai.text().empty() && waited.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    ASSERT_FALSE(form.Mondai.text().empty()) << "Timer1 never ticked";
    EXPECT_FALSE(timer1->isActive());
    EXPECT_TRUE(widget<QPushButton>(form.Answer[1])->isEnabled());

    widget<QPushButton>(form.Answer[1])->click();
    EXPECT_EQ(quiz.Score, 1);
    EXPECT_TRUE(window.widgetFor(form.YES)->isVisibleTo(&window));
    EXPECT_TRUE(window.timerFor(form.Timer2)->isActive());
    EXPECT_EQ(window.timerFor(form.Timer2)->interval(), 5000);
    EXPECT_EQ(window.timerFor(form.Timer3)->interval(), 3100);
    EXPECT_TRUE(errors.empty());
}

TEST_F(WindowTest, StopsAnErrorAtTheHandlerAndTakesNoMoreEvents)
{
    window.load();
    quiz.QuestionIndex = INT16_MAX;
    widget<QPushButton>(form.Answer[0])->setEnabled(true);
    form.Answer[0].setEnabled(true);
    quiz.Score = INT16_MAX;
    quiz.QuestionIndex = 0;
    widget<QPushButton>(form.Answer[1])->setEnabled(true);
    form.Answer[1].setEnabled(true);
    widget<QPushButton>(form.Answer[1])->click(); // right, and the score overflows
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Answer_Click: Overflow");
    EXPECT_TRUE(window.failed());
    for (Timer* timer : form.timers())
        EXPECT_FALSE(window.timerFor(*timer)->isActive());

    widget<QPushButton>(form.Answer[1])->click();
    EXPECT_EQ(errors.size(), 1u) << "nothing reaches the quiz after an unhandled error";
}

TEST_F(WindowTest, UsesJapaneseGothicForTheQuestionAndTheResult)
{
    auto* mondai = widget<QTextEdit>(form.Mondai);
    auto* label = widget<QLabel>(form.Label1);
    EXPECT_EQ(QFontInfo(mondai->font()).family(), "IPAGothic");
    EXPECT_EQ(QFontInfo(mondai->font()).pixelSize(), 36);
    EXPECT_EQ(QFontInfo(label->font()).family(), "IPAGothic");
    EXPECT_EQ(QFontInfo(label->font()).pixelSize(), 27);
    EXPECT_TRUE(label->font().bold());
    auto* button = widget<QPushButton>(form.Answer[0]);
    EXPECT_EQ(QFontInfo(button->font()).family(), substituteFamily("MS Sans Serif"));
    EXPECT_EQ(QFontInfo(button->font()).pixelSize(), 11);
    EXPECT_TRUE(button->font().bold());
}

TEST_F(WindowTest, FitsEveryQuestionInsideTheBox)
{
    window.load();
    auto* mondai = widget<QTextEdit>(form.Mondai);
    window.show();
    for (int q = 0; q < 20; ++q) {
        form.Mondai.setText(quiz.bank.text(q));
        QApplication::processEvents();
        const QSizeF used = mondai->document()->size();
        EXPECT_LE(used.height(), mondai->viewport()->height()) << "question " << q << " is cut off";
        EXPECT_LE(used.width(), mondai->viewport()->width()) << q;
        EXPECT_LE(mondai->document()->documentLayout()->documentSize().height(), 121) << q;
    }
}

TEST_F(WindowTest, FitsTheLongestResultOnItsLabel)
{
    auto* label = widget<QLabel>(form.Label1);
    for (std::int16_t score : {0, 10, 20}) {
        const QString caption = QString::fromStdString(Quiz::resultCaption(score));
        EXPECT_LE(label->fontMetrics().horizontalAdvance(caption), 469) << score;
    }
    EXPECT_LE(label->fontMetrics().height(), 46);
}

TEST_F(WindowTest, ShowsTheTwoSantasTreesAndEmptyBoxAtStartUp)
{
    window.load();
    const QImage shot = screenshot();
    shot.save(QStringLiteral("startup-offscreen.png"));
    const QColor santaRed(214, 0, 0), treeGreen(0, 140, 49);
    EXPECT_TRUE(hasColourNear(shot, QRect(100, 150, 100, 112), santaRed));
    EXPECT_TRUE(hasColourNear(shot, QRect(380, 200, 100, 112), santaRed));
    EXPECT_FALSE(hasColourNear(shot, QRect(210, 130, 160, 60), santaRed)) << "no third Santa";
    EXPECT_TRUE(hasColourNear(shot, QRect(0, 0, 86, 140), treeGreen));
    EXPECT_TRUE(hasColourNear(shot, QRect(544, 408, 86, 140), treeGreen));
    EXPECT_FALSE(hasColourNear(shot, QRect(108, 4, 400, 110), QColor(255, 0, 255), 0)) << "the box is empty";
    EXPECT_FALSE(hasColourNear(shot, QRect(0, 570, 639, 54), santaRed)) << "templates are hidden";
}

TEST_F(WindowTest, DrawsTheQuestionInMagentaThoughTheBoxIsDisabled)
{
    window.load();
    form.Mondai.setText(quiz.bank.text(8)); // the longest question
    const QImage shot = screenshot();
    shot.save(QStringLiteral("question-offscreen.png"));
    EXPECT_FALSE(window.widgetFor(form.Mondai)->isEnabled());
    EXPECT_TRUE(hasColourNear(shot, QRect(104, 0, 409, 121), QColor(255, 0, 255), 0));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
