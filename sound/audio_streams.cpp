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

void putLittle32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
}

// Reads on until bytes holds `size` bytes or the source has no more.
void readUpTo(std::vector<std::uint8_t>& bytes, ByteSource& source, std::size_t size)
{
    while (bytes.size() < size) {
        const std::size_t at = bytes.size();
        bytes.resize(std::min(size, at + (1u << 16)));
        const std::size_t got = source.read(std::span(bytes).subspan(at));
        bytes.resize(at + got);
        if (got == 0)
            return;
    }
}

// The bytes of samples that `seconds` of a WAV's format take, by its fmt
// chunk, and no more than SDL's loader may decode.
std::size_t wavBudget(std::span<const std::uint8_t> fmt, double seconds)
{
    if (fmt.size() < 16)
        return 0;
    const std::uint32_t tag = little(fmt, 0, 2), channels = little(fmt, 2, 2), align = little(fmt, 12, 2);
    const double rate = std::clamp<double>(little(fmt, 4, 4), kMinSourceFrequency, kMaxSourceFrequency);
    // ADPCM takes four bits a sample, and a little more for the block
    // headers, and decodes to 16 bits; the others take a block a frame.
    const bool adpcm = tag == 0x0002 || tag == 0x0011;
    const double perSecond = adpcm ? rate * channels * 0.6 : rate * align;
    const std::size_t growth = adpcm ? 4 : 2;
    return std::size_t(std::min(seconds * perSecond + 2.0 * align, double(kMaxWavDecoded / growth)));
}

// Cuts a WAV after the samples of its first `seconds` and lowers the RIFF
// and data lengths to the bytes left, reading no more of the source than
// that. A chunk of samples not found within kMaxWavHeader is left to SDL to
// turn away.
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
            std::size_t keep = std::min<std::size_t>(length, wavBudget(fmt, seconds));
            const std::size_t align = fmt.size() >= 16 ? std::max<std::size_t>(1, little(fmt, 12, 2)) : 1;
            readUpTo(bytes, source, body + keep);
            keep = std::min<std::size_t>(keep, bytes.size() - body);
            keep -= keep % align;
            bytes.resize(body + keep);
            putLittle32(bytes, at + 4, std::uint32_t(keep));
            break;
        }
        at = body + length + (length & 1);
    }
    if (bytes.size() >= 8)
        putLittle32(bytes, 4, std::uint32_t(bytes.size() - 8));
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

struct AudioStreamDeleter {
    void operator()(SDL_AudioStream* stream) const { sdl().SDL_FreeAudioStream(stream); }
};
using AudioStream = std::unique_ptr<SDL_AudioStream, AudioStreamDeleter>;

// The samples SDL's loader made of a WAV file, converted a hundredth of a
// second of them at a time.
class WavStream final : public SoundStream {
public:
    WavStream(Uint8* samples, Uint32 length, const SDL_AudioSpec& wav, AudioStream conversion)
        : samples_(samples), length_(length), conversion_(std::move(conversion)), format_(wav.format)
    {
        const std::size_t frame = std::size_t(SDL_AUDIO_BITSIZE(wav.format) / 8) * wav.channels;
        piece_ = frame * std::size_t(std::max(1, wav.freq / 100));
        const std::uint64_t frames = frame ? length_ / frame : 0;
        expected_ = std::size_t((frames * kOutputFrequency + std::uint64_t(wav.freq) - 1) / std::uint64_t(wav.freq))
            * kOutputChannels;
    }

    ~WavStream() override { sdl().SDL_FreeWAV(samples_); }

