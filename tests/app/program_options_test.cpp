// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program with its options, under an X server of 1280 x 1024:
// full screen and back, keys, the quieter kinds of sound, and slowed down.

#include "measures.h"
#include "real_program.h"
#include "screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace pelmora::e2e;

namespace {

const QString kProgram = QStringLiteral(PELMORA_PROGRAM);
const QSize kScreen(1280, 1024);
const QSize kWindow(639, 624);
// Full screen the height comes first: 1024 / 624 times larger, centred.
const double kScale = 1024.0 / 624.0;
int scaled(int pixels)
{
    return static_cast<int>(std::lround(pixels * kScale));
}
const int kLeftMargin = (1280 - scaled(639)) / 2;

// A rectangle of the window as it lies on the full screen.
QRect onFullScreen(QRect r)
{
    const int x = kLeftMargin + scaled(r.left()), y = scaled(r.top());
    return {x, y, kLeftMargin + scaled(r.left() + r.width()) - x, scaled(r.top() + r.height()) - y};
}

bool santaFullScreen(const QImage& shot, int left, int top)
{
    return countNear(shot, onFullScreen(QRect(left, top, 100, 112)), QColor(214, 0, 0), 40) > 200 * kScale * kScale;
}

bool allWhite(const QImage& shot, QRect area)
{
    return countNear(shot, area, Qt::white, 0) == area.width() * area.height();
}

TEST(FullScreenProgram, FillsTheHeightAnswersAClickAndF11BringsTheWindowBack)
{
    RealProgram pelmora(kProgram, {.arguments = {QStringLiteral("--fullscreen")}, .screen = kScreen});
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();

    // The first scene, on the whole screen: two Santas where they belong,
    // scaled, and white on both sides of the stage.
    QImage full;
    ASSERT_TRUE(pelmora.waitFor(
        [](const QImage& s) { return s.size() == kScreen && santaFullScreen(s, 100, 150) && santaFullScreen(s, 380, 200); },
        deadline(10000), &full))
        << "size " << full.width() << "x" << full.height();
    EXPECT_EQ(kLeftMargin, 115);
    EXPECT_TRUE(allWhite(full, QRect(0, 0, kLeftMargin, 1024)));
    EXPECT_TRUE(allWhite(full, QRect(kLeftMargin + scaled(639), 0, 1280 - kLeftMargin - scaled(639), 1024)));
    EXPECT_GT(countNear(full, onFullScreen(QRect(0, 0, 86, 140)), QColor(0, 140, 49), 40), 1000) << "a tree, top left";
    EXPECT_GT(countNear(full, onFullScreen(QRect(544, 408, 86, 140)), QColor(0, 140, 49), 40), 1000)
        << "a tree, bottom right";

    // Back in the window, the same Santa at its own size. (That it is drawn
    // sharp at the larger size the window tests show, pixel for pixel.)
    ASSERT_TRUE(pelmora.press(QStringLiteral("F11")));
    ASSERT_TRUE(pelmora.waitFor([](const QImage& s) { return s.size() == kWindow && santaAt(s, 100, 150); },
                                deadline(10000)));

    // Full screen again; at the first question, a click on the scaled "2".
    ASSERT_TRUE(pelmora.press(QStringLiteral("F11")));
    ASSERT_TRUE(pelmora.waitFor(
        [](const QImage& s) {
            return s.size() == kScreen && countNear(s, onFullScreen(kMondai), QColor(255, 0, 255), 30) > 300;
        },
        deadline(15000)))
        << "the first question, full screen";
    const QRect two = onFullScreen(QRect(152, 520, 41, 50));
    pelmora.click(two.center().x(), two.center().y());
    QImage marked;
    ASSERT_TRUE(pelmora.waitFor(
        [](const QImage& s) { return countNear(s, onFullScreen(kMarks), QColor(224, 32, 64), 30) > 1000 * kScale * kScale; },
        deadline(5000), &marked))
        << "the circle, full screen";

    // F11: the 639 x 624 window, the circle still on it.
    ASSERT_TRUE(pelmora.press(QStringLiteral("F11")));
    QImage back;
    EXPECT_TRUE(pelmora.waitFor([](const QImage& s) { return s.size() == kWindow && circleShown(s); }, deadline(5000), &back))
        << "back as " << back.width() << "x" << back.height();
}

float peak(const std::vector<float>& samples, qint64 from, qint64 to)
{
    float p = 0;
    for (qint64 i = std::max<qint64>(0, from); i < std::min<qint64>(to, qint64(samples.size())); ++i)
        p = std::max(p, std::abs(samples[std::size_t(i)]));
    return p;
}

// Session managers, themes and testers pass Qt's own options; Qt takes them.
TEST(QtOptions, StartTheProgramAsUsual)
{
    Xvfb xvfb;
    ASSERT_TRUE(xvfb.ok()) << xvfb.error().toStdString();
    RealProgram pelmora(xvfb, kProgram,
                        {.arguments = {QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-display"),
                                       xvfb.display(), QStringLiteral("-style"), QStringLiteral("fusion"),
                                       QStringLiteral("-session"), QStringLiteral("1a2b3c"), QStringLiteral("--mute")}});
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    EXPECT_TRUE(pelmora.waitFor([](const QImage& s) { return santaAt(s, 100, 150); }, deadline(5000)));
}

// Answered with the 2 key, which gives the circle as a click does.
TEST(QuietProgram, MuteOpensNoDeviceAndStaysSilentThroughAnAnswerByKey)
{
    RealProgram pelmora(kProgram, {.arguments = {QStringLiteral("--mute")}, .screen = kScreen});
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    ASSERT_TRUE(pelmora.waitFor(questionShown, deadline(15000)));
    ASSERT_TRUE(pelmora.press(QStringLiteral("2")));
    ASSERT_TRUE(pelmora.waitFor(circleShown, deadline(5000)));
    // Through the whole answer, until the circle goes five seconds later.
    ASSERT_TRUE(pelmora.waitFor([](const QImage& s) { return !circleShown(s); }, deadline(10000)));
    EXPECT_TRUE(pelmora.running());
    const QByteArray audio = pelmora.audio();
    EXPECT_TRUE(audio.isEmpty()) << "the disk driver wrote " << audio.size() << " bytes: a device was opened";
    EXPECT_EQ(peak(leftChannel(audio), 0, audio.size()), 0.0f);
}

TEST(QuietProgram, WithoutMusicPlaysTheChimeAndTheBuzzAndNothingElse)
{
    RealProgram pelmora(kProgram, {.arguments = {QStringLiteral("--no-music")}, .screen = kScreen});
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    const std::vector<float> chime = readWav(QStringLiteral(PELMORA_RUNTIME_DIR "/pinpon.wav"));
    const std::vector<float> buzz = readWav(QStringLiteral(PELMORA_RUNTIME_DIR "/mistake.wav"));
    ASSERT_FALSE(chime.empty());
    ASSERT_FALSE(buzz.empty());
    const auto framesSoFar = [&pelmora] { return qint64(pelmora.audio().size() / kAudioFrameBytes); };

    ASSERT_TRUE(pelmora.waitFor(questionShown, deadline(15000)));
    const qint64 firstClick = framesSoFar();
    pelmora.click(buttonFor(2).x(), buttonFor(2).y()); // right
    ASSERT_TRUE(pelmora.waitFor(circleShown, deadline(5000)));
    ASSERT_TRUE(pelmora.waitFor([](const QImage& s) { return questionShown(s) && !circleShown(s); }, deadline(15000)));
    const qint64 secondClick = framesSoFar();
    pelmora.click(buttonFor(5).x(), buttonFor(5).y()); // two reindeer: wrong
    ASSERT_TRUE(pelmora.waitFor(crossShown, deadline(5000)));

    // Until the buzz and a second after it are written out.
    const qint64 enough = secondClick + 2 * kAudioRate + qint64(buzz.size());
    waitUntil([&] { return framesSoFar() >= enough; }, deadline(15000), 100);
    const std::vector<float> output = leftChannel(pelmora.audio());
    ASSERT_GE(qint64(output.size()), enough);

    // Each sound within a second of its click.
    const Match chimeAt = findSound(output, chime, firstClick, firstClick + kAudioRate);
    const Match buzzAt = findSound(output, buzz, secondClick, secondClick + kAudioRate);
    std::printf("chime at %.2f s (match %.3f), buzz at %.2f s (match %.3f), %.1f s of output\n",
                double(chimeAt.frame) / kAudioRate, chimeAt.score, double(buzzAt.frame) / kAudioRate, buzzAt.score,
                double(output.size()) / kAudioRate);
    ASSERT_GT(chimeAt.score, 0.9) << "the chime";
    ASSERT_GT(buzzAt.score, 0.9) << "the buzz";
    // No music: silence from the start up to the chime, between the chime's
    // end and the buzz, and after the buzz.
    EXPECT_EQ(peak(output, 0, chimeAt.frame), 0.0f) << "sound before the first answer";
    EXPECT_LT(peak(output, chimeAt.frame + qint64(chime.size()) + kAudioRate / 10, buzzAt.frame), 0.001f);
    EXPECT_LT(peak(output, buzzAt.frame + qint64(buzz.size()) + kAudioRate / 10, qint64(output.size())), 0.001f);
    EXPECT_GT(chimeAt.frame, 5 * kAudioRate) << "several seconds of silence before the first answer";
}

// --slow 2 makes the first scene last 16 s.
TEST(SlowProgram, AtTwoTheFirstQuestionComesAfterSixteenSeconds)
{
    RealProgram pelmora(kProgram, {.arguments = {QStringLiteral("--slow"), QStringLiteral("2")}, .trace = true});
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    const auto start = pelmora.waitForTrace(QStringLiteral("main"), 0, deadline(10000));
    ASSERT_TRUE(start);

    const auto question = pelmora.waitForTrace(QStringLiteral("tick"), start->us, deadline(40000),
                                               QStringLiteral("Timer1_Timer "));
    ASSERT_TRUE(question) << "no question within " << deadline(40000) / 1000 << " s";
    const double seconds = double(question->us - start->us) / 1e6;
    // The scene is counted from start-up, a little after main: never less
    // than 16 s, and not much more unless the machine is loaded.
    EXPECT_GE(seconds, 15.9);
    EXPECT_LT(seconds, 16.0 + deadline(4000) / 1000.0);
    std::printf("first question %.3f s after main\n", seconds);
}

} // namespace
