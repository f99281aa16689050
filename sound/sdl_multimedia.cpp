// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sdl_multimedia.h"

#include "audio_file.h"
#include "sample_ring.h"
#include "sdl_library.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdio>
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
// An effect is a short sound: a longer file plays its first seconds only,
// and only those are read.
constexpr int kEffectSeconds = 5;
constexpr std::size_t kEffectSamples = kEffectSeconds * kOutputFrequency * kOutputChannels;
// Music plays to its end; a WAV standing in for it within kMaxWavDecoded.
constexpr double kMusicSeconds = 3600;
// Sounds are decoded ahead of the device, a piece at a time, into rings of
// 371 ms, and topped up this often while they play.
constexpr std::size_t kPiece = 4096;
constexpr std::size_t kRingSamples = 1 << 15;
constexpr auto kRefill = 100ms;
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

// One sound on its way to the device: the worker decodes it ahead into a
// ring that the device's callback empties. The sound is changed only under
// the device's lock, and never freed by the callback.
struct Channel {
    SampleRing ring{kRingSamples};
    std::atomic<bool> on{false};
    std::atomic<bool> ended{true};
    // The worker's own.
    std::unique_ptr<SoundStream> stream;
    std::size_t left = 0; // samples still to be decoded
    std::string name;

    bool wantsMore() const { return stream && ring.space() >= kPiece; }

    void decodeAhead()
    {
        std::array<std::int16_t, kPiece> piece;
        while (wantsMore()) {
            const std::size_t got = stream->read(std::span(piece).first(std::min(piece.size(), left)));
            ring.push(std::span(piece).first(got));
            left -= got;
            if (got < piece.size()) {
                stream.reset();
                ended = true;
            }
        }
    }

    // Called by the device's callback: adds the sound to out, clipped to 16
    // bits.
    void mixInto(std::span<std::int16_t> out)
    {
        std::array<std::int16_t, 1024> piece;
        for (std::size_t at = 0; on && at < out.size();) {
            const std::size_t got = ring.pop(std::span(piece).first(std::min(piece.size(), out.size() - at)));
            for (std::size_t i = 0; i < got; ++i, ++at)
                out[at] = std::int16_t(std::clamp(out[at] + piece[i], -32768, 32767));
            if (got == 0) {
                on = !ended;
                break;
            }
        }
    }
};

} // namespace

struct SdlMultimedia::Shared {
    enum class State { Opening, Open, Unavailable };

    explicit Shared(Options o) : options(std::move(o)) {}

    const Options options;

    // Under the mutex. The one condition tells of every change, to the
    // worker and to whoever waits for it.
    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Opening;
    bool stopping = false;
    bool finished = false;
    std::optional<std::string> effectRequest, musicRequest; // empty: stop
    std::uint64_t asked = 0, done = 0;

    // The worker's own.
    SDL_AudioDeviceID device = 0;
    bool sdlStarted = false;
    const Mpg123Library* mpg123 = nullptr;
    std::set<std::string> said;

    Channel music, effect;

