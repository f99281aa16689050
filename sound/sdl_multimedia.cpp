// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

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

// 17 ms: through PulseAudio the chime reaches the server some 15 ms after
// the click, while the device's thread wakes seldom enough that the music
// takes under 1 % of a core (512 frames took over 1 %).
constexpr int kBufferFrames = 768;
constexpr std::size_t kMaxCachedEffects = 4;
// An effect is a short sound: a longer file plays its first seconds only.
constexpr double kEffectSeconds = 5;
// A WAV standing in for the music is converted and held whole: its first
// seconds only. MP3 music is decoded as it plays, to its end.
constexpr double kMusicSeconds = 20;
// Music is decoded ahead of the device, a piece at a time, and topped up
// this often while it plays.
constexpr std::size_t kMusicPiece = 4096;
constexpr auto kMusicRefill = 200ms;
// How long closing waits for the worker to let the device go.
constexpr auto kCloseWait = 400ms;

// SDL's audio subsystem is started and stopped for the whole process: only
// one instance may drive it.
std::atomic<bool> outputTaken{false};
std::atomic<bool> saidNoSound{false};
std::atomic<bool> saidNoMp3{false};

// Only called once the library has been found: where it is missing the
// device never opens.
const SdlLibrary& sdl()
{
    return *sdlLibrary();
}

// The program has no other place to say it: once, like a missing font.
void say(const std::string& what, const std::string& why, std::atomic<bool>* said = nullptr)
{
    if (!said || !said->exchange(true))
        std::fprintf(stderr, "pelmora: %s: %s\n", what.c_str(), why.c_str());
}

// SDL's start-up, kept apart so that what SDL keeps from it for the life of
// the process can be told from the rest (see tests/lsan.supp). Only the
// audio part of SDL: SDL_InitSubSystem would start its event loop too, for a
// third of a megabyte more.
[[gnu::noinline]] SDL_AudioDeviceID startSdlAudio(const SDL_AudioSpec& wanted, bool& started)
{
    started = sdl().SDL_AudioInit(nullptr) == 0;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts to whatever the hardware wants.
    return started ? sdl().SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0) : 0;
}

} // namespace

struct SdlMultimedia::Shared {
    enum class State { Opening, Open, Unavailable };
    struct Loaded {
        FileStamp stamp;
        std::shared_ptr<const Pcm> pcm;
    };

    explicit Shared(Options o) : options(std::move(o)) {}

    const Options options;

    // Under the mutex. The one condition tells of every change, to the
    // worker and to whoever waits for it.
    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Opening;
    bool stopping = false;
    bool finished = false;
    std::optional<std::optional<std::string>> effectRequest; // a name, or nothing to stop
    std::uint64_t effectsAsked = 0, effectsDone = 0;
    std::optional<std::string> musicRequest; // empty: stop
    std::uint64_t musicAsked = 0, musicDone = 0;

    // The worker's own.
    SDL_AudioDeviceID device = 0;
    bool sdlStarted = false;
    const Mpg123Library* mpg123 = nullptr;
    std::map<std::string, Loaded> effects;
    std::string musicName;
    std::unique_ptr<SoundStream> music;
    std::set<std::string> said;

    // What the callback plays. The effect is changed only under the device's
    // lock and never freed by the callback; the music comes through a ring
    // that the worker fills ahead.
    std::shared_ptr<const Pcm> effect;
    std::size_t effectAt = 0;
    SampleRing ring{1 << 16};
    std::atomic<bool> musicOn{false};
    std::atomic<bool> musicEnded{false};

    void run()
    {
        // SDL frees its per-thread error text for threads of its own only.
        struct HandBack {
            ~HandBack()
            {
                if (sdlLibrary() && sdl().SDL_TLSCleanup)
                    sdl().SDL_TLSCleanup();
            }
        } handBack;
        openDevice();
        std::unique_lock lock(mutex);
        state = device != 0 ? State::Open : State::Unavailable;
        changed.notify_all();
        while (state == State::Open && !stopping) {
            if (effectRequest || musicRequest) {
                const auto effectName = std::exchange(effectRequest, std::nullopt);
                const auto song = effectName ? std::nullopt : std::exchange(musicRequest, std::nullopt);
                const std::uint64_t effectNumber = effectsAsked, musicNumber = musicAsked;
                lock.unlock();
                if (effectName)
                    playEffect(*effectName);
                else
                    playMusic(*song);
                lock.lock();
                (effectName ? effectsDone : musicDone) = effectName ? effectNumber : musicNumber;
                changed.notify_all();
            } else if (music && ring.space() >= kMusicPiece) {
                lock.unlock();
                decodeAhead();
                lock.lock();
            } else {
                // Woken by a request, or when the music has played a while.
                changed.wait_for(lock, music ? kMusicRefill : 24h,
                                 [this] { return stopping || effectRequest || musicRequest; });
            }
        }
        lock.unlock();
        if (device != 0)
            // Returns once the callback has finished for good.
            sdl().SDL_CloseAudioDevice(device);
        // Only the audio part: SDL_Quit would also clear the WAV hints.
        if (sdlStarted)
            sdl().SDL_AudioQuit();
        outputTaken = false;
        lock.lock();
        finished = true;
        changed.notify_all();
    }

