#pragma once

#include "audio_file.h"
#include "system_multimedia.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct Mix_Chunk;
struct _Mix_Music;

namespace pelmora {

// Multimedia over SDL2_mixer. The audio device is opened on a thread of its
// own, so that a slow sound server never holds up the window; what is asked
// for meanwhile is carried out as soon as the device is open. Without any
// audio device everything stays silent. Calls come from one thread at a
// time; only one instance can own the mixer at once (later ones are silent).
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

    struct ChunkDeleter {
        void operator()(Mix_Chunk* chunk) const;
    };
    struct MusicDeleter {
        void operator()(_Mix_Music* music) const;
    };
    struct LoadedEffect {
        FileStamp stamp;
        std::unique_ptr<Mix_Chunk, ChunkDeleter> chunk;
    };
    struct LoadedMusic {
        std::string name;
        FileStamp stamp;
        // The decoder streams from these bytes: they must outlive it.
        std::vector<std::uint8_t> bytes;
        std::unique_ptr<_Mix_Music, MusicDeleter> music;
    };

    void openDevice();
    void closeDevice();
    // The device is open and mutex_ is held by the caller.
    Mix_Chunk* startEffect(const std::string& name);
    std::uint32_t startMusic(const std::string& name);
    Mix_Chunk* loadEffect(const std::string& name);

    std::mutex mutex_;
    std::condition_variable settled_;
    State state_ = State::Opening;
    bool ownsMixer_ = false;
    bool sdlStarted_ = false;
    int bytesPerSecond_ = 0;
    std::optional<std::string> pendingEffect_;
    std::optional<std::string> pendingMusic_;
    std::map<std::string, LoadedEffect> effects_;
    std::unique_ptr<LoadedMusic> music_;
    std::thread opener_;
};

} // namespace pelmora
