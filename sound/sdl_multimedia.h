// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "audio_streams.h"
#include "multimedia.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>

namespace pelmora {

struct SdlMultimediaOptions {
    // How a sound file is opened for reading; SDL_RWFromFile when empty.
    std::function<SDL_RWops*(const std::filesystem::path&)> openFile;
    // Whether MP3 files are played, where libmpg123 can be loaded.
    bool mp3 = true;
};

// Multimedia over SDL's audio device, with effects and music mixed here.
// The calls only hand their request over and return at once: one worker of
// the layer's own opens the device (on open()), reads and converts the
// files, and keeps the sounds decoded ahead, so that neither a slow sound
// server nor a large file ever holds up the window. What is asked for before
// the device is open is carried out as soon as it is. Without any audio
// device everything stays silent. Calls come from one thread at a time; only
// one instance can own the audio output at once (later ones are silent).
class SdlMultimedia final : public SystemMultimedia {
public:
    using Options = SdlMultimediaOptions;

    explicit SdlMultimedia(Options options = {});
    // Never waits long on the device: a worker stuck in a sound server that
    // does not answer is left to end on its own.
    ~SdlMultimedia() override;
    SdlMultimedia(const SdlMultimedia&) = delete;
    SdlMultimedia& operator=(const SdlMultimedia&) = delete;

    // Effects play on one channel: a new effect cuts off the one playing,
    // even when it cannot itself be played. A null or empty name just stops
    // the effect. Only asynchronous play (kAsync) is offered; it returns true
    // unless there is no sound at all or the file is not there.
    bool PlaySound(const char* sound, const void* module, std::uint32_t flags) override;

    // Understands "play <file>" only: starts the music from the beginning,
    // or lets it play on when that same file is still playing. Returns at
    // once; a file that cannot be played leaves the music as it is.
    std::uint32_t SendString(const char* command, char* returnString, std::uint32_t returnLength,
                             const void* callbackWindow) override;

    // Starts opening the device, once.
    void open() override;
    void stopMusic() override;
    // The voice is a third channel, beside the effect: a clip that is
    // missing, damaged or too large is silence, said once.
    void speak(const std::string& clip) override;

    // Waits, at most for the timeout, until the device is open or known to
    // be missing; returns whether sound can be heard.
    bool waitUntilReady(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // Waits, at most for the timeout, until every request made so far has
    // been carried out or turned away; returns whether they all were.
    bool waitUntilCarriedOut(std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // Whether music is being heard now.
    bool musicPlaying();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
    bool ownsOutput_ = false;
    bool started_ = false;
};

} // namespace pelmora
