#include "sdl_multimedia.h"

#include "sdl_library.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace pelmora {

namespace {

constexpr int kBufferFrames = 1024;
constexpr std::size_t kMaxCachedEffects = 8;
constexpr std::uintmax_t kMaxFileSize = 64u << 20;

// SDL's audio subsystem is started and stopped for the whole process: only
// one instance may drive it.
std::atomic<bool> outputTaken{false};

// Only called once the libraries have been found: where they are missing
// the device never opens.
const SdlLibrary* sdl()
{
    return sdlLibrary();
}

} // namespace

SdlMultimedia::SdlMultimedia(Opening when)
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
    if (state_ == State::Opening && !opener_.joinable())
        opener_ = std::thread([this] { openDevice(); });
}

SdlMultimedia::~SdlMultimedia()
{
    if (opener_.joinable())
        opener_.join();
    closeDevice();
    if (ownsOutput_)
        outputTaken = false;
}

void SdlMultimedia::openDevice()
{
    if (!sdlLibrary()) {
        std::lock_guard lock(mutex_);
        state_ = State::Unavailable;
        pendingMusic_.reset();
        pendingEffect_.reset();
        settled_.notify_all();
        return;
    }

    // Without this SDL turns SIGINT and SIGTERM into quit events that nobody
    // reads, and the program could no longer be ended by them.
    sdl()->SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    sdl()->SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    sdl()->SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Pelmora");

    SDL_AudioDeviceID device = 0;
    const bool started = sdl()->SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (started) {
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
        SDL_AudioSpec obtained{};
        // No changes allowed: SDL converts to whatever the hardware wants.
        device = sdl()->SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    }

    std::lock_guard lock(mutex_);
    sdlStarted_ = started;
    device_ = device;
    state_ = device != 0 ? State::Open : State::Unavailable;
    if (device != 0) {
        if (pendingMusic_)
            startMusic(*pendingMusic_);
        if (pendingEffect_)
            startEffect(*pendingEffect_);
        sdl()->SDL_PauseAudioDevice(device, 0);
    }
    pendingMusic_.reset();
    pendingEffect_.reset();
    settled_.notify_all();
}

