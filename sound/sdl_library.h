// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <SDL.h>
#include <mpg123.h>

#include <memory>
#include <string>

namespace pelmora {

// The parts of SDL and libmpg123 the multimedia layer uses. Where
// PELMORA_LOAD_SDL_AT_RUNTIME is set, each library is loaded the first time
// it is asked for, on the worker that opens the audio device: SDL brings the
// sound-server libraries with it, and loading those while the program starts
// would hold up its first frame. The two are loaded apart, so that the
// effects play without libmpg123.
#define PELMORA_SDL_FUNCTIONS(X)                                                                        \
    X(SDL_SetHint) X(SDL_GetError) X(SDL_AudioInit) X(SDL_AudioQuit) X(SDL_GetCurrentAudioDriver)        \
    X(SDL_OpenAudioDevice) X(SDL_GetAudioDeviceStatus)                                                  \
    X(SDL_PauseAudioDevice) X(SDL_CloseAudioDevice) X(SDL_LockAudioDevice) X(SDL_UnlockAudioDevice)     \
    X(SDL_RWFromFile) X(SDL_RWFromConstMem) X(SDL_RWread) X(SDL_RWclose) X(SDL_LoadWAV_RW) X(SDL_FreeWAV) \
    X(SDL_NewAudioStream) X(SDL_AudioStreamPut) X(SDL_AudioStreamGet) X(SDL_AudioStreamFlush)           \
    X(SDL_FreeAudioStream)
#define PELMORA_MPG123_FUNCTIONS(X)                                                                     \
    X(mpg123_init) X(mpg123_new) X(mpg123_delete) X(mpg123_param) X(mpg123_format_none)                 \
    X(mpg123_format) X(mpg123_open_feed) X(mpg123_feed) X(mpg123_read) X(mpg123_plain_strerror)         \
    X(mpg123_strerror)
#define PELMORA_DECLARE(name) decltype(&::name) name = nullptr;

struct SdlLibrary {
    PELMORA_SDL_FUNCTIONS(PELMORA_DECLARE)
    // Only from SDL 2.0.16: null in an older SDL, whose threads then keep
    // their error text.
    PELMORA_DECLARE(SDL_TLSCleanup)
};

struct Mpg123Library {
    PELMORA_MPG123_FUNCTIONS(PELMORA_DECLARE)
};

// Loaded once, from any thread; nullptr where the library is missing or
// lacks a function, with the reason in the matching error text.
const SdlLibrary* sdlLibrary();
const Mpg123Library* mpg123Library();
const std::string& sdlLibraryError();
const std::string& mpg123LibraryError();

// Loads libmpg123 under another name: for showing what a missing library
// gives. Nothing where it cannot be loaded; error says why.
std::unique_ptr<const Mpg123Library> loadMpg123(const char* fileName, std::string& error);

} // namespace pelmora
