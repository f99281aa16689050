// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <span>

namespace pelmora {

class Form1;
class PictureBox;

enum class Character { Santa, Reindeer, Bell, Snowman };

struct Placement {
    int slot;
    Character character;
    int left;
    int top;
};

// The characters each of the twenty questions shows, in ascending slot order.
std::span<const Placement> scene(int question);

// The template control whose picture a character's slot shows.
PictureBox& templateOf(Form1& form, Character character);

// Hides every slot, then takes its picture away, slot by slot.
void ClearScene(Form1& form);

// Gives each slot of the scene its character's picture, then sets each slot's
// Top and Left. Touches no visibility and no slot outside the scene.
void StageScene(Form1& form, int question);

} // namespace pelmora
