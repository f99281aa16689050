// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sample_ring.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using pelmora::SampleRing;

TEST(SampleRing, TakesWhatFitsAndGivesItBackInOrderAcrossTheWrap)
{
    SampleRing ring(8);
    std::vector<std::int16_t> out(8);
    EXPECT_EQ(ring.pop(out), 0u) << "empty";

    std::vector<std::int16_t> in(10);
    std::iota(in.begin(), in.end(), std::int16_t(1));
    EXPECT_EQ(ring.push(in), 8u) << "full after eight";
    EXPECT_EQ(ring.space(), 0u);
    EXPECT_EQ(ring.push(in), 0u);

    EXPECT_EQ(ring.pop(std::span(out).first(5)), 5u);
    EXPECT_EQ(ring.push(std::span(in).subspan(8)), 2u);
    // 6, 7, 8 before the end of the storage, then 9, 10 from its start.
    EXPECT_EQ(ring.pop(out), 5u);
    EXPECT_EQ(std::vector<std::int16_t>(out.begin(), out.begin() + 5), (std::vector<std::int16_t>{6, 7, 8, 9, 10}));
    EXPECT_EQ(ring.size(), 0u);

    ring.push(in);
    ring.clear();
    EXPECT_EQ(ring.size(), 0u);
    EXPECT_EQ(ring.space(), 8u);
}
