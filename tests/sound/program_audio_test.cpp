// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program under its own X server, with SDL writing its sound to a
// file: the music must sound from start-up on, and SIGTERM must end the
// program at once, even while a sound server keeps it waiting.
#include "answer_key.h"
#include "pulse_server.h"
#include "real_program.h"
#include "screen.h"
#include "audio.h"

#include <QFileInfo>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace pelmora::e2e;
using namespace pelmora::e2e;

TEST(Program, PlaysTheMusicFromStartUpAndEndsAtOnceOnSigterm)
{
    RealProgram program(QStringLiteral(PELMORA_PROGRAM));
    ASSERT_TRUE(program.ok()) << program.error().toStdString();
    // Well past the first re-send of the music at 3.1 s.
    EXPECT_TRUE(program.waitForSound(4.0, deadline(30000)))
        << (program.running() ? "less than 4 s of sound came" : "the program ended by itself");
    ASSERT_TRUE(program.running());

    EXPECT_GE(program.terminate(SIGTERM), 0) << "still running after SIGTERM";
    EXPECT_TRUE(program.exitedNormally()) << "SIGTERM ends it as a normal exit";
    EXPECT_EQ(program.exitCode(), 0);

    const std::vector<int> peaks = blockPeaks(program.audioPath().toStdString());
    ASSERT_GE(peaks.size(), 150u) << "less than 1.5 s of sound was written";
    const auto first = std::find_if(peaks.begin(), peaks.end(), [](int p) { return p >= kSilence; });
    ASSERT_NE(first, peaks.end()) << "the music was never heard";
    // The file begins when the device opens, while the program starts; the
    // music must come with start-up, well before the first re-send at 3.1 s.
    EXPECT_LE(first - peaks.begin(), 100) << "the music did not start with the program";
    const auto sounding = std::count_if(first, peaks.end(), [](int p) { return p >= kSilence; });
    EXPECT_GE(double(sounding) / double(peaks.end() - first), 0.95) << "the music broke off";
}

TEST(Program, TheMKeySwitchesTheMusicOffAndOnAndNothingOnScreenChanges)
{
    RealProgram program(QStringLiteral(PELMORA_PROGRAM));
    ASSERT_TRUE(program.ok()) << program.error().toStdString();
    ASSERT_TRUE(program.waitFor(questionShown, deadline(15000)));
    ASSERT_TRUE(program.waitForSound(1.0, deadline(30000)));
    const QImage before = program.screenshot();
    // The blocks of 10 ms written so far, and the loudest of those after.
    const auto blocks = [&program] { return blockPeaks(program.audioPath().toStdString()); };
    const auto loudestSince = [](const std::vector<int>& peaks, std::size_t from) {
        return from < peaks.size() ? *std::max_element(peaks.begin() + std::ptrdiff_t(from), peaks.end()) : -1;
    };
    const auto waitForBlocks = [&](std::size_t count) {
        QElapsedTimer waited;
        waited.start();
        while (blocks().size() < count && waited.elapsed() < deadline(30000))
            QThread::msleep(50);
        return blocks();
    };

    ASSERT_TRUE(program.press(QStringLiteral("m")));
    const std::size_t off = blocks().size();
    // Off within a fifth of a second, and still off past the next re-send of
    // the music command, 3.1 s on.
    const std::vector<int> silent = waitForBlocks(off + 400);
    EXPECT_LT(loudestSince(silent, off + 20), kSilence) << "music after M";
    EXPECT_EQ(program.screenshot(), before) << "M changed what is on screen";

    ASSERT_TRUE(program.press(QStringLiteral("m")));
    const std::size_t on = blocks().size();
    const std::vector<int> again = waitForBlocks(on + 100);
    EXPECT_GE(loudestSince(again, on), kSilence) << "no music after M again";
    EXPECT_TRUE(program.running());
}

namespace {

// A PulseAudio server that takes connections and never answers them: they
// wait, unaccepted, in the listening socket's queue.
class SilentSoundServer {
public:
    explicit SilentSoundServer(const QString& path) : fd_(socket(AF_UNIX, SOCK_STREAM, 0))
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = path.toLocal8Bit();
        std::copy_n(name.constData(), std::min<std::size_t>(std::size_t(name.size()), sizeof address.sun_path - 1),
                    address.sun_path);
        listening_ = fd_ >= 0 && bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
            && listen(fd_, 16) == 0;
    }
    ~SilentSoundServer() { close(fd_); }
    bool listening() const { return listening_; }
    // Whether someone has connected, within the timeout.
    bool connected(int timeoutMs) const
    {
        pollfd waiting{fd_, POLLIN, 0};
        return poll(&waiting, 1, timeoutMs) == 1;
    }

private:
    int fd_;
    bool listening_ = false;
};

} // namespace

