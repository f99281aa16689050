#include "form_probe.h"
#include "runtime_error.h"
#include "scenes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelmora;

namespace {

// Records every change of the scene slots, as (slot, what changed).
struct SlotWrites {
    explicit SlotWrites(Form1& form) : form(form)
    {
        for (PictureBox& slot : form.Image1) {
            last.push_back(snapshot(slot));
            slot.setListener([this, &slot] {
                const auto now = snapshot(slot);
                const auto& before = last[static_cast<std::size_t>(slot.index())];
                const char* what = now.visible != before.visible   ? "Visible"
                                   : now.picture != before.picture ? "Picture"
                                   : now.top != before.top         ? "Top"
                                   : now.left != before.left       ? "Left"
                                                                   : "Size";
                writes.push_back(slot.displayName() + "." + what);
                last[static_cast<std::size_t>(slot.index())] = now;
            });
        }
    }
    struct State {
        bool visible;
        const Picture* picture;
        int left, top;
    };
    static State snapshot(const PictureBox& slot)
    {
        return {slot.visible(), slot.picture().get(), slot.left(), slot.top()};
    }

    Form1& form;
    std::vector<State> last;
    std::vector<std::string> writes;
};

TEST(Staging, ClearsSlotBySlotHidingBeforeEmptying)
{
    Form1 form;
    StageScene(form, 7);
    SlotWrites log(form);
    ClearScene(form);

    std::vector<std::string> expected;
    for (int i = 0; i < 10; ++i) {
        const std::string slot = "Image1(" + std::to_string(i) + ")";
        expected.push_back(slot + ".Visible");
        if (i < 6) // the others had no picture to take away
            expected.push_back(slot + ".Picture");
    }
    EXPECT_EQ(log.writes, expected);
    for (const PictureBox& slot : form.Image1) {
        EXPECT_FALSE(slot.visible());
        EXPECT_FALSE(slot.picture());
    }
    EXPECT_TRUE(form.santa.picture()) << "emptying a slot leaves its template's picture alone";
}

TEST(Staging, GivesPicturesFirstThenTopAndLeftSlotBySlot)
{
    Form1 form;
    ClearScene(form);
    SlotWrites log(form);
    StageScene(form, 14);

    const std::vector<std::string> expected{
        "Image1(0).Picture", "Image1(1).Picture", "Image1(2).Picture", "Image1(3).Picture",
        "Image1(4).Picture", "Image1(5).Picture",
        "Image1(0).Top",     "Image1(0).Left",    "Image1(1).Top",     "Image1(1).Left",
        "Image1(2).Top",     "Image1(2).Left",    "Image1(3).Top",     "Image1(3).Left",
        "Image1(4).Top",     "Image1(4).Left",    "Image1(5).Top",     "Image1(5).Left"};
    // A new picture also resizes its slot; that is part of the same write.
    std::vector<std::string> writes;
    for (const auto& w : log.writes)
        if (w.find(".Size") == std::string::npos)
            writes.push_back(w);
    EXPECT_EQ(writes, expected);
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
