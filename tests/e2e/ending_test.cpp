// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "real_program.h"
#include "screen.h"

#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

using namespace pelmora::e2e;

namespace {

const QString kProgram = QStringLiteral(PELMORA_PROGRAM);

// How soon it ends is measured by the benchmarks; here it must end, cleanly.
void expectCleanEnd(const RealProgram& program, qint64 endedMs)
{
    EXPECT_GE(endedMs, 0) << "the program did not end";
    EXPECT_TRUE(program.exitedNormally()) << "it crashed";
    EXPECT_EQ(program.exitCode(), 0);
}

TEST(Ending, ClosingTheWindowWhileAnEffectPlays)
{
    RealProgram pelmora(kProgram);
    ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
    ASSERT_TRUE(pelmora.waitFor(questionShown, deadline(12000)));
    const QPoint two = buttonFor(2);
    pelmora.click(two.x(), two.y());
    // The circle stays five seconds, and the chime plays meanwhile.
    ASSERT_TRUE(pelmora.waitFor(circleShown, 4500));
    expectCleanEnd(pelmora, pelmora.closeWindow());
}

// SIGTERM while the music plays is the sound tests' to check.
TEST(Ending, ClosingTheWindowOrSigintWhileTheMusicPlays)
{
    for (const bool close : {true, false}) {
        RealProgram pelmora(kProgram);
        ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
        ASSERT_TRUE(pelmora.waitForSound(0.5, deadline(10000))) << "the music never started";
        expectCleanEnd(pelmora, close ? pelmora.closeWindow() : pelmora.terminate(SIGINT));
    }
}

// Whether a process has a handler of its own for a signal now, from the
// mask of caught signals in /proc.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:"))
            return line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1) & 1;
    return false;
}

// A signal can come before the program is ready for it: whenever it comes,
// the program ends at once and does not crash.
TEST(Ending, SigtermAtAnyMomentOfStartUp)
{
    Xvfb xvfb;
    ASSERT_TRUE(xvfb.ok()) << xvfb.error().toStdString();
    for (int delayMs : {0, 1, 3, 6, 10, 15, 20, 30, 45, 60, 80, 120, 200, 400}) {
        for (int signal : {SIGTERM, SIGINT}) {
            RealProgram pelmora(xvfb, kProgram, {.waitForWindow = false});
            ASSERT_TRUE(pelmora.ok()) << pelmora.error().toStdString();
            QThread::msleep(static_cast<unsigned long>(delayMs));
            const bool handlerInPlace = catches(pelmora.pid(), signal);
            const qint64 ended = pelmora.terminate(signal);
            ASSERT_GE(ended, 0) << "still running after a signal at " << delayMs << " ms";
            // Before its handler is in place the signal simply ends the process.
            if (handlerInPlace) {
                EXPECT_TRUE(pelmora.exitedNormally()) << delayMs << " ms: it crashed";
                EXPECT_EQ(pelmora.exitCode(), 0) << delayMs << " ms";
            }
        }
    }
}

} // namespace
