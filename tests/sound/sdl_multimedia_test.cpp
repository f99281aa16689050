#include "sdl_multimedia.h"
#include "sound.h"
#include "test_audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

using namespace pelmora;
using namespace pelmora::soundtest;
using namespace std::chrono_literals;

namespace {

class DiskAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        output_ = temp_.path() / "output.raw";
        useDiskAudio(output_);
        multimedia_ = std::make_unique<SdlMultimedia>();
    }

    SdlMultimedia& multimedia() { return *multimedia_; }
    const std::filesystem::path& temp() const { return temp_.path(); }

    // Closes the device and returns what it played.
    std::vector<int> heard()
    {
        multimedia_.reset();
        return blockPeaks(output_);
    }

    void waitForMusicToEnd()
    {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (multimedia().musicPlaying() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(20ms);
        ASSERT_FALSE(multimedia().musicPlaying());
    }

private:
    TempDir temp_;
    std::filesystem::path output_;
    std::unique_ptr<SdlMultimedia> multimedia_;
};

// Music whose level climbs in six steps, so that a restart shows as a drop.
Samples staircase()
{
    Samples music;
    for (int step = 1; step <= 6; ++step)
        music = music + square(2000 * step, 0.05);
    return music;
}

bool contains(const std::vector<int>& peaks, int level)
{
    return std::any_of(peaks.begin(), peaks.end(), [&](int peak) { return near(peak, level); });
}

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    statm >> pages >> pages;
    return pages * 4096L;
}

std::size_t firstNear(const std::vector<int>& peaks, int level)
{
    return std::size_t(std::find_if(peaks.begin(), peaks.end(), [&](int p) { return near(p, level); })
                       - peaks.begin());
}

} // namespace

TEST_F(DiskAudio, EachEffectIsHeardAndAChangedFileIsReloaded)
{
    const std::filesystem::path dir = makeDirectory(temp() / "app");
    writeWav(dir / "pinpon.wav", square(8000, 0.1));
    writeWav(dir / "mistake.wav", square(5000, 0.1));
    const Sound sound(multimedia(), text(dir));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound.PlayEffect(Effect::Correct);
    std::this_thread::sleep_for(200ms);
    sound.PlayEffect(Effect::Wrong);
    std::this_thread::sleep_for(200ms);
    writeWav(dir / "pinpon.wav", square(11000, 0.15));
    sound.PlayEffect(Effect::Correct);
    std::this_thread::sleep_for(250ms);

    const std::vector<int> peaks = heard();
    const std::size_t correct = firstNear(peaks, 8000);
    const std::size_t wrong = firstNear(peaks, 5000);
    const std::size_t changed = firstNear(peaks, 11000);
    EXPECT_LT(correct, wrong);
    EXPECT_LT(wrong, changed);
    EXPECT_LT(changed, peaks.size());
}

TEST_F(DiskAudio, ANewEffectCutsOffTheOnePlaying)
{
    const std::filesystem::path dir = makeDirectory(temp() / "app");
    writeWav(dir / "pinpon.wav", square(4000, 3.0));
    writeWav(dir / "mistake.wav", square(12000, 0.1));
    const Sound sound(multimedia(), text(dir));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound.PlayEffect(Effect::Correct);
    std::this_thread::sleep_for(200ms);
    sound.PlayEffect(Effect::Wrong);
    std::this_thread::sleep_for(400ms);

    const std::vector<int> peaks = heard();
    const auto loudest = std::max_element(peaks.begin(), peaks.end());
    ASSERT_NE(loudest, peaks.end());
    EXPECT_TRUE(near(*loudest, 12000)) << "the two effects were mixed: " << *loudest;
    EXPECT_LT(firstNear(peaks, 4000), firstNear(peaks, 12000));
    const auto lastSecond = std::find_if(peaks.rbegin(), peaks.rend(), [](int p) { return near(p, 12000); });
    // The first effect had seconds left: none of it may follow the second.
    for (auto after = peaks.rbegin(); after != lastSecond; ++after)
        EXPECT_LT(*after, kSilence);
}

