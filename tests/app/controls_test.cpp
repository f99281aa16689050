// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1.h"
#include "form_probe.h"
#include "virtual_clock.h"

#include <gtest/gtest.h>


using namespace pelmora;

namespace {

// A timer on a virtual clock that counts its ticks.
class TimerModel : public ::testing::Test {
protected:
    TimerModel()
    {
        timer.setHandler([this] { ++ticks; });
        clock.attach(timer);
    }

    VirtualClock clock;
    Timer timer{"Timer"};
    int ticks = 0;
};

TEST_F(TimerModel, TicksEveryIntervalOnlyWhileEnabledWithAPositiveInterval)
{
    clock.advance(100000);
    EXPECT_EQ(ticks, 0) << "an enabled timer with interval 0 never ticks";

    timer.setInterval(1000); // starts it without touching Enabled
    EXPECT_TRUE(timer.enabled());
    clock.advance(999);
    EXPECT_EQ(ticks, 0);
    clock.advance(1);
    EXPECT_EQ(ticks, 1);
    clock.advance(5000);
    EXPECT_EQ(ticks, 6);

    timer.setEnabled(false);
    clock.advance(10000);
    EXPECT_EQ(ticks, 6) << "disabling stops it";

    timer.setEnabled(true);
    clock.advance(1000);
    EXPECT_EQ(ticks, 7) << "enabling starts a fresh countdown";

    timer.setInterval(0);
    clock.advance(10000);
    EXPECT_EQ(ticks, 7);
}

TEST_F(TimerModel, RestartsItsCountdownOnANewIntervalButNotOnARepeatedEnable)
{
    timer.setEnabled(false);
    timer.setEnabled(true);
    timer.setInterval(8000);
    clock.advance(6000);

    timer.setEnabled(true);
    clock.advance(2000);
    EXPECT_EQ(ticks, 1) << "Enabled = true on a running timer keeps its countdown";

    clock.advance(6000);
    timer.setInterval(8000);
    clock.advance(7999);
    EXPECT_EQ(ticks, 1) << "setting Interval starts the countdown again";
    clock.advance(1);
    EXPECT_EQ(ticks, 2);
    EXPECT_THROW(timer.setInterval(-1), std::invalid_argument);
}

TEST_F(TimerModel, LetsAHandlerStopItsOwnTimer)
{
    timer.setHandler([&] { ++ticks; timer.setEnabled(false); });
    timer.setInterval(500);
    clock.advance(5000);
    EXPECT_EQ(ticks, 1);
}

TEST(PictureBoxModel, TakesTheSizeOfItsPictureAndSharesIt)
{
    Form1 form;
    PictureBox& slot = form.Image1[0];
    EXPECT_EQ(slot.width(), 97);
    EXPECT_EQ(slot.height(), 113);

    slot.setPicture(form.santa.picture());
    EXPECT_EQ(slot.width(), 100);
    EXPECT_EQ(slot.height(), 112);
    EXPECT_EQ(slot.picture().get(), form.santa.picture().get()) << "one image, not a copy";

    slot.setPicture(form.BELL.picture());
    EXPECT_EQ(slot.width(), 100);
    EXPECT_EQ(slot.height(), 73);
    slot.setPicture(form.Snowman.picture());
    EXPECT_EQ(slot.width(), 79);
    EXPECT_EQ(slot.height(), 110);

    form.santa.setVisible(false);
    slot.setPicture(form.santa.picture());
    EXPECT_TRUE(slot.visible()) << "hiding a template hides none of its copies";
    slot.setPicture(nullptr);
    EXPECT_TRUE(form.santa.picture());
}

TEST(ControlModel, TellsItsListenerOfRealChangesOnly)
{
    CommandButton button("Answer", 3);
    EXPECT_EQ(button.displayName(), "Answer(3)");
    int changes = 0;
    button.setListener([&] { ++changes; });
    button.setEnabled(false);
    button.setEnabled(false);
    button.setLeft(10);
    button.setLeft(10);
    EXPECT_EQ(changes, 2);
}

TEST(Form1Definition, GivesTheSharedButtonColumnsToTheButtonInFront)
{
    Form1 form;
    // Where two buttons share a column, the one in front.
    for (auto [x, index] : {std::pair{232, 3}, {152, 1}, {192, 1}, {472, 9}, {112, 0}, {512, 9}})
        EXPECT_EQ(controlAt(form, x, 540), &form.Answer[index]) << x;
    EXPECT_EQ(controlAt(form, 513, 540), nullptr);
}

TEST(Form1Definition, DeliversTheIndexOfTheClickedButton)
{
    Form1 form;
    std::vector<std::int16_t> clicks;
    form.events.Answer_Click = [&](std::int16_t index) { clicks.push_back(index); };
    form.clickAnswer(9);
    form.clickAnswer(0);
    EXPECT_EQ(clicks, (std::vector<std::int16_t>{9, 0}));
    EXPECT_EQ(form.Answer[9].caption(), "10");
}

} // namespace
