// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form_probe.h"
#include "runtime_error.h"
#include "scenes.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

TEST(Staging, ClearingHidesAndEmptiesEverySlotButNotTheTemplates)
{
    Form1 form;
    StageScene(form, 7);
    ClearScene(form);
    for (const PictureBox& slot : form.Image1) {
        EXPECT_FALSE(slot.visible()) << slot.displayName();
        EXPECT_FALSE(slot.picture()) << slot.displayName();
    }
    EXPECT_TRUE(form.santa.picture()) << "emptying a slot leaves its template's picture alone";
}

TEST(Staging, StagesOneOfTheTwentyScenesHidden)
{
    Form1 form;
    ClearScene(form);
    StageScene(form, 14);
    for (const PictureBox& slot : form.Image1)
        EXPECT_FALSE(slot.visible()) << "staging never shows a slot";
    EXPECT_THROW(StageScene(form, 20), RangeError) << "there are twenty scenes";
    EXPECT_THROW(StageScene(form, -1), RangeError);
}

TEST(Staging, PutsTheHigherSlotInFrontWhereCharactersOverlap)
{
    Form1 form;
    form.YES.setVisible(false);
    form.No.setVisible(false);
    StageScene(form, 4);
    // Slots 0 and 1 of the five Santas overlap by 50 x 42 pixels.
    const int x = 175, y = 230;
    ASSERT_TRUE(contains(form.Image1[0], x, y));
    ASSERT_TRUE(contains(form.Image1[1], x, y));
    EXPECT_EQ(controlAt(form, x, y), &form.Image1[1]);

    ClearScene(form);
    StageScene(form, 14);
    for (auto& slot : form.Image1)
        slot.setVisible(true);
    // The reindeer of slots 4 and 5 overlap by 100 x 6 pixels.
    EXPECT_EQ(controlAt(form, 150, 243), &form.Image1[5]);
}

} // namespace
