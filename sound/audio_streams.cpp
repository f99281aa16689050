// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "audio_streams.h"

#include "audio_file.h"
#include "sdl_library.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace pelmora {

namespace {

// How far into a WAV file the chunk of samples is looked for.
constexpr std::size_t kMaxWavHeader = 1u << 16;

const SdlLibrary& sdl()
{
    return *sdlLibrary();
}

std::uint32_t little(std::span<const std::uint8_t> bytes, std::size_t at, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[at + std::size_t(i)];
    return value;
}

void putLittle32(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        bytes[at + i] = std::uint8_t(value >> (8 * i));
}

// Reads on until bytes holds `size` bytes or the source has no more.
void readUpTo(std::vector<std::uint8_t>& bytes, ByteSource& source, std::size_t size)
{
    for (std::size_t got = 1; bytes.size() < size && got > 0;) {
        const std::size_t at = bytes.size();
        bytes.resize(std::min(size, at + (1u << 16)));
        got = source.read(std::span(bytes).subspan(at));
        bytes.resize(at + got);
    }
}

// The bytes of samples that `seconds` of a WAV take by its fmt chunk, and no
// more than SDL's loader may decode.
std::size_t wavBudget(std::span<const std::uint8_t> fmt, double seconds)
{
    if (fmt.size() < 16)
        return 0;
    const std::uint32_t tag = little(fmt, 0, 2), channels = little(fmt, 2, 2), align = little(fmt, 12, 2);
    const double rate = std::clamp<double>(little(fmt, 4, 4), kMinSourceFrequency, kMaxSourceFrequency);
    // ADPCM takes four bits a sample and a little more for the block
    // headers, and decodes to 16 bits; the others take a block a frame.
    const bool adpcm = tag == 0x0002 || tag == 0x0011;
    const double perSecond = adpcm ? rate * channels * 0.6 : rate * align;
    return std::size_t(std::min(seconds * perSecond + 2.0 * align, double(kMaxWavDecoded / (adpcm ? 4 : 2))));
}

// Cuts a WAV after the samples of its first `seconds`, reading no more of
// the source, and lowers the RIFF and data lengths to the bytes left. A chunk
// of samples not found within kMaxWavHeader is left to SDL to turn away.
void keepWavPrefix(std::vector<std::uint8_t>& bytes, ByteSource& source, double seconds)
{
    readUpTo(bytes, source, kMaxWavHeader);
    std::span<const std::uint8_t> fmt;
    for (std::uint64_t at = 12; at + 8 <= bytes.size();) {
        const std::uint32_t length = little(bytes, at + 4, 4);
        const std::uint64_t body = at + 8;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0)
            fmt = std::span(bytes).subspan(body, std::min<std::uint64_t>(length, bytes.size() - body));
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            const std::size_t align = fmt.size() >= 16 ? std::max<std::size_t>(1, little(fmt, 12, 2)) : 1;
            std::size_t keep = std::min<std::size_t>(length, wavBudget(fmt, seconds));
            bytes.reserve(body + keep);
            readUpTo(bytes, source, body + keep);
            keep = std::min<std::size_t>(keep, bytes.size() - body);
            bytes.resize(body + keep - keep % align);
            putLittle32(bytes, at + 4, keep - keep % align);
            break;
        }
        at = body + length + (length & 1);
    }
    if (bytes.size() >= 8)
        putLittle32(bytes, 4, bytes.size() - 8);
}

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    std::size_t read(std::span<std::uint8_t> out) override
    {
        const std::size_t count = std::min(out.size(), bytes_.size() - at_);
        std::copy_n(bytes_.begin() + std::ptrdiff_t(at_), count, out.begin());
        at_ += count;
        return count;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

class PcmStream final : public SoundStream {
public:
    explicit PcmStream(Pcm pcm) : pcm_(std::move(pcm)) {}
    std::size_t size() const { return pcm_.size() - at_; }
    Pcm take() { return at_ == 0 ? std::move(pcm_) : Pcm(pcm_.begin() + std::ptrdiff_t(at_), pcm_.end()); }

    std::size_t read(std::span<std::int16_t> out) override
    {
        const std::size_t count = std::min(out.size(), pcm_.size() - at_);
        std::copy_n(pcm_.begin() + std::ptrdiff_t(at_), count, out.begin());
        at_ += count;
        return count;
    }

private:
    Pcm pcm_;
    std::size_t at_ = 0;
};

// What is kept of a WAV, through SDL's loader and converter at once.
std::unique_ptr<SoundStream> openWav(std::vector<std::uint8_t> bytes, ByteSource& rest, double seconds,
                                     std::string& why)
{
    keepWavPrefix(bytes, rest, seconds);
    SDL_RWops* source = sdl().SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    SDL_AudioSpec wav{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!source || !sdl().SDL_LoadWAV_RW(source, 1, &wav, &samples, &length)) {
        why = sdl().SDL_GetError();
        return nullptr;
    }
    bytes = {};
    std::unique_ptr<Uint8, decltype(sdl().SDL_FreeWAV)> loaded(samples, sdl().SDL_FreeWAV);
    if (wav.freq < kMinSourceFrequency || wav.freq > kMaxSourceFrequency) {
        why = "its sample rate of " + std::to_string(wav.freq) + " Hz is out of bounds";
        return nullptr;
    }
    // Mono stays mono through SDL and is doubled on the way out: SDL's own
    // doubling would take four times the sound's size at once.
    const int channels = wav.channels == 1 ? 1 : kOutputChannels;
    SDL_AudioCVT cvt;
    if (sdl().SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_S16SYS, Uint8(channels),
                                kOutputFrequency) < 0) {
        why = sdl().SDL_GetError();
        return nullptr;
    }
    cvt.len = cvt.len_cvt = int(length - length % (SDL_AUDIO_BITSIZE(wav.format) / 8 * wav.channels));
    cvt.buf = samples;
    if (cvt.len == 0) {
        why = "it holds no samples";
        return nullptr;
    }
    std::vector<Uint8> work;
    if (cvt.needed) {
        work.resize(std::size_t(cvt.len) * std::size_t(cvt.len_mult));
        std::memcpy(work.data(), samples, std::size_t(cvt.len));
        loaded.reset();
        cvt.buf = work.data();
        if (sdl().SDL_ConvertAudio(&cvt) < 0) {
            why = sdl().SDL_GetError();
            return nullptr;
        }
    }
    const std::size_t copies = std::size_t(kOutputChannels / channels);
    Pcm pcm(std::size_t(cvt.len_cvt) / sizeof(std::int16_t) / std::size_t(channels) * kOutputChannels);
    for (std::size_t i = 0; i < pcm.size(); ++i)
        std::memcpy(&pcm[i], cvt.buf + i / copies * sizeof(std::int16_t), sizeof(std::int16_t));
    return std::make_unique<PcmStream>(std::move(pcm));
}

