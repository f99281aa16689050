// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "audio_file.h"
#include "audio_streams.h"
#include "sdl_multimedia.h"
#include "sdl_library.h"
#include "sound.h"
#include "audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

using namespace pelmora;
using namespace pelmora::e2e;
using namespace std::chrono_literals;

namespace {

// Generous: the disk driver plays in real time, and a loaded machine or a
// sanitizer may slow everything down many times.
constexpr auto kDeadline = 30s;

using Peaks = std::vector<int>;

bool contains(const Peaks& peaks, int level)
{
    return std::any_of(peaks.begin(), peaks.end(), [&](int peak) { return near(peak, level); });
}

std::size_t firstNear(const Peaks& peaks, int level)
{
    return std::size_t(std::find_if(peaks.begin(), peaks.end(), [&](int p) { return near(p, level); })
                       - peaks.begin());
}

std::size_t countOf(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    statm >> pages >> pages;
    return pages * 4096L;
}

class DiskAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        output_ = temp() / "output.raw";
        dir_ = makeDirectory(temp() / "app");
        useDiskAudio(output_);
    }

    SdlMultimedia& multimedia(SdlMultimedia::Options options = {})
    {
        if (!multimedia_) {
            multimedia_ = std::make_unique<SdlMultimedia>(std::move(options));
            multimedia_->open();
        }
        return *multimedia_;
    }
    const std::filesystem::path& temp() const { return temp_.path(); }
    // Where the test's sound files lie, and the quiz's operations on them.
    const std::filesystem::path& dir() const { return dir_; }
    const Sound& sound()
    {
        if (!sound_)
            sound_.emplace(multimedia(), text(dir_));
        return *sound_;
    }

    // Closes the device and returns all it played.
    Peaks heard()
    {
        sound_.reset();
        multimedia_.reset();
        return blockPeaks(output_);
    }

    // Waits until what has been played so far meets the condition, which it
    // must before the deadline; returns it.
    Peaks waitForOutput(const std::function<bool(const Peaks&)>& reached, const char* what)
    {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        Peaks peaks = blockPeaks(output_);
        while (!reached(peaks) && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
            peaks = blockPeaks(output_);
        }
        EXPECT_TRUE(reached(peaks)) << "never heard: " << what;
        return peaks;
    }

    // How many blocks have been played so far.
    std::size_t mark() const { return blockPeaks(output_).size(); }

    // Until the level has been heard after the mark.
    Peaks waitUntilHeard(int level, std::size_t from = 0)
    {
        return waitForOutput(
            [&](const Peaks& p) {
                return p.size() > from && contains(Peaks(p.begin() + std::ptrdiff_t(from), p.end()), level);
            },
            "the level expected");
    }

    // Until the output has been silent for a tenth of a second.
    Peaks waitForSilence()
    {
        return waitForOutput([](const Peaks& p) { return silentTail(p) >= 10; }, "silence");
    }

    void waitForMusicToEnd()
    {
        const auto deadline = std::chrono::steady_clock::now() + kDeadline;
        while (multimedia().musicPlaying() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        ASSERT_FALSE(multimedia().musicPlaying());
    }

    void carryOut() { ASSERT_TRUE(multimedia().waitUntilCarriedOut(kDeadline)); }

private:
    TempDir temp_;
    std::filesystem::path output_;
    std::filesystem::path dir_;
    std::unique_ptr<SdlMultimedia> multimedia_;
    std::optional<Sound> sound_;
};

// Music whose level climbs in six steps, so that a restart shows as a drop.
Mono staircase()
{
    Mono music;
    for (int step = 1; step <= 6; ++step)
        music = music + square(2000 * step, 0.05);
    return music;
}

} // namespace

