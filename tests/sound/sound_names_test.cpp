#include "audio_file.h"
#include "recording_multimedia.h"
#include "sound.h"
#include "test_audio.h"

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
    EXPECT_EQ(platformPath("/opt/quiz\\pinpon.wav").string(), "/opt/quiz/pinpon.wav");
    const std::string japanese = "/tmp/\xE3\x81\x8A\xE3\x82\x93\xE3\x81\x8C\xE3\x81\x8F \xE3\x82\xAF\xE3\x82\xA4\xE3\x82\xBA";
    EXPECT_EQ(soundtest::text(platformPath(japanese + "\\bgm.mp3")), japanese + "/bgm.mp3");
}

TEST(AudioFormat, IsJudgedByContentAndRejectsDamagedFiles)
{
    const std::string wav = soundtest::wavBytes(soundtest::square(1000, 0.01));
    EXPECT_EQ(detectAudioFormat(bytes(wav)), AudioFormat::Wav);
    EXPECT_EQ(detectAudioFormat(bytes(wav + "trailing")), AudioFormat::Wav);
    EXPECT_EQ(detectAudioFormat(bytes(wav.substr(0, wav.size() - 1))), AudioFormat::Unknown);
    EXPECT_EQ(detectAudioFormat(bytes(wav.substr(0, 12))), AudioFormat::Unknown);

    const std::string frame = "\xFF\xFB\x90\x64";
    EXPECT_EQ(detectAudioFormat(bytes(frame + std::string(400, '\0'))), AudioFormat::Mp3);
    EXPECT_EQ(detectAudioFormat(bytes("\xFF\xFB\xF0\x64")), AudioFormat::Unknown); // bad bit rate
    EXPECT_EQ(detectAudioFormat(bytes("\xFF\xF9\x90\x64")), AudioFormat::Unknown); // no layer
    const std::string tag = std::string("ID3\x04\x00\x00\x00\x00\x00\x05", 10) + "abcde";
    EXPECT_EQ(detectAudioFormat(bytes(tag + frame)), AudioFormat::Mp3);
    EXPECT_EQ(detectAudioFormat(bytes(tag + "text")), AudioFormat::Unknown);
    EXPECT_EQ(detectAudioFormat(bytes("ID3 is not a tag")), AudioFormat::Unknown);

    EXPECT_EQ(detectAudioFormat(bytes("OggS\0\x02")), AudioFormat::Ogg);
    EXPECT_EQ(detectAudioFormat(bytes("fLaC\0\0\0\x22")), AudioFormat::Flac);
    EXPECT_EQ(detectAudioFormat(bytes("This is not music.\n")), AudioFormat::Unknown);
    EXPECT_EQ(detectAudioFormat({}), AudioFormat::Unknown);
}

TEST(AudioFormat, FilesAreReadOnlyWhenRegularAndWithinTheLimit)
{
    soundtest::TempDir temp;
    const std::filesystem::path wav = temp.path() / "a.wav";
    soundtest::writeWav(wav, soundtest::square(1000, 0.01));
    const auto file = readAudioFile(wav, 1 << 20);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->format, AudioFormat::Wav);
    EXPECT_EQ(file->bytes.size(), file->stamp.size);
    EXPECT_FALSE(readAudioFile(wav, 100));
    EXPECT_FALSE(readAudioFile(temp.path(), 1 << 20));
    EXPECT_FALSE(readAudioFile(temp.path() / "none.wav", 1 << 20));
    EXPECT_FALSE(stampOf(temp.path()));
}