    void run()
    {
        openDevice();
        std::unique_lock lock(mutex);
        state = device != 0 ? State::Open : State::Unavailable;
        changed.notify_all();
        while (state == State::Open && !stopping) {
            if (effectRequest || musicRequest) {
                const auto effectName = std::exchange(effectRequest, std::nullopt);
                const auto song = std::exchange(musicRequest, std::nullopt);
                const std::uint64_t number = asked;
                lock.unlock();
                if (effectName)
                    start(effect, openFile(*effectName, kEffectSeconds), kEffectSamples);
                if (song)
                    playMusic(*song);
                lock.lock();
                done = number;
                changed.notify_all();
            } else if (music.wantsMore() || effect.wantsMore()) {
                lock.unlock();
                music.decodeAhead();
                effect.decodeAhead();
                lock.lock();
            } else {
                // Woken by a request, or when the sounds have played a while.
                changed.wait_for(lock, music.stream || effect.stream ? kRefill : 24h,
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
        // SDL frees its per-thread error text for threads of its own only.
        if (sdlLibrary() && sdl().SDL_TLSCleanup)
            sdl().SDL_TLSCleanup();
        lock.lock();
        finished = true;
        changed.notify_all();
    }

    void openDevice()
    {
        if (!sdlLibrary())
            return say("no sound", sdlLibraryError(), &saidNoSound);
        const auto mix = [](void* self, Uint8* stream, int length) {
            const std::span out(reinterpret_cast<std::int16_t*>(stream), std::size_t(length) / 2);
            std::fill(out.begin(), out.end(), std::int16_t(0));
            static_cast<Shared*>(self)->music.mixInto(out);
            static_cast<Shared*>(self)->effect.mixInto(out);
        };
        const SDL_AudioSpec wanted{.freq = kOutputFrequency, .format = AUDIO_S16SYS, .channels = kOutputChannels,
                                   .silence = 0, .samples = kBufferFrames, .padding = 0, .size = 0,
                                   .callback = mix, .userdata = this};
        // Only the audio part of SDL: SDL_InitSubSystem would start its event
        // loop too, for a third of a megabyte more. No changes allowed to
        // the format: SDL converts to whatever the hardware wants.
        sdlStarted = sdl().SDL_AudioInit(nullptr) == 0;
        SDL_AudioSpec obtained{};
        device = sdlStarted ? sdl().SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0) : 0;
        if (device == 0)
            return say("no sound", sdl().SDL_GetError(), &saidNoSound);
        mpg123 = options.mp3 ? mpg123Library() : nullptr;
        if (options.mp3 && !mpg123)
            say("no MP3 music", mpg123LibraryError(), &saidNoMp3);
        sdl().SDL_PauseAudioDevice(device, 0);
    }

    // Nothing, and not a word, for a file that is not there: the call that
    // asked for it has said so already.
    std::unique_ptr<SoundStream> openFile(const std::string& name, double seconds)
    {
        const std::filesystem::path path = platformPath(name);
        if (!isRegularFile(path))
            return nullptr;
        SDL_RWops* source = options.openFile
            ? options.openFile(path)
            : sdl().SDL_RWFromFile(reinterpret_cast<const char*>(path.u8string().c_str()), "rb");
        std::string why;
        std::unique_ptr<SoundStream> stream = openSound(source, mpg123, seconds, why);
        // Once per file: the music's command comes back every few seconds.
        if (!stream && said.size() < 64 && said.insert(name).second)
            say("cannot play " + path.filename().string(), why);
        return stream;
    }

    // Re-sent while playing, the music goes on undisturbed and the file is
    // not even looked at; a file that cannot be played leaves it as it is.
    void playMusic(const std::string& name)
    {
        if (!name.empty() && name == music.name && music.on)
            return;
        if (std::unique_ptr<SoundStream> stream = openFile(name, kMusicSeconds); stream || name.empty()) {
            music.name = name;
            start(music, std::move(stream), SIZE_MAX);
        }
    }

    // The new sound replaces the one still playing, even when there is none.
    void start(Channel& channel, std::unique_ptr<SoundStream> stream, std::size_t samples)
    {
        sdl().SDL_LockAudioDevice(device);
        channel.on = false;
        channel.ring.clear();
        sdl().SDL_UnlockAudioDevice(device);
        channel.stream = std::move(stream);
        channel.left = samples;
        channel.ended = !channel.stream;
        // A good lead before the device is given the sound, so that a busy
        // machine does not leave it waiting for the worker.
        channel.decodeAhead();
        channel.on = channel.ring.size() > 0;
    }

    // Hands a request to the worker, where there is sound at all: a request
    // not yet taken up is replaced, since the new one would cut it off.
    bool ask(std::optional<std::string>& request, std::string value, bool send = true)
    {
        std::lock_guard lock(mutex);
        if (state == State::Unavailable)
            return false;
        if (send) {
            request = std::move(value);
            ++asked;
            changed.notify_all();
        }
        return true;
    }
};

SdlMultimedia::SdlMultimedia(Options options) : shared_(std::make_shared<Shared>(std::move(options)))
{
    ownsOutput_ = !outputTaken.exchange(true);
    if (!ownsOutput_)
        shared_->state = Shared::State::Unavailable;
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
            || (s.state == Shared::State::Open && s.done == s.asked);
    });
}

bool SdlMultimedia::musicPlaying()
{
    std::lock_guard lock(shared_->mutex);
    return shared_->state == Shared::State::Open && shared_->music.on;
}

bool SdlMultimedia::PlaySound(const char* sound, const void*, std::uint32_t flags)
{
    if (flags != kAsync)
        return false;
    // Only a look at the directory here: whether the file is there at all.
    // What it holds is judged as it loads, on the worker.
    const bool present = !sound || isRegularFile(platformPath(sound));
    return shared_->ask(shared_->effectRequest, std::string(sound ? sound : "")) ? present : !sound;
}

std::uint32_t SdlMultimedia::SendString(const char* command, char* returnString, std::uint32_t returnLength,
                                        const void*)
{
    if (!command || !*command)
        return kErrorMissingCommandString;
    const std::optional<std::string> name = playCommandFile(command);
    if (!name || name->empty())
        return name ? kErrorMissingParameter : kErrorUnrecognizedCommand;
    const bool present = isRegularFile(platformPath(*name));
    if (!shared_->ask(shared_->musicRequest, *name, present))
        return kErrorHardware;
    if (present && returnString && returnLength > 0)
        returnString[0] = '\0';
    return present ? 0 : kErrorFileNotFound;
}

void SdlMultimedia::stopMusic()
{
    shared_->ask(shared_->musicRequest, std::string());
}

std::unique_ptr<SystemMultimedia> makeSystemMultimedia()
{
    return std::make_unique<SdlMultimedia>();
}

} // namespace pelmora
