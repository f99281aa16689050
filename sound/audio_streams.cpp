// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "audio_streams.h"

#include "audio_file.h"
#include "sdl_library.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace pelmora {

namespace {

// How far into a WAV file the chunk of samples is looked for.
constexpr std::size_t kMaxWavHeader = 1u << 16;

const SdlLibrary& sdl()
{
    return *sdlLibrary();
}

Uint32 little32(const std::uint8_t* at)
{
    Uint32 value;
    std::memcpy(&value, at, 4);
    return SDL_SwapLE32(value);
}

void putLittle32(std::uint8_t* at, std::size_t value)
{
    const Uint32 little = SDL_SwapLE32(Uint32(value));
    std::memcpy(at, &little, 4);
}

// Reads on until bytes holds `size` bytes or the source has no more.
void readUpTo(std::vector<std::uint8_t>& bytes, SDL_RWops* source, std::size_t size)
{
    for (std::size_t got = 1; bytes.size() < size && got > 0;) {
        const std::size_t at = bytes.size();
        bytes.resize(std::min(size, at + (1u << 16)));
        got = sdl().SDL_RWread(source, bytes.data() + at, 1, bytes.size() - at);
        bytes.resize(at + got);
    }
}

// Cuts a WAV after the samples of its first `seconds` (within what decodes
// to kMaxWavDecoded), reading no more of the source, and lowers the RIFF and
// data lengths to the bytes left. A chunk of samples not found within
// kMaxWavHeader is left to SDL to turn away.
void keepWavPrefix(std::vector<std::uint8_t>& bytes, SDL_RWops* source, double seconds)
{
    readUpTo(bytes, source, kMaxWavHeader);
    std::size_t align = 1, budget = kMaxWavDecoded / 2;
    for (std::uint64_t at = 12; at + 8 <= bytes.size();) {
        const Uint32 length = little32(&bytes[at + 4]);
        const std::uint64_t body = at + 8;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && length >= 16 && body + 16 <= bytes.size()) {
            align = std::max<std::size_t>(1, little32(&bytes[body + 12]) & 0xFFFF);
            const Uint32 tag = little32(&bytes[body]) & 0xFFFF, channels = little32(&bytes[body + 2]) & 0xFFFF;
            const double rate = std::clamp<double>(little32(&bytes[body + 4]), kMinSourceFrequency,
                                                   kMaxSourceFrequency);
            // ADPCM takes some four bits a sample, and a little more for its
            // block headers, and decodes to 16; the others take a block a
            // frame and grow to twice their size at most (mu-law to 16 bits).
            const bool adpcm = tag == 0x0002 || tag == 0x0011;
            const double perSecond = adpcm ? 0.6 * rate * channels : rate * double(align);
            budget = std::size_t(std::min(seconds * perSecond + 2.0 * align, double(kMaxWavDecoded / (adpcm ? 4 : 2))));
        }
        if (std::memcmp(&bytes[at], "data", 4) == 0) {
            std::size_t keep = std::min<std::size_t>(length, budget);
            bytes.reserve(body + keep);
            readUpTo(bytes, source, body + keep);
            keep = std::min<std::size_t>(keep, bytes.size() - body);
            bytes.resize(body + keep - keep % align);
            putLittle32(&bytes[at + 4], keep - keep % align);
            break;
        }
        at = body + length + (length & 1);
    }
    if (bytes.size() >= 8)
        putLittle32(&bytes[4], bytes.size() - 8);
}

// What is kept of a WAV, loaded by SDL at once and converted by an SDL
// audio stream a piece at a time.
class WavStream final : public SoundStream {
public:
    ~WavStream() override
    {
        sdl().SDL_FreeWAV(samples_);
        sdl().SDL_FreeAudioStream(stream_);
    }

