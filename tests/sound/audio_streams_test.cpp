// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "audio_streams.h"
#include "sdl_library.h"
#include "audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

using namespace pelmora;
using namespace pelmora::e2e;

namespace {

using Pcm = std::vector<std::int16_t>;

std::string fileText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

Pcm readAll(SoundStream& stream)
{
    Pcm pcm;
    std::array<std::int16_t, 4096> piece;
    for (std::size_t got = piece.size(); got == piece.size();) {
        got = stream.read(piece);
        pcm.insert(pcm.end(), piece.begin(), piece.begin() + std::ptrdiff_t(got));
    }
    return pcm;
}

// The output of a whole sound, or nothing where it cannot be played.
std::shared_ptr<const Pcm> play(SDL_RWops* source, const Mpg123Library* mpg123 = mpg123Library(), double seconds = 60)
{
    std::string why;
    const std::unique_ptr<SoundStream> stream = openSound(source, mpg123, seconds, why);
    return stream ? std::make_shared<const Pcm>(readAll(*stream)) : nullptr;
}

std::shared_ptr<const Pcm> play(const std::string& content, const Mpg123Library* mpg123 = mpg123Library())
{
    return play(sdlLibrary()->SDL_RWFromConstMem(content.data(), int(content.size())), mpg123);
}

int peakOf(std::span<const std::int16_t> samples)
{
    int peak = 0;
    for (std::int16_t s : samples)
        peak = std::max(peak, std::abs(int(s)));
    return peak;
}

double seconds(const Pcm& pcm)
{
    return double(pcm.size()) / (kOutputChannels * kOutputFrequency);
}

const std::filesystem::path kRealMp3 = std::filesystem::path(PELMORA_RUNTIME_DIR) / "bgm.mp3";

class Decoding : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(sdlLibrary(), nullptr) << sdlLibraryError(); }
};

} // namespace

TEST_F(Decoding, WavFilesOfEverySampleFormatKeepTheirLengthAndLevel)
{
    for (const int rate : {22050, 44100, 48000})
        for (const int channels : {1, 2})
            for (const auto& [bits, isFloat] : {std::pair{8, false}, {16, false}, {24, false}, {32, false}, {32, true}}) {
                SCOPED_TRACE(testing::Message() << rate << " Hz, " << channels << " channels, " << bits
                                                << (isFloat ? "-bit float" : "-bit"));
                const auto pcm = play(toneWav({rate, channels, bits, isFloat}, 0.5, 0.5));
                ASSERT_TRUE(pcm);
                EXPECT_NEAR(seconds(*pcm), 0.5, 0.01);
                EXPECT_NEAR(peakOf(*pcm), 16384, 16384 / 25);
                // Mono comes out on both channels alike.
                EXPECT_EQ((*pcm)[2000], (*pcm)[2001]);
            }
}

TEST_F(Decoding, AWavIsJudgedByWhatItBecomesNotByWhatItClaims)
{
    const std::string small = toneWav({8000, 1, 8, false}, 0.15, 0.5);
    ASSERT_LT(small.size(), 1300u);
    // Out of bounds: silence, however short the file.
    for (const std::uint32_t rate : {1u, 7999u, 192001u, 4'200'000u, 0xFFFFFFFFu})
        EXPECT_FALSE(play(withRate(small, rate))) << rate << " Hz";
    // At the bounds: a short sound, no larger than its length says.
    for (const std::uint32_t rate : {8000u, 192000u}) {
        const auto pcm = play(withRate(small, rate));
        ASSERT_TRUE(pcm) << rate << " Hz";
        EXPECT_LE(pcm->size() * sizeof(std::int16_t), 1200u * kOutputFrequency / rate * 4 + 4096) << rate << " Hz";
    }
    // A data chunk that claims four gigabytes of a file of one kilobyte
    // plays the kilobyte, and nothing is made of the rest.
    std::string huge = small;
    huge.replace(40, 4, "\xF0\xFF\xFF\xFF");
    huge.replace(4, 4, "\xF8\xFF\xFF\xFF");
    const auto pcm = play(huge);
    ASSERT_TRUE(pcm);
    EXPECT_NEAR(seconds(*pcm), 0.15, 0.01);
}

// A file that counts what is read of it.
struct CountingSource {
    explicit CountingSource(std::string text) : content(std::move(text))
    {
        ops.hidden.unknown.data1 = this;
        ops.read = [](SDL_RWops* self, void* out, std::size_t size, std::size_t count) {
            auto& source = *static_cast<CountingSource*>(self->hidden.unknown.data1);
            const std::size_t n = std::min(count, (source.content.size() - source.read) / size);
            std::memcpy(out, source.content.data() + source.read, n * size);
            source.read += n * size;
            return n;
        };
        ops.close = [](SDL_RWops*) { return 0; };
    }
    std::string content;
    std::size_t read = 0;
    SDL_RWops ops{};
};

