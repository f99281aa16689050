#include "sdl_multimedia.h"

#include "sdl_library.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

// Our own mixer over SDL's device rather than SDL2_mixer: in Debian that
// pulls in fluidsynth and libraries that cost more memory than this mixer.

namespace pelmora {

namespace {

constexpr int kBufferFrames = 1024;
constexpr std::size_t kMaxCachedEffects = 4;
constexpr std::size_t kMaxFileSize = 64u << 20;
// An effect is a short sound: a longer file plays its first seconds only,
// and a larger one is not read at all.
constexpr std::size_t kMaxEffectSeconds = 5;
constexpr std::size_t kMaxEffectSamples = kMaxEffectSeconds * kOutputFrequency * kOutputChannels;
constexpr std::size_t kMaxEffectFileSize = 16u << 20;
// Music is decoded this far ahead of the device, a piece at a time.
constexpr std::size_t kMusicPiece = 4096;
constexpr std::size_t kMusicLead = kOutputFrequency * kOutputChannels / 2;
constexpr auto kMusicRefill = std::chrono::milliseconds(200);

// SDL's audio subsystem is started and stopped for the whole process: only
// one instance may drive it.
std::atomic<bool> outputTaken{false};

// Only called once the library has been found: where it is missing the
// device never opens.
const SdlLibrary* sdl()
{
    return sdlLibrary();
}

// The program has no other place to say it: once, like a missing font.
void sayOnce(std::atomic<bool>& said, const char* what, const std::string& why)
{
    if (!said.exchange(true))
        std::fprintf(stderr, "pelmora: %s: %s\n", what, why.c_str());
}

std::atomic<bool> saidNoSound{false};
std::atomic<bool> saidNoMp3{false};

// SDL keeps its error text per thread, and frees it for threads of its own
// only: each of ours hands it back as it ends.
struct SdlThreadData {
    ~SdlThreadData()
    {
        if (sdl())
            sdl()->SDL_TLSCleanup();
    }
};

} // namespace

SdlMultimedia::SdlMultimedia(Opening when, Options options) : options_(std::move(options))
{
    ownsOutput_ = !outputTaken.exchange(true);
    if (!ownsOutput_) {
        state_ = State::Unavailable;
        return;
    }
    if (when == Opening::Now)
        open();
}

void SdlMultimedia::open()
{
    std::lock_guard lock(mutex_);
    if (state_ == State::Opening && !effectsThread_.joinable()) {
        effectsThread_ = std::thread([this] { runEffects(); });
        musicThread_ = std::thread([this] { runMusic(); });
    }
}

SdlMultimedia::~SdlMultimedia()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    effectWork_.notify_all();
    musicWork_.notify_all();
    if (effectsThread_.joinable())
        effectsThread_.join();
    if (musicThread_.joinable())
        musicThread_.join();
    closeDevice();
    if (ownsOutput_)
        outputTaken = false;
}

namespace {

// SDL's start-up, kept apart so that what SDL keeps from it for the life of
// the process can be told from the rest (see tests/lsan.supp).
[[gnu::noinline]] SDL_AudioDeviceID startSdlAudio(const SDL_AudioSpec& wanted, bool& started)
{
    started = sdl()->SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!started)
        return 0;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants.
    return sdl()->SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
}

} // namespace

void SdlMultimedia::openDevice()
{
    SDL_AudioDeviceID device = 0;
    bool started = false;
    const Mpg123Library* mpg123 = nullptr;
    if (!sdl()) {
        sayOnce(saidNoSound, "no sound", sdlLibraryError());
    } else {
        SDL_AudioSpec wanted{};
        wanted.freq = kOutputFrequency;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = kOutputChannels;
        wanted.samples = kBufferFrames;
        wanted.userdata = this;
        wanted.callback = [](void* self, Uint8* stream, int length) {
            static_cast<SdlMultimedia*>(self)->fill(
                {reinterpret_cast<std::int16_t*>(stream), std::size_t(length) / sizeof(std::int16_t)});
        };
        device = startSdlAudio(wanted, started);
        if (device == 0)
            sayOnce(saidNoSound, "no sound", sdl()->SDL_GetError());
        if (device != 0 && options_.mp3) {
            mpg123 = mpg123Library();
            if (!mpg123)
                sayOnce(saidNoMp3, "no MP3 music", mpg123LibraryError());
        }
    }

    std::lock_guard lock(mutex_);
    sdlStarted_ = started;
    device_ = device;
    mpg123_ = mpg123;
    state_ = device != 0 ? State::Open : State::Unavailable;
    if (device != 0)
        sdl()->SDL_PauseAudioDevice(device, 0);
    settled_.notify_all();
    musicWork_.notify_all();
}

