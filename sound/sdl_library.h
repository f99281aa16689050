#pragma once

#include <SDL.h>
#include <mpg123.h>

namespace pelmora {

// The parts of SDL and libmpg123 the multimedia layer uses. Where
// PELMORA_LOAD_SDL_AT_RUNTIME is set (Linux), the libraries are loaded the
// first time the audio device is opened, on the opener thread: SDL brings
// the sound-server libraries with it, and loading those while the program
// starts would hold up its first frame.
struct SdlLibrary {
#define PELMORA_SDL_FUNCTIONS(X)                                                                        \
    X(SDL_SetHint) X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_WasInit) X(SDL_Quit)                 \
    X(SDL_OpenAudioDevice) X(SDL_PauseAudioDevice) X(SDL_CloseAudioDevice) X(SDL_LockAudioDevice)       \
    X(SDL_UnlockAudioDevice) X(SDL_RWFromConstMem) X(SDL_LoadWAV_RW) X(SDL_FreeWAV)                     \
    X(SDL_NewAudioStream) X(SDL_AudioStreamPut) X(SDL_AudioStreamGet) X(SDL_AudioStreamAvailable)       \
    X(SDL_AudioStreamFlush) X(SDL_FreeAudioStream)
#define PELMORA_MPG123_FUNCTIONS(X)                                                                     \
    X(mpg123_init) X(mpg123_new) X(mpg123_delete) X(mpg123_param) X(mpg123_rates)                       \
    X(mpg123_format_none) X(mpg123_format) X(mpg123_open_feed) X(mpg123_feed) X(mpg123_read)            \
    X(mpg123_getformat)
#define PELMORA_SDL_DECLARE(name) decltype(&::name) name = nullptr;
    PELMORA_SDL_FUNCTIONS(PELMORA_SDL_DECLARE)
    PELMORA_MPG123_FUNCTIONS(PELMORA_SDL_DECLARE)
#undef PELMORA_SDL_DECLARE
};

// Loaded once, from any thread; nullptr where either library is missing.
const SdlLibrary* sdlLibrary();

} // namespace pelmora
