#include "audio_streams.h"

#include "audio_file.h"
#include "sdl_library.h"

#include <algorithm>
#include <array>
#include <limits>

namespace pelmora {

namespace {

// MP3 bytes handed to the decoder at a time.
constexpr std::size_t kFeedPiece = 4096;
// One MPEG frame: at most 1152 samples on each of two channels.
constexpr std::size_t kDecodePiece = 1152 * 2 * sizeof(std::int16_t);

const SdlLibrary& sdl()
{
    return *sdlLibrary();
}

bool frequencyAllowed(long frequency)
{
    return frequency >= kMinSourceFrequency && frequency <= kMaxSourceFrequency;
}

struct AudioStreamDeleter {
    void operator()(SDL_AudioStream* stream) const { sdl().SDL_FreeAudioStream(stream); }
};
using AudioStream = std::unique_ptr<SDL_AudioStream, AudioStreamDeleter>;

AudioStream toOutput(SDL_AudioFormat format, int channels, int frequency)
{
    return AudioStream(sdl().SDL_NewAudioStream(format, Uint8(channels), frequency, AUDIO_S16SYS,
                                                kOutputChannels, kOutputFrequency));
}

// The conversion of one sound to the output format, with what an earlier
// conversion of the same sound still held when its format changed.
struct Conversion {
    AudioStream stream;
    Pcm carried;
    std::size_t carriedAt = 0;
    bool flushed = false;

    // Takes what the conversion holds into out, asking more() for input each
    // time it runs dry; more() returns false once there is none left.
    template <class More>
    std::size_t drain(std::span<std::int16_t> out, More more)
    {
        std::size_t filled = 0;
        while (filled < out.size()) {
            if (carriedAt < carried.size()) {
                const std::size_t count = std::min(out.size() - filled, carried.size() - carriedAt);
                std::copy_n(carried.begin() + std::ptrdiff_t(carriedAt), count, out.begin() + std::ptrdiff_t(filled));
                carriedAt += count;
                filled += count;
                continue;
            }
            const int got = sdl().SDL_AudioStreamGet(stream.get(), out.data() + filled,
                                                     int((out.size() - filled) * sizeof(std::int16_t)));
            if (got < 0)
                break;
            filled += std::size_t(got) / sizeof(std::int16_t);
            if (got > 0)
                continue;
            if (flushed)
                break;
            if (!more()) {
                flushed = true;
                sdl().SDL_AudioStreamFlush(stream.get());
            }
        }
        return filled;
    }

    // Starts a conversion from another format; what the old one held back
    // is played first.
    bool change(SDL_AudioFormat format, int channels, int frequency)
    {
        if (stream) {
            sdl().SDL_AudioStreamFlush(stream.get());
            const int held = sdl().SDL_AudioStreamAvailable(stream.get());
            carried.erase(carried.begin(), carried.begin() + std::ptrdiff_t(carriedAt));
            carriedAt = 0;
            const std::size_t at = carried.size();
            carried.resize(at + std::size_t(held) / sizeof(std::int16_t));
            sdl().SDL_AudioStreamGet(stream.get(), carried.data() + at, held);
        }
        stream = toOutput(format, channels, frequency);
        return stream != nullptr;
    }
};

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

// The samples SDL's loader made of a WAV file, converted ten milliseconds of
// them at a time.
class WavStream final : public SoundStream {
public:
    WavStream(Uint8* samples, Uint32 length, const SDL_AudioSpec& wav, AudioStream conversion)
        : samples_(samples), length_(length)
    {
        conversion_.stream = std::move(conversion);
        frame_ = std::size_t(SDL_AUDIO_BITSIZE(wav.format) / 8) * wav.channels;
        piece_ = frame_ * std::size_t(std::max(1, wav.freq / 100));
        format_ = wav.format;
        const std::uint64_t frames = frame_ ? length_ / frame_ : 0;
        expected_ = std::size_t((frames * kOutputFrequency + std::uint64_t(wav.freq) - 1) / std::uint64_t(wav.freq))
            * kOutputChannels;
    }

