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
using Clock = std::chrono::steady_clock;

// What answers a click goes to a device of 768 frames (17 ms), opened as the
// sound comes: through PulseAudio the chime reaches the server a few ms
// after the click. The music alone, which nobody waits for, goes to one of
// 8192, whose thread wakes a tenth as often: at 768 frames it cost three
// times what a plain player spends on the same music.
constexpr int kBufferFrames = 768;
constexpr int kMusicBufferFrames = 8192;
// An effect is a short sound: a longer file plays its first seconds only,
// and only those are read.
constexpr int kEffectSeconds = 5;
constexpr std::size_t kEffectSamples = kEffectSeconds * kOutputFrequency * kOutputChannels;
// A clip of the voice is one sentence: a longer one says its first seconds
// only, and a file larger than this is no clip at all.
constexpr int kVoiceSeconds = 20;
constexpr std::size_t kVoiceSamples = kVoiceSeconds * kOutputFrequency * kOutputChannels;
constexpr std::uintmax_t kMaxClipBytes = 1u << 20;
// Music plays to its end; a WAV standing in for it within kMaxWavDecoded.
constexpr double kMusicSeconds = 3600;
// Sounds are decoded ahead of the device, a piece at a time, into rings of
// 371 ms, and topped up this often while they play.
constexpr std::size_t kPiece = 4096;
constexpr std::size_t kRingSamples = 1 << 15;
constexpr auto kRefill = 100ms;
// A device stays open this long once nothing sounds on it, then closes, so
// that silence costs nothing; while open, this often it is asked whether it
// is still there.
constexpr auto kLinger = 1s;
// While the voice speaks the music plays at this level, gliding there and
// back in a quarter of a second.
constexpr float kDucked = 0.35f;
constexpr float kGlide = 1.0f / (0.25f * kOutputFrequency * kOutputChannels);
// When the output has gone, it is looked for again after this long, then
// twice as long each time, up to kLastRetry.
constexpr auto kFirstRetry = 500ms;
constexpr auto kLastRetry = 5s;
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
        std::fprintf(stderr, "pelmora: %s%s%s\n", what.c_str(), why.empty() ? "" : ": ", why.c_str());
}

// One sound on its way to a device: the worker decodes it ahead into a ring
// that the device's callback empties. The sound is changed only under the
// device's lock, and never freed by the callback.
struct Channel {
    SampleRing ring{kRingSamples};
    std::atomic<bool> on{false};
    std::atomic<bool> ended{true};
    // While that channel is on, this one plays at kDucked.
    const std::atomic<bool>* quieterWhile = nullptr;
    float level = 1; // the callback's own
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
        const float target = quieterWhile && *quieterWhile ? kDucked : 1.0f;
        std::array<std::int16_t, 1024> piece;
        for (std::size_t at = 0; on && at < out.size();) {
            const std::size_t got = ring.pop(std::span(piece).first(std::min(piece.size(), out.size() - at)));
            for (std::size_t i = 0; i < got; ++i, ++at) {
                level += std::clamp(target - level, -kGlide, kGlide);
                out[at] = std::int16_t(std::clamp(out[at] + int(float(piece[i]) * level), -32768, 32767));
            }
            if (got == 0) {
                on = !ended;
                break;
            }
        }
    }
};

// One of SDL's devices and the channels it mixes, open only while one of
// them sounds, or for a short while after.
struct Output {
    std::array<Channel*, 3> channels{};
    int frames = kBufferFrames;
    SDL_AudioDeviceID device = 0;
    std::optional<Clock::time_point> quietSince; // the worker's own

    bool sounding() const
    {
        return std::any_of(channels.begin(), channels.end(), [](const Channel* c) { return c && c->on; });
    }

    static void mix(void* self, Uint8* stream, int length)
    {
        const std::span out(reinterpret_cast<std::int16_t*>(stream), std::size_t(length) / 2);
        std::fill(out.begin(), out.end(), std::int16_t(0));
        for (Channel* channel : static_cast<Output*>(self)->channels)
            if (channel)
                channel->mixInto(out);
    }
};

} // namespace

struct SdlMultimedia::Shared {
    enum class State { Opening, Open, Unavailable };

    explicit Shared(Options o) : options(std::move(o)) { music.quieterWhile = &voice.on; }

    const Options options;