TEST_F(DiskAudio, EachEffectIsHeardAndAChangedFileIsReloaded)
{
    writeWav(dir() / "pinpon.wav", square(8000, 0.1));
    writeWav(dir() / "mistake.wav", square(5000, 0.1));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound().PlayEffect(Effect::Correct);
    waitUntilHeard(8000);
    sound().PlayEffect(Effect::Wrong);
    waitUntilHeard(5000);
    writeWav(dir() / "pinpon.wav", square(11000, 0.15));
    sound().PlayEffect(Effect::Correct);
    waitUntilHeard(11000);

    const Peaks peaks = heard();
    const std::size_t correct = firstNear(peaks, 8000);
    const std::size_t wrong = firstNear(peaks, 5000);
    const std::size_t changed = firstNear(peaks, 11000);
    EXPECT_LT(correct, wrong);
    EXPECT_LT(wrong, changed);
    EXPECT_LT(changed, peaks.size());
}

TEST_F(DiskAudio, ANewEffectCutsOffTheOnePlaying)
{
    writeWav(dir() / "pinpon.wav", square(4000, 3.0));
    writeWav(dir() / "mistake.wav", square(12000, 0.1));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound().PlayEffect(Effect::Correct);
    waitUntilHeard(4000);
    sound().PlayEffect(Effect::Wrong);
    waitUntilHeard(12000);
    waitForSilence();

    const Peaks peaks = heard();
    EXPECT_EQ(*std::max_element(peaks.begin(), peaks.end()), peaks[firstNear(peaks, 12000)])
        << "the two effects were mixed";
    EXPECT_LT(firstNear(peaks, 4000), firstNear(peaks, 12000));
    const auto lastSecond = std::find_if(peaks.rbegin(), peaks.rend(), [](int p) { return near(p, 12000); });
    // The first effect had seconds left: none of it may follow the second.
    for (auto after = peaks.rbegin(); after != lastSecond; ++after)
        EXPECT_LT(*after, kSilence);
}

TEST_F(DiskAudio, ABadEffectFileStillCutsOffTheOnePlaying)
{
    writeWav(dir() / "pinpon.wav", square(4000, 3.0));
    writeFile(dir() / "mistake.wav", "This is not a sound.\n");
    ASSERT_TRUE(multimedia().waitUntilReady());

    for (const auto& bad : {text(dir()) + "\\mistake.wav", text(dir()) + "\\missing.wav"}) {
        SCOPED_TRACE(bad);
        const std::size_t from = mark();
        sound().PlayEffect(Effect::Correct);
        waitUntilHeard(4000, from);
        multimedia().PlaySound(bad.c_str(), nullptr, Multimedia::kAsync);
        const Peaks peaks = waitForSilence();
        // Three seconds are 300 blocks; cut off, far fewer were heard.
        const std::size_t start = from + firstNear(Peaks(peaks.begin() + std::ptrdiff_t(from), peaks.end()), 4000);
        const std::size_t played = peaks.size() - start - silentTail(peaks);
        EXPECT_LT(played, 200u);
    }
}

TEST_F(DiskAudio, MusicPlaysOnWhenResentAndComesBackAfterItEnds)
{
    writeWav(dir() / "bgm.mp3", staircase());
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound().SendMusicCommand();
    waitUntilHeard(2000);
    sound().SendMusicCommand();
    waitUntilHeard(4000);
    sound().SendMusicCommand();
    carryOut();
    waitForMusicToEnd();
    waitForSilence();
    const std::size_t ended = mark();
    sound().SendMusicCommand();
    carryOut();
    waitUntilHeard(2000, ended);
    waitForMusicToEnd();
    waitForSilence();

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
    const Peaks before = waitForOutput([](const Peaks& p) { return sounding(p) >= 60; }, "the music");
    EXPECT_TRUE(multimedia().musicPlaying());
    const int music = *std::max_element(before.begin(), before.end());
    EXPECT_TRUE(multimedia().PlaySound(Sound::effectFileName(text(dir), Effect::Correct).c_str(), nullptr,
                                       Multimedia::kAsync));
    carryOut();
    EXPECT_TRUE(multimedia().PlaySound(Sound::effectFileName(text(dir), Effect::Wrong).c_str(), nullptr,
                                       Multimedia::kAsync));
    carryOut();
    waitForOutput([&](const Peaks& p) { return *std::max_element(p.begin(), p.end()) > 2 * music; },
                  "the effects over the music");

    const Peaks peaks = heard();
    const auto start = std::find_if(peaks.begin(), peaks.end(), [](int p) { return p >= kSilence; });
    ASSERT_NE(start, peaks.end()) << "nothing was heard";
    // Half a second of music alone: nothing is missing from it.
    EXPECT_TRUE(std::all_of(start, start + 50, [](int p) { return p >= kSilence; }));
}

