#pragma once

#include "audio_file.h"
#include "audio_streams.h"
#include "system_multimedia.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace pelmora {

// Multimedia over SDL's audio device, with WAV effects and MP3 or WAV music
// mixed here. The device is opened on a thread of its own, so that a slow
// sound server never holds up the window; what is asked for meanwhile is
// carried out as soon as the device is open. Without any audio device
// everything stays silent. Calls come from one thread at a time; only one
// instance can own the audio output at once (later ones are silent).
class SdlMultimedia final : public SystemMultimedia {
public:
    enum class Opening { Now, OnRequest };

    explicit SdlMultimedia(Opening when = Opening::Now);
    ~SdlMultimedia() override;
    SdlMultimedia(const SdlMultimedia&) = delete;
    SdlMultimedia& operator=(const SdlMultimedia&) = delete;

    // Effects play on one channel: a new effect cuts off the one playing.
    // A null name just stops the effect. Without kAsync the call returns
    // when the effect has been played. Flags other than kAsync are refused.
    bool PlaySound(const char* sound, const void* module, std::uint32_t flags) override;

    // Understands "play <file>" only: starts the music from the beginning,
    // or lets it play on when that same file is still playing.
    std::uint32_t SendString(const char* command, char* returnString, std::uint32_t returnLength,
                             const void* callbackWindow) override;

    // Starts opening the device, once.
    void open() override;

    // Waits until the device is open or known to be missing; returns
    // whether sound can be heard.
    bool waitUntilReady();

    // Whether music is being heard now.
    bool musicPlaying();

private:
    enum class State { Opening, Open, Unavailable };

    struct LoadedEffect {
        FileStamp stamp;
        std::shared_ptr<const Pcm> pcm;
    };
    struct LoadedMusic {
        std::string name;
        FileStamp stamp;
        // One of the two: a WAV file converted whole, or an MP3 file to be
        // decoded as it plays.
        std::shared_ptr<const Pcm> pcm;
        std::shared_ptr<const std::vector<std::uint8_t>> mp3;
    };
    // What the audio callback plays. Changed only under the device's lock,
    // and never freed by the callback.
    struct Playing {
        std::shared_ptr<const Pcm> effect;
        std::size_t effectAt = 0;
        std::unique_ptr<MusicStream> music;
        bool musicOn = false;
    };

    void openDevice();
    void closeDevice();
    // Fills one buffer of the device; called by SDL with the device locked.
    void fill(std::span<std::int16_t> out);
    // Runs change on what the callback plays, under the device's lock.
    template <class Change>
    void underDeviceLock(Change change);
    // The device is open and mutex_ is held by the caller.
    std::shared_ptr<const Pcm> startEffect(const std::string& name);
    std::uint32_t startMusic(const std::string& name);
    std::shared_ptr<const Pcm> loadEffect(const std::string& name);
    bool musicOn();

    std::mutex mutex_;
    std::condition_variable settled_;
    State state_ = State::Opening;
    bool ownsOutput_ = false;
    bool sdlStarted_ = false;
    std::uint32_t device_ = 0;
    std::optional<std::string> pendingEffect_;
    std::optional<std::string> pendingMusic_;
    std::map<std::string, LoadedEffect> effects_;
    std::unique_ptr<LoadedMusic> music_;
    Playing playing_;
    std::thread opener_;
};

} // namespace pelmora
