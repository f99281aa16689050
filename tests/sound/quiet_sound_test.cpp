// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "quiet_multimedia.h"
#include "recording_multimedia.h"

#include <gtest/gtest.h>

using namespace pelmora;
using Kind = RecordingMultimedia::Call::Kind;

namespace {

// Stands for the platform's output: records what reaches it, a stop of the
// music as a command of its own.
class RecordingSystemMultimedia final : public SystemMultimedia {
public:
    RecordingSystemMultimedia(RecordingMultimedia& record, int& opened) : record_(record), opened_(opened) {}
    void open() override { ++opened_; }
    void stopMusic() override { record_.SendString("(stop)", nullptr, 0, nullptr); }
    void speak(const std::string& clip) override { record_.speak(clip); }
    bool PlaySound(const char* sound, const void* module, std::uint32_t flags) override
    {
        return record_.PlaySound(sound, module, flags);
    }
    std::uint32_t SendString(const char* command, char* reply, std::uint32_t length, const void* window) override
    {
        return record_.SendString(command, reply, length, window);
    }

private:
    RecordingMultimedia& record_;
    int& opened_;
};

std::vector<std::string> texts(const RecordingMultimedia& record)
{
    std::vector<std::string> out;
    for (const auto& call : record.calls)
        out.push_back(call.text);
    return out;
}

} // namespace

TEST(QuietSound, WithoutMusicPassesTheAnswerSoundsAndOpensTheDevice)
{
    RecordingMultimedia record;
    int opened = 0;
    NoMusic quiet(std::make_unique<RecordingSystemMultimedia>(record, opened), false);
    char reply[8] = "x";
    EXPECT_EQ(quiet.SendString("Play C:\\dir\\bgm.mp3", reply, sizeof reply, nullptr), 0u);
    EXPECT_STREQ(reply, "");
    EXPECT_TRUE(quiet.PlaySound("C:\\dir\\pinpon.wav", nullptr, Multimedia::kAsync));
    quiet.open();
    EXPECT_EQ(opened, 1);
    ASSERT_EQ(record.calls.size(), 1u) << "the music command never reaches the device";
    EXPECT_EQ(record.calls[0].kind, Kind::PlaySound);
    EXPECT_EQ(record.calls[0].text, "C:\\dir\\pinpon.wav");
    EXPECT_EQ(record.calls[0].flags, Multimedia::kAsync);
}

TEST(QuietSound, MuteTakesEverythingAndTouchesNoDevice)
{
    NoSound mute;
    mute.open();
    EXPECT_TRUE(mute.PlaySound("C:\\dir\\mistake.wav", nullptr, Multimedia::kAsync));
    EXPECT_EQ(mute.SendString("Play C:\\dir\\bgm.mp3", nullptr, 0, nullptr), 0u);
    char reply[1] = {'x'};
    EXPECT_EQ(mute.SendString("Play C:\\dir\\bgm.mp3", reply, 0, nullptr), 0u);
    EXPECT_EQ(reply[0], 'x') << "a reply of length 0 is left alone";
}

TEST(QuietSound, TheMusicSwitchesOffAtOnceAndComesBackWithTheLastCommand)
{
    RecordingMultimedia record;
    int opened = 0;
    NoMusic music(std::make_unique<RecordingSystemMultimedia>(record, opened), true);
    music.setMusic(true); // already on: nothing is sent
    music.SendString("Play C:\\a\\bgm.mp3", nullptr, 0, nullptr);
    music.setMusic(false);
    EXPECT_FALSE(music.music());
    music.SendString("Play C:\\b\\bgm.mp3", nullptr, 0, nullptr);
    music.PlaySound("C:\\b\\pinpon.wav", nullptr, Multimedia::kAsync);
    music.speak("C:\\b\\voice\\q.mp3"); // the voice speaks on without the music
    music.setMusic(false);
    music.setMusic(true);
    EXPECT_TRUE(music.music());
    music.setMusic(true);
    EXPECT_EQ(texts(record), (std::vector<std::string>{"Play C:\\a\\bgm.mp3", "(stop)", "C:\\b\\pinpon.wav",
                                                       "C:\\b\\voice\\q.mp3", "Play C:\\b\\bgm.mp3"}));

    // Switched on before any command came, it has nothing to send.
    RecordingMultimedia quiet;
    NoMusic later(std::make_unique<RecordingSystemMultimedia>(quiet, opened), false);
    later.setMusic(true);
    EXPECT_TRUE(quiet.calls.empty());
}