TEST_F(DiskAudio, WhatIsAskedBeforeTheDeviceIsOpenIsCarriedOut)
{
    // Music long enough that the effect, loaded after it, still meets it
    // however slowly the machine loads the two.
    writeWav(dir() / "bgm.mp3", square(3000, 3.0));
    writeWav(dir() / "pinpon.wav", square(9000, 0.1));

    sound().SendMusicCommand();
    sound().PlayEffect(Effect::Correct);
    ASSERT_TRUE(multimedia().waitUntilReady());
    waitUntilHeard(3000 + 9000);
    waitUntilHeard(3000);
}

TEST_F(DiskAudio, BadFilesAndCommandsGiveSilence)
{
    const std::string good = wavBytes(square(6000, 0.2));
    const std::filesystem::path missing = makeDirectory(temp() / "missing");
    const std::filesystem::path empty = makeDirectory(temp() / "empty");
    const std::filesystem::path textual = makeDirectory(temp() / "text");
    const std::filesystem::path folders = makeDirectory(temp() / "folders");
    const std::filesystem::path damaged = makeDirectory(temp() / "damaged");
    const std::filesystem::path hostile = makeDirectory(temp() / "hostile");
    for (const char* name : {"pinpon.wav", "bgm.mp3"}) {
        writeFile(empty / name, "");
        writeFile(textual / name, "This is not a sound.\n");
        makeDirectory(folders / name);
    }
    // A format tag SDL does not know, and one MP3 frame header without the
    // frames that should follow it.
    writeFile(damaged / "pinpon.wav", good.substr(0, 20) + "\x34\x12" + good.substr(22));
    writeFile(damaged / "bgm.mp3", "\xFF\xFB\x90\x64" + std::string(4000, '\0'));
    // 1.2 KB claiming 1 Hz: ten minutes at the output rate, were it believed.
    writeFile(hostile / "pinpon.wav", withRate(toneWav({8000, 1, 8, false}, 0.15, 0.5), 1));
    writeFile(hostile / "bgm.mp3", withRate(toneWav({8000, 1, 8, false}, 0.15, 0.5), 5'000'000));
    ASSERT_TRUE(multimedia().waitUntilReady());

    const long before = residentBytes();
    testing::internal::CaptureStderr();
    // Twice: why a file cannot be played is said once.
    for (int round = 0; round < 2; ++round)
        for (const auto& dir : {missing, empty, textual, folders, damaged, hostile}) {
            SCOPED_TRACE(dir.filename().string());
            // A file that is not there is said so at once; one that is there
            // is taken up, and turned away once loaded.
            const bool there = dir != missing && dir != folders;
            EXPECT_EQ(multimedia().PlaySound(Sound::effectFileName(text(dir), Effect::Correct).c_str(), nullptr,
                                             Multimedia::kAsync),
                      there);
            EXPECT_EQ(multimedia().SendString(Sound::musicCommand(text(dir)).c_str(), nullptr, 0, nullptr),
                      there ? 0u : Multimedia::kErrorFileNotFound);
            carryOut();
            // A frame of silence may play for a moment.
            waitForMusicToEnd();
        }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 8) << said;
    for (const char* name : {"pinpon.wav: ", "bgm.mp3: "})
        EXPECT_EQ(countOf(said, std::string("pelmora: cannot play ") + name), 4u) << said;
    const long grown = residentBytes() - before;
    std::printf("[ memory ] the bad files grew the process by %ld KB\n", grown / 1024);
    EXPECT_LT(grown, 4L << 20);
    for (const char* command : {"", "stop all", "open x", "play", "player x", "close ", "   "})
        EXPECT_NE(multimedia().SendString(command, nullptr, 0, nullptr), 0u) << '"' << command << '"';
    EXPECT_NE(multimedia().SendString(nullptr, nullptr, 0, nullptr), 0u);
    EXPECT_FALSE(multimedia().PlaySound((text(hostile) + "/pinpon.wav").c_str(), nullptr, 0));
    EXPECT_FALSE(multimedia().PlaySound("x", nullptr, 0x20000));
    waitForOutput([](const Peaks& p) { return p.size() >= 20; }, "a fifth of a second");

    const Peaks peaks = heard();
    EXPECT_TRUE(std::all_of(peaks.begin(), peaks.end(), [](int p) { return p == 0; }));
}

