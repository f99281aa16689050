// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "audio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <stdexcept>

namespace pelmora::e2e {

namespace {

constexpr std::size_t kBlockFrames = kAudioRate / 100;

void put16(std::string& out, std::uint16_t v)
{
    out += char(v & 0xFF);
    out += char(v >> 8);
}

void put32(std::string& out, std::uint32_t v)
{
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}

} // namespace

TempDir::TempDir()
{
    // A fresh name that nobody else holds: create_directory says whether it
    // made the directory or found one there already.
    std::random_device seed;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate = base / ("pelmora-sound-" + std::to_string(seed()));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot make a temporary directory");
}

TempDir::~TempDir()
{
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

std::string text(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

std::filesystem::path makeDirectory(const std::filesystem::path& path)
{
    std::filesystem::create_directories(path);
    return path;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

Mono square(int amplitude, double seconds)
{
    Mono samples(std::size_t(seconds * kAudioRate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t((i / 50) % 2 ? -amplitude : amplitude);
    return samples;
}

Mono operator+(Mono a, const Mono& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string wavBytes(const Mono& samples)
{
    const std::uint32_t dataSize = std::uint32_t(samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + dataSize);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, kAudioRate);
    put32(out, kAudioRate * 2);
    put16(out, 2);
    put16(out, 16);
    out += "data";
    put32(out, dataSize);
    for (std::int16_t s : samples)
        put16(out, std::uint16_t(s));
    return out;
}

std::string toneWav(const WavSpec& spec, double seconds, double level, double frequency)
{
    const auto frames = std::size_t(seconds * spec.rate);
    const int bytes = spec.bits / 8;
    std::string data;
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = level * std::sin(2 * std::numbers::pi * frequency * double(i) / spec.rate);
        for (int c = 0; c < spec.channels; ++c) {
            if (spec.isFloat) {
                const float f = float(v);
                std::uint32_t bits = 0;
                std::memcpy(&bits, &f, sizeof bits);
                put32(data, bits);
            } else if (spec.bits == 8) {
                data += char(std::uint8_t(std::lround(128 + v * 127)));
            } else {
                const auto value = std::int64_t(std::llround(v * double((std::int64_t(1) << (spec.bits - 1)) - 1)));
                for (int b = 0; b < bytes; ++b)
                    data += char(std::uint8_t(std::uint64_t(value) >> (8 * b)));
            }
        }
    }
    const std::uint16_t block = std::uint16_t(spec.channels * bytes);
    std::string out = "RIFF";
    put32(out, std::uint32_t(36 + data.size()));
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, spec.isFloat ? 3 : 1);
    put16(out, std::uint16_t(spec.channels));
    put32(out, std::uint32_t(spec.rate));
    put32(out, std::uint32_t(spec.rate) * block);
    put16(out, block);
    put16(out, std::uint16_t(spec.bits));
    out += "data";
    put32(out, std::uint32_t(data.size()));
    return out + data;
}

std::string withRate(std::string wav, std::uint32_t rate)
{
    std::string field;
    put32(field, rate);
    wav.replace(24, 4, field);
    return wav;
}

void writeWav(const std::filesystem::path& path, const Mono& samples)
{
    writeFile(path, wavBytes(samples));
}

void useDiskAudio(const std::filesystem::path& output)
{
#if defined(_WIN32)
    _putenv_s("SDL_AUDIODRIVER", "disk");
    _putenv_s("SDL_DISKAUDIOFILE", output.string().c_str());
#else
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
#endif
}

std::vector<int> blockPeaks(const std::filesystem::path& output)
{
    std::ifstream in(output, std::ios::binary);
    std::vector<int> peaks;
    std::vector<char> block(kBlockFrames * 4);
    while (in.read(block.data(), std::streamsize(block.size()))) {
        int peak = 0;
        for (std::size_t i = 0; i + 1 < block.size(); i += 2) {
            const auto value = std::int16_t(std::uint16_t(std::uint8_t(block[i]))
                                            | std::uint16_t(std::uint8_t(block[i + 1])) << 8);
            peak = std::max(peak, std::abs(int(value)));
        }
        peaks.push_back(peak);
    }
    return peaks;
}

std::vector<std::vector<int>> soundingRuns(const std::vector<int>& peaks)
{
    std::vector<std::vector<int>> runs;
    bool inRun = false;
    for (int peak : peaks) {
        const bool sounding = peak >= kSilence;
        if (sounding && !inRun)
            runs.emplace_back();
        if (sounding)
            runs.back().push_back(peak);
        inRun = sounding;
    }
    return runs;
}

std::size_t sounding(const std::vector<int>& peaks)
{
    return std::size_t(std::count_if(peaks.begin(), peaks.end(), [](int p) { return p >= kSilence; }));
}

std::size_t firstSounding(const std::vector<int>& peaks)
{
    return std::size_t(std::find_if(peaks.begin(), peaks.end(), [](int p) { return p >= kSilence; }) - peaks.begin());
}

std::size_t silentTail(const std::vector<int>& peaks)
{
    return std::size_t(std::find_if(peaks.rbegin(), peaks.rend(), [](int p) { return p >= kSilence; }) - peaks.rbegin());
}

bool near(int peak, int level)
{
    return std::abs(peak - level) <= level / 20 + 50;
}


} // namespace pelmora::e2e
