#include "audio.h"

#include <QFile>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>

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

std::filesystem::path pathOf(const QTemporaryDir& directory)
{
    return std::filesystem::path(directory.path().toStdString());
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
        const double v = level * std::sin(2 * M_PI * frequency * double(i) / spec.rate);
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

std::vector<float> leftChannel(const QByteArray& audio)
{
    const auto* samples = reinterpret_cast<const qint16*>(audio.constData());
    std::vector<float> left(static_cast<std::size_t>(audio.size() / kAudioFrameBytes));
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = static_cast<float>(samples[2 * i]) / 32768.0f;
    return left;
}

namespace {

quint32 littleEndian(const char* bytes, int count)
{
    quint32 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | static_cast<quint8>(bytes[i]);
    return value;
}

} // namespace

std::vector<float> readWav(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return {};
    int channels = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = littleEndian(bytes.constData() + at + 4, 4);
        const char* body = bytes.constData() + at + 8;
        if (at + 8 + size > bytes.size())
            return {};
        if (id == "fmt ")
            channels = static_cast<int>(littleEndian(body + 2, 2));
        if (id == "data" && channels > 0) {
            std::vector<float> samples;
            for (qint64 i = 0; (i + 1) * channels * 2 <= size; ++i)
                samples.push_back(static_cast<float>(static_cast<qint16>(littleEndian(body + i * channels * 2, 2))) / 32768.0f);
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

Match findSound(const std::vector<float>& output, const std::vector<float>& sound, qint64 from, qint64 to)
{
    const std::size_t length = std::min<std::size_t>(sound.size(), kAudioRate / 20);
    Match best;
    if (length == 0)
        return best;
    double soundEnergy = 0;
    for (std::size_t i = 0; i < length; ++i)
        soundEnergy += double{sound[i]} * sound[i];
    from = std::max<qint64>(from, 0);
    to = std::min<qint64>(to, static_cast<qint64>(output.size()) - static_cast<qint64>(length));
    for (qint64 at = from; at < to; ++at) {
        double dot = 0, energy = 0;
        const float* window = output.data() + at;
        for (std::size_t i = 0; i < length; ++i) {
            dot += double{window[i]} * sound[i];
            energy += double{window[i]} * window[i];
        }
        if (energy <= 0)
            continue;
        const double score = dot / std::sqrt(energy * soundEnergy);
        if (score > best.score)
            best = {at, score};
    }
    return best;
}

} // namespace pelmora::e2e