TEST(Program, EndsWithinASecondWhileTheSoundServerNeverAnswers)
{
    for (const bool bySignal : {false, true}) {
        SCOPED_TRACE(bySignal ? "SIGTERM" : "closing the window");
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("native"));
        SilentSoundServer server(socket);
        ASSERT_TRUE(server.listening());
        RealProgram program(QStringLiteral(PELMORA_PROGRAM),
                            {.environment = {QStringLiteral("SDL_AUDIODRIVER=pulseaudio"),
                                             QStringLiteral("PULSE_SERVER=unix:") + socket}});
        ASSERT_TRUE(program.ok()) << program.error().toStdString();
        ASSERT_TRUE(server.connected(deadline(20000))) << "the program never asked the server";
        const qint64 ms = bySignal ? program.terminate(SIGTERM) : program.closeWindow();
        std::printf("[ closing ] %s with the server silent: %lld ms\n", bySignal ? "SIGTERM" : "window",
                    static_cast<long long>(ms));
        EXPECT_GE(ms, 0) << "still running";
        EXPECT_LT(ms, deadline(1000));
        EXPECT_TRUE(program.exitedNormally());
        EXPECT_EQ(program.exitCode(), 0);
    }
}

namespace {

// Where the chime starts in the second of the server's recording after a
// moment in steady µs.
Match chimeAfter(const PulseServer& pulse, qint64 us, const std::vector<float>& chime)
{
    return soundAfter(pulse, [&pulse] { return pulse.audio(); }, chime, us, deadline(15000));
}

const std::vector<float> kChime =
    readWav(QFileInfo(QStringLiteral(PELMORA_PROGRAM)).absolutePath() + QStringLiteral("/pinpon.wav"));

} // namespace

TEST(Program, ThroughAPulseAudioServerPlaysTheMusicFromStartUpAndTheChimeAfterAClick)
{
    PulseServer pulse;
    ASSERT_TRUE(pulse.ok()) << pulse.error().toStdString();
    RealProgram program(QStringLiteral(PELMORA_PROGRAM), {.environment = pulse.environment(), .trace = true});
    ASSERT_TRUE(program.ok()) << program.error().toStdString();
    const auto audible = [](const std::vector<float>& left) {
        return std::find_if(left.begin(), left.end(), [](float s) { return std::abs(s) > 0.01f; }) - left.begin();
    };
    ASSERT_TRUE(program.waitFor(questionShown, deadline(15000)));
    const std::vector<float> before = leftChannel(pulse.audio());
    const qint64 firstSound = audible(before);
    ASSERT_LT(firstSound, qint64(before.size())) << "no music reached the server in the first 8 s";
    // Before the first re-send of the music command at 3.1 s.
    EXPECT_LT(pulse.timeOfByte(firstSound * kAudioFrameBytes) - program.startedAtUs(), deadline(3000) * 1000);

    const qint64 now = steadyUs();
    const QPoint right = buttonFor(pelmora::test::kAnswerKey[0]);
    program.click(right.x(), right.y());
    const auto click = program.waitForTrace(QStringLiteral("click"), now, deadline(5000));
    ASSERT_TRUE(click);
    const Match match = chimeAfter(pulse, click->us, kChime);
    std::printf("[ pulse ] music after %.0f ms, the chime %.1f ms after the click (match %.3f)\n",
                double(pulse.timeOfByte(firstSound * kAudioFrameBytes) - program.startedAtUs()) / 1000,
                double(pulse.timeOfByte(match.frame * kAudioFrameBytes) - click->us) / 1000, match.score);
    EXPECT_GT(match.score, 0.8) << "the chime was not heard over the music";
}

