// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "form1.h"
#include "form_probe.h"
#include "quiz.h"
#include "sdl_multimedia.h"
#include "sound.h"
#include "virtual_clock.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace pelmora;

// Wine here has neither SDL2.dll nor libmpg123-0.dll, as a Windows machine
// may lack them. The current directory holds a stand-in SDL2.dll, which must
// not be taken for SDL.
TEST(WithoutSoundLibraries, TheQuizPlaysThroughSilentlyAndWhyIsSaidOnce)
{
    testing::internal::CaptureStderr();
    {
        SdlMultimedia multimedia;
        EXPECT_FALSE(multimedia.waitUntilReady());

        Form1 form;
        VirtualClock clock;
        for (Timer* timer : timersOf(form))
            clock.attach(*timer);
        const Sound sound(multimedia, applicationDirectory());
        Quiz quiz{form, sound};
        quiz.bind();
        form.load();
        clock.advance(8000);
        for (int q = 0; q < 20; ++q) {
            form.clickAnswer(static_cast<std::int16_t>(quiz.bank.answer(quiz.QuestionIndex) - 1));
            clock.advance(8000);
        }
        EXPECT_TRUE(form.Label1.visible());
        EXPECT_EQ(form.Label1.caption(), "20もんちゅう 20せいかいでした");

        EXPECT_FALSE(multimedia.PlaySound(Sound::effectFileName(applicationDirectory(), Effect::Correct).c_str(),
                                          nullptr, Multimedia::kAsync));
        EXPECT_EQ(multimedia.SendString(Sound::musicCommand(applicationDirectory()).c_str(), nullptr, 0, nullptr),
                  Multimedia::kErrorHardware);
        EXPECT_TRUE(multimedia.waitUntilCarriedOut());
    }
    SdlMultimedia again;
    EXPECT_FALSE(again.waitUntilReady());

    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("pelmora: no sound: SDL2.dll: "), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}