    std::size_t read(std::span<std::int16_t> out) override
    {
        // Nothing past the length the samples give: see putMore().
        out = out.first(std::min(out.size(), expected_ - given_));
        std::size_t filled = 0;
        while (filled < out.size()) {
            const int got = sdl().SDL_AudioStreamGet(conversion_.get(), out.data() + filled,
                                                     int((out.size() - filled) * sizeof(std::int16_t)));
            if (got < 0)
                break;
            filled += std::size_t(got) / sizeof(std::int16_t);
            if (got == 0 && !putMore())
                break;
        }
        given_ += filled;
        return filled;
    }

private:
    bool putMore()
    {
        if (flushed_)
            return false;
        if (at_ < length_) {
            const std::size_t count = std::min(piece_, length_ - at_);
            at_ += count;
            return sdl().SDL_AudioStreamPut(conversion_.get(), samples_ + at_ - count, int(count)) == 0;
        }
        // SDL's flush pads the input with zero bytes, on which an unsigned
        // 8-bit sound would end in a full-scale click: true silence first.
        const std::vector<Uint8> silence(piece_, format_ == AUDIO_U8 ? 0x80 : 0);
        flushed_ = true;
        return sdl().SDL_AudioStreamPut(conversion_.get(), silence.data(), int(silence.size())) == 0
            && sdl().SDL_AudioStreamFlush(conversion_.get()) == 0;
    }

    Uint8* samples_;
    std::size_t length_;
    AudioStream conversion_;
    SDL_AudioFormat format_;
    std::size_t piece_ = 0;
    std::size_t at_ = 0;
    std::size_t expected_ = 0;
    std::size_t given_ = 0;
    bool flushed_ = false;
};

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
    std::unique_ptr<Uint8, decltype(sdl().SDL_FreeWAV)> owned(samples, sdl().SDL_FreeWAV);
    if (wav.freq < kMinSourceFrequency || wav.freq > kMaxSourceFrequency) {
        why = "its sample rate of " + std::to_string(wav.freq) + " Hz is out of bounds";
        return nullptr;
    }
    AudioStream conversion(sdl().SDL_NewAudioStream(wav.format, wav.channels, wav.freq, AUDIO_S16SYS,
                                                    kOutputChannels, kOutputFrequency));
    if (!conversion) {
        why = sdl().SDL_GetError();
        return nullptr;
    }
    return std::make_unique<WavStream>(owned.release(), length, wav, std::move(conversion));
}

class Mp3Stream final : public SoundStream {
public:
    Mp3Stream(const Mpg123Library& mpg123, std::unique_ptr<ByteSource> source)
        : mpg123_(mpg123), source_(std::move(source))
    {
    }

    ~Mp3Stream() override
    {
        if (decoder_)
            mpg123_.mpg123_delete(decoder_);
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
        for (;;) {
            std::size_t done = 0;
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
        const std::size_t wanted = out.size_bytes();
        std::size_t filled = 0;
        while (!ended_ && filled < wanted) {
            std::size_t done = 0;
            const int result = mpg123_.mpg123_read(decoder_, bytes + filled, wanted - filled, &done);
            filled += done;
            // The end, or damage that resynchronising could not get past.
            if (result == MPG123_NEED_MORE ? !feed() : result != MPG123_OK && result != MPG123_NEW_FORMAT)
                ended_ = true;
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
    if (!mpg123) {
        why = "no MP3 decoder";
        return nullptr;
    }
    auto stream = std::make_unique<Mp3Stream>(*mpg123, std::move(source));
    if (!stream->open(start, why))
        return nullptr;
    return stream;
}

std::shared_ptr<const Pcm> readAtMost(SoundStream& stream, std::size_t maxSamples)
{
    maxSamples -= maxSamples % kOutputChannels;
    auto pcm = std::make_shared<Pcm>();
    std::array<std::int16_t, 4096> piece;
    while (pcm->size() < maxSamples) {
        const std::size_t wanted = std::min(piece.size(), maxSamples - pcm->size());
        const std::size_t got = stream.read(std::span(piece).first(wanted));
        pcm->insert(pcm->end(), piece.begin(), piece.begin() + std::ptrdiff_t(got));
        if (got < wanted)
            break;
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