void SdlMultimedia::closeDevice()
{
    if (device_ != 0) {
        // Returns once the callback has finished for good.
        sdl()->SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    if (sdlStarted_) {
        // Only the subsystem: SDL_Quit would also clear the WAV hints.
        sdl()->SDL_QuitSubSystem(SDL_INIT_AUDIO);
        sdlStarted_ = false;
    }
}

std::unique_ptr<SoundStream> SdlMultimedia::openSoundFile(const std::filesystem::path& path,
                                                          std::size_t maxWavBytes)
{
    std::unique_ptr<ByteSource> source = options_.openFile ? options_.openFile(path) : fileSource(path);
    if (!source)
        return nullptr;
    return openSound(std::move(source), mpg123_, maxWavBytes);
}

void SdlMultimedia::runEffects()
{
    const SdlThreadData threadData;
    openDevice();
    std::unique_lock lock(mutex_);
    for (;;) {
        effectWork_.wait(lock, [this] { return stopping_ || effectRequest_; });
        if (stopping_)
            return;
        const EffectRequest request = *std::exchange(effectRequest_, std::nullopt);
        if (state_ != State::Open) {
            effectsDone_ = request.number;
            settled_.notify_all();
            continue;
        }
        lock.unlock();
        // The new request replaces the effect still playing, even when it
        // cannot itself be played. The one replaced is freed here, not by
        // the callback.
        std::shared_ptr<const Pcm> pcm = request.name ? loadEffect(*request.name) : nullptr;
        const std::size_t samples = pcm ? pcm->size() : 0;
        underDeviceLock([&] {
            playing_.effect.swap(pcm);
            playing_.effectAt = 0;
        });
        pcm.reset();
        lock.lock();
        effectsDone_ = request.number;
        lastEffectSamples_ = samples;
        settled_.notify_all();
    }
}

void SdlMultimedia::runMusic()
{
    const SdlThreadData threadData;
    std::unique_lock lock(mutex_);
    for (;;) {
        // Woken by a request, or when the music has played for a while.
        const bool decoding = music_ != nullptr;
        const auto ready = [this] { return stopping_ || (state_ != State::Opening && musicRequest_); };
        if (decoding)
            musicWork_.wait_for(lock, kMusicRefill, ready);
        else
            musicWork_.wait(lock, ready);
        if (stopping_)
            return;
        if (musicRequest_) {
            const std::string name = *std::exchange(musicRequest_, std::nullopt);
            const std::uint64_t number = musicAsked_;
            const bool open = state_ == State::Open;
            lock.unlock();
            if (open)
                startMusic(name);
            lock.lock();
            musicDone_ = number;
            settled_.notify_all();
        }
        if (music_) {
            lock.unlock();
            decodeAhead();
            lock.lock();
        }
    }
}

void SdlMultimedia::startMusic(const std::string& name)
{
    // Re-sent while playing: the music goes on undisturbed, and the file is
    // not even looked at.
    if (name == musicName_ && playing_.musicOn)
        return;
    std::unique_ptr<SoundStream> stream = openSoundFile(platformPath(name), kMaxFileSize);
    if (!stream)
        return;
    // A good lead before the device is given the music, so that a busy
    // machine does not leave it waiting for this thread.
    std::vector<std::int16_t> lead(kMusicLead);
    const std::size_t first = stream->read(lead);
    underDeviceLock([&] {
        playing_.music.clear();
        playing_.music.push(std::span(lead).first(first));
        playing_.musicEnded = first < lead.size();
        playing_.musicOn = first > 0;
    });
    musicName_ = name;
    music_ = first < lead.size() ? nullptr : std::move(stream);
}

void SdlMultimedia::decodeAhead()
{
    std::array<std::int16_t, kMusicPiece> piece;
    while (music_ && playing_.music.space() >= piece.size()) {
        const std::size_t got = music_->read(piece);
        playing_.music.push(std::span(piece).first(got));
        if (got < piece.size()) {
            music_.reset();
            playing_.musicEnded = true;
        }
    }
}

void SdlMultimedia::fill(std::span<std::int16_t> out)
{
    std::size_t music = 0;
    if (playing_.musicOn) {
        music = playing_.music.pop(out);
        if (music < out.size() && playing_.musicEnded && playing_.music.size() == 0)
            playing_.musicOn = false;
    }
    std::fill(out.begin() + std::ptrdiff_t(music), out.end(), std::int16_t(0));
    if (playing_.effect) {
        const std::span<const std::int16_t> rest = std::span(*playing_.effect).subspan(playing_.effectAt);
        mixInto(out, rest);
        playing_.effectAt += std::min(out.size(), rest.size());
    }
}

template <class Change>
void SdlMultimedia::underDeviceLock(Change change)
{
    sdl()->SDL_LockAudioDevice(device_);
    change();
    sdl()->SDL_UnlockAudioDevice(device_);
}

std::shared_ptr<const Pcm> SdlMultimedia::loadEffect(const std::string& name)
{
    const std::filesystem::path path = platformPath(name);
    const std::optional<FileStamp> stamp = stampOf(path);
    const auto cached = effects_.find(name);
    if (stamp && cached != effects_.end() && cached->second.stamp == *stamp)
        return cached->second.pcm;
    if (cached != effects_.end())
        effects_.erase(cached);
    if (!stamp || stamp->size > kMaxEffectFileSize)
        return nullptr;
    const std::unique_ptr<SoundStream> stream = openSoundFile(path, kMaxEffectFileSize);
    if (!stream)
        return nullptr;
    std::shared_ptr<const Pcm> pcm = readAtMost(*stream, kMaxEffectSamples);
    if (pcm->empty())
        return nullptr;
    if (effects_.size() >= kMaxCachedEffects)
        effects_.clear();
    effects_.emplace(name, LoadedEffect{*stamp, pcm});
    return pcm;
}

bool SdlMultimedia::waitUntilReady(std::chrono::milliseconds timeout)
{
    open();
    std::unique_lock lock(mutex_);
    settled_.wait_for(lock, timeout, [this] { return state_ != State::Opening; });
    return state_ == State::Open;
}

bool SdlMultimedia::waitUntilCarriedOut(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return settled_.wait_for(lock, timeout, [this] {
        return state_ == State::Unavailable
            || (state_ == State::Open && effectsDone_ == effectsAsked_ && musicDone_ == musicAsked_);
    });
}

bool SdlMultimedia::musicPlaying()
{
    std::lock_guard lock(mutex_);
    return state_ == State::Open && playing_.musicOn;
}

std::uint64_t SdlMultimedia::requestEffect(std::optional<std::string> name)
{
    // A request not yet taken up is replaced: the new one would cut it off.
    effectRequest_ = EffectRequest{std::move(name), ++effectsAsked_};
    effectWork_.notify_one();
    return effectsAsked_;
}

bool SdlMultimedia::PlaySound(const char* sound, const void*, std::uint32_t flags)
{
    if ((flags & ~kAsync) != 0)
        return false;
    const bool wait = !(flags & kAsync) && sound;
    if (wait)
        waitUntilReady();

    // Only a look at the directory here: whether the file is there at all.
    // What it holds is judged as it loads, off this thread.
    const bool present = sound && stampOf(platformPath(sound)).has_value();
    std::unique_lock lock(mutex_);
    if (state_ == State::Unavailable)
        return !sound;
    const std::uint64_t number = requestEffect(sound ? std::optional<std::string>(sound) : std::nullopt);
    if (!wait)
        return present || !sound;
    settled_.wait(lock, [&] { return effectsDone_ >= number || stopping_; });
    const std::size_t samples = effectsDone_ == number ? lastEffectSamples_ : 0;
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::microseconds(std::int64_t(samples) * 1'000'000
                                                          / (kOutputChannels * kOutputFrequency)));
    return samples > 0;
}

std::uint32_t SdlMultimedia::SendString(const char* command, char* returnString, std::uint32_t returnLength,
                                        const void*)
{
    if (!command || !*command)
        return kErrorMissingCommandString;
    const std::optional<std::string> name = playCommandFile(command);
    if (!name)
        return kErrorUnrecognizedCommand;
    if (name->empty())
        return kErrorMissingParameter;
    const bool present = stampOf(platformPath(*name)).has_value();
    {
        std::lock_guard lock(mutex_);
        if (state_ == State::Unavailable)
            return kErrorHardware;
        if (!present)
            return kErrorFileNotFound;
        musicRequest_ = *name;
        ++musicAsked_;
        musicWork_.notify_one();
    }
    if (returnString && returnLength > 0)
        returnString[0] = '\0';
    return 0;
}

} // namespace pelmora
