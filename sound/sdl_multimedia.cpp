#include "sdl_multimedia.h"

#include "sdl_library.h"

#include <atomic>
#include <chrono>

namespace pelmora {

namespace {

constexpr int kFrequency = 44100;
constexpr int kChannels = 2;
constexpr int kBufferFrames = 1024;
constexpr int kEffectChannel = 0;
constexpr std::size_t kMaxCachedEffects = 8;
constexpr std::uintmax_t kMaxFileSize = 64u << 20;

// SDL_mixer is one global mixer: only one instance may drive it.
std::atomic<bool> mixerTaken{false};

Mix_MusicType musicType(AudioFormat format)
{
    switch (format) {
    case AudioFormat::Wav: return MUS_WAV;
    case AudioFormat::Mp3: return MUS_MP3;
    case AudioFormat::Ogg: return MUS_OGG;
    case AudioFormat::Flac: return MUS_FLAC;
    case AudioFormat::Unknown: break;
    }
    return MUS_NONE;
}

// Only called once the library has been found: where it is missing the
// device never opens.
const SdlLibrary* sdl()
{
    return sdlLibrary();
}

} // namespace

void SdlMultimedia::ChunkDeleter::operator()(Mix_Chunk* chunk) const
{
    sdl()->Mix_FreeChunk(chunk);
}

void SdlMultimedia::MusicDeleter::operator()(_Mix_Music* music) const
{
    sdl()->Mix_FreeMusic(music);
}

SdlMultimedia::SdlMultimedia(Opening when)
{
    ownsMixer_ = !mixerTaken.exchange(true);
    if (!ownsMixer_) {
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
    if (ownsMixer_)
        mixerTaken = false;
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

    bool open = false;
    int bytesPerSecond = 0;
    const bool started = sdl()->SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (started) {
        sdl()->Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_FLAC);
        open = sdl()->Mix_OpenAudioDevice(kFrequency, AUDIO_S16SYS, kChannels, kBufferFrames, nullptr, 0) == 0;
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        if (open && sdl()->Mix_QuerySpec(&frequency, &format, &channels) != 0) {
            bytesPerSecond = frequency * channels * int(SDL_AUDIO_BITSIZE(format) / 8);
            sdl()->Mix_AllocateChannels(1);
        }
    }

    std::lock_guard lock(mutex_);
    sdlStarted_ = started;
    bytesPerSecond_ = bytesPerSecond;
    state_ = open ? State::Open : State::Unavailable;
    if (open) {
        if (pendingMusic_)
            startMusic(*pendingMusic_);
        if (pendingEffect_)
            startEffect(*pendingEffect_);
    }
    pendingMusic_.reset();
    pendingEffect_.reset();
    settled_.notify_all();
}

void SdlMultimedia::closeDevice()
{
    std::lock_guard lock(mutex_);
    if (state_ == State::Open) {
        sdl()->Mix_HaltChannel(-1);
        sdl()->Mix_HaltMusic();
        effects_.clear();
        music_.reset();
        sdl()->Mix_CloseAudio();
    }
    state_ = State::Unavailable;
    if (sdlStarted_) {
        sdl()->Mix_Quit();
        sdl()->SDL_QuitSubSystem(SDL_INIT_AUDIO);
        if (sdl()->SDL_WasInit(SDL_INIT_EVERYTHING) == 0)
            sdl()->SDL_Quit();
        sdlStarted_ = false;
    }
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
    return state_ == State::Open && sdl()->Mix_PlayingMusic() != 0;
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
        if (state_ == State::Open)
            sdl()->Mix_HaltChannel(kEffectChannel);
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
    Mix_Chunk* chunk = startEffect(name);
    if (!chunk)
        return false;
    if (!(flags & kAsync) && bytesPerSecond_ > 0) {
        const auto length = std::chrono::microseconds(std::int64_t(chunk->alen) * 1'000'000 / bytesPerSecond_);
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

Mix_Chunk* SdlMultimedia::startEffect(const std::string& name)
{
    Mix_Chunk* chunk = loadEffect(name);
    // The new request replaces the effect still playing, even when it
    // cannot itself be played.
    sdl()->Mix_HaltChannel(kEffectChannel);
    if (!chunk || sdl()->Mix_PlayChannel(kEffectChannel, chunk, 0) < 0)
        return nullptr;
    return chunk;
}

Mix_Chunk* SdlMultimedia::loadEffect(const std::string& name)
{
    const std::filesystem::path path = platformPath(name);
    const std::optional<FileStamp> stamp = stampOf(path);
    const auto cached = effects_.find(name);
    if (stamp && cached != effects_.end() && cached->second.stamp == *stamp)
        return cached->second.chunk.get();
    if (cached != effects_.end()) {
        sdl()->Mix_HaltChannel(kEffectChannel);
        effects_.erase(cached);
    }
    if (!stamp)
        return nullptr;

    std::optional<AudioFile> file = readAudioFile(path, kMaxFileSize);
    if (!file || file->format != AudioFormat::Wav)
        return nullptr;
    SDL_RWops* source = sdl()->SDL_RWFromConstMem(file->bytes.data(), int(file->bytes.size()));
    if (!source)
        return nullptr;
    std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk(sdl()->Mix_LoadWAV_RW(source, 1));
    if (!chunk)
        return nullptr;
    if (effects_.size() >= kMaxCachedEffects) {
        sdl()->Mix_HaltChannel(kEffectChannel);
        effects_.clear();
    }
    Mix_Chunk* loaded = chunk.get();
    effects_.emplace(name, LoadedEffect{file->stamp, std::move(chunk)});
    return loaded;
}

std::uint32_t SdlMultimedia::startMusic(const std::string& name)
{
    // Re-sent while playing: the music goes on undisturbed, and the file is
    // not even looked at.
    if (music_ && music_->name == name && sdl()->Mix_PlayingMusic())
        return 0;

    const std::filesystem::path path = platformPath(name);
    const std::optional<FileStamp> stamp = stampOf(path);
    if (!stamp)
        return kErrorFileNotFound;
    if (!music_ || music_->name != name || music_->stamp != *stamp) {
        std::optional<AudioFile> file = readAudioFile(path, kMaxFileSize);
        if (!file)
            return kErrorInvalidFile;
        auto loaded = std::make_unique<LoadedMusic>();
        loaded->name = name;
        loaded->stamp = file->stamp;
        loaded->bytes = std::move(file->bytes);
        SDL_RWops* source = sdl()->SDL_RWFromConstMem(loaded->bytes.data(), int(loaded->bytes.size()));
        if (!source)
            return kErrorInvalidFile;
        loaded->music.reset(sdl()->Mix_LoadMUSType_RW(source, musicType(file->format), 1));
        if (!loaded->music)
            return kErrorInvalidFile;
        sdl()->Mix_HaltMusic();
        music_ = std::move(loaded);
    }
    return sdl()->Mix_PlayMusic(music_->music.get(), 0) == 0 ? 0 : kErrorInvalidFile;
}

} // namespace pelmora