    bool open(std::vector<std::uint8_t> bytes, std::string& why)
    {
        SDL_RWops* source = sdl().SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
        SDL_AudioSpec wav{};
        if (!source || !sdl().SDL_LoadWAV_RW(source, 1, &wav, &samples_, &length_)) {
            why = sdl().SDL_GetError();
            return false;
        }
        if (wav.freq < kMinSourceFrequency || wav.freq > kMaxSourceFrequency) {
            why = "its sample rate of " + std::to_string(wav.freq) + " Hz is out of bounds";
            return false;
        }
        frame_ = SDL_AUDIO_BITSIZE(wav.format) / 8 * wav.channels;
        length_ -= length_ % frame_;
        left_ = std::size_t(std::uint64_t(length_ / frame_) * kOutputFrequency / Uint32(wav.freq)) * kOutputChannels;
        silence_.assign(frame_ * 256, wav.format == AUDIO_U8 ? 0x80 : 0);
        stream_ = sdl().SDL_NewAudioStream(wav.format, wav.channels, wav.freq, AUDIO_S16SYS, kOutputChannels,
                                           kOutputFrequency);
        why = length_ == 0 ? "it holds no samples" : sdl().SDL_GetError();
        return stream_ && length_ > 0;
    }

    // After the samples, silence pushes the last of them through the
    // resampler (SDL's flush does not always), and the output is cut at the
    // length the samples take.
    std::size_t read(std::span<std::int16_t> out) override
    {
        out = out.first(std::min(out.size(), left_));
        std::size_t filled = 0;
        while (filled < out.size()) {
            const int got = sdl().SDL_AudioStreamGet(stream_, out.data() + filled, int(out.size_bytes() - 2 * filled));
            const Uint32 piece = std::min(length_ - at_, frame_ * 4096);
            if (got > 0)
                filled += std::size_t(got) / sizeof(std::int16_t);
            else if (got < 0)
                break;
            else if (sdl().SDL_AudioStreamPut(stream_, piece ? samples_ + at_ : silence_.data(),
                                              int(piece ? piece : silence_.size())) == 0)
                at_ += piece;
            else
                break;
        }
        left_ -= filled;
        return filled;
    }

private:
    Uint8* samples_ = nullptr;
    Uint32 length_ = 0, at_ = 0, frame_ = 1;
    std::size_t left_ = 0; // of the output
    std::vector<Uint8> silence_;
    SDL_AudioStream* stream_ = nullptr;
};

class Mp3Stream final : public SoundStream {
public:
    Mp3Stream(const Mpg123Library& mpg123, SDL_RWops* source) : mpg123_(mpg123), source_(source) {}

    ~Mp3Stream() override
    {
        mpg123_.mpg123_delete(decoder_);
        sdl().SDL_RWclose(source_);
    }

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
        const std::size_t got = sdl().SDL_RWread(source_, piece.data(), 1, piece.size());
        return got > 0 && mpg123_.mpg123_feed(decoder_, piece.data(), got) == MPG123_OK;
    }

    const Mpg123Library& mpg123_;
    SDL_RWops* source_;
    mpg123_handle* decoder_ = nullptr;
    bool ended_ = false;
};

} // namespace

std::unique_ptr<SoundStream> openSound(SDL_RWops* source, const Mpg123Library* mpg123, double seconds,
                                       std::string& why)
{
    if (!source) {
        why = sdl().SDL_GetError();
        return nullptr;
    }
    std::vector<std::uint8_t> start;
    readUpTo(start, source, 12);
    if (detectAudioFormat(start) == AudioFormat::Wav) {
        keepWavPrefix(start, source, seconds);
        sdl().SDL_RWclose(source);
        auto wav = std::make_unique<WavStream>();
        return wav->open(std::move(start), why) ? std::move(wav) : nullptr;
    }
    if (!mpg123) {
        why = "no MP3 decoder";
        sdl().SDL_RWclose(source);
        return nullptr;
    }
    auto mp3 = std::make_unique<Mp3Stream>(*mpg123, source);
    return mp3->open(start, why) ? std::move(mp3) : nullptr;
}

} // namespace pelmora