    ~WavStream() override { sdl().SDL_FreeWAV(samples_); }

    std::size_t read(std::span<std::int16_t> out) override
    {
        // SDL's flush pads the input with zero bytes, on which an unsigned
        // 8-bit sound would end in a full-scale click. True silence goes
        // first, and nothing past the length the samples give is taken.
        out = out.first(std::min(out.size(), expected_ - given_));
        const std::size_t got = conversion_.drain(out, [this] {
            if (at_ >= length_) {
                if (padded_)
                    return false;
                padded_ = true;
                const std::vector<Uint8> silence(piece_, format_ == AUDIO_U8 ? 0x80 : 0);
                return sdl().SDL_AudioStreamPut(conversion_.stream.get(), silence.data(), int(silence.size())) == 0;
            }
            const std::size_t count = std::min<std::size_t>(piece_, length_ - at_);
            if (sdl().SDL_AudioStreamPut(conversion_.stream.get(), samples_ + at_, int(count)) != 0)
                return false;
            at_ += count;
            return true;
        });
        given_ += got;
        return got;
    }

private:
    Uint8* samples_;
    std::size_t length_;
    Conversion conversion_;
    std::size_t frame_ = 0;
    std::size_t piece_ = 0;
    std::size_t at_ = 0;
    std::size_t expected_ = 0;
    std::size_t given_ = 0;
    SDL_AudioFormat format_ = 0;
    bool padded_ = false;
};

class Mp3Stream final : public SoundStream {
public:
    static std::unique_ptr<SoundStream> open(const Mpg123Library& mpg123, std::vector<std::uint8_t> start,
                                             std::unique_ptr<ByteSource> rest)
    {
        std::unique_ptr<Mp3Stream> stream(new Mp3Stream(mpg123, std::move(start), std::move(rest)));
        int error = 0;
        stream->decoder_ = mpg123.mpg123_new(nullptr, &error);
        if (!stream->decoder_)
            return nullptr;
        mpg123_handle* decoder = stream->decoder_;
        // Tags are of no use here: skipped, not kept.
        mpg123.mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2, 0);
        mpg123.mpg123_format_none(decoder);
        const long* rates = nullptr;
        std::size_t count = 0;
        mpg123.mpg123_rates(&rates, &count);
        for (std::size_t i = 0; i < count; ++i)
            mpg123.mpg123_format(decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123.mpg123_open_feed(decoder) != MPG123_OK)
            return nullptr;
        // The first frame found tells the format; bytes without one are no MP3.
        while (!stream->conversion_.stream)
            if (!stream->decodeMore())
                return nullptr;
        return stream;
    }

    ~Mp3Stream() override
    {
        if (decoder_)
            mpg123_.mpg123_delete(decoder_);
    }

    std::size_t read(std::span<std::int16_t> out) override
    {
        return conversion_.drain(out, [this] { return decodeMore(); });
    }

private:
    Mp3Stream(const Mpg123Library& mpg123, std::vector<std::uint8_t> start, std::unique_ptr<ByteSource> rest)
        : mpg123_(mpg123), start_(std::move(start)), rest_(std::move(rest))
    {
    }

    // Decodes at most one frame into the conversion, or feeds the decoder or
    // takes a new format. False once nothing more will come.
    bool decodeMore()
    {
        std::array<unsigned char, kDecodePiece> piece;
        std::size_t done = 0;
        const int result = mpg123_.mpg123_read(decoder_, piece.data(), piece.size(), &done);
        if (done > 0
            && (!conversion_.stream
                || sdl().SDL_AudioStreamPut(conversion_.stream.get(), piece.data(), int(done)) != 0))
            return false;
        switch (result) {
        case MPG123_OK:
            return true;
        case MPG123_NEED_MORE:
            return feed();
        case MPG123_NEW_FORMAT:
            return takeFormat();
        default:
            // The end, or damage that resynchronising could not get past.
            return false;
        }
    }

