#include "sdl_library.h"

#if PELMORA_LOAD_SDL_AT_RUNTIME && defined(_WIN32)
#include "audio_file.h"
#include <windows.h>
#elif PELMORA_LOAD_SDL_AT_RUNTIME
#include <dlfcn.h>
#endif

#include <cstring>
#include <memory>

namespace pelmora {

namespace {

#if PELMORA_LOAD_SDL_AT_RUNTIME && defined(_WIN32)
constexpr const char* kSdlFile = "SDL2.dll";
constexpr const char* kMpg123File = "libmpg123-0.dll";

// From the program's own directory and the system's, never from the current
// directory or PATH, where anybody may have put a DLL of that name.
void* openLibrary(const char* fileName, std::string& error)
{
    const std::wstring wide(fileName, fileName + std::strlen(fileName));
    HMODULE library = LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!library) {
        const DWORD code = GetLastError();
        wchar_t* text = nullptr;
        const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                           | FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
        std::string reason = n ? utf8FromUtf16(std::u16string_view(reinterpret_cast<char16_t*>(text), n))
                               : "error " + std::to_string(code);
        LocalFree(text);
        reason.erase(reason.find_last_not_of(" \r\n.") + 1);
        error = std::string(fileName) + ": " + reason;
    }
    return library;
}

void* lookUp(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}
#elif PELMORA_LOAD_SDL_AT_RUNTIME
constexpr const char* kSdlFile = "libSDL2-2.0.so.0";
constexpr const char* kMpg123File = "libmpg123.so.0";

void* openLibrary(const char* fileName, std::string& error)
{
    void* library = dlopen(fileName, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = reason ? reason : fileName;
    }
    return library;
}

void* lookUp(void* library, const char* name)
{
    return dlsym(library, name);
}

void closeLibrary(void* library)
{
    dlclose(library);
}
#else
constexpr const char* kMpg123File = "";
#endif

#if PELMORA_LOAD_SDL_AT_RUNTIME
// Opens a library and looks up every function of table in it. The library
// stays loaded for the life of the process once everything was found.
template <class Table, class Lookup>
bool loadTable(const char* fileName, Table& table, std::string& error, Lookup lookupAll)
{
    void* library = openLibrary(fileName, error);
    if (!library)
        return false;
    const char* missing = lookupAll(library, table);
    if (missing) {
        error = std::string(fileName) + " has no " + missing;
        closeLibrary(library);
        return false;
    }
    return true;
}

#define PELMORA_LOOK_UP(name)                                              \
    table.name = reinterpret_cast<decltype(table.name)>(lookUp(library, #name)); \
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
    if (!loadTable(kSdlFile, table, error, [](void* library, SdlLibrary& table) -> const char* {
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
        l.found = fillMpg123(kMpg123File, l.table, l.error);
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
