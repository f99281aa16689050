// The real program under its own X server, with SDL writing its sound to a
// file: the music must sound from start-up on, and SIGTERM must end the
// program at once.
#include "real_program.h"
#include "test_audio.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace pelmora::e2e;
using namespace pelmora::soundtest;

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

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