TEST_F(DiskAudio, MusicPlaysOnWhenResentAndComesBackAfterItEnds)
{
    const std::filesystem::path dir = makeDirectory(temp() / "app");
    writeWav(dir / "bgm.mp3", staircase());
    const Sound sound(multimedia(), text(dir));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound.SendMusicCommand();
    std::this_thread::sleep_for(100ms);
    sound.SendMusicCommand();
    std::this_thread::sleep_for(100ms);
    sound.SendMusicCommand();
    waitForMusicToEnd();
    std::this_thread::sleep_for(100ms);
    sound.SendMusicCommand();
    waitForMusicToEnd();

    const std::vector<std::vector<int>> runs = soundingRuns(heard());
    ASSERT_EQ(runs.size(), 2u);
    for (const std::vector<int>& run : runs) {
        EXPECT_TRUE(near(run.front(), 2000)) << run.front();
        EXPECT_TRUE(near(run.back(), 12000)) << run.back();
        EXPECT_TRUE(std::is_sorted(run.begin(), run.end())) << "the music started over while playing";
    }
}

TEST_F(DiskAudio, RealSoundFilesPlayFromAJapaneseDirectoryWithBlanks)
{
    const std::filesystem::path dir = makeDirectory(temp() / u8"ペルモラ の 音");
    for (const char* name : {"pinpon.wav", "mistake.wav", "bgm.mp3"})
        std::filesystem::copy_file(std::filesystem::path(PELMORA_RUNTIME_DIR) / name, dir / name);
    ASSERT_TRUE(multimedia().waitUntilReady());

    char reply[] = "1";
    EXPECT_EQ(multimedia().SendString(Sound::musicCommand(text(dir)).c_str(), reply, 0, nullptr), 0u);
    EXPECT_STREQ(reply, "1");
    std::this_thread::sleep_for(600ms);
    EXPECT_TRUE(multimedia().musicPlaying());
    EXPECT_TRUE(multimedia().PlaySound(Sound::effectFileName(text(dir), Effect::Correct).c_str(), nullptr,
                                       Multimedia::kAsync));
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(multimedia().PlaySound(Sound::effectFileName(text(dir), Effect::Wrong).c_str(), nullptr,
                                       Multimedia::kAsync));
    std::this_thread::sleep_for(300ms);

    const std::vector<int> peaks = heard();
    const auto start = std::find_if(peaks.begin(), peaks.end(), [](int p) { return p >= kSilence; });
    ASSERT_NE(start, peaks.end()) << "nothing was heard";
    // Half a second of music alone, then the effects over it, louder.
    const std::vector<int> music(start, start + 50);
    const std::vector<int> effects(start + 60, peaks.end());
    EXPECT_TRUE(std::all_of(music.begin(), music.end(), [](int p) { return p >= kSilence; }));
    EXPECT_GT(*std::max_element(effects.begin(), effects.end()), 2 * *std::max_element(music.begin(), music.end()));
}

TEST_F(DiskAudio, WhatIsAskedBeforeTheDeviceIsOpenIsCarriedOut)
{
    const std::filesystem::path dir = makeDirectory(temp() / "app");
    writeWav(dir / "bgm.mp3", square(3000, 0.4));
    writeWav(dir / "pinpon.wav", square(9000, 0.1));
    const Sound sound(multimedia(), text(dir));

    sound.SendMusicCommand();
    sound.PlayEffect(Effect::Correct);
    ASSERT_TRUE(multimedia().waitUntilReady());
    std::this_thread::sleep_for(500ms);

    const std::vector<int> peaks = heard();
    EXPECT_TRUE(contains(peaks, 3000 + 9000)) << "music and effect were not heard together";
    EXPECT_TRUE(contains(peaks, 3000)) << "the music was not heard alone";
}

