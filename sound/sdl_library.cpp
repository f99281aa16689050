// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sdl_library.h"

#if defined(_WIN32)
#include <windows.h>
#include <cstring>
#else
#include <dlfcn.h>
#endif

namespace pelmora {

namespace {

#if defined(_WIN32)
constexpr const char* kSdlFile = "SDL2.dll";
constexpr const char* kMpg123File = "libmpg123-0.dll";

// The one seam to the platform's loader. A library stays loaded for the life
// of the process. From the program's own directory and the system's, never
// from the current directory or PATH, where anybody may have put a DLL of
// that name.
void* openLibrary(const char* fileName, std::string& error)
{
    const std::wstring wide(fileName, fileName + std::strlen(fileName));
    HMODULE library = LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!library)
        error = std::string(fileName) + ": error " + std::to_string(GetLastError());
    return library;
}

void* symbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
#else
constexpr const char* kSdlFile = "libSDL2-2.0.so.0";
constexpr const char* kMpg123File = "libmpg123.so.0";

// The one seam to the platform's loader. A library stays loaded for the life
// of the process. Where the two are linked in, their functions are looked up
// among the program's own.
void* openLibrary(const char* fileName, std::string& error)
{
    void* library = dlopen(PELMORA_LOAD_SDL_AT_RUNTIME ? fileName : nullptr, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = dlerror();
        error = reason ? reason : fileName;
    }
    return library;
}

void* symbol(void* library, const char* name)
{
    return dlsym(library, name);
}
#endif

#define PELMORA_LOAD(name) table.name = reinterpret_cast<decltype(table.name)>(symbol(library, #name));
#define PELMORA_REQUIRE(name)                                                                           \
    PELMORA_LOAD(name)                                                                                  \
    if (!table.name)                                                                                    \
        missing = #name;
#define PELMORA_FILL(FUNCTIONS, fileName)                                                               \
    void* library = openLibrary(fileName, error);                                                       \
    const char* missing = nullptr;                                                                      \
    if (!library)                                                                                       \
        return false;                                                                                   \
    FUNCTIONS(PELMORA_REQUIRE)                                                                          \
    if (missing) {                                                                                      \
        error = std::string(fileName) + " has no " + missing;                                           \
        return false;                                                                                   \
    }

// Set once, before any file is decoded, and never cleared: SDL reads them at
// every SDL_LoadWAV_RW. The sizes in a WAV's header are believed because
// ours lowered them to the bytes present (see openSound): SDL then never
// allocates for samples that are not there.
void setHints(const SdlLibrary& sdl)
{
    sdl.SDL_SetHint(SDL_HINT_WAVE_RIFF_CHUNK_SIZE, "force");
    sdl.SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "verystrict");
    sdl.SDL_SetHint(SDL_HINT_WAVE_FACT_CHUNK, "truncate");
    // Without this SDL turns SIGINT and SIGTERM into quit events that nobody
    // reads, and the program could no longer be ended by them.
    sdl.SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    sdl.SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Pelmora");
}

bool fillSdl(SdlLibrary& table, const char* fileName, std::string& error)
{
    PELMORA_FILL(PELMORA_SDL_FUNCTIONS, fileName)
    PELMORA_LOAD(SDL_TLSCleanup)
    setHints(table);
    return true;
}

bool fillMpg123(Mpg123Library& table, const char* fileName, std::string& error)
{
    PELMORA_FILL(PELMORA_MPG123_FUNCTIONS, fileName)
    // Needed once per process by libmpg123 before 1.27, harmless after.
    if (table.mpg123_init() != MPG123_OK) {
        error = "libmpg123 could not be initialised";
        return false;
    }
    return true;
}

// Each library is looked for once, on first use, from whichever thread.
template <class Table, bool (*fill)(Table&, const char*, std::string&)>
struct Loaded {
    explicit Loaded(const char* fileName) : found(fill(table, fileName, error)) {}
    Table table;
    std::string error;
    bool found;
};

const Loaded<SdlLibrary, fillSdl>& sdlLoaded()
{
    static const Loaded<SdlLibrary, fillSdl> loaded(kSdlFile);
    return loaded;
}

const Loaded<Mpg123Library, fillMpg123>& mpg123Loaded()
{
    static const Loaded<Mpg123Library, fillMpg123> loaded(kMpg123File);
    return loaded;
}

} // namespace

const SdlLibrary* sdlLibrary() { return sdlLoaded().found ? &sdlLoaded().table : nullptr; }
const Mpg123Library* mpg123Library() { return mpg123Loaded().found ? &mpg123Loaded().table : nullptr; }
const std::string& sdlLibraryError() { return sdlLoaded().error; }
const std::string& mpg123LibraryError() { return mpg123Loaded().error; }

std::unique_ptr<const Mpg123Library> loadMpg123(const char* fileName, std::string& error)
{
    auto table = std::make_unique<Mpg123Library>();
    if (!fillMpg123(*table, fileName, error))
        return nullptr;
    return table;
}

} // namespace pelmora
