#include "sdl_library.h"

#if PELMORA_LOAD_SDL_AT_RUNTIME
#include <dlfcn.h>
#endif

namespace pelmora {

namespace {

#if PELMORA_LOAD_SDL_AT_RUNTIME
struct Handle {
    void* library = nullptr;
    explicit Handle(const char* name) : library(dlopen(name, RTLD_NOW | RTLD_LOCAL)) {}
    // Kept for the life of the process once everything was found in it.
    void keep() { library = nullptr; }
    ~Handle()
    {
        if (library)
            dlclose(library);
    }
};
#endif

bool fill(SdlLibrary& table)
{
#if PELMORA_LOAD_SDL_AT_RUNTIME
    Handle sdl("libSDL2-2.0.so.0");
    Handle mpg123("libmpg123.so.0");
    if (!sdl.library || !mpg123.library)
        return false;
    bool complete = true;
#define PELMORA_SDL_LOAD_FROM(handle, name)                                          \
    table.name = reinterpret_cast<decltype(table.name)>(dlsym(handle.library, #name)); \
    complete = complete && table.name != nullptr;
#define PELMORA_SDL_LOAD(name) PELMORA_SDL_LOAD_FROM(sdl, name)
#define PELMORA_MPG123_LOAD(name) PELMORA_SDL_LOAD_FROM(mpg123, name)
    PELMORA_SDL_FUNCTIONS(PELMORA_SDL_LOAD)
    PELMORA_MPG123_FUNCTIONS(PELMORA_MPG123_LOAD)
#undef PELMORA_MPG123_LOAD
#undef PELMORA_SDL_LOAD
#undef PELMORA_SDL_LOAD_FROM
    if (!complete)
        return false;
    sdl.keep();
    mpg123.keep();
#else
#define PELMORA_SDL_LINK(name) table.name = &::name;
    PELMORA_SDL_FUNCTIONS(PELMORA_SDL_LINK)
    PELMORA_MPG123_FUNCTIONS(PELMORA_SDL_LINK)
#undef PELMORA_SDL_LINK
#endif
    // Needed once per process by libmpg123 before 1.27, harmless after.
    return table.mpg123_init() == MPG123_OK;
}

const SdlLibrary* load()
{
    static SdlLibrary table;
    return fill(table) ? &table : nullptr;
}

} // namespace

const SdlLibrary* sdlLibrary()
{
    static const SdlLibrary* library = load();
    return library;
}

} // namespace pelmora
