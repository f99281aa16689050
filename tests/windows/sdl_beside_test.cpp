// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sdl_multimedia.h"

#include <gtest/gtest.h>

using namespace pelmora;

// Beside this program lies an SDL2.dll without SDL's functions.
TEST(SoundLibraryBesideTheProgram, IsLoadedFromThereAndWhatItLacksIsSaid)
{
    testing::internal::CaptureStderr();
    SdlMultimedia multimedia;
    EXPECT_FALSE(multimedia.waitUntilReady());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("pelmora: no sound: SDL2.dll has no SDL_"), 0u) << said;
}
