// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The right answer to each of the twenty questions asked, as a number from 1
// to 10, worked out from the questions' own texts, not taken from the program.

#include <array>

namespace pelmora::test {

inline constexpr std::array<int, 20> kAnswerKey{2, 2, 3, 2, 5, 3, 2, 3, 3, 6, 3, 3, 1, 2, 1, 3, 4, 2, 2, 1};

} // namespace pelmora::test