TEST_F(DiskAudio, DamagedEffectsPlayWhatTheyHold)
{
    const std::string good = wavBytes(square(8000, 0.3));
    writeFile(dir() / "pinpon.wav", good.substr(0, good.size() - 1000));
    writeFile(dir() / "mistake.wav", good.substr(0, 4) + std::string(4, '\0') + good.substr(8));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound().PlayEffect(Effect::Correct);
    waitUntilHeard(8000);
    waitForSilence();
    const std::size_t from = mark();
    sound().PlayEffect(Effect::Wrong);
    waitUntilHeard(8000, from);
    waitForSilence();

    const std::vector<std::vector<int>> runs = soundingRuns(heard());
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_NEAR(double(runs[0].size()), 30 - 500.0 / 441, 2);
    EXPECT_NEAR(double(runs[1].size()), 30, 2);
}

TEST_F(DiskAudio, UnknownCommandsLeaveTheMusicAlone)
{
    writeWav(dir() / "bgm.mp3", square(3000, 0.4));
    ASSERT_TRUE(multimedia().waitUntilReady());

    const std::string file = text(dir()) + "\\bgm.mp3";
    char reply[] = "xyz";
    EXPECT_EQ(multimedia().SendString(("pLaY   " + file).c_str(), reply, sizeof reply, nullptr), 0u);
    EXPECT_STREQ(reply, "");
    EXPECT_EQ(multimedia().SendString(("stop " + file).c_str(), nullptr, 0, nullptr),
              Multimedia::kErrorUnrecognizedCommand);
    EXPECT_EQ(multimedia().SendString(("close " + file).c_str(), nullptr, 0, nullptr),
              Multimedia::kErrorUnrecognizedCommand);
    carryOut();
    EXPECT_TRUE(multimedia().musicPlaying());
    waitForMusicToEnd();
    waitForSilence();

    const Peaks peaks = heard();
    const std::vector<std::vector<int>> runs = soundingRuns(peaks);
    ASSERT_EQ(runs.size(), 1u) << testing::PrintToString(peaks);
    EXPECT_GE(runs.front().size(), 38u);
}

TEST_F(DiskAudio, ResendingAndSwitchingMusicDoesNotGrowMemory)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer holds freed memory back on purpose; its leak check covers this build";
#endif
    const std::filesystem::path a = makeDirectory(temp() / "a");
    const std::filesystem::path b = makeDirectory(temp() / "b");
    std::filesystem::copy_file(std::filesystem::path(PELMORA_RUNTIME_DIR) / "bgm.mp3", a / "bgm.mp3");
    std::filesystem::copy_file(std::filesystem::path(PELMORA_RUNTIME_DIR) / "bgm.mp3", b / "bgm.mp3");
    ASSERT_TRUE(multimedia().waitUntilReady());

    const std::string commandA = Sound::musicCommand(text(a));
    const std::string commandB = Sound::musicCommand(text(b));
    // Warm up the allocator before measuring.
    for (int i = 0; i < 20; ++i) {
        multimedia().SendString((i % 2 ? commandA : commandB).c_str(), nullptr, 0, nullptr);
        carryOut();
    }
    const long before = residentBytes();
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(multimedia().SendString(commandA.c_str(), nullptr, 0, nullptr), 0u);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(multimedia().SendString((i % 2 ? commandA : commandB).c_str(), nullptr, 0, nullptr), 0u);
        carryOut();
    }
    EXPECT_LT(residentBytes() - before, 16L << 20);
}