// Through a PulseAudio server, the output's whole life: killed while the
// quiz waits and started again, the server gets the music back, then the
// next answer's chime. After M and a while of silence no stream is left
// open, yet the next chime comes whole and M brings the music back. A second
// restart as the first; left down, the program still ends at once.
TEST(Program, ThroughPulseAudioTheSoundComesBackAfterRestartsAndSilence)
{
    PulseServer pulse;
    ASSERT_TRUE(pulse.ok()) << pulse.error().toStdString();
    RealProgram program(QStringLiteral(PELMORA_PROGRAM), {.environment = pulse.environment(), .keepErrors = true});
    ASSERT_TRUE(program.ok()) << program.error().toStdString();
    const auto said = [&](const char* line, int times) {
        return waitUntil([&] { return program.errors().count(QLatin1String(line)) == times; }, deadline(5000));
    };
    const auto heardAfter = [&](qint64 us) {
        return audibleAfter(pulse, [&pulse] { return pulse.audio(); }, us, deadline(10000)) >= 0;
    };
    const auto restart = [&](int times) {
        pulse.kill();
        EXPECT_TRUE(said("the sound went away", times)) << program.errors().toStdString();
        ASSERT_TRUE(pulse.start()) << pulse.error().toStdString();
        EXPECT_TRUE(heardAfter(steadyUs())) << "no music reached the new server";
    };
    const auto answer = [&](int q) {
        EXPECT_TRUE(program.waitFor(questionShown, deadline(15000)));
        const qint64 pressed = steadyUs();
        EXPECT_TRUE(program.press(QString::number(pelmora::test::kAnswerKey[std::size_t(q)])));
        return chimeAfter(pulse, pressed, kChime);
    };
    const auto silent = [&] { return waitUntil([&] { return pulse.streams() == 0; }, deadline(10000)); };

    ASSERT_TRUE(program.waitFor(questionShown, deadline(15000)));
    restart(1);
    EXPECT_GT(answer(0).score, 0.8) << "no chime after the first restart";

    ASSERT_TRUE(program.press(QStringLiteral("m")));
    EXPECT_TRUE(silent()) << "a stream stays open in silence";
    const Match chime = answer(1);
    EXPECT_GT(chime.score, 0.8) << "the chime's start after the silence";
    const qint64 middle = chime.frame + qint64(kChime.size() / 2);
    const std::vector<float> half(kChime.begin() + std::ptrdiff_t(kChime.size() / 2), kChime.end());
    waitUntil([&] { return pulse.audio().size() > (middle + kAudioRate / 10) * kAudioFrameBytes; }, deadline(15000));
    EXPECT_GT(findSound(leftChannel(pulse.audio()), half, middle - 10, middle + 10).score, 0.8) << "the chime broke off";
    EXPECT_TRUE(silent());
    const qint64 on = steadyUs();
    ASSERT_TRUE(program.press(QStringLiteral("m")));
    EXPECT_TRUE(heardAfter(on)) << "no music after M";

    restart(2);
    EXPECT_GT(answer(2).score, 0.8) << "no chime after the second restart";
    EXPECT_TRUE(said("the sound is back", 2)) << program.errors().toStdString();
    pulse.kill();
    EXPECT_TRUE(said("the sound went away", 3));
    const qint64 ms = program.terminate(SIGTERM);
    EXPECT_GE(ms, 0) << "still running";
    EXPECT_LT(ms, deadline(1000));
}

// Read aloud, without music: nothing is heard until the first question, then
// the voice says it, and R says it again.
TEST(Program, ReadAloudSpeaksTheQuestionWhenItAppearsAndAgainOnR)
{
    RealProgram program(QStringLiteral(PELMORA_PROGRAM),
                        {.arguments = {QStringLiteral("--read-aloud"), QStringLiteral("--no-music")}});
    ASSERT_TRUE(program.ok()) << program.error().toStdString();
    // The output from a block on, once a sentence has been heard there: a
    // second and a half of sound, then a second of silence.
    const auto sentenceFrom = [&program](std::size_t from) {
        std::vector<int> peaks;
        waitUntil(
            [&] {
                peaks = blockPeaks(program.audioPath().toStdString());
                peaks.erase(peaks.begin(), peaks.begin() + std::ptrdiff_t(std::min(from, peaks.size())));
                return sounding(peaks) >= 150 && silentTail(peaks) >= 100;
            },
            deadline(20000));
        return peaks;
    };
    ASSERT_TRUE(program.waitFor(questionShown, deadline(15000)));
    const std::vector<int> spoken = sentenceFrom(0);
    // The question comes 8 s after start-up; the output begins a little later.
    EXPECT_GE(firstSounding(spoken), 700u) << "sound before the question";
    EXPECT_GE(sounding(spoken), 150u) << "no sentence";

    ASSERT_TRUE(program.press(QStringLiteral("r")));
    const std::vector<int> again = sentenceFrom(spoken.size());
    EXPECT_LT(firstSounding(again), 100u) << "R did not speak within a second";
    EXPECT_GE(sounding(again), 150u);
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
