// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <string_view>

namespace pelmora {

// Every picture the window carries. The pixel size of each is part of the
// layout: a picture box takes the size of the picture it shows.
enum class Art { Santa, Reindeer, Bell, Snowman, Tree, Circle, Cross };

inline constexpr std::array kAllArt{Art::Santa,  Art::Reindeer, Art::Bell,  Art::Snowman,
                                    Art::Tree,   Art::Circle,   Art::Cross};

struct ArtSize {
    int width;
    int height;
    friend bool operator==(ArtSize, ArtSize) = default;
};

constexpr ArtSize artSize(Art art)
{
    switch (art) {
    case Art::Santa: return {100, 112};
    case Art::Reindeer: return {100, 116};
    case Art::Bell: return {100, 73};
    case Art::Snowman: return {79, 110};
    case Art::Tree: return {86, 140};
    case Art::Circle: return {302, 339};
    case Art::Cross: return {302, 339};
    }
    return {0, 0};
}

// The file stem of the picture's vector source, e.g. "santa" for santa.svg.
constexpr std::string_view artName(Art art)
{
    switch (art) {
    case Art::Santa: return "santa";
    case Art::Reindeer: return "reindeer";
    case Art::Bell: return "bell";
    case Art::Snowman: return "snowman";
    case Art::Tree: return "tree";
    case Art::Circle: return "circle";
    case Art::Cross: return "cross";
    }
    return "";
}

} // namespace pelmora