TEST_F(DiskAudio, TaggedMp3MusicIsDecodedWhileItPlays)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer holds freed memory back on purpose";
#endif
    std::ifstream real(std::filesystem::path(PELMORA_RUNTIME_DIR) / "bgm.mp3", std::ios::binary);
    // An ID3v2.3 tag of 1017 bytes: a title frame, then padding.
    const std::string tag = std::string("ID3\x03\0\0\0\0\x07\x79TIT2\0\0\0\x07\0\0\0Jingle", 27)
        + std::string(1000, '\0');
    writeFile(dir() / "bgm.mp3", tag + std::string(std::istreambuf_iterator<char>(real), {}));
    ASSERT_TRUE(multimedia().waitUntilReady());

    const long before = residentBytes();
    ASSERT_EQ(multimedia().SendString(Sound::musicCommand(text(dir())).c_str(), nullptr, 0, nullptr), 0u);
    waitForOutput([](const Peaks& p) { return sounding(p) >= 100; }, "a second of music");
    EXPECT_TRUE(multimedia().musicPlaying());
    // The whole tune decoded at once would take some 9.7 MB.
    const long grown = residentBytes() - before;
    EXPECT_LT(grown, 3L << 20) << grown << " bytes more";
}

TEST_F(DiskAudio, MusicThatChangesItsRateMidwayPlaysThrough)
{
    std::filesystem::copy_file(std::filesystem::path(SOUND_TEST_DATA) / "rate-switch.mp3", dir() / "bgm.mp3");
    ASSERT_TRUE(multimedia().waitUntilReady());

    ASSERT_EQ(multimedia().SendString(Sound::musicCommand(text(dir())).c_str(), nullptr, 0, nullptr), 0u);
    carryOut();
    waitForMusicToEnd();
    waitForSilence();

    // libmpg123's resampler starts afresh at the change: a dip of at most
    // 30 ms, no break.
    const Peaks peaks = heard();
    const auto first = std::find_if(peaks.begin(), peaks.end(), [](int p) { return p >= kSilence; });
    const Peaks run(first, peaks.end() - std::ptrdiff_t(silentTail(peaks)));
    ASSERT_LE(run.size() - sounding(run), 3u) << "the music broke off at the change";
    // Half a second at a quarter of full scale, then half a second at half.
    EXPECT_NEAR(double(run.size()), 100.0, 10.0);
    EXPECT_NEAR(run[run.size() / 4], 8192, 1200);
    EXPECT_NEAR(run[run.size() * 3 / 4], 16384, 2000);
}

TEST_F(DiskAudio, LoudEffectsOverMusicClipInsteadOfWrappingAround)
{
    writeWav(dir() / "bgm.mp3", square(20000, 0.5));
    writeWav(dir() / "pinpon.wav", square(20000, 0.2));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound().SendMusicCommand();
    carryOut();
    sound().PlayEffect(Effect::Correct);
    waitUntilHeard(32767);
    waitForSilence();

    const Peaks peaks = heard();
    EXPECT_TRUE(contains(peaks, 32767)) << "the sum of 20000 and 20000 was not clipped";
    EXPECT_TRUE(contains(peaks, 20000)) << "the music was not heard alone";
}