    void openDevice()
    {
        if (!sdlLibrary())
            return say("no sound", sdlLibraryError(), &saidNoSound);
        SDL_AudioSpec wanted{};
        wanted.freq = kOutputFrequency;
        wanted.format = AUDIO_S16SYS;
        wanted.channels = kOutputChannels;
        wanted.samples = kBufferFrames;
        wanted.userdata = this;
        wanted.callback = [](void* self, Uint8* stream, int length) {
            static_cast<Shared*>(self)->fill({reinterpret_cast<std::int16_t*>(stream), std::size_t(length) / 2});
        };
        device = startSdlAudio(wanted, sdlStarted);
        if (device == 0)
            return say("no sound", sdl().SDL_GetError(), &saidNoSound);
        mpg123 = options.mp3 ? mpg123Library() : nullptr;
        if (options.mp3 && !mpg123)
            say("no MP3 music", mpg123LibraryError(), &saidNoMp3);
        sdl().SDL_PauseAudioDevice(device, 0);
    }

    std::unique_ptr<SoundStream> openFile(const std::string& name, double seconds)
    {
        const std::filesystem::path path = platformPath(name);
        std::unique_ptr<ByteSource> source = options.openFile ? options.openFile(path) : fileSource(path);
        std::string why = "it cannot be read";
        std::unique_ptr<SoundStream> stream = source ? openSound(std::move(source), mpg123, seconds, why) : nullptr;
        // Once per file: the music's command comes back every few seconds.
        if (!stream && said.size() < 64 && said.insert(name).second)
            say("cannot play " + path.filename().string(), why);
        return stream;
    }

    // The new effect replaces the one still playing, even when it cannot
    // itself be played. The one replaced is freed here, not by the callback.
    void playEffect(const std::optional<std::string>& name)
    {
        std::shared_ptr<const Pcm> pcm = name ? loadEffect(*name) : nullptr;
        underDeviceLock([&] {
            effect.swap(pcm);
            effectAt = 0;
        });
    }

    std::shared_ptr<const Pcm> loadEffect(const std::string& name)
    {
        const std::optional<FileStamp> stamp = stampOf(platformPath(name));
        const auto cached = effects.find(name);
        if (stamp && cached != effects.end() && cached->second.stamp == *stamp)
            return cached->second.pcm;
        effects.erase(name);
        const std::unique_ptr<SoundStream> stream = stamp ? openFile(name, kEffectSeconds) : nullptr;
        std::shared_ptr<const Pcm> pcm;
        if (stream)
            pcm = readAtMost(*stream, std::size_t(kEffectSeconds) * kOutputFrequency * kOutputChannels);
        if (!pcm || pcm->empty())
            return nullptr;
        if (effects.size() >= kMaxCachedEffects)
            effects.clear();
        effects.emplace(name, Loaded{*stamp, pcm});
        return pcm;
    }

    // Re-sent while playing, the music goes on undisturbed and the file is
    // not even looked at; a file that cannot be played leaves it as it is.
    void playMusic(const std::string& name)
    {
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

    void decodeAhead()
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

    // Fills one buffer of the device; called by SDL with the device locked.
    void fill(std::span<std::int16_t> out)
    {
        std::size_t played = musicOn ? ring.pop(out) : 0;
        if (played < out.size() && musicEnded && ring.size() == 0)
            musicOn = false;
        std::fill(out.begin() + std::ptrdiff_t(played), out.end(), std::int16_t(0));
        if (effect) {
            const std::span<const std::int16_t> rest = std::span(*effect).subspan(effectAt);
            mixInto(out, rest);
            effectAt += std::min(out.size(), rest.size());
        }
    }

    template <class Change>
    void underDeviceLock(Change change)
    {
        sdl().SDL_LockAudioDevice(device);
        change();
        sdl().SDL_UnlockAudioDevice(device);
    }
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
    shared_->effectRequest = sound ? std::optional<std::string>(sound) : std::nullopt;
    ++shared_->effectsAsked;
    shared_->changed.notify_all();
    return present;
}

std::uint32_t SdlMultimedia::SendString(const char* command, char* returnString, std::uint32_t returnLength,
                                        const void*)
{
    if (!command || !*command)
        return kErrorMissingCommandString;
    const std::optional<std::string> name = playCommandFile(command);
    if (!name || name->empty())
        return name ? kErrorMissingParameter : kErrorUnrecognizedCommand;
    const bool present = stampOf(platformPath(*name)).has_value();
    std::lock_guard lock(shared_->mutex);
    if (shared_->state == Shared::State::Unavailable || !present)
        return shared_->state == Shared::State::Unavailable ? kErrorHardware : kErrorFileNotFound;
    shared_->musicRequest = *name;
    ++shared_->musicAsked;
    shared_->changed.notify_all();
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
