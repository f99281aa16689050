#include "sdl_multimedia.h"

#include "audio_file.h"
#include "sample_ring.h"
#include "sdl_library.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

// Our own mixer over SDL's device rather than SDL2_mixer: in Debian that
// pulls in fluidsynth and libraries that cost more memory than this mixer.

namespace pelmora {

namespace {

using namespace std::chrono_literals;

// 11.6 ms: the click is heard about as soon as the mark is seen.
constexpr int kBufferFrames = 512;
constexpr std::size_t kMaxCachedEffects = 4;
// An effect is a short sound: a longer file plays its first seconds only.
constexpr double kEffectSeconds = 5;
constexpr std::size_t kMaxEffectSamples = std::size_t(kEffectSeconds) * kOutputFrequency * kOutputChannels;
// A WAV standing in for the music is held whole, so within kMaxWavDecoded.
constexpr double kMusicSeconds = 3600;
// Music is decoded ahead of the device, a piece at a time, and topped up
// this often while it plays.
constexpr std::size_t kMusicPiece = 4096;
constexpr auto kMusicRefill = 200ms;
// How long closing waits for the worker to let the device go.
constexpr auto kCloseWait = 400ms;

// SDL's audio subsystem is started and stopped for the whole process: only
// one instance may drive it.
std::atomic<bool> outputTaken{false};

// Only called once the library has been found: where it is missing the
// device never opens.
const SdlLibrary& sdl()
{
    return *sdlLibrary();
}

// The program has no other place to say it: once, like a missing font.
void say(const char* what, const std::string& why)
{
    std::fprintf(stderr, "pelmora: %s: %s\n", what, why.c_str());
}

void sayOnce(std::atomic<bool>& said, const char* what, const std::string& why)
{
    if (!said.exchange(true))
        say(what, why);
}

std::atomic<bool> saidNoSound{false};
std::atomic<bool> saidNoMp3{false};

// SDL keeps its error text per thread, and frees it for threads of its own
// only: the worker hands it back as it ends, where SDL can.
struct SdlThreadData {
    ~SdlThreadData()
    {
        if (sdlLibrary() && sdl().SDL_TLSCleanup)
            sdl().SDL_TLSCleanup();
    }
};

// SDL's start-up, kept apart so that what SDL keeps from it for the life of
// the process can be told from the rest (see tests/lsan.supp).
[[gnu::noinline]] SDL_AudioDeviceID startSdlAudio(const SDL_AudioSpec& wanted, bool& started)
{
    started = sdl().SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (!started)
        return 0;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants.
    return sdl().SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
}

} // namespace

struct SdlMultimedia::Shared {
    enum class State { Opening, Open, Unavailable };
    struct EffectRequest {
        std::optional<std::string> name; // nothing: stop
        std::uint64_t number = 0;
    };
    struct LoadedEffect {
        FileStamp stamp;
        std::shared_ptr<const Pcm> pcm;
    };

    explicit Shared(Options o) : options(std::move(o)) {}

    void run();
    void openDevice();
    void closeDevice();
    void playEffect(const std::optional<std::string>& name);
    void playMusic(const std::string& name);
    void decodeAhead();
    std::shared_ptr<const Pcm> loadEffect(const std::string& name);
    std::unique_ptr<SoundStream> openFile(const std::string& name, double seconds);
    // Fills one buffer of the device; called by SDL with the device locked.
    void fill(std::span<std::int16_t> out);
    template <class Change>
    void underDeviceLock(Change change);

    const Options options;

    // Under the mutex. The one condition tells of every change, to the
    // worker and to whoever waits for it.
    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Opening;
    bool stopping = false;
    bool finished = false;
    std::optional<EffectRequest> effectRequest;
    std::uint64_t effectsAsked = 0;
    std::uint64_t effectsDone = 0;
    std::optional<std::string> musicRequest; // empty: stop
    std::uint64_t musicAsked = 0;
    std::uint64_t musicDone = 0;

    // The worker's own.
    SDL_AudioDeviceID device = 0;
    bool sdlStarted = false;
    const Mpg123Library* mpg123 = nullptr;
    std::map<std::string, LoadedEffect> effects;
    std::string musicName;
    std::unique_ptr<SoundStream> music;
    std::set<std::string> said;

