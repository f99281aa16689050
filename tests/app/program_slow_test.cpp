// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The real program slowed down: --slow 2 makes the first scene last 16 s.

#include "real_program.h"

#include <gtest/gtest.h>

using namespace pelmora::e2e;

namespace {

TEST(SlowProgram, AtTwoTheFirstQuestionComesAfterSixteenSeconds)
{
    RealProgram pelmora(QStringLiteral(PELMORA_PROGRAM), {.arguments = {QStringLiteral("--slow"), QStringLiteral("2")},
                                                          .trace = true});
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