class Mp3Stream final : public SoundStream {
public:
    Mp3Stream(const Mpg123Library& mpg123, std::unique_ptr<ByteSource> source)
        : mpg123_(mpg123), source_(std::move(source))
    {
    }

    ~Mp3Stream() override { mpg123_.mpg123_delete(decoder_); }

    // Sets the decoder up on the first bytes and finds the first frame.
    bool open(std::span<const std::uint8_t> start, std::string& why)
    {
        int error = MPG123_OK;
        decoder_ = mpg123_.mpg123_new(nullptr, &error);
        if (!decoder_) {
            why = mpg123_.mpg123_plain_strerror(error);
            return false;
        }
        // Tags are of no use here: skipped, not kept. The one output format
        // comes from libmpg123's own resampling and channel doubling.
        mpg123_.mpg123_param(decoder_, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2 | MPG123_FORCE_STEREO, 0);
        mpg123_.mpg123_format_none(decoder_);
        if (mpg123_.mpg123_format(decoder_, kOutputFrequency, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK
            || mpg123_.mpg123_open_feed(decoder_) != MPG123_OK
            || (!start.empty() && mpg123_.mpg123_feed(decoder_, start.data(), start.size()) != MPG123_OK)) {
            why = mpg123_.mpg123_strerror(decoder_);
            return false;
        }
        // The first frame announces its format; bytes without one are no MP3.
        for (std::size_t done = 0;;) {
            const int result = mpg123_.mpg123_read(decoder_, nullptr, 0, &done);
            if (result == MPG123_NEW_FORMAT)
                return true;
            if (result != MPG123_NEED_MORE || !feed()) {
                why = "no WAV or MP3 sound found in it";
                return false;
            }
        }
    }

    std::size_t read(std::span<std::int16_t> out) override
    {
        auto* bytes = reinterpret_cast<unsigned char*>(out.data());
        std::size_t filled = 0;
        while (!ended_ && filled < out.size_bytes()) {
            std::size_t done = 0;
            const int result = mpg123_.mpg123_read(decoder_, bytes + filled, out.size_bytes() - filled, &done);
            filled += done;
            // The end, or damage that resynchronising could not get past.
            ended_ = result == MPG123_NEED_MORE ? !feed() : result != MPG123_OK && result != MPG123_NEW_FORMAT;
        }
        return filled / sizeof(std::int16_t);
    }

private:
    bool feed()
    {
        std::array<std::uint8_t, 4096> piece;
        const std::size_t got = source_->read(piece);
        return got > 0 && mpg123_.mpg123_feed(decoder_, piece.data(), got) == MPG123_OK;
    }

    const Mpg123Library& mpg123_;
    std::unique_ptr<ByteSource> source_;
    mpg123_handle* decoder_ = nullptr;
    bool ended_ = false;
};

} // namespace

