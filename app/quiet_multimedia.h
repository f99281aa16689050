#pragma once

#include "system_multimedia.h"

#include <memory>

namespace pelmora {

// Sound with less of it. Over the platform's output it lets the answer
// sounds through and keeps every textual command (the music's only way out)
// from it; with no output at all it is silence itself, and no device is
// ever opened. Either way the quiz goes on as if all had played.
class QuietMultimedia final : public SystemMultimedia {
public:
    // Null for no sound at all.
    explicit QuietMultimedia(std::unique_ptr<SystemMultimedia> effects = nullptr);

    void open() override;
    bool PlaySound(const char* sound, const void* module, std::uint32_t flags) override;
    std::uint32_t SendString(const char* command, char* returnString, std::uint32_t returnLength,
                             const void* callbackWindow) override;

private:
    std::unique_ptr<SystemMultimedia> effects_;
};

} // namespace pelmora
