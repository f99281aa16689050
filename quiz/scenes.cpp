// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "scenes.h"

#include "form1.h"
#include "runtime_error.h"


namespace pelmora {

namespace {

using enum Character;

struct Scene {
    std::array<Placement, 6> placements;
    int count;
};

template <typename... P>
constexpr Scene row(P... p)
{
    return Scene{{p...}, static_cast<int>(sizeof...(P))};
}

constexpr Placement at(int slot, Character character, int left, int top)
{
    return {slot, character, left, top};
}

constexpr std::array<Scene, 20> kScenes{{
    row(at(0, Santa, 100, 150), at(1, Santa, 380, 200)),
    row(at(0, Reindeer, 100, 150), at(1, Reindeer, 300, 200)),
    row(at(0, Bell, 100, 150), at(1, Bell, 200, 200), at(2, Bell, 300, 280)),
    row(at(0, Santa, 100, 150), at(1, Snowman, 200, 150), at(2, Snowman, 300, 180)),
    row(at(0, Santa, 100, 130), at(1, Santa, 150, 200), at(2, Santa, 200, 300),
        at(3, Santa, 250, 170), at(4, Santa, 350, 130)),
    row(at(0, Snowman, 100, 130), at(1, Snowman, 200, 200), at(2, Snowman, 300, 300),
        at(3, Santa, 400, 170), at(4, Santa, 400, 320)),
    row(at(0, Snowman, 400, 320), at(1, Snowman, 200, 200), at(2, Bell, 300, 300),
        at(3, Reindeer, 400, 170), at(4, Reindeer, 100, 130)),
    row(at(0, Santa, 100, 320), at(1, Snowman, 200, 200), at(2, Santa, 300, 300),
        at(3, Bell, 400, 170), at(4, Bell, 350, 130), at(5, Santa, 400, 300)),
    row(at(0, Santa, 100, 320), at(1, Reindeer, 200, 200), at(2, Santa, 300, 300)),
    row(at(0, Santa, 100, 320), at(1, Snowman, 200, 200), at(2, Santa, 300, 300),
        at(3, Santa, 400, 170), at(4, Snowman, 290, 130), at(5, Santa, 400, 300)),
    row(at(0, Santa, 400, 320), at(1, Snowman, 200, 200), at(2, Bell, 300, 300),
        at(3, Santa, 400, 170), at(4, Reindeer, 100, 130)),
    row(at(0, Santa, 100, 320), at(1, Snowman, 200, 200), at(2, Santa, 300, 300),
        at(3, Bell, 400, 170), at(4, Bell, 280, 130), at(5, Santa, 400, 300)),
    row(at(0, Santa, 100, 320), at(1, Reindeer, 200, 200), at(2, Santa, 300, 300)),
    row(at(0, Santa, 100, 320), at(1, Snowman, 200, 200), at(2, Santa, 300, 300),
        at(3, Santa, 400, 170), at(4, Snowman, 290, 130), at(5, Bell, 400, 300)),
    row(at(0, Reindeer, 400, 320), at(1, Snowman, 200, 200), at(2, Bell, 300, 300),
        at(3, Snowman, 400, 170), at(4, Reindeer, 100, 130), at(5, Reindeer, 100, 240)),
    row(at(0, Santa, 100, 150), at(1, Snowman, 200, 150), at(2, Santa, 300, 180)),
    row(at(0, Santa, 400, 320), at(1, Bell, 200, 200), at(2, Bell, 300, 300),
        at(3, Santa, 400, 170)),
    row(at(0, Reindeer, 100, 320), at(1, Bell, 200, 200), at(2, Santa, 300, 300),
        at(3, Bell, 400, 170)),
    row(at(0, Bell, 100, 130), at(1, Santa, 200, 200), at(2, Santa, 300, 300),
        at(3, Santa, 400, 170)),
    row(at(0, Santa, 400, 320), at(1, Santa, 200, 200), at(2, Bell, 300, 300),
        at(3, Reindeer, 400, 170), at(4, Reindeer, 100, 130)),
}};

} // namespace

std::span<const Placement> scene(int question)
{
    if (question < 0 || question >= static_cast<int>(kScenes.size()))
        throw RangeError();
    const Scene& s = kScenes[static_cast<std::size_t>(question)];
    return {s.placements.data(), static_cast<std::size_t>(s.count)};
}

PictureBox& templateOf(Form1& form, Character character)
{
    switch (character) {
    case Santa: return form.santa;
    case Reindeer: return form.Tonakai;
    case Bell: return form.BELL;
    case Snowman: return form.Snowman;
    }
    throw RangeError();
}

void ClearScene(Form1& form)
{
    for (PictureBox& slot : form.Image1) {
        slot.setVisible(false);
        slot.setPicture(nullptr);
    }
}

void StageScene(Form1& form, int question)
{
    const auto placements = scene(question);
    for (const Placement& p : placements)
        form.Image1[static_cast<std::size_t>(p.slot)].setPicture(templateOf(form, p.character).picture());
    for (const Placement& p : placements) {
        PictureBox& slot = form.Image1[static_cast<std::size_t>(p.slot)];
        slot.setTop(p.top);
        slot.setLeft(p.left);
    }
}

} // namespace pelmora
