// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "virtual_clock.h"

namespace pelmora {

void VirtualClock::attach(Timer& timer, Pace::Wait wait)
{
    timers_.push_back(&timer);
    pace_.follow(timer, wait);
    timer.setListener([this, &timer] { pace_.restarted(timer, now_); });
    pace_.restarted(timer, now_);
}

void VirtualClock::attach(Form1& form)
{
    for (Timer* timer : {&form.Timer1, &form.Timer2, &form.Timer3})
        attach(*timer, waitOf(form, *timer));
}

void VirtualClock::advance(std::int64_t milliseconds)
{
    const std::int64_t target = now_ + milliseconds;
    for (;;) {
        Timer* next = nullptr;
        std::int64_t nextDue = target;
        for (Timer* timer : timers_) {
            const auto due = pace_.due(*timer);
            if (due && *due <= nextDue && (!next || *due < nextDue)) {
                next = timer;
                nextDue = *due;
            }
        }
        if (!next)
            break;
        now_ = nextDue;
        // The next countdown starts as this tick comes, as a real timer's
        // does; a handler that stops or restarts its timer reschedules it.
        pace_.ticked(*next, now_);
        next->tick();
    }
    now_ = target;
}

} // namespace pelmora
