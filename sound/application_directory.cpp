#include "sound.h"

#include <filesystem>
#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace pelmora {

namespace {

std::filesystem::path executablePath()
{
#if defined(_WIN32)
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
    return std::filesystem::path(std::string(buffer, n));
#elif defined(__APPLE__)
    char buffer[4096];
    std::uint32_t size = sizeof buffer;
    if (_NSGetExecutablePath(buffer, &size) != 0)
        return {};
    return std::filesystem::path(buffer);
#else
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error);
#endif
}

} // namespace

std::string applicationDirectory()
{
    const std::filesystem::path exe = executablePath();
    // With no answer from the platform the names are relative to nothing in
    // particular: the sounds are then simply not found.
    return exe.parent_path().string();
}

} // namespace pelmora
