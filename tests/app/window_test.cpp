// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "art.h"
#include "fonts.h"
#include "pixels.h"
#include "trace.h"
#include "trace_probe.h"
#include "window_rig.h"

#include <QFile>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QTextEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

using namespace pelmora;
using namespace pelmora::test;

namespace {

using WindowTest = WindowRig;

TEST_F(WindowTest, IsOneFixedWhiteWindowNamedPelmora)
{
    EXPECT_EQ(window.windowTitle(), "Pelmora");
    EXPECT_EQ(window.size(), QSize(639, 624));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
    const QImage shot = grab();
    EXPECT_EQ(shot.pixelColor(300, 480), QColor(255, 255, 255));
    QApplication::processEvents();
    EXPECT_FALSE(window.windowIcon().isNull()) << "the bell comes right after the first frame";
}

TEST_F(WindowTest, MirrorsEveryControlsGeometryAndState)
{
    window.load();
    expectMirrored();
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(button(i)->text(), QString::number(i + 1));
}

// Each button is 41 pixels wide and the row steps by 40: the shared column
// goes to Answer(1) next to it, elsewhere to the higher index. Full screen,
// each point of the design lands on what it lands on in the window.
TEST_F(WindowTest, DeliversClicksToTheButtonInFrontAtEitherSize)
{
    window.show();
    for (const CommandButton& button : form.Answer)
        EXPECT_TRUE(widget(button)->isEnabled()) << "until start-up disables it";
    QWidget* mondai = widget(form.Mondai);
    for (const bool full : {false, true}) {
        SCOPED_TRACE(full ? "full screen" : "in the window");
        setFullScreen(full);
        for (int x = 100; x <= 520; ++x) {
            int front = -1;
            if (x >= 112 && x <= 512)
                front = x == 152 || x == 192 ? 1 : std::min((x - 112) / 40, 9);
            for (int y : {519, 520, 545, 569, 570}) {
                QWidget* expected = front >= 0 && y >= 520 && y <= 569 ? widget(form.Answer[front]) : nullptr;
                ASSERT_EQ(controlWidgetAt(onScreen(x, y)), expected) << x << ", " << y;
            }
        }
        // The text box spans 104..512 x 0..120 and stays in front of the circle.
        for (QPoint in : {QPoint(104, 0), QPoint(512, 120), QPoint(300, 100)}) {
            QWidget* hit = controlWidgetAt(onScreen(in));
            EXPECT_TRUE(hit == mondai || mondai->isAncestorOf(hit)) << in.x() << ", " << in.y();
        }
        for (QPoint out : {QPoint(103, 60), QPoint(513, 60), QPoint(300, 121)})
            EXPECT_EQ(controlWidgetAt(onScreen(out)), nullptr) << out.x() << ", " << out.y();
    }
}

TEST_F(WindowTest, TabsThroughTheButtonsInTheirOrder)
{
    window.show();
    QApplication::setActiveWindow(&window);
    std::map<QWidget*, std::string> names;
    for (VisualControl* control : visualControls(form))
        names[widget(*control)] = control->displayName();
    std::vector<std::string> order{names[QApplication::focusWidget()]};
    for (int i = 0; i < 10; ++i) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &tab);
        order.push_back(names[QApplication::focusWidget()]);
    }
    // The question box and the label come first and last but take no focus.
    EXPECT_EQ(order, (std::vector<std::string>{"Answer(2)", "Answer(3)", "Answer(4)", "Answer(5)", "Answer(6)",
                                               "Answer(7)", "Answer(8)", "Answer(9)", "Answer(0)", "Answer(1)",
                                               "Answer(2)"}));
}

// The bound handlers run on a tick and a click. Once a probe is installed,
// the points the benchmarks time are written as their events come: the first
// frame, a tick with how late it came, a click with its index, and the mark
// painted.
TEST_F(WindowTest, RunsTheBoundHandlerOnAClickAndATickAndTracesThem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.txt"));
    // Read once, at the first trace point of the process; no other test traces.
    qputenv("PELMORA_TRACE", path.toLocal8Bit());
    ASSERT_TRUE(trace::enabled());
    TraceProbe probe(window, form);
    window.load();
    form.Timer1.setInterval(1); // the first question, at once
    QTimer* timer1 = qTimer(form.Timer1);
    ASSERT_TRUE(timer1->isActive());
    EXPECT_EQ(timer1->interval(), 1);
    grab();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Mondai.text().empty(); }, 30000)) << "Timer1 never ticked";
    EXPECT_FALSE(timer1->isActive());
    EXPECT_TRUE(button(1)->isEnabled());

    button(1)->click();
    EXPECT_EQ(quiz.Score, 1);
    EXPECT_TRUE(widget(form.YES)->isVisibleTo(&window));
    EXPECT_TRUE(qTimer(form.Timer2)->isActive());
    EXPECT_EQ(qTimer(form.Timer2)->interval(), 5000);
    EXPECT_EQ(qTimer(form.Timer3)->interval(), 3100);
    EXPECT_TRUE(errors.empty());

    QFile file(path);
    const auto traced = [&](const QByteArray& line) {
        file.open(QIODevice::ReadOnly);
        const bool found = file.readAll().contains(line);
        file.close();
        return found;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return traced(" mark-painted YES\n"); }, 30000));
    for (const char* line : {" first-frame \n", " tick Timer1_Timer ", " click 1\n"})
        EXPECT_TRUE(traced(line)) << line;
    EXPECT_FALSE(traced(" No\n")) << "the cross was never painted";
}

