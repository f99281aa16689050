#include "real_program.h"
#include "screen.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace pelmora::e2e;

namespace {

// Loud moments in the sound output, in ms from its start: where a sound
// starts over the background music.
std::vector<qint64> onsets(const QByteArray& raw, double threshold)
{
    const auto* samples = reinterpret_cast<const qint16*>(raw.constData());
    const qsizetype frames = raw.size() / 4;
    const qsizetype window = 441; // 10 ms
    std::vector<qint64> result;
    qint64 quietSince = 0;
    bool loud = false;
    for (qsizetype start = 0; start + window <= frames; start += window) {
        int peak = 0;
        for (qsizetype i = start * 2; i < (start + window) * 2; ++i)
            peak = std::max(peak, std::abs(int{samples[i]}));
        const qint64 ms = start / 44;
        if (peak >= threshold * 32768) {
            if (!loud && ms - quietSince >= 150)
                result.push_back(ms);
            loud = true;
        } else if (loud || result.empty()) {
            if (loud)
                quietSince = ms;
            loud = false;
        }
    }
    return result;
}

TEST(PlayThrough, TwentyQuestionsClickedInRealTime)
{
    RealProgram pelmora(QStringLiteral(PELMORA_PROGRAM));
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();

    QImage shot;
    ASSERT_TRUE(pelmora.waitFor([](const QImage& s) { return santaAt(s, 100, 150) && santaAt(s, 380, 200); },
                                5000, &shot))
        << "the two Santas of the first scene";
    shot.save(QStringLiteral("e2e-1-scene.png"));
    EXPECT_FALSE(questionShown(shot));

    // Wrong on four questions, right on the rest.
    const int answers[20] = {2, 2, 3, 2, 5, 3, 2, 3, 3, 6, 3, 3, 1, 2, 1, 3, 4, 2, 2, 1};
    const std::vector<int> wrong{2, 7, 13, 19};
    std::vector<qint64> clicks;
    for (int q = 0; q < 20; ++q) {
        ASSERT_TRUE(pelmora.waitFor(questionShown, 12000, &shot)) << "question " << q;
        if (q == 0)
            shot.save(QStringLiteral("e2e-2-question.png"));
        if (q == 8) {
            EXPECT_TRUE(santaAt(shot, 100, 320)) << "the scene stays beside questions 8 to 14";
            shot.save(QStringLiteral("e2e-3-question-with-scene.png"));
        }
        if (q == 15)
            EXPECT_FALSE(santaAt(shot, 100, 150)) << "and goes away again for question 15";

        const bool right = std::find(wrong.begin(), wrong.end(), q) == wrong.end();
        const QPoint button = buttonFor(right ? answers[q] : answers[q] % 10 + 1);
        clicks.push_back(pelmora.elapsed());
        pelmora.click(button.x(), button.y());
        ASSERT_TRUE(pelmora.waitFor(right ? circleShown : crossShown, 2000, &shot))
            << (right ? "circle" : "cross") << " after question " << q;
        if (q == 0)
            shot.save(QStringLiteral("e2e-4-circle.png"));
        if (q == 2)
            shot.save(QStringLiteral("e2e-5-cross.png"));
        EXPECT_FALSE(questionShown(shot)) << "the question box is emptied by the click";
    }

    ASSERT_TRUE(pelmora.waitFor(resultShown, 12000, &shot)) << "the final result";
    shot.save(QStringLiteral("e2e-6-result.png"));

    // After the result, a click changes nothing.
    pelmora.click(buttonFor(1).x(), buttonFor(1).y());
    QThread::msleep(300);
    shot = pelmora.screenshot();
    EXPECT_FALSE(circleShown(shot) || crossShown(shot));
    EXPECT_TRUE(resultShown(shot));

    // Every click was followed by its sound, over the music.
    const QByteArray audio = pelmora.audio();
    ASSERT_GT(audio.size(), 44100 * 4 * 100) << "the sound output covers the run";
    const std::vector<qint64> heard = onsets(audio, 0.5);
    ASSERT_EQ(heard.size(), clicks.size()) << "one effect per click";
    for (std::size_t k = 1; k < heard.size(); ++k) {
        const qint64 expected = clicks[k] - clicks[0];
        const qint64 actual = heard[k] - heard[0];
        EXPECT_NEAR(static_cast<double>(actual), static_cast<double>(expected), 400 + expected * 0.02)
            << "the sound of click " << k;
    }

    const qint64 ended = pelmora.terminate();
    EXPECT_GE(ended, 0) << "SIGTERM ends the program";
    EXPECT_LT(ended, 2000);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