    // Under the mutex. The one condition tells of every change, to the
    // worker and to whoever waits for it.
    std::mutex mutex;
    std::condition_variable changed;
    State state = State::Opening;
    bool stopping = false;
    bool finished = false;
    std::optional<std::string> effectRequest, musicRequest, voiceRequest; // empty: stop
    std::uint64_t asked = 0, done = 0;

    // The worker's own.
    bool sdlStarted = false;
    const Mpg123Library* mpg123 = nullptr;
    std::set<std::string> said;

    Channel music, effect, voice;
    // The music's device, and the one of the answers and the voice. SDL's
    // disk driver records to a file that every opening would start afresh,
    // and some devices take one client only: then the first mixes all.
    std::array<Output, 2> outputs;
    bool recording = false, oneDevice = false;
    // While the output is gone: when it is looked for next, and how long
    // after that.
    bool lost = false;
    Clock::time_point retryAt;
    Clock::duration retryDelay{};

    void run()
    {
        const bool found = sdlLibrary() && connect();
        if (!found)
            say("no sound", sdlLibrary() ? std::string(sdl().SDL_GetError()) : sdlLibraryError(), &saidNoSound);
        mpg123 = found && options.mp3 ? mpg123Library() : nullptr;
        if (found && options.mp3 && !mpg123)
            say("no MP3 music", mpg123LibraryError(), &saidNoMp3);
        std::unique_lock lock(mutex);
        state = found ? State::Open : State::Unavailable;
        changed.notify_all();
        const auto asking = [this] { return stopping || effectRequest || musicRequest || voiceRequest; };
        while (state == State::Open && !stopping) {
            if (asking()) {
                const auto effectName = std::exchange(effectRequest, std::nullopt);
                const auto song = std::exchange(musicRequest, std::nullopt);
                const auto clip = std::exchange(voiceRequest, std::nullopt);
                const std::uint64_t number = asked;
                lock.unlock();
                if (effectName)
                    start(effect, openFile(*effectName, kEffectSeconds), kEffectSamples);
                if (clip)
                    start(voice, openClip(*clip), kVoiceSamples);
                if (song)
                    playMusic(*song);
                lock.lock();
                done = number;
                changed.notify_all();
            } else {
                lock.unlock();
                const Clock::duration sleep = tend();
                lock.lock();
                changed.wait_for(lock, sleep, asking);
            }
        }
        lock.unlock();
        closeAll();
        outputTaken = false;
        // SDL frees its per-thread error text for threads of its own only.
        if (sdlLibrary() && sdl().SDL_TLSCleanup)
            sdl().SDL_TLSCleanup();
        lock.lock();
        finished = true;
        changed.notify_all();
    }

    // Starts the audio part of SDL and opens the first device: whether that
    // opens tells whether there is any output.
    bool connect()
    {
        // Only the audio part of SDL: SDL_InitSubSystem would start its
        // event loop too, for a third of a megabyte more.
        sdlStarted = sdl().SDL_AudioInit(nullptr) == 0;
        if (!sdlStarted)
            return false;
        const char* driver = sdl().SDL_GetCurrentAudioDriver();
        recording = driver && std::string_view(driver) == "disk";
        oneDevice = oneDevice || recording;
        outputs[0].channels = {&music, oneDevice ? &effect : nullptr, oneDevice ? &voice : nullptr};
        outputs[0].frames = oneDevice ? kBufferFrames : kMusicBufferFrames;
        outputs[1].channels = {oneDevice ? nullptr : &effect, oneDevice ? nullptr : &voice};
        if (openOutput(outputs[0]))
            return true;
        closeAll();
        return false;
    }

    bool openOutput(Output& output)
    {
        // No changes allowed to the format: SDL converts to whatever the
        // hardware wants.
        const SDL_AudioSpec wanted{.freq = kOutputFrequency, .format = AUDIO_S16SYS, .channels = kOutputChannels,
                                   .silence = 0, .samples = Uint16(output.frames), .padding = 0, .size = 0,
                                   .callback = &Output::mix, .userdata = &output};
        SDL_AudioSpec obtained{};
        output.device = sdl().SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        output.quietSince = Clock::now();
        if (output.device != 0)
            sdl().SDL_PauseAudioDevice(output.device, 0);
        return output.device != 0;
    }

