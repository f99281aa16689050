#include "test_audio.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace pelmora::soundtest {

namespace {

constexpr int kRate = 44100;
constexpr std::size_t kBlockFrames = kRate / 100;

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
    std::string pattern = (std::filesystem::temp_directory_path() / "pelmora-sound-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary directory");
    path_ = pattern;
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

Samples square(int amplitude, double seconds)
{
    Samples samples(std::size_t(seconds * kRate));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = std::int16_t((i / 50) % 2 ? -amplitude : amplitude);
    return samples;
}

Samples operator+(Samples a, const Samples& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string wavBytes(const Samples& samples)
{
    const std::uint32_t dataSize = std::uint32_t(samples.size() * 2);
    std::string out = "RIFF";
    put32(out, 36 + dataSize);
    out += "WAVEfmt ";
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, kRate);
    put32(out, kRate * 2);
    put16(out, 2);
    put16(out, 16);
    out += "data";
    put32(out, dataSize);
    for (std::int16_t s : samples)
        put16(out, std::uint16_t(s));
    return out;
}

void writeWav(const std::filesystem::path& path, const Samples& samples)
{
    writeFile(path, wavBytes(samples));
}

void useDiskAudio(const std::filesystem::path& output)
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
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

bool near(int peak, int level)
{
    return std::abs(peak - level) <= level / 20 + 50;
}

} // namespace pelmora::soundtest
