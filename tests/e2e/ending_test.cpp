#include "real_program.h"
#include "screen.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace pelmora::e2e;

namespace {

const QString kProgram = QStringLiteral(PELMORA_PROGRAM);

void expectCleanEnd(const RealProgram& program, qint64 endedMs)
{
    EXPECT_GE(endedMs, 0) << "the program did not end";
    EXPECT_LT(endedMs, 1500);
    EXPECT_TRUE(program.exitedNormally()) << "it crashed";
    EXPECT_EQ(program.exitCode(), 0);
}

TEST(Ending, ClosingTheWindowWhileAnEffectPlays)
{
    RealProgram pelmora(kProgram);
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    ASSERT_TRUE(pelmora.waitFor(questionShown, 12000));
    const QPoint two = buttonFor(2);
    pelmora.click(two.x(), two.y());
    ASSERT_TRUE(pelmora.waitFor(circleShown, 2000)) << "the chime is playing now";
    expectCleanEnd(pelmora, pelmora.closeWindow());
}

TEST(Ending, ClosingTheWindowWhileTheMusicPlays)
{
    RealProgram pelmora(kProgram);
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    QThread::msleep(1500);
    ASSERT_FALSE(pelmora.audio().isEmpty());
    expectCleanEnd(pelmora, pelmora.closeWindow());
}

TEST(Ending, SigtermAndSigintWhileTheMusicPlays)
{
    for (int signal : {SIGTERM, SIGINT}) {
        RealProgram pelmora(kProgram);
        ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
        QThread::msleep(1500);
        expectCleanEnd(pelmora, pelmora.terminate(signal));
    }
}

// A signal can come before the program is ready for it: whenever it comes,
// the program ends at once and does not crash.
TEST(Ending, SigtermAtAnyMomentOfStartUp)
{
    Xvfb xvfb;
    ASSERT_TRUE(xvfb.ok());
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), xvfb.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), dir.filePath(QStringLiteral("audio.raw")));
    for (int delayMs : {0, 1, 3, 6, 10, 15, 20, 30, 45, 60, 80, 120, 200, 400}) {
        for (int signal : {SIGTERM, SIGINT}) {
            QProcess pelmora;
            pelmora.setProcessEnvironment(env);
            pelmora.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            pelmora.start(kProgram, {});
            ASSERT_TRUE(pelmora.waitForStarted(5000));
            QThread::msleep(static_cast<unsigned long>(delayMs));
            ::kill(static_cast<pid_t>(pelmora.processId()), signal);
            ASSERT_TRUE(pelmora.waitForFinished(1500)) << "still running after a signal at " << delayMs << " ms";
            // Before its handler is in place the signal simply ends the process.
            if (pelmora.exitStatus() == QProcess::NormalExit) {
                EXPECT_EQ(pelmora.exitCode(), 0) << delayMs << " ms";
            } else {
                EXPECT_EQ(pelmora.error(), QProcess::Crashed);
                EXPECT_LT(delayMs, 200) << "by then the handler is long in place";
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
