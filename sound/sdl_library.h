#pragma once

#include <SDL.h>
#include <SDL_mixer.h>

namespace pelmora {

// The parts of SDL and SDL_mixer the multimedia layer uses. Where
// PELMORA_LOAD_SDL_AT_RUNTIME is set (Linux), the libraries are loaded the
// first time the audio device is opened, on the opener thread: they bring
// dozens of codec and sound-server libraries with them, and loading those
// while the program starts would hold up its first frame by some 10 ms.
struct SdlLibrary {
#define PELMORA_SDL_FUNCTIONS(X)                                                                        \
    X(SDL_SetHint) X(SDL_InitSubSystem) X(SDL_QuitSubSystem) X(SDL_WasInit) X(SDL_Quit)                 \
    X(SDL_RWFromConstMem) X(Mix_Init) X(Mix_Quit) X(Mix_OpenAudioDevice) X(Mix_QuerySpec)               \
    X(Mix_AllocateChannels) X(Mix_CloseAudio) X(Mix_LoadWAV_RW) X(Mix_FreeChunk) X(Mix_PlayChannel)     \
    X(Mix_HaltChannel) X(Mix_LoadMUSType_RW) X(Mix_FreeMusic) X(Mix_PlayMusic) X(Mix_HaltMusic)          \
    X(Mix_PlayingMusic)
#define PELMORA_SDL_DECLARE(name) decltype(&::name) name = nullptr;
    PELMORA_SDL_FUNCTIONS(PELMORA_SDL_DECLARE)
#undef PELMORA_SDL_DECLARE
};

// Loaded once, from any thread; nullptr where the libraries are missing.
const SdlLibrary* sdlLibrary();

} // namespace pelmora