    bool feed()
    {
        std::array<std::uint8_t, kFeedPiece> piece;
        std::span<const std::uint8_t> bytes;
        if (!start_.empty()) {
            bytes = start_;
        } else {
            bytes = std::span(piece).first(rest_->read(piece));
            if (bytes.empty())
                return false;
        }
        const bool fed = mpg123_.mpg123_feed(decoder_, bytes.data(), bytes.size()) == MPG123_OK;
        start_ = {};
        return fed;
    }

    bool takeFormat()
    {
        long frequency = 0;
        int channels = 0;
        int encoding = 0;
        if (mpg123_.mpg123_getformat(decoder_, &frequency, &channels, &encoding) != MPG123_OK
            || encoding != MPG123_ENC_SIGNED_16 || !frequencyAllowed(frequency))
            return false;
        if (conversion_.stream && frequency == frequency_ && channels == channels_)
            return true;
        frequency_ = frequency;
        channels_ = channels;
        return conversion_.change(AUDIO_S16SYS, channels, int(frequency));
    }

    const Mpg123Library& mpg123_;
    std::vector<std::uint8_t> start_;
    std::unique_ptr<ByteSource> rest_;
    mpg123_handle* decoder_ = nullptr;
    Conversion conversion_;
    long frequency_ = 0;
    int channels_ = 0;
};

} // namespace

std::unique_ptr<ByteSource> memorySource(std::vector<std::uint8_t> bytes)
{
    return std::make_unique<MemorySource>(std::move(bytes));
}

std::unique_ptr<SoundStream> decodeWav(std::vector<std::uint8_t> bytes)
{
    if (bytes.size() > std::size_t(std::numeric_limits<int>::max()))
        return nullptr;
    // SDL is told to believe the RIFF size; a size past the end of the file,
    // as some writers leave it, is believed as far as the file goes.
    if (bytes.size() >= 8) {
        const std::uint64_t declared = std::uint64_t(bytes[4]) | std::uint64_t(bytes[5]) << 8
            | std::uint64_t(bytes[6]) << 16 | std::uint64_t(bytes[7]) << 24;
        if (declared + 8 > bytes.size()) {
            const std::uint32_t real = std::uint32_t(bytes.size() - 8);
            for (int i = 0; i < 4; ++i)
                bytes[std::size_t(4 + i)] = std::uint8_t(real >> (8 * i));
        }
    }
    SDL_RWops* source = sdl().SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!source)
        return nullptr;
    SDL_AudioSpec wav{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!sdl().SDL_LoadWAV_RW(source, 1, &wav, &samples, &length))
        return nullptr;
    std::unique_ptr<Uint8, decltype(sdl().SDL_FreeWAV)> owned(samples, sdl().SDL_FreeWAV);
    if (!frequencyAllowed(wav.freq))
        return nullptr;
    AudioStream conversion = toOutput(wav.format, wav.channels, wav.freq);
    if (!conversion)
        return nullptr;
    return std::make_unique<WavStream>(owned.release(), length, wav, std::move(conversion));
}

std::unique_ptr<SoundStream> openSound(std::unique_ptr<ByteSource> source, const Mpg123Library* mpg123,
                                       std::size_t maxWavBytes)
{
    std::vector<std::uint8_t> start(12);
    start.resize(source->read(start));
    if (detectAudioFormat(start) == AudioFormat::Mp3)
        return mpg123 ? Mp3Stream::open(*mpg123, std::move(start), std::move(source)) : nullptr;

    std::vector<std::uint8_t> bytes = std::move(start);
    std::array<std::uint8_t, 1 << 16> piece;
    while (const std::size_t got = source->read(piece)) {
        if (bytes.size() + got > maxWavBytes)
            return nullptr;
        bytes.insert(bytes.end(), piece.begin(), piece.begin() + std::ptrdiff_t(got));
    }
    return decodeWav(std::move(bytes));
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
    for (std::size_t i = 0; i < count; ++i) {
        const int sum = int(out[i]) + int(source[i]);
        out[i] = std::int16_t(std::clamp(sum, int(std::numeric_limits<std::int16_t>::min()),
                                         int(std::numeric_limits<std::int16_t>::max())));
    }
}

} // namespace pelmora
