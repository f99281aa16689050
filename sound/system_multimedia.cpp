#include "system_multimedia.h"

namespace pelmora {

namespace {

// Silent until the audio backend is in place.
class SilentMultimedia final : public Multimedia {
public:
    bool PlaySound(const char*, const void*, std::uint32_t) override { return false; }
    std::uint32_t SendString(const char*, char*, std::uint32_t, const void*) override { return 1; }
};

} // namespace

std::unique_ptr<Multimedia> makeSystemMultimedia()
{
    return std::make_unique<SilentMultimedia>();
}

} // namespace pelmora
