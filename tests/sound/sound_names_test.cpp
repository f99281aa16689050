// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "audio_file.h"
#include "audio_streams.h"
#include "recording_multimedia.h"
#include "sound.h"
#include "audio.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace pelmora;
using Kind = RecordingMultimedia::Call::Kind;

namespace {

struct Named {
    std::string correct;
    std::string wrong;
    std::string music;
};

Named namesFor(const std::string& directory)
{
    RecordingMultimedia multimedia;
    const Sound sound(multimedia, directory);
    sound.PlayEffect(Effect::Correct);
    sound.PlayEffect(Effect::Wrong);
    sound.SendMusicCommand();
    EXPECT_EQ(multimedia.calls.size(), 3u);
    for (const auto& call : multimedia.calls) {
        EXPECT_TRUE(call.nullModule);
        if (call.kind == Kind::PlaySound)
            EXPECT_EQ(call.flags, Multimedia::kAsync);
        else
            EXPECT_EQ(call.returnLength, 0u);
    }
    return {multimedia.calls[0].text, multimedia.calls[1].text, multimedia.calls[2].text};
}

std::vector<std::uint8_t> bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

// The path as UTF-8 with '/' between its parts, on every platform.
std::string generic(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.generic_u8string();
    return std::string(utf8.begin(), utf8.end());
}

} // namespace

TEST(SoundNames, AreTheDirectoryTextAndASuffixAsTheyStand)
{
    const Named plain = namesFor("C:\\Apps\\Quiz");
    EXPECT_EQ(plain.correct, "C:\\Apps\\Quiz\\pinpon.wav");
    EXPECT_EQ(plain.wrong, "C:\\Apps\\Quiz\\mistake.wav");
    EXPECT_EQ(plain.music, "Play C:\\Apps\\Quiz\\bgm.mp3");

    const Named root = namesFor("C:\\");
    EXPECT_EQ(root.correct, "C:\\\\pinpon.wav");
    EXPECT_EQ(root.wrong, "C:\\\\mistake.wav");
    EXPECT_EQ(root.music, "Play C:\\\\bgm.mp3");

    const Named blanks = namesFor("C:\\Program Files\\Pelmora Quiz");
    EXPECT_EQ(blanks.correct, "C:\\Program Files\\Pelmora Quiz\\pinpon.wav");
    EXPECT_EQ(blanks.music, "Play C:\\Program Files\\Pelmora Quiz\\bgm.mp3");
}

TEST(SoundNames, ApplicationDirectoryHoldsTheRunningProgram)
{
    const std::filesystem::path directory(applicationDirectory());
    EXPECT_TRUE(std::filesystem::equivalent(directory, SOUND_TESTS_DIR));
}

TEST(PlayCommand, TakesThePlayVerbInAnyCaseAndTheRestAsTheFile)
{
    EXPECT_EQ(playCommandFile("Play C:\\Apps\\Quiz\\bgm.mp3"), "C:\\Apps\\Quiz\\bgm.mp3");
    EXPECT_EQ(playCommandFile("PLAY a"), "a");
    EXPECT_EQ(playCommandFile("  play\tC:\\My Music\\bgm.mp3 "), "C:\\My Music\\bgm.mp3 ");
    EXPECT_EQ(playCommandFile("play"), "");
    EXPECT_EQ(playCommandFile("play   "), "");
    for (const char* other : {"", "stop a", "open a", "playa", "pla y", "xplay a"})
        EXPECT_EQ(playCommandFile(other), std::nullopt) << other;
}

TEST(PlatformPath, TurnsBackslashesIntoSeparatorsAndKeepsUtf8)
{
    EXPECT_EQ(platformPath("C:\\Apps\\Quiz\\bgm.mp3").generic_string(), "C:/Apps/Quiz/bgm.mp3");
    EXPECT_EQ(generic(platformPath("/opt/quiz\\pinpon.wav")), "/opt/quiz/pinpon.wav");
    const std::string japanese = "/tmp/\xE3\x81\x8A\xE3\x82\x93\xE3\x81\x8C\xE3\x81\x8F \xE3\x82\xAF\xE3\x82\xA4\xE3\x82\xBA";
    EXPECT_EQ(generic(platformPath(japanese + "\\bgm.mp3")), japanese + "/bgm.mp3");
}

TEST(AudioFormat, RiffWaveGoesToTheWavLoaderAndAllElseToTheMp3Decoder)
{
    const std::string wav = e2e::wavBytes(e2e::square(1000, 0.01));
    EXPECT_EQ(detectAudioFormat(bytes(wav)), AudioFormat::Wav);
    EXPECT_EQ(detectAudioFormat(bytes(wav.substr(0, 12))), AudioFormat::Wav);
    EXPECT_EQ(detectAudioFormat(bytes(wav.substr(0, 11))), AudioFormat::Mp3);
    EXPECT_EQ(detectAudioFormat(bytes("RIFF\x04\0\0\0AVI ")), AudioFormat::Mp3);
    for (const char* other : {"\xFF\xFB\x90\x64", "ID3\x04", "junk", "OggS", ""})
        EXPECT_EQ(detectAudioFormat(bytes(other)), AudioFormat::Mp3) << other;
}

TEST(AudioFormat, OnlyRegularFilesAreRead)
{
    const e2e::TempDir directory;
    const std::filesystem::path& temp = directory.path();
    const std::filesystem::path wav = temp / "a.wav";
    e2e::writeWav(wav, e2e::square(1000, 0.01));
    EXPECT_TRUE(isRegularFile(wav));
    EXPECT_FALSE(isRegularFile(temp / "none.wav"));
    EXPECT_FALSE(isRegularFile(temp));
}