TEST_F(DiskAudio, BadFilesAndCommandsGiveSilence)
{
    const std::string good = wavBytes(square(6000, 0.2));
    const std::filesystem::path missing = makeDirectory(temp() / "missing");
    const std::filesystem::path empty = makeDirectory(temp() / "empty");
    const std::filesystem::path textual = makeDirectory(temp() / "text");
    const std::filesystem::path folders = makeDirectory(temp() / "folders");
    const std::filesystem::path truncated = makeDirectory(temp() / "truncated");
    const std::filesystem::path damaged = makeDirectory(temp() / "damaged");
    for (const char* name : {"pinpon.wav", "bgm.mp3"}) {
        writeFile(empty / name, "");
        writeFile(textual / name, "This is not a sound.\n");
        makeDirectory(folders / name);
        writeFile(truncated / name, good.substr(0, good.size() / 2));
    }
    // A format tag SDL does not know, and one MP3 frame header without the
    // frames that should follow it.
    writeFile(damaged / "pinpon.wav", good.substr(0, 20) + "\x34\x12" + good.substr(22));
    writeFile(damaged / "bgm.mp3", "\xFF\xFB\x90\x64" + std::string(4000, '\0'));
    ASSERT_TRUE(multimedia().waitUntilReady());

    const struct {
        std::filesystem::path dir;
        std::uint32_t error;
    } cases[] = {
        {missing, Multimedia::kErrorFileNotFound},  {empty, Multimedia::kErrorInvalidFile},
        {textual, Multimedia::kErrorInvalidFile},   {folders, Multimedia::kErrorFileNotFound},
        {truncated, Multimedia::kErrorInvalidFile}, {damaged, Multimedia::kErrorInvalidFile},
    };
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.dir.filename().string());
        const std::string dir = text(bad.dir);
        EXPECT_FALSE(multimedia().PlaySound(Sound::effectFileName(dir, Effect::Correct).c_str(), nullptr,
                                            Multimedia::kAsync));
        EXPECT_EQ(multimedia().SendString(Sound::musicCommand(dir).c_str(), nullptr, 0, nullptr), bad.error);
    }
    for (const char* command : {"", "stop all", "open x", "play", "player x", "close " , "   "})
        EXPECT_NE(multimedia().SendString(command, nullptr, 0, nullptr), 0u) << '"' << command << '"';
    EXPECT_NE(multimedia().SendString(nullptr, nullptr, 0, nullptr), 0u);
    EXPECT_FALSE(multimedia().PlaySound((text(truncated) + "/pinpon.wav").c_str(), nullptr, 0));
    std::this_thread::sleep_for(200ms);

    const std::vector<int> peaks = heard();
    EXPECT_FALSE(peaks.empty());
    EXPECT_TRUE(std::all_of(peaks.begin(), peaks.end(), [](int p) { return p == 0; }));
}

TEST_F(DiskAudio, UnknownCommandsLeaveTheMusicAlone)
{
    const std::filesystem::path dir = makeDirectory(temp() / "app");
    writeWav(dir / "bgm.mp3", square(3000, 0.4));
    ASSERT_TRUE(multimedia().waitUntilReady());

    const std::string file = text(dir) + "\\bgm.mp3";
    char reply[] = "xyz";
    EXPECT_EQ(multimedia().SendString(("pLaY   " + file).c_str(), reply, sizeof reply, nullptr), 0u);
    EXPECT_STREQ(reply, "");
    EXPECT_EQ(multimedia().SendString(("stop " + file).c_str(), nullptr, 0, nullptr),
              Multimedia::kErrorUnrecognizedCommand);
    EXPECT_EQ(multimedia().SendString(("close " + file).c_str(), nullptr, 0, nullptr),
              Multimedia::kErrorUnrecognizedCommand);
    EXPECT_TRUE(multimedia().musicPlaying());
    waitForMusicToEnd();

    const std::vector<std::vector<int>> runs = soundingRuns(heard());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_GE(runs.front().size(), 38u);
}