// While the voice speaks the music glides down to 0.35 of its level, and
// back after. A clip that is missing, too large or no sound is silence,
// said once by its name.
TEST_F(DiskAudio, TheVoiceSpeaksOverQuieterMusicAndABadClipIsSaidOnce)
{
    writeWav(dir() / "bgm.mp3", square(3000, 8.0));
    writeWav(dir() / "clip.mp3", square(10000, 0.8));
    writeFile(dir() / "damaged.mp3", "This is not a sound.\n");
    writeFile(dir() / "large.mp3", std::string((1u << 20) + 1, '\0'));
    ASSERT_TRUE(multimedia().waitUntilReady());
    sound().SendMusicCommand();
    waitUntilHeard(3000);
    multimedia().speak(text(dir()) + "\\clip.mp3");
    waitUntilHeard(10000 + 1050);
    waitUntilHeard(3000, mark());

    const char* bad[] = {"missing.mp3", "large.mp3", "damaged.mp3"};
    testing::internal::CaptureStderr();
    for (int twice = 0; twice < 2; ++twice)
        for (const char* name : bad) {
            multimedia().speak(text(dir()) + "\\" + name);
            carryOut();
        }
    const std::string said = testing::internal::GetCapturedStderr();
    for (const char* name : bad)
        EXPECT_EQ(countOf(said, std::string("cannot play ") + name + ": "), 1u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
}

TEST_F(DiskAudio, PlayingReturnsWhileTheFileIsStillLoading)
{
    // A file system that holds every file back until the test lets it go.
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        int entered = 0;
        bool open = false;
    };
    const auto gate = std::make_shared<Gate>();
    SdlMultimedia::Options options;
    options.openFile = [gate](const std::filesystem::path& path) {
        std::unique_lock lock(gate->mutex);
        ++gate->entered;
        gate->changed.notify_all();
        gate->changed.wait_for(lock, kDeadline, [&] { return gate->open; });
        return sdlLibrary()->SDL_RWFromFile(path.c_str(), "rb");
    };
    writeWav(dir() / "pinpon.wav", square(7000, 0.2));
    // Longer than the effect, so that the music is heard alone at its end
    // however the two happen to start.
    writeWav(dir() / "bgm.mp3", square(3000, 2.0));
    multimedia(std::move(options));
    ASSERT_TRUE(multimedia().waitUntilReady());

    const auto returns = [](auto call) {
        return std::async(std::launch::async, call).wait_for(kDeadline) == std::future_status::ready;
    };
    EXPECT_TRUE(returns([&] { sound().PlayEffect(Effect::Correct); }));
    {
        std::unique_lock lock(gate->mutex);
        ASSERT_TRUE(gate->changed.wait_for(lock, kDeadline, [&] { return gate->entered == 1; }));
    }
    // The effect's file is being read: the window's calls still return.
    EXPECT_TRUE(returns([&] { sound().SendMusicCommand(); }));
    EXPECT_TRUE(returns([&] { sound().PlayEffect(Effect::Wrong); }));
    EXPECT_FALSE(multimedia().waitUntilCarriedOut(0ms));
    {
        std::lock_guard lock(gate->mutex);
        gate->open = true;
    }
    gate->changed.notify_all();
    carryOut();
    waitUntilHeard(3000);
}

TEST_F(DiskAudio, WithoutMp3TheEffectsAndWavMusicStillPlay)
{
    SdlMultimedia::Options options;
    options.mp3 = false;
    const std::filesystem::path wavMusic = makeDirectory(temp() / "wav");
    std::filesystem::copy_file(std::filesystem::path(PELMORA_RUNTIME_DIR) / "bgm.mp3", dir() / "bgm.mp3");
    writeWav(dir() / "pinpon.wav", square(7000, 0.2));
    writeWav(wavMusic / "bgm.mp3", square(3000, 0.2));
    multimedia(std::move(options));
    ASSERT_TRUE(multimedia().waitUntilReady());

    sound().SendMusicCommand();
    carryOut();
    EXPECT_FALSE(multimedia().musicPlaying());
    sound().PlayEffect(Effect::Correct);
    waitUntilHeard(7000);
    Sound(multimedia(), text(wavMusic)).SendMusicCommand();
    waitUntilHeard(3000);
}

TEST(NoAudioDevice, EverythingIsSilentAndWhySaidOnce)
{
    TempDir temp;
    const std::filesystem::path dir = makeDirectory(temp.path() / "app");
    writeWav(dir / "pinpon.wav", square(8000, 0.1));
    writeWav(dir / "bgm.mp3", square(3000, 0.1));
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);

    testing::internal::CaptureStderr();
    {
        SdlMultimedia multimedia;
        EXPECT_FALSE(multimedia.waitUntilReady());
        EXPECT_FALSE(multimedia.PlaySound(Sound::effectFileName(text(dir), Effect::Correct).c_str(), nullptr,
                                          Multimedia::kAsync));
        EXPECT_EQ(multimedia.SendString(Sound::musicCommand(text(dir)).c_str(), nullptr, 0, nullptr),
                  Multimedia::kErrorHardware);
        EXPECT_FALSE(multimedia.musicPlaying());
    }
    SdlMultimedia again;
    EXPECT_FALSE(again.waitUntilReady());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("pelmora: no sound: "), 0u) << said;
    EXPECT_NE(said.find("no-such-driver"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}
