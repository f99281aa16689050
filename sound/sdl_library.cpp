#include "sdl_library.h"

#if PELMORA_LOAD_SDL_AT_RUNTIME
#include <dlfcn.h>
#endif

namespace pelmora {

namespace {

const SdlLibrary* load()
{
    static SdlLibrary table;
#if PELMORA_LOAD_SDL_AT_RUNTIME
    // The mixer's handle finds SDL's own functions too, through its dependencies.
    void* mixer = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!mixer)
        return nullptr;
    bool complete = true;
#define PELMORA_SDL_LOAD(name)                                                   \
    table.name = reinterpret_cast<decltype(table.name)>(dlsym(mixer, #name));    \
    complete = complete && table.name != nullptr;
    PELMORA_SDL_FUNCTIONS(PELMORA_SDL_LOAD)
#undef PELMORA_SDL_LOAD
    return complete ? &table : nullptr;
#else
#define PELMORA_SDL_LINK(name) table.name = &::name;
    PELMORA_SDL_FUNCTIONS(PELMORA_SDL_LINK)
#undef PELMORA_SDL_LINK
    return &table;
#endif
}

} // namespace

const SdlLibrary* sdlLibrary()
{
    static const SdlLibrary* library = load();
    return library;
}

} // namespace pelmora