TEST_F(DiskAudio, ResendingAndSwitchingMusicDoesNotGrowMemory)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer holds freed memory back on purpose; its leak check covers this build";
#endif
    const std::filesystem::path a = makeDirectory(temp() / "a");
    const std::filesystem::path b = makeDirectory(temp() / "b");
    std::filesystem::copy_file(std::filesystem::path(PELMORA_RUNTIME_DIR) / "bgm.mp3", a / "bgm.mp3");
    std::filesystem::copy_file(std::filesystem::path(PELMORA_RUNTIME_DIR) / "bgm.mp3", b / "bgm.mp3");
    ASSERT_TRUE(multimedia().waitUntilReady());

    const std::string commandA = Sound::musicCommand(text(a));
    const std::string commandB = Sound::musicCommand(text(b));
    // Warm up the allocator before measuring.
    for (int i = 0; i < 20; ++i)
        multimedia().SendString((i % 2 ? commandA : commandB).c_str(), nullptr, 0, nullptr);
    const long before = residentBytes();
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(multimedia().SendString(commandA.c_str(), nullptr, 0, nullptr), 0u);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(multimedia().SendString((i % 2 ? commandA : commandB).c_str(), nullptr, 0, nullptr), 0u);
    EXPECT_LT(residentBytes() - before, 16L << 20);
}

TEST_F(DiskAudio, TaggedMp3MusicIsDecodedWhileItPlays)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer holds freed memory back on purpose";
#endif
    const std::filesystem::path dir = makeDirectory(temp() / "app");
    std::ifstream real(std::filesystem::path(PELMORA_RUNTIME_DIR) / "bgm.mp3", std::ios::binary);
    // An ID3v2.3 tag of 1017 bytes: a title frame, then padding.
    const std::string tag = std::string("ID3\x03\0\0\0\0\x07\x79TIT2\0\0\0\x07\0\0\0Jingle", 27)
        + std::string(1000, '\0');
    writeFile(dir / "bgm.mp3", tag + std::string(std::istreambuf_iterator<char>(real), {}));
    ASSERT_TRUE(multimedia().waitUntilReady());

    const long before = residentBytes();
    ASSERT_EQ(multimedia().SendString(Sound::musicCommand(text(dir)).c_str(), nullptr, 0, nullptr), 0u);
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(multimedia().musicPlaying());
    // The whole tune decoded at once would take some 9.7 MB.
    const long grown = residentBytes() - before;
    EXPECT_LT(grown, 3L << 20) << grown << " bytes more";
}

TEST_F(DiskAudio, LoudEffectsOverMusicClipInsteadOfWrappingAround)
{
    const std::filesystem::path dir = makeDirectory(temp() / "app");
    writeWav(dir / "bgm.mp3", square(20000, 0.5));
    writeWav(dir / "pinpon.wav", square(20000, 0.2));
    const Sound sound(multimedia(), text(dir));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound.SendMusicCommand();
    sound.PlayEffect(Effect::Correct);
    std::this_thread::sleep_for(600ms);

    const std::vector<int> peaks = heard();
    EXPECT_TRUE(contains(peaks, 32767)) << "the sum of 20000 and 20000 was not clipped";
    EXPECT_TRUE(contains(peaks, 20000)) << "the music was not heard alone";
}

TEST(NoAudioDevice, EverythingIsSilentAndNothingElseChanges)
{
    TempDir temp;
    const std::filesystem::path dir = makeDirectory(temp.path() / "app");
    writeWav(dir / "pinpon.wav", square(8000, 0.1));
    writeWav(dir / "bgm.mp3", square(3000, 0.1));
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);

    SdlMultimedia multimedia;
    EXPECT_FALSE(multimedia.waitUntilReady());
    EXPECT_FALSE(multimedia.PlaySound(Sound::effectFileName(text(dir), Effect::Correct).c_str(), nullptr,
                                      Multimedia::kAsync));
    EXPECT_EQ(multimedia.SendString(Sound::musicCommand(text(dir)).c_str(), nullptr, 0, nullptr),
              Multimedia::kErrorHardware);
    EXPECT_FALSE(multimedia.musicPlaying());
}