TEST_F(WindowTest, StopsAnErrorAtTheHandlerAndTakesNoMoreEvents)
{
    window.load();
    quiz.Score = INT16_MAX;
    form.Answer[1].setEnabled(true);
    button(1)->click(); // right, and the score overflows
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Answer_Click: Overflow");
    EXPECT_TRUE(window.failed());
    for (Timer* timer : timersOf(form))
        EXPECT_FALSE(qTimer(*timer)->isActive());

    button(1)->click();
    EXPECT_EQ(errors.size(), 1u) << "nothing reaches the quiz after an unhandled error";
}

TEST_F(WindowTest, UsesJapaneseGothicForTheQuestionAndTheResult)
{
    auto* mondai = widget<QTextEdit>(form.Mondai);
    auto* label = widget<QLabel>(form.Label1);
    EXPECT_EQ(QFontInfo(mondai->font()).family(), "IPAGothic");
    EXPECT_EQ(QFontInfo(mondai->font()).pixelSize(), 36);
    EXPECT_FALSE(mondai->font().bold());
    // Where the Windows fonts are installed, they are used.
    EXPECT_EQ(mondai->font().families().last(), "System");
    EXPECT_EQ(label->font().families().last(), "ＭＳ ゴシック");
    EXPECT_EQ(QFontInfo(label->font()).family(), "IPAGothic");
    EXPECT_EQ(QFontInfo(label->font()).pixelSize(), 27);
    EXPECT_TRUE(label->font().bold());
    const QFont buttonFont = button(0)->font();
    EXPECT_EQ(QFontInfo(buttonFont).family(), substituteFamily("MS Sans Serif"));
    EXPECT_EQ(QFontInfo(buttonFont).pixelSize(), 11);
    EXPECT_TRUE(buttonFont.bold());
}

TEST_F(WindowTest, DrawsEveryPictureWhereItStandsTheLaterInFront)
{
    window.load(); // and with it the two Santas of the first scene
    for (PictureBox* hidden : {&form.santa, &form.Tonakai, &form.BELL, &form.Snowman, &form.YES, &form.No})
        hidden->setVisible(true);
    std::vector<Drawn> backToFront = kTreesAndTemplates;
    backToFront.insert(backToFront.end(), {{Art::Santa, 100, 150}, {Art::Santa, 380, 200}});
    backToFront.insert(backToFront.end(), kMarks.begin(), kMarks.end());
    const QImage shot = grab();
    EXPECT_EQ(pixelsNotAsDrawn(shot, backToFront, {QRect(104, 0, 409, 121)}), 0);
    EXPECT_NE(shot.pixel(300, 120), qRgb(255, 255, 255)) << "the question box's frame shows over the circle's margin";
}

TEST_F(WindowTest, ShowsTheResultInRedAcrossTheSceneArea)
{
    window.load();
    form.Label1.setCaption(Quiz::resultCaption(20));
    form.Label1.setVisible(true);
    const QImage shot = grab();
    EXPECT_TRUE(hasColourNear(shot, QRect(84, 256, 469, 46), QColor(255, 0, 0), 0));
    EXPECT_FALSE(hasColourNear(shot, QRect(380, 256, 100, 46), QColor(214, 0, 0), 0))
        << "the label's white covers the Santa behind it";
    QWidget* label = widget(form.Label1);
    EXPECT_EQ(controlWidgetAt(84, 256), label);
    EXPECT_EQ(controlWidgetAt(552, 301), label);
    for (QPoint out : {QPoint(83, 256), QPoint(553, 280), QPoint(300, 255), QPoint(300, 302)})
        EXPECT_NE(controlWidgetAt(out), label) << out.x() << ", " << out.y();
}

TEST_F(WindowTest, ShowsAnEmptyBoxAtStartUpThenTheQuestionInMagentaThoughTheBoxIsDisabled)
{
    window.load();
    const QImage shot = grab();
    EXPECT_FALSE(hasColourNear(shot, QRect(108, 4, 400, 110), QColor(255, 0, 255), 0)) << "the box is empty";
    EXPECT_FALSE(hasColourNear(shot, QRect(0, 570, 639, 54), QColor(214, 0, 0))) << "templates are hidden";
    form.Mondai.setText(quiz.bank.text(8)); // the longest question
    EXPECT_FALSE(widget(form.Mondai)->isEnabled());
    EXPECT_TRUE(hasColourNear(grab(), QRect(104, 0, 409, 121), QColor(255, 0, 255), 0));
}

} // namespace
