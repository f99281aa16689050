#include "sdl_library.h"

#if PELMORA_LOAD_SDL_AT_RUNTIME
#include <dlfcn.h>
#endif

#include <memory>

namespace pelmora {

namespace {

#if PELMORA_LOAD_SDL_AT_RUNTIME
// Opens a library and looks up every function of table in it. The library
// stays loaded for the life of the process once everything was found.
template <class Table, class Lookup>
bool loadTable(const char* fileName, Table& table, std::string& error, Lookup lookupAll)
{
    void* library = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = reason ? reason : fileName;
        return false;
    }
    const char* missing = lookupAll(library, table);
    if (missing) {
        error = std::string(fileName) + " has no " + missing;
        dlclose(library);
        return false;
    }
    return true;
}

#define PELMORA_LOOK_UP(name)                                              \
    table.name = reinterpret_cast<decltype(table.name)>(dlsym(library, #name)); \
    if (!table.name)                                                       \
        return #name;
#endif

// Set once, before any file is decoded, and never cleared: SDL reads them at
// every SDL_LoadWAV_RW. The RIFF size is believed only as far as the bytes
// handed over (see decodeWav); with it, a data chunk that claims more than
// the file holds is turned away before SDL allocates for it. The fact chunk
// can only shorten a sound (it drops the padding of the last ADPCM block).
void setWavHints(const SdlLibrary& sdl)
{
    sdl.SDL_SetHint(SDL_HINT_WAVE_RIFF_CHUNK_SIZE, "force");
    sdl.SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    sdl.SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    // Without this SDL turns SIGINT and SIGTERM into quit events that nobody
    // reads, and the program could no longer be ended by them.
    sdl.SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    sdl.SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Pelmora");
}

template <class Table>
struct Loaded {
    Table table;
    std::string error;
    bool found = false;
};

bool fillSdl(SdlLibrary& table, std::string& error)
{
#if PELMORA_LOAD_SDL_AT_RUNTIME
    if (!loadTable("libSDL2-2.0.so.0", table, error, [](void* library, SdlLibrary& table) -> const char* {
            PELMORA_SDL_FUNCTIONS(PELMORA_LOOK_UP)
            return nullptr;
        }))
        return false;
#else
    (void)error;
#define PELMORA_LINK(name) table.name = &::name;
    PELMORA_SDL_FUNCTIONS(PELMORA_LINK)
#undef PELMORA_LINK
#endif
    setWavHints(table);
    return true;
}

bool fillMpg123(const char* fileName, Mpg123Library& table, std::string& error)
{
#if PELMORA_LOAD_SDL_AT_RUNTIME
    if (!loadTable(fileName, table, error, [](void* library, Mpg123Library& table) -> const char* {
            PELMORA_MPG123_FUNCTIONS(PELMORA_LOOK_UP)
            return nullptr;
        }))
        return false;
#else
    (void)fileName;
#define PELMORA_LINK(name) table.name = &::name;
    PELMORA_MPG123_FUNCTIONS(PELMORA_LINK)
#undef PELMORA_LINK
#endif
    // Needed once per process by libmpg123 before 1.27, harmless after.
    if (table.mpg123_init() != MPG123_OK) {
        error = "libmpg123 could not be initialised";
        return false;
    }
    return true;
}

const Loaded<SdlLibrary>& sdlLoaded()
{
    static const Loaded<SdlLibrary> loaded = [] {
        Loaded<SdlLibrary> l;
        l.found = fillSdl(l.table, l.error);
        return l;
    }();
    return loaded;
}

const Loaded<Mpg123Library>& mpg123Loaded()
{
    static const Loaded<Mpg123Library> loaded = [] {
        Loaded<Mpg123Library> l;
        l.found = fillMpg123("libmpg123.so.0", l.table, l.error);
        return l;
    }();
    return loaded;
}

} // namespace

const SdlLibrary* sdlLibrary()
{
    return sdlLoaded().found ? &sdlLoaded().table : nullptr;
}

const Mpg123Library* mpg123Library()
{
    return mpg123Loaded().found ? &mpg123Loaded().table : nullptr;
}

const std::string& sdlLibraryError()
{
    return sdlLoaded().error;
}

const std::string& mpg123LibraryError()
{
    return mpg123Loaded().error;
}

std::unique_ptr<const Mpg123Library> loadMpg123(const char* fileName, std::string& error)
{
    auto table = std::make_unique<Mpg123Library>();
    if (!fillMpg123(fileName, *table, error))
        return nullptr;
    return table;
}

} // namespace pelmora
