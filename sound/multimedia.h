// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace pelmora {

// The two multimedia services the quiz uses, in the shape of the Windows
// calls it was designed around (PlaySoundA and mciSendStringA). Texts are
// bytes in the system's code page (UTF-8 here); file names may use
// backslashes as separators.
class Multimedia {
public:
    static constexpr std::uint32_t kAsync = 0x0001; // SND_ASYNC

    // Results of SendString other than 0, numbered as MCI numbers them.
    static constexpr std::uint32_t kErrorUnrecognizedCommand = 261;
    static constexpr std::uint32_t kErrorHardware = 262;
    static constexpr std::uint32_t kErrorMissingCommandString = 267;
    static constexpr std::uint32_t kErrorMissingParameter = 273;
    static constexpr std::uint32_t kErrorFileNotFound = 275;

    virtual ~Multimedia() = default;

    // Plays a WAV file. With kAsync it returns at once: false when the file
    // is not there; a file that is there but cannot be played is only
    // silence. A new sound cuts off the one still playing, even a bad one.
    virtual bool PlaySound(const char* sound, const void* module, std::uint32_t flags) = 0;

    // Runs a textual command such as "play C:\dir\bgm.mp3". Returns 0 once
    // the command is taken up (kErrorFileNotFound when the file is not
    // there), an error code otherwise; writes at most
    // returnLength bytes of a reply into returnString.
    virtual std::uint32_t SendString(const char* command, char* returnString,
                                     std::uint32_t returnLength, const void* callbackWindow) = 0;
};

// The platform's own sound output. Its device opens when open() is called,
// so that a program can leave that until its window is on screen; what is
// asked for before is carried out as soon as the device is open.
class SystemMultimedia : public Multimedia {
public:
    virtual void open() = 0;
    // Silences the music at once; the next "play" starts it from the
    // beginning.
    virtual void stopMusic() = 0;
    // Speaks a clip (a file name as PlaySound takes it) on a channel of its
    // own, the music quieter meanwhile; a new clip cuts off the one still
    // speaking, and an empty name only stops it.
    virtual void speak(const std::string& clip) = 0;
};

std::unique_ptr<SystemMultimedia> makeSystemMultimedia();

} // namespace pelmora
