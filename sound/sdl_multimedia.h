#pragma once

#include "audio_file.h"
#include "audio_streams.h"
#include "sample_ring.h"
#include "system_multimedia.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

namespace pelmora {

struct Mpg123Library;

struct SdlMultimediaOptions {
    // How a sound file is opened for reading; fileSource() when empty.
    std::function<std::unique_ptr<ByteSource>(const std::filesystem::path&)> openFile;
    // Whether MP3 files are played, where libmpg123 can be loaded.
    bool mp3 = true;
};

// Multimedia over SDL's audio device, with effects and music mixed here.
// The calls only hand their request over and return at once: the device is
// opened, and files are read and converted, on threads of the layer's own,
// so that neither a slow sound server nor a large file ever holds up the
// window. What is asked for before the device is open is carried out as soon
// as it is. Without any audio device everything stays silent. Calls come from
// one thread at a time; only one instance can own the audio output at once
// (later ones are silent).
class SdlMultimedia final : public SystemMultimedia {
public:
    enum class Opening { Now, OnRequest };
    using Options = SdlMultimediaOptions;

    explicit SdlMultimedia(Opening when = Opening::Now) : SdlMultimedia(when, Options()) {}
    SdlMultimedia(Opening when, Options options);
    ~SdlMultimedia() override;
    SdlMultimedia(const SdlMultimedia&) = delete;
    SdlMultimedia& operator=(const SdlMultimedia&) = delete;

    // Effects play on one channel: a new effect cuts off the one playing,
    // even when it cannot itself be played. A null name just stops the
    // effect. With kAsync the call returns at once and true unless there is
    // no sound at all; without it, it returns when the effect has been
    // played, and whether it could be. Flags other than kAsync are refused.
    bool PlaySound(const char* sound, const void* module, std::uint32_t flags) override;

    // Understands "play <file>" only: starts the music from the beginning,
    // or lets it play on when that same file is still playing. Returns at
    // once; a file that cannot be played leaves the music as it is.
    std::uint32_t SendString(const char* command, char* returnString, std::uint32_t returnLength,
                             const void* callbackWindow) override;

    // Starts opening the device, once.
    void open() override;

    // Waits, at most for the timeout, until the device is open or known to
    // be missing; returns whether sound can be heard.
    bool waitUntilReady(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // Waits, at most for the timeout, until every request made so far has
    // been carried out or turned away; returns whether they all were.
    bool waitUntilCarriedOut(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // Whether music is being heard now.
    bool musicPlaying();

private:
    enum class State { Opening, Open, Unavailable };

    struct LoadedEffect {
        FileStamp stamp;
        std::shared_ptr<const Pcm> pcm;
    };
    struct EffectRequest {
        std::optional<std::string> name; // nothing: stop
        std::uint64_t number = 0;
    };
    // What the audio callback plays. The effect is changed only under the
    // device's lock and never freed by the callback; the music comes
    // through a ring that a worker fills ahead.
    struct Playing {
        std::shared_ptr<const Pcm> effect;
        std::size_t effectAt = 0;
        SampleRing music{1 << 17};
        std::atomic<bool> musicOn{false};
        std::atomic<bool> musicEnded{false};
    };

    void openDevice();
    void closeDevice();
    void runEffects();
    void runMusic();
    // Fills one buffer of the device; called by SDL with the device locked.
    void fill(std::span<std::int16_t> out);
    template <class Change>
    void underDeviceLock(Change change);
    std::shared_ptr<const Pcm> loadEffect(const std::string& name);
    void startMusic(const std::string& name);
    void decodeAhead();
    std::unique_ptr<SoundStream> openSoundFile(const std::filesystem::path& path, std::size_t maxWavBytes);
    std::uint64_t requestEffect(std::optional<std::string> name);

    const Options options_;
    std::mutex mutex_;
    std::condition_variable settled_;
    std::condition_variable effectWork_;
    std::condition_variable musicWork_;
    State state_ = State::Opening;
    bool stopping_ = false;
    bool ownsOutput_ = false;
    bool sdlStarted_ = false;
    std::uint32_t device_ = 0;
    const Mpg123Library* mpg123_ = nullptr;
    std::optional<EffectRequest> effectRequest_;
    std::uint64_t effectsAsked_ = 0;
    std::uint64_t effectsDone_ = 0;
    std::size_t lastEffectSamples_ = 0;
    std::optional<std::string> musicRequest_;
    std::uint64_t musicAsked_ = 0;
    std::uint64_t musicDone_ = 0;

    // Only the effects thread touches these.
    std::map<std::string, LoadedEffect> effects_;
    // Only the music thread touches these.
    std::string musicName_;
    std::unique_ptr<SoundStream> music_;

    Playing playing_;
    std::thread effectsThread_;
    std::thread musicThread_;
};

} // namespace pelmora