    void closeAll()
    {
        for (Output& output : outputs) {
            // Returns once the callback has finished for good.
            if (output.device != 0)
                sdl().SDL_CloseAudioDevice(std::exchange(output.device, 0));
        }
        // Only the audio part: SDL_Quit would also clear the WAV hints.
        if (std::exchange(sdlStarted, false))
            sdl().SDL_AudioQuit();
    }

    // Keeps the devices in step with the channels: opens one as a sound comes
    // to it and closes it once quiet a while; when the output has gone, looks
    // for it again. Returns how long the worker may sleep.
    Clock::duration tend()
    {
        const auto now = Clock::now();
        if (lost && now < retryAt)
            return retryAt - now;
        if (lost && !connect()) {
            retryDelay = std::min<Clock::duration>(2 * retryDelay, kLastRetry);
            retryAt = now + retryDelay;
            return retryDelay;
        }
        if (std::exchange(lost, false)) {
            say("the sound is back", "");
            // Whatever was asked for while it was away is past.
            start(effect, nullptr, 0);
            start(voice, nullptr, 0);
        }
        Clock::duration sleep = 24h;
        for (Channel* channel : {&music, &effect, &voice}) {
            channel->decodeAhead();
            if (channel->stream)
                sleep = kRefill;
        }
        for (Output& output : outputs) {
            if (output.device != 0 && !recording
                && sdl().SDL_GetAudioDeviceStatus(output.device) == SDL_AUDIO_STOPPED)
                return lose("the device stopped");
            if (output.sounding()) {
                output.quietSince.reset();
                if (output.device == 0 && !openOutput(output)) {
                    if (&output != &outputs[0] && outputs[0].device != 0 && !oneDevice) {
                        shareFirstDevice();
                        continue;
                    }
                    return lose(sdl().SDL_GetError());
                }
            } else if (output.device != 0 && !recording) {
                if (!output.quietSince)
                    output.quietSince = now;
                if (now - *output.quietSince >= kLinger)
                    sdl().SDL_CloseAudioDevice(std::exchange(output.device, 0));
            }
            if (output.device != 0 && !recording)
                sleep = std::min<Clock::duration>(sleep, output.quietSince ? *output.quietSince + kLinger - now : kLinger);
        }
        return sleep;
    }

    // A device that takes one client only: the answers and the voice join
    // the music's, at its latency.
    void shareFirstDevice()
    {
        oneDevice = true;
        sdl().SDL_LockAudioDevice(outputs[0].device);
        outputs[0].channels = {&music, &effect, &voice};
        sdl().SDL_UnlockAudioDevice(outputs[0].device);
        outputs[1].channels = {};
    }

    // Lets the devices go and looks for the output again a little later. The
    // music goes on from where it was once it is back.
    Clock::duration lose(const std::string& why)
    {
        closeAll();
        say("the sound went away", why + "; looking for it again");
        lost = true;
        retryDelay = kFirstRetry;
        retryAt = Clock::now() + retryDelay;
        return retryDelay;
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
        if (!stream)
            sayOnce(name, why);
        return stream;
    }

    // A clip that is missing or too large to be one is said too, once.
    std::unique_ptr<SoundStream> openClip(const std::string& name)
    {
        if (name.empty())
            return nullptr;
        const std::filesystem::path path = platformPath(name);
        const bool present = isRegularFile(path);
        std::error_code error;
        if (!present || std::filesystem::file_size(path, error) > kMaxClipBytes) {
            sayOnce(name, present ? "it is too large for a voice clip" : "it is missing");
            return nullptr;
        }
        return openFile(name, kVoiceSeconds);
    }

    // Once per file: the music's command comes back every few seconds.
    void sayOnce(const std::string& name, const std::string& why)
    {
        if (said.size() < 64 && said.insert(name).second)
            say("cannot play " + platformPath(name).filename().string(), why);
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
        for (const Output& output : outputs)
            if (output.device != 0)
                sdl().SDL_LockAudioDevice(output.device);
        channel.on = false;
        channel.ring.clear();
        for (const Output& output : outputs)
            if (output.device != 0)
                sdl().SDL_UnlockAudioDevice(output.device);
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

void SdlMultimedia::speak(const std::string& clip)
{
    shared_->ask(shared_->voiceRequest, clip);
}

std::unique_ptr<SystemMultimedia> makeSystemMultimedia()
{
    return std::make_unique<SdlMultimedia>();
}

} // namespace pelmora