std::unique_ptr<ByteSource> memorySource(std::vector<std::uint8_t> bytes)
{
    return std::make_unique<MemorySource>(std::move(bytes));
}

std::unique_ptr<SoundStream> openSound(std::unique_ptr<ByteSource> source, const Mpg123Library* mpg123,
                                       double seconds, std::string& why)
{
    std::vector<std::uint8_t> start;
    readUpTo(start, *source, 12);
    if (detectAudioFormat(start) == AudioFormat::Wav)
        return openWav(std::move(start), *source, seconds, why);
    auto stream = mpg123 ? std::make_unique<Mp3Stream>(*mpg123, std::move(source)) : nullptr;
    if (!stream)
        why = "no MP3 decoder";
    return stream && stream->open(start, why) ? std::move(stream) : nullptr;
}

std::shared_ptr<const Pcm> readAtMost(SoundStream& stream, std::size_t maxSamples)
{
    maxSamples -= maxSamples % kOutputChannels;
    // A WAV was converted whole already: it is handed over as it is.
    if (auto* whole = dynamic_cast<PcmStream*>(&stream); whole && whole->size() <= maxSamples)
        return std::make_shared<const Pcm>(whole->take());
    auto pcm = std::make_shared<Pcm>();
    std::array<std::int16_t, 4096> piece;
    for (std::size_t got = piece.size(); pcm->size() < maxSamples && got == piece.size();) {
        got = stream.read(std::span(piece).first(std::min(piece.size(), maxSamples - pcm->size())));
        pcm->insert(pcm->end(), piece.begin(), piece.begin() + std::ptrdiff_t(got));
    }
    pcm->shrink_to_fit();
    return pcm;
}

void mixInto(std::span<std::int16_t> out, std::span<const std::int16_t> source)
{
    const std::size_t count = std::min(out.size(), source.size());
    for (std::size_t i = 0; i < count; ++i)
        out[i] = std::int16_t(std::clamp(int(out[i]) + int(source[i]), int(std::numeric_limits<std::int16_t>::min()),
                                         int(std::numeric_limits<std::int16_t>::max())));
}

} // namespace pelmora