void SdlMultimedia::closeDevice()
{
    std::lock_guard lock(mutex_);
    if (device_ != 0) {
        // Returns once the callback has finished for good.
        sdl()->SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    playing_ = Playing();
    effects_.clear();
    music_.reset();
    state_ = State::Unavailable;
    if (sdlStarted_) {
        sdl()->SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (sdl()->SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
            sdl()->SDL_Quit();
        sdlStarted_ = false;
    }
}

void SdlMultimedia::fill(std::span<std::int16_t> out)
{
    std::size_t music = 0;
    if (playing_.musicOn) {
        music = playing_.music->read(out);
        playing_.musicOn = music == out.size();
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
    change(playing_);
    sdl()->SDL_UnlockAudioDevice(device_);
}

bool SdlMultimedia::musicOn()
{
    bool on = false;
    underDeviceLock([&](Playing& playing) { on = playing.musicOn; });
    return on;
}

bool SdlMultimedia::waitUntilReady()
{
    open();
    std::unique_lock lock(mutex_);
    settled_.wait(lock, [this] { return state_ != State::Opening; });
    return state_ == State::Open;
}

bool SdlMultimedia::musicPlaying()
{
    std::lock_guard lock(mutex_);
    return state_ == State::Open && musicOn();
}

bool SdlMultimedia::PlaySound(const char* sound, const void*, std::uint32_t flags)
{
    if ((flags & ~kAsync) != 0)
        return false;
    if (!(flags & kAsync) && sound)
        waitUntilReady();

    std::unique_lock lock(mutex_);
    if (!sound) {
        pendingEffect_.reset();
        if (state_ == State::Open) {
            std::shared_ptr<const Pcm> stopped;
            underDeviceLock([&](Playing& playing) { stopped.swap(playing.effect); });
        }
        return true;
    }
    if (state_ == State::Unavailable)
        return false;
    const std::string name(sound);
    if (state_ == State::Opening) {
        // Only the name can be checked before the device is open.
        if (!stampOf(platformPath(name)))
            return false;
        pendingEffect_ = name;
        return true;
    }
    const std::shared_ptr<const Pcm> pcm = startEffect(name);
    if (!pcm)
        return false;
    if (!(flags & kAsync)) {
        const auto length = std::chrono::microseconds(std::int64_t(pcm->size()) * 1'000'000
                                                      / (kOutputChannels * kOutputFrequency));
        lock.unlock();
        std::this_thread::sleep_for(length);
    }
    return true;
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

    std::uint32_t result = 0;
    {
        std::lock_guard lock(mutex_);
        switch (state_) {
        case State::Unavailable:
            result = kErrorHardware;
            break;
        case State::Opening:
            if (stampOf(platformPath(*name)))
                pendingMusic_ = *name;
            else
                result = kErrorFileNotFound;
            break;
        case State::Open:
            result = startMusic(*name);
            break;
        }
    }
    if (result == 0 && returnString && returnLength > 0)
        returnString[0] = '\0';
    return result;
}

std::shared_ptr<const Pcm> SdlMultimedia::startEffect(const std::string& name)
{
    // The new request replaces the effect still playing, even when it
    // cannot itself be played. The one replaced is freed here, not by the
    // callback.
    std::shared_ptr<const Pcm> pcm = loadEffect(name);
    std::shared_ptr<const Pcm> replaced = pcm;
    underDeviceLock([&](Playing& playing) {
        playing.effect.swap(replaced);
        playing.effectAt = 0;
    });
    return pcm;
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
    if (!stamp)
        return nullptr;

    const std::optional<AudioFile> file = readAudioFile(path, kMaxFileSize);
    if (!file || file->format != AudioFormat::Wav)
        return nullptr;
    std::shared_ptr<const Pcm> pcm = decodeWav(file->bytes);
    if (!pcm)
        return nullptr;
    if (effects_.size() >= kMaxCachedEffects)
        effects_.clear();
    effects_.emplace(name, LoadedEffect{file->stamp, pcm});
    return pcm;
}

std::uint32_t SdlMultimedia::startMusic(const std::string& name)
{
    // Re-sent while playing: the music goes on undisturbed, and the file is
    // not even looked at.
    if (music_ && music_->name == name && musicOn())
        return 0;

    const std::filesystem::path path = platformPath(name);
    const std::optional<FileStamp> stamp = stampOf(path);
    if (!stamp)
        return kErrorFileNotFound;
    std::unique_ptr<LoadedMusic> loaded;
    if (!music_ || music_->name != name || music_->stamp != *stamp) {
        std::optional<AudioFile> file = readAudioFile(path, kMaxFileSize);
        if (!file)
            return kErrorInvalidFile;
        loaded = std::make_unique<LoadedMusic>();
        loaded->name = name;
        loaded->stamp = file->stamp;
        switch (file->format) {
        case AudioFormat::Wav:
            loaded->pcm = decodeWav(file->bytes);
            break;
        case AudioFormat::Mp3:
            loaded->mp3 = std::make_shared<const std::vector<std::uint8_t>>(std::move(file->bytes));
            break;
        default:
            // Ogg and FLAC are recognised but not decoded.
            break;
        }
        if (!loaded->pcm && !loaded->mp3)
            return kErrorInvalidFile;
    }
    const LoadedMusic& music = loaded ? *loaded : *music_;
    // Made here, so that the callback only ever swaps pointers.
    std::unique_ptr<MusicStream> stream = music.pcm ? playPcm(music.pcm) : streamMp3(music.mp3);
    if (!stream)
        return kErrorInvalidFile;
    if (loaded)
        music_ = std::move(loaded);
    underDeviceLock([&](Playing& playing) {
        playing.music.swap(stream);
        playing.musicOn = true;
    });
    return 0;
}

} // namespace pelmora
