#pragma once

#include "controls.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace pelmora {

// Drives timer models in virtual time: a whole run is checked in
// milliseconds, and ticks come exactly when they are due.
class VirtualClock {
public:
    // Takes over the timer's listener.
    void attach(Timer& timer);

    std::int64_t now() const { return now_; }
    // Runs every tick due up to now + milliseconds, in time order; ticks due
    // at the same moment run in the order the timers were attached.
    void advance(std::int64_t milliseconds);
    // When the timer next ticks, if it is running.
    std::optional<std::int64_t> dueTime(const Timer& timer) const;

private:
    struct Entry {
        Timer* timer;
        std::optional<std::int64_t> due;
    };
    void reschedule(Entry& entry);

    std::vector<Entry> entries_;
    std::int64_t now_ = 0;
};

} // namespace pelmora
