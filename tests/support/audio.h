// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Sound files written for the tests, and sound output read back: the raw
// samples a program writes through SDL's disk driver or a PulseAudio server.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pelmora::e2e {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The path as this program's application directory text would give it.
std::string text(const std::filesystem::path& path);

std::filesystem::path makeDirectory(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// Mono 16-bit samples at 44100 Hz.
using Mono = std::vector<std::int16_t>;
Mono square(int amplitude, double seconds);
Mono operator+(Mono a, const Mono& b);
std::string wavBytes(const Mono& samples);
void writeWav(const std::filesystem::path& path, const Mono& samples);

// A WAV file of a sine tone at level (a share of full scale), in any of
// the sample formats a WAV file may hold.
struct WavSpec {
    int rate = 44100;
    int channels = 1;
    int bits = 16;
    bool isFloat = false;
};
std::string toneWav(const WavSpec& spec, double seconds, double level, double frequency = 441);

// The WAV file with another sample rate written into its header.
std::string withRate(std::string wav, std::uint32_t rate);

// Makes SDL write its sound to a file of raw 16-bit stereo samples at
// 44100 Hz instead of a sound card.
void useDiskAudio(const std::filesystem::path& output);

// The output of the disk driver cut into 10 ms blocks: the largest absolute
// sample of each.
std::vector<int> blockPeaks(const std::filesystem::path& output);

constexpr int kSilence = 100;

// Runs of consecutive sounding blocks, each as its list of peaks.
std::vector<std::vector<int>> soundingRuns(const std::vector<int>& peaks);
// How many blocks sound; the first that does (the size, if none); how many
// are silent after the last one that sounded.
std::size_t sounding(const std::vector<int>& peaks);
std::size_t firstSounding(const std::vector<int>& peaks);
std::size_t silentTail(const std::vector<int>& peaks);

bool near(int peak, int level);

// Sound output as the program writes it: 16-bit stereo at 44100 Hz.
constexpr int kAudioRate = 44100;
constexpr int kAudioFrameBytes = 4;

} // namespace pelmora::e2e
