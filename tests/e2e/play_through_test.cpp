// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "answer_key.h"
#include "measures.h"
#include "real_program.h"
#include "screen.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace pelmora::e2e;
using pelmora::test::kAnswerKey;

namespace {

TEST(PlayThrough, TwentyQuestionsClickedInRealTime)
{
    const QString program = QStringLiteral(PELMORA_PROGRAM);
    RealProgram pelmora(program, {.trace = true});
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    GrowthLog growth(pelmora.audioPath());

    QImage shot;
    ASSERT_TRUE(pelmora.waitFor([](const QImage& s) { return santaAt(s, 100, 150) && santaAt(s, 380, 200); },
                                deadline(5000), &shot))
        << "the two Santas of the first scene";
    shot.save(QStringLiteral("e2e-1-scene.png"));
    EXPECT_FALSE(questionShown(shot));

    // Wrong on four questions, right on the rest.
    const std::vector<int> wrong{2, 7, 13, 19};
    std::vector<qint64> clicks; // steady µs
    std::vector<bool> rightClicks;
    for (int q = 0; q < 20; ++q) {
        ASSERT_TRUE(pelmora.waitFor(questionShown, deadline(12000), &shot)) << "question " << q;
        if (q == 0)
            shot.save(QStringLiteral("e2e-2-question.png"));
        if (q == 8) {
            EXPECT_TRUE(santaAt(shot, 100, 320)) << "the scene stays beside questions 8 to 14";
            shot.save(QStringLiteral("e2e-3-question-with-scene.png"));
        }
        if (q == 15) {
            EXPECT_FALSE(santaAt(shot, 100, 150)) << "and goes away again for question 15";
        }

        const bool right = std::find(wrong.begin(), wrong.end(), q) == wrong.end();
        const QPoint button = buttonFor(right ? kAnswerKey[q] : kAnswerKey[q] % 10 + 1);
        clicks.push_back(steadyUs());
        rightClicks.push_back(right);
        pelmora.click(button.x(), button.y());
        // The mark stays five seconds.
        ASSERT_TRUE(pelmora.waitFor(right ? circleShown : crossShown, 4500, &shot))
            << (right ? "circle" : "cross") << " after question " << q;
        if (q == 0)
            shot.save(QStringLiteral("e2e-4-circle.png"));
        if (q == 2)
            shot.save(QStringLiteral("e2e-5-cross.png"));
        EXPECT_FALSE(questionShown(shot)) << "the question box is emptied by the click";
    }

    ASSERT_TRUE(pelmora.waitFor(resultShown, deadline(12000), &shot)) << "the final result";
    shot.save(QStringLiteral("e2e-6-result.png"));

    // After the result, a click changes nothing on screen.
    const QImage before = pelmora.screenshot();
    const qint64 clicked = steadyUs();
    pelmora.click(buttonFor(1).x(), buttonFor(1).y());
    ASSERT_TRUE(pelmora.waitForTrace(QStringLiteral("click"), clicked, deadline(5000)).has_value())
        << "the click arrived";
    EXPECT_FALSE(pelmora.waitFor([&](const QImage& s) { return s.copy(kMarks) != before.copy(kMarks); }, 1000, &shot))
        << "a mark came";
    EXPECT_FALSE(circleShown(shot));
    EXPECT_TRUE(resultShown(shot));
    EXPECT_EQ(countNear(shot, kMarks.adjusted(0, 0, 0, -300), QColor(255, 0, 0), 20), 0) << "no cross";
    EXPECT_EQ(shot.copy(kMarks), before.copy(kMarks));

    // Every click was followed by its own sound, over the music.
    const QString dir = QFileInfo(program).absolutePath();
    const std::vector<float> pinpon = readWav(dir + QStringLiteral("/pinpon.wav"));
    const std::vector<float> mistake = readWav(dir + QStringLiteral("/mistake.wav"));
    ASSERT_FALSE(pinpon.empty());
    ASSERT_FALSE(mistake.empty());
    const std::vector<float> output = leftChannel(pelmora.audio());
    ASSERT_GT(output.size(), std::size_t{kAudioRate} * 100) << "the sound output covers the run";
    for (std::size_t k = 0; k < clicks.size(); ++k) {
        const qint64 at = growth.sizeAt(clicks[k]) / kAudioFrameBytes;
        const qint64 to = at + kAudioRate / 2;
        const Match expected = findSound(output, rightClicks[k] ? pinpon : mistake, at, to);
        const Match other = findSound(output, rightClicks[k] ? mistake : pinpon, at, to);
        EXPECT_GT(expected.score, 0.8) << "the " << (rightClicks[k] ? "chime" : "buzz") << " after click " << k;
        EXPECT_LT(other.score, expected.score) << "click " << k;
    }
}

} // namespace
