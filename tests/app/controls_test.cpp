#include "form1.h"
#include "form_probe.h"
#include "virtual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using namespace pelmora;

namespace {

struct TickCounter {
    explicit TickCounter(Timer& timer)
    {
        timer.setHandler([this] { ++ticks; });
    }
    int ticks = 0;
};

TEST(TimerModel, TicksEveryIntervalOnlyWhileEnabledWithAPositiveInterval)
{
    VirtualClock clock;
    Timer timer("Timer");
    TickCounter counter(timer);
    clock.attach(timer);

    clock.advance(100000);
    EXPECT_EQ(counter.ticks, 0) << "an enabled timer with interval 0 never ticks";

    timer.setInterval(1000); // starts it without touching Enabled
    EXPECT_TRUE(timer.enabled());
    clock.advance(999);
    EXPECT_EQ(counter.ticks, 0);
    clock.advance(1);
    EXPECT_EQ(counter.ticks, 1);
    clock.advance(5000);
    EXPECT_EQ(counter.ticks, 6);

    timer.setEnabled(false);
    clock.advance(10000);
    EXPECT_EQ(counter.ticks, 6) << "disabling stops it";

    timer.setEnabled(true);
    clock.advance(1000);
    EXPECT_EQ(counter.ticks, 7) << "enabling starts a fresh countdown";

    timer.setInterval(0);
    clock.advance(10000);
    EXPECT_EQ(counter.ticks, 7);
}

TEST(TimerModel, RestartsItsCountdownOnANewIntervalButNotOnARepeatedEnable)
{
    VirtualClock clock;
    Timer timer("Timer");
    TickCounter counter(timer);
    clock.attach(timer);
    timer.setEnabled(false);
    timer.setEnabled(true);
    timer.setInterval(8000);
    clock.advance(6000);

    timer.setEnabled(true);
    clock.advance(2000);
    EXPECT_EQ(counter.ticks, 1) << "Enabled = true on a running timer keeps its countdown";

    clock.advance(6000);
    timer.setInterval(8000);
    clock.advance(7999);
    EXPECT_EQ(counter.ticks, 1) << "setting Interval starts the countdown again";
    clock.advance(1);
    EXPECT_EQ(counter.ticks, 2);
    EXPECT_THROW(timer.setInterval(-1), std::invalid_argument);
}

TEST(TimerModel, LetsAHandlerStopItsOwnTimer)
{
    VirtualClock clock;
    Timer timer("Timer");
    int ticks = 0;
    timer.setHandler([&] { ++ticks; timer.setEnabled(false); });
    clock.attach(timer);
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

struct Expected {
    const char* name;
    int left, top, width, height;
    bool visible, enabled;
};

TEST(Form1Definition, PlacesEveryControlAsDesigned)
{
    Form1 form;
    std::vector<Expected> expected{
        {"Mondai", 104, 0, 409, 121, true, false},   {"Label1", 84, 256, 469, 46, false, true},
        {"YES", 144, 89, 302, 339, true, true},      {"No", 147, 122, 302, 339, true, true},
        {"santa", 8, 584, 100, 112, true, true},     {"Tonakai", 112, 576, 100, 116, true, true},
        {"BELL", 208, 584, 100, 73, true, true},     {"Snowman", 301, 588, 79, 110, true, true}};
    for (int i = 0; i < 10; ++i) {
        expected.push_back({"Answer", 112 + 40 * i, 520, 41, 50, true, true});
        expected.push_back({"Image1", 0, 0, 97, 113, true, true});
    }
    const int treeLeft[8] = {0, 0, 0, 0, 544, 544, 544, 544};
    const int treeTop[8] = {0, 136, 272, 408, 0, 136, 272, 408};
    for (int i = 0; i < 8; ++i)
        expected.push_back({"TREE", treeLeft[i], treeTop[i], 86, 140, true, true});

    const auto controls = visualControls(form);
    ASSERT_EQ(controls.size(), expected.size());
    std::map<std::string, int> seen;
    for (const Expected& e : expected) {
        const int index = seen[e.name]++;
        const auto it = std::find_if(controls.begin(), controls.end(), [&](VisualControl* c) {
            return c->name() == e.name && (c->index() < 0 || c->index() == index);
        });
        ASSERT_NE(it, controls.end()) << e.name << index;
        const VisualControl& c = **it;
        EXPECT_EQ(c.left(), e.left) << c.displayName();
        EXPECT_EQ(c.top(), e.top) << c.displayName();
        EXPECT_EQ(c.width(), e.width) << c.displayName();
        EXPECT_EQ(c.height(), e.height) << c.displayName();
        EXPECT_EQ(c.visible(), e.visible) << c.displayName();
        EXPECT_EQ(c.enabled(), e.enabled) << c.displayName();
    }

    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(form.Answer[i].caption(), std::to_string(i + 1));
    EXPECT_EQ(form.Mondai.foreColor, (Color{255, 0, 255}));
    EXPECT_TRUE(form.Mondai.multiLine);
    EXPECT_EQ(form.Mondai.font->name, "System");
    EXPECT_EQ(form.Mondai.font->points, 27);
    EXPECT_EQ(form.Label1.foreColor, (Color{255, 0, 0}));
    EXPECT_EQ(form.Label1.font->name, "ＭＳ ゴシック");
    EXPECT_EQ(form.Label1.font->weight, 700);
    EXPECT_EQ(form.font.name, "MS Sans Serif");
    EXPECT_EQ(form.YES.picture()->art, Art::Circle);
    EXPECT_EQ(form.No.picture()->art, Art::Cross);
    for (const PictureBox& tree : form.TREE)
        EXPECT_EQ(tree.picture(), form.TREE[0].picture());
    for (const PictureBox& slot : form.Image1)
        EXPECT_FALSE(slot.picture());

    EXPECT_FALSE(form.Timer1.enabled());
    EXPECT_EQ(form.Timer1.interval(), 0);
    EXPECT_FALSE(form.Timer2.enabled());
    EXPECT_EQ(form.Timer2.interval(), 5000);
    EXPECT_TRUE(form.Timer3.enabled());
    EXPECT_EQ(form.Timer3.interval(), 0);
}

TEST(Form1Definition, StacksAndTabsAsDesigned)
{
    Form1 form;
    std::vector<std::string> front;
    for (VisualControl* c : visualControls(form))
        front.push_back(c->displayName());
    EXPECT_EQ(front[0], "Answer(1)");
    EXPECT_EQ(front[1], "Answer(0)");
    EXPECT_EQ(front[2], "Mondai");
    EXPECT_EQ(front[3], "Answer(9)");
    EXPECT_EQ(front[10], "Answer(2)");
    EXPECT_EQ(front[11], "Label1");
    EXPECT_EQ(front[12], "No");
    EXPECT_EQ(front[13], "YES");
    EXPECT_EQ(front[14], "Image1(9)");
    EXPECT_EQ(front[23], "Image1(0)");
    EXPECT_EQ(front[24], "Snowman");
    EXPECT_EQ(front[25], "Tonakai");
    EXPECT_EQ(front[26], "BELL");
    EXPECT_EQ(front[27], "TREE(7)");
    EXPECT_EQ(front[34], "TREE(0)");
    EXPECT_EQ(front.back(), "santa");

    std::vector<std::string> tabs;
    for (VisualControl* c : form.tabOrder())
        tabs.push_back(c->displayName());
    EXPECT_EQ(tabs, (std::vector<std::string>{"Mondai", "Answer(2)", "Answer(3)", "Answer(4)", "Answer(5)",
                                              "Answer(6)", "Answer(7)", "Answer(8)", "Answer(9)", "Answer(0)",
                                              "Answer(1)", "Label1"}));
}

TEST(Form1Definition, GivesTheSharedButtonColumnsToTheButtonInFront)
{
    Form1 form;
    EXPECT_EQ(controlAt(form, 232, 540), &form.Answer[3]);
    EXPECT_EQ(controlAt(form, 152, 540), &form.Answer[1]);
    EXPECT_EQ(controlAt(form, 192, 540), &form.Answer[1]);
    EXPECT_EQ(controlAt(form, 472, 540), &form.Answer[9]);
    EXPECT_EQ(controlAt(form, 112, 540), &form.Answer[0]);
    EXPECT_EQ(controlAt(form, 512, 540), &form.Answer[9]);
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