TEST_F(Decoding, OnlyWhatIsKeptOfAWavIsReadAndDecoded)
{
    // Twenty seconds asked for three: three come out, and little more than
    // their bytes is read.
    CountingSource effect(toneWav({8000, 1, 8, false}, 20, 0.5));
    const auto three = play(&effect.ops, nullptr, 3);
    ASSERT_TRUE(three);
    EXPECT_NEAR(seconds(*three), 3.0, 0.01);
    EXPECT_LT(effect.read, 3u * 8000 + (64u << 10) + 4096);
    // However long the music, SDL is given no more than decodes to
    // kMaxWavDecoded, and little more than that is read.
    CountingSource music(toneWav({48000, 2, 16, false}, 60, 0.5));
    const auto pcm = play(&music.ops);
    ASSERT_TRUE(pcm);
    EXPECT_LE(music.read, kMaxWavDecoded / 2 + (64u << 10));
    EXPECT_NEAR(seconds(*pcm), double(kMaxWavDecoded / 2) / (48000 * 4), 0.01);
}

TEST_F(Decoding, ADamagedWavPlaysWhatItHolds)
{
    const std::string good = toneWav({44100, 1, 16, false}, 1.0, 0.5);
    std::string noRiffSize = good;
    noRiffSize.replace(4, 4, std::string(4, '\0'));
    std::string shortRiff = good;
    shortRiff[5] = char(std::uint8_t(shortRiff[5]) - 1); // 256 bytes short
    const struct {
        const char* what;
        std::string content;
        double seconds;
    } damaged[] = {
        {"a RIFF size of 0", noRiffSize, 1.0},
        {"a RIFF size 256 bytes short", shortRiff, 1.0},
        {"a file cut 1000 bytes short", good.substr(0, good.size() - 1000), 1.0 - 500.0 / 44100},
        {"a file cut within a sample", good.substr(0, good.size() - 1001), 1.0 - 501.0 / 44100},
    };
    for (const auto& file : damaged) {
        const auto pcm = play(file.content);
        ASSERT_TRUE(pcm) << file.what;
        EXPECT_NEAR(seconds(*pcm), file.seconds, 0.0005) << file.what;
        EXPECT_NEAR(peakOf(*pcm), 16384, 16384 / 25) << file.what;
    }
}

TEST_F(Decoding, TheContentChoosesTheDecoderAndTheDecoderJudges)
{
    ASSERT_NE(mpg123Library(), nullptr) << mpg123LibraryError();
    const std::string mp3 = fileText(kRealMp3);
    ASSERT_FALSE(mp3.empty());
    const auto plain = play(mp3);
    ASSERT_TRUE(plain);
    const std::string tag = std::string("ID3\x03\0\0\0\0\0\x0F", 10) + "TIT2\0\0\0\x01\0\0x" + std::string(4, '\0');
    const std::string wav = toneWav({44100, 1, 16, false}, 0.3, 0.5);
    std::string longRiff = wav;
    longRiff.replace(4, 4, "\x00\x00\x10\x00", 4);
    const struct {
        const char* what;
        std::string content;
    } playable[] = {
        {"junk before the first frame", std::string(700, 'x') + mp3},
        {"two ID3v2 tags", tag + tag + mp3},
        {"padding past a tag's declared size", tag + std::string(300, '\0') + mp3},
        {"a RIFF size larger than the file", longRiff},
        {"a WAV with a .mp3 name's content", wav},
    };
    for (const auto& file : playable) {
        const auto pcm = play(file.content);
        ASSERT_TRUE(pcm) << file.what;
        EXPECT_GT(seconds(*pcm), 0.25) << file.what;
    }
    for (const std::string& silent : {std::string(), std::string("This is not a sound.\n"), wav.substr(0, 44),
                                      std::string("OggS\0\x02", 6) + std::string(4000, '\0')})
        EXPECT_FALSE(play(silent)) << silent.substr(0, 20);
    // Cut within its first samples, a WAV plays those 28 and nothing more.
    const auto cut = play(wav.substr(0, 100));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->size(), 28u * kOutputChannels);
}

TEST_F(Decoding, AnMp3ThatChangesItsRateMidwayPlaysBothHalves)
{
    ASSERT_NE(mpg123Library(), nullptr);
    const auto pcm = play(fileText(std::filesystem::path(SOUND_TEST_DATA) / "rate-switch.mp3"));
    ASSERT_TRUE(pcm);
    // Half a second at a quarter of full scale, then half a second at half.
    EXPECT_NEAR(seconds(*pcm), 1.05, 0.1);
    const std::size_t quarter = pcm->size() / 4;
    EXPECT_NEAR(peakOf(std::span(*pcm).subspan(quarter / 2, quarter)), 8192, 1200);
    EXPECT_NEAR(peakOf(std::span(*pcm).subspan(pcm->size() / 2 + quarter / 2, quarter)), 16384, 2000);
}

TEST_F(Decoding, WithoutMpg123OnlyMp3IsSilent)
{
    std::string error;
    EXPECT_EQ(loadMpg123("libmpg123-no-such-version.so.99", error), nullptr);
    EXPECT_NE(error.find("libmpg123-no-such-version"), std::string::npos) << error;
    EXPECT_FALSE(play(fileText(kRealMp3), nullptr));
    EXPECT_TRUE(play(toneWav({44100, 1, 16, false}, 0.1, 0.5), nullptr));
}