    // What the callback plays. The effect is changed only under the device's
    // lock and never freed by the callback; the music comes through a ring
    // that the worker fills ahead.
    std::shared_ptr<const Pcm> effect;
    std::size_t effectAt = 0;
    SampleRing ring{1 << 17};
    std::atomic<bool> musicOn{false};
    std::atomic<bool> musicEnded{false};
};

SdlMultimedia::SdlMultimedia(Opening when, Options options) : shared_(std::make_shared<Shared>(std::move(options)))
{
    ownsOutput_ = !outputTaken.exchange(true);
    if (!ownsOutput_)
        shared_->state = Shared::State::Unavailable;
    else if (when == Opening::Now)
        open();
}

void SdlMultimedia::open()
{
    std::lock_guard lock(shared_->mutex);
    if (ownsOutput_ && !started_) {
        started_ = true;
        // Detached: closing must not wait on a device that never opens. The
        // worker holds what it uses and gives the output back as it ends.
        std::thread([shared = shared_] { shared->run(); }).detach();
    }
}

SdlMultimedia::~SdlMultimedia()
{
    std::unique_lock lock(shared_->mutex);
    shared_->stopping = true;
    shared_->changed.notify_all();
    if (started_)
        shared_->changed.wait_for(lock, kCloseWait, [this] { return shared_->finished; });
    else if (ownsOutput_)
        outputTaken = false;
}

void SdlMultimedia::Shared::run()
{
    const SdlThreadData threadData;
    openDevice();
    std::unique_lock lock(mutex);
    state = device != 0 ? State::Open : State::Unavailable;
    changed.notify_all();
    while (state == State::Open && !stopping) {
        if (effectRequest) {
            const EffectRequest request = *std::exchange(effectRequest, std::nullopt);
            lock.unlock();
            playEffect(request.name);
            lock.lock();
            effectsDone = request.number;
        } else if (musicRequest) {
            const std::string name = *std::exchange(musicRequest, std::nullopt);
            const std::uint64_t number = musicAsked;
            lock.unlock();
            playMusic(name);
            lock.lock();
            musicDone = number;
        } else if (music && ring.space() >= kMusicPiece) {
            lock.unlock();
            decodeAhead();
            lock.lock();
            continue;
        } else {
            // Woken by a request, or when the music has played for a while.
            const auto asked = [this] { return stopping || effectRequest || musicRequest; };
            if (music)
                changed.wait_for(lock, kMusicRefill, asked);
            else
                changed.wait(lock, asked);
            continue;
        }
        changed.notify_all();
    }
    lock.unlock();
    closeDevice();
    outputTaken = false;
    lock.lock();
    finished = true;
    changed.notify_all();
}

void SdlMultimedia::Shared::openDevice()
{
    bool started = false;
    if (!sdlLibrary()) {
        sayOnce(saidNoSound, "no sound", sdlLibraryError());
        return;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = kOutputFrequency;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = kOutputChannels;
    wanted.samples = kBufferFrames;
    wanted.userdata = this;
    wanted.callback = [](void* self, Uint8* stream, int length) {
        static_cast<Shared*>(self)->fill(
            {reinterpret_cast<std::int16_t*>(stream), std::size_t(length) / sizeof(std::int16_t)});
    };
    const SDL_AudioDeviceID opened = startSdlAudio(wanted, started);
    sdlStarted = started;
    if (opened == 0) {
        sayOnce(saidNoSound, "no sound", sdl().SDL_GetError());
        return;
    }
    if (options.mp3) {
        mpg123 = mpg123Library();
        if (!mpg123)
            sayOnce(saidNoMp3, "no MP3 music", mpg123LibraryError());
    }
    device = opened;
    sdl().SDL_PauseAudioDevice(device, 0);
}

void SdlMultimedia::Shared::closeDevice()
{
    if (device != 0)
        // Returns once the callback has finished for good.
        sdl().SDL_CloseAudioDevice(device);
    // Only the subsystem: SDL_Quit would also clear the WAV hints.
    if (sdlStarted)
        sdl().SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device = 0;
    sdlStarted = false;
}

std::unique_ptr<SoundStream> SdlMultimedia::Shared::openFile(const std::string& name, double seconds)
{
    const std::filesystem::path path = platformPath(name);
    std::unique_ptr<ByteSource> source = options.openFile ? options.openFile(path) : fileSource(path);
    std::string why = "it cannot be read";
    std::unique_ptr<SoundStream> stream = source ? openSound(std::move(source), mpg123, seconds, why) : nullptr;
    // Said once per file: the music's command comes back every few seconds.
    if (!stream && said.size() < 64 && said.insert(name).second)
        say(("cannot play " + path.filename().string()).c_str(), why);
    return stream;
}

void SdlMultimedia::Shared::playEffect(const std::optional<std::string>& name)
{
    // The new request replaces the effect still playing, even when it cannot
    // itself be played. The one replaced is freed here, not by the callback.
    std::shared_ptr<const Pcm> pcm = name ? loadEffect(*name) : nullptr;
    underDeviceLock([&] {
        effect.swap(pcm);
        effectAt = 0;
    });
}

std::shared_ptr<const Pcm> SdlMultimedia::Shared::loadEffect(const std::string& name)
{
    const std::optional<FileStamp> stamp = stampOf(platformPath(name));
    const auto cached = effects.find(name);
    if (stamp && cached != effects.end() && cached->second.stamp == *stamp)
        return cached->second.pcm;
    if (cached != effects.end())
        effects.erase(cached);
    const std::unique_ptr<SoundStream> stream = stamp ? openFile(name, kEffectSeconds) : nullptr;
    if (!stream)
        return nullptr;
    std::shared_ptr<const Pcm> pcm = readAtMost(*stream, kMaxEffectSamples);
    if (pcm->empty())
        return nullptr;
    if (effects.size() >= kMaxCachedEffects)
        effects.clear();
    effects.emplace(name, LoadedEffect{*stamp, pcm});
    return pcm;
}

void SdlMultimedia::Shared::playMusic(const std::string& name)
{
    // Re-sent while playing: the music goes on undisturbed, and the file is
    // not even looked at.
    if (!name.empty() && name == musicName && musicOn)
        return;
    std::unique_ptr<SoundStream> stream = name.empty() ? nullptr : openFile(name, kMusicSeconds);
    if (!name.empty() && !stream)
        return;
    underDeviceLock([&] {
        musicOn = false;
        ring.clear();
    });
    musicName = name;
    music = std::move(stream);
    musicEnded = !music;
    // A good lead before the device is given the music, so that a busy
    // machine does not leave it waiting for the worker.
    decodeAhead();
    musicOn = ring.size() > 0;
}

void SdlMultimedia::Shared::decodeAhead()
{
    std::array<std::int16_t, kMusicPiece> piece;
    while (music && ring.space() >= piece.size()) {
        const std::size_t got = music->read(piece);
        ring.push(std::span(piece).first(got));
        if (got < piece.size()) {
            music.reset();
            musicEnded = true;
        }
    }
}

void SdlMultimedia::Shared::fill(std::span<std::int16_t> out)
{
    std::size_t played = 0;
    if (musicOn) {
        played = ring.pop(out);
        if (played < out.size() && musicEnded && ring.size() == 0)
            musicOn = false;
    }
    std::fill(out.begin() + std::ptrdiff_t(played), out.end(), std::int16_t(0));
    if (effect) {
        const std::span<const std::int16_t> rest = std::span(*effect).subspan(effectAt);
        mixInto(out, rest);
        effectAt += std::min(out.size(), rest.size());
    }
}

template <class Change>
void SdlMultimedia::Shared::underDeviceLock(Change change)
{
    sdl().SDL_LockAudioDevice(device);
    change();
    sdl().SDL_UnlockAudioDevice(device);
}

bool SdlMultimedia::waitUntilReady(std::chrono::milliseconds timeout)
{
    open();
    std::unique_lock lock(shared_->mutex);
    shared_->changed.wait_for(lock, timeout, [this] { return shared_->state != Shared::State::Opening; });
    return shared_->state == Shared::State::Open;
}

bool SdlMultimedia::waitUntilCarriedOut(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(shared_->mutex);
    return shared_->changed.wait_for(lock, timeout, [this] {
        const Shared& s = *shared_;
        return s.state == Shared::State::Unavailable
            || (s.state == Shared::State::Open && s.effectsDone == s.effectsAsked && s.musicDone == s.musicAsked);
    });
}

bool SdlMultimedia::musicPlaying()
{
    std::lock_guard lock(shared_->mutex);
    return shared_->state == Shared::State::Open && shared_->musicOn;
}

bool SdlMultimedia::PlaySound(const char* sound, const void*, std::uint32_t flags)
{
    if (flags != kAsync)
        return false;
    // Only a look at the directory here: whether the file is there at all.
    // What it holds is judged as it loads, on the worker.
    const bool present = !sound || stampOf(platformPath(sound)).has_value();
    std::lock_guard lock(shared_->mutex);
    if (shared_->state == Shared::State::Unavailable)
        return !sound;
    // A request not yet taken up is replaced: the new one would cut it off.
    shared_->effectRequest = {sound ? std::optional<std::string>(sound) : std::nullopt, ++shared_->effectsAsked};
    shared_->changed.notify_all();
    return present;
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
        std::lock_guard lock(shared_->mutex);
        if (shared_->state == Shared::State::Unavailable)
            return kErrorHardware;
        if (!present)
            return kErrorFileNotFound;
        shared_->musicRequest = *name;
        ++shared_->musicAsked;
        shared_->changed.notify_all();
    }
    if (returnString && returnLength > 0)
        returnString[0] = '\0';
    return 0;
}

void SdlMultimedia::stopMusic()
{
    std::lock_guard lock(shared_->mutex);
    shared_->musicRequest = std::string();
    ++shared_->musicAsked;
    shared_->changed.notify_all();
}

std::unique_ptr<SystemMultimedia> makeSystemMultimedia()
{
    return std::make_unique<SdlMultimedia>(SdlMultimedia::Opening::OnRequest);
}

} // namespace pelmora
