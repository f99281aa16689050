#include "audio_streams.h"

#include "sdl_library.h"

#include <algorithm>
#include <limits>

namespace pelmora {

namespace {

// Longer than any 16-bit stereo file within the size limit of the layer,
// and short enough that an 8-bit mono file at a low rate cannot blow up
// into gigabytes once converted.
constexpr std::uint64_t kMaxPcmSeconds = 600;
// MP3 bytes handed to the decoder at a time.
constexpr std::size_t kFeedPiece = 4096;
// One MPEG frame: at most 1152 samples on each of two channels.
constexpr std::size_t kDecodePiece = 1152 * 2 * sizeof(std::int16_t);

const SdlLibrary& sdl()
{
    return *sdlLibrary();
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

class PcmStream final : public MusicStream {
public:
    explicit PcmStream(std::shared_ptr<const Pcm> pcm) : pcm_(std::move(pcm)) {}

    std::size_t read(std::span<std::int16_t> out) override
    {
        const std::size_t count = std::min(out.size(), pcm_->size() - at_);
        std::copy_n(pcm_->begin() + std::ptrdiff_t(at_), count, out.begin());
        at_ += count;
        return count;
    }

private:
    std::shared_ptr<const Pcm> pcm_;
    std::size_t at_ = 0;
};

class Mp3Stream final : public MusicStream {
public:
    static std::unique_ptr<MusicStream> open(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
    {
        std::unique_ptr<Mp3Stream> stream(new Mp3Stream(std::move(bytes)));
        int error = 0;
        stream->decoder_ = sdl().mpg123_new(nullptr, &error);
        if (!stream->decoder_)
            return nullptr;
        mpg123_handle* decoder = stream->decoder_;
        // Tags are of no use here: skipped, not kept.
        sdl().mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_SKIP_ID3V2, 0);
        sdl().mpg123_format_none(decoder);
        const long* rates = nullptr;
        std::size_t count = 0;
        sdl().mpg123_rates(&rates, &count);
        for (std::size_t i = 0; i < count; ++i)
            sdl().mpg123_format(decoder, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (sdl().mpg123_open_feed(decoder) != MPG123_OK)
            return nullptr;
        // The first frame found tells the format; bytes without one are no MP3.
        while (!stream->output_)
            if (!stream->decodeMore())
                return nullptr;
        return stream;
    }

    ~Mp3Stream() override
    {
        if (decoder_)
            sdl().mpg123_delete(decoder_);
    }

    std::size_t read(std::span<std::int16_t> out) override
    {
        std::size_t filled = 0;
        while (filled < out.size()) {
            const int got = sdl().SDL_AudioStreamGet(output_.get(), out.data() + filled,
                                                     int((out.size() - filled) * sizeof(std::int16_t)));
            if (got < 0)
                break;
            filled += std::size_t(got) / sizeof(std::int16_t);
            if (got > 0)
                continue;
            if (ended_)
                break;
            if (!decodeMore()) {
                ended_ = true;
                sdl().SDL_AudioStreamFlush(output_.get());
            }
        }
        return filled;
    }

private:
    explicit Mp3Stream(std::shared_ptr<const std::vector<std::uint8_t>> bytes) : bytes_(std::move(bytes)) {}

    // Decodes at most one frame into the output stream, or feeds the decoder
    // or takes a new format. False once nothing more will come.
    bool decodeMore()
    {
        unsigned char piece[kDecodePiece];
        std::size_t done = 0;
        const int result = sdl().mpg123_read(decoder_, piece, sizeof piece, &done);
        if (done > 0 && (!output_ || sdl().SDL_AudioStreamPut(output_.get(), piece, int(done)) != 0))
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
        if (fed_ == bytes_->size())
            return false;
        const std::size_t count = std::min(kFeedPiece, bytes_->size() - fed_);
        if (sdl().mpg123_feed(decoder_, bytes_->data() + fed_, count) != MPG123_OK)
            return false;
        fed_ += count;
        return true;
    }

    bool takeFormat()
    {
        long frequency = 0;
        int channels = 0;
        int encoding = 0;
        if (sdl().mpg123_getformat(decoder_, &frequency, &channels, &encoding) != MPG123_OK
            || encoding != MPG123_ENC_SIGNED_16 || frequency <= 0
            || frequency > std::numeric_limits<int>::max())
            return false;
        if (output_ && frequency == frequency_ && channels == channels_)
            return true;
        // A file that changes its rate midway is rare: the few samples the
        // old conversion still held back are dropped.
        output_ = toOutput(AUDIO_S16SYS, channels, int(frequency));
        frequency_ = frequency;
        channels_ = channels;
        return output_ != nullptr;
    }

    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    std::size_t fed_ = 0;
    mpg123_handle* decoder_ = nullptr;
    AudioStream output_;
    long frequency_ = 0;
    int channels_ = 0;
    bool ended_ = false;
};

} // namespace

std::shared_ptr<const Pcm> decodeWav(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() > std::size_t(std::numeric_limits<int>::max()))
        return nullptr;
    SDL_RWops* source = sdl().SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
    if (!source)
        return nullptr;
    SDL_AudioSpec wav{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!sdl().SDL_LoadWAV_RW(source, 1, &wav, &samples, &length))
        return nullptr;
    const std::unique_ptr<Uint8, decltype(sdl().SDL_FreeWAV)> owned(samples, sdl().SDL_FreeWAV);

    const std::uint64_t frameSize = std::uint64_t(SDL_AUDIO_BITSIZE(wav.format) / 8) * wav.channels;
    if (frameSize == 0 || wav.freq <= 0 || length > std::uint32_t(std::numeric_limits<int>::max())
        || length / frameSize > kMaxPcmSeconds * std::uint64_t(wav.freq))
        return nullptr;
    const AudioStream stream = toOutput(wav.format, wav.channels, wav.freq);
    if (!stream || sdl().SDL_AudioStreamPut(stream.get(), samples, int(length)) != 0
        || sdl().SDL_AudioStreamFlush(stream.get()) != 0)
        return nullptr;
    const int available = sdl().SDL_AudioStreamAvailable(stream.get());
    auto pcm = std::make_shared<Pcm>(std::size_t(available) / sizeof(std::int16_t));
    if (sdl().SDL_AudioStreamGet(stream.get(), pcm->data(), available) != available)
        return nullptr;
    return pcm;
}

std::unique_ptr<MusicStream> playPcm(std::shared_ptr<const Pcm> pcm)
{
    return std::make_unique<PcmStream>(std::move(pcm));
}

std::unique_ptr<MusicStream> streamMp3(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
{
    return Mp3Stream::open(std::move(bytes));
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
