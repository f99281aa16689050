#include "virtual_clock.h"

namespace pelmora {

void VirtualClock::attach(Timer& timer)
{
    entries_.reserve(8);
    entries_.push_back({&timer, std::nullopt});
    const std::size_t at = entries_.size() - 1;
    timer.setListener([this, at] { reschedule(entries_[at]); });
    reschedule(entries_[at]);
}

void VirtualClock::reschedule(Entry& entry)
{
    if (entry.timer->running())
        entry.due = now_ + entry.timer->interval();
    else
        entry.due.reset();
}

void VirtualClock::advance(std::int64_t milliseconds)
{
    const std::int64_t target = now_ + milliseconds;
    for (;;) {
        Entry* next = nullptr;
        for (Entry& entry : entries_) {
            if (entry.due && *entry.due <= target && (!next || *entry.due < *next->due))
                next = &entry;
        }
        if (!next)
            break;
        now_ = *next->due;
        // The next countdown starts as this tick comes, as a real timer's
        // does; a handler that stops or restarts its timer reschedules it.
        next->due = now_ + next->timer->interval();
        next->timer->tick();
    }
    now_ = target;
}

std::optional<std::int64_t> VirtualClock::dueTime(const Timer& timer) const
{
    for (const Entry& entry : entries_) {
        if (entry.timer == &timer)
            return entry.due;
    }
    return std::nullopt;
}

} // namespace pelmora
