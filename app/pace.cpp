// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pace.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace pelmora {

Pace::Pace(int stretch) : stretch_(stretch)
{
    if (stretch < kPlain || stretch > kSlowest)
        throw std::invalid_argument("the quiz can be slowed from " + std::to_string(kPlain) + " to "
                                    + std::to_string(kSlowest) + " times, not " + std::to_string(stretch));
}

void Pace::follow(const Timer& timer, Wait wait)
{
    countdowns_.push_back({&timer, wait});
}

Pace::Countdown& Pace::countdown(const Timer& timer)
{
    return const_cast<Countdown&>(std::as_const(*this).countdown(timer));
}

const Pace::Countdown& Pace::countdown(const Timer& timer) const
{
    const auto it = std::find_if(countdowns_.begin(), countdowns_.end(),
                                 [&](const Countdown& c) { return c.timer == &timer; });
    if (it == countdowns_.end())
        throw std::logic_error(timer.displayName() + " is not followed");
    return *it;
}

void Pace::restarted(const Timer& timer, Millis now)
{
    Countdown& c = countdown(timer);
    c.running = timer.running();
    if (!c.running)
        return;
    c.length = Millis{timer.interval()} * (c.wait == Wait::Child ? stretch_ : 1);
    if (held(c))
        c.left = c.length;
    else
        c.due = now + c.length;
}

void Pace::ticked(const Timer& timer, Millis now)
{
    Countdown& c = countdown(timer);
    if (!c.running || held(c))
        return;
    c.due += c.length;
    if (c.due <= now)
        c.due = now + c.length;
}

std::optional<Pace::Millis> Pace::due(const Timer& timer) const
{
    const Countdown& c = countdown(timer);
    if (!c.running || held(c))
        return std::nullopt;
    return c.due;
}

void Pace::pause(Millis now)
{
    if (paused_)
        return;
    for (Countdown& c : countdowns_)
        if (c.running && c.wait == Wait::Child)
            c.left = std::max<Millis>(0, c.due - now);
    paused_ = true;
}

void Pace::resume(Millis now)
{
    if (!paused_)
        return;
    paused_ = false;
    for (Countdown& c : countdowns_)
        if (c.running && c.wait == Wait::Child)
            c.due = now + c.left;
}

Pace::Wait waitOf(const Form1& form, const Timer& timer)
{
    return &timer == &form.Timer3 ? Pace::Wait::Music : Pace::Wait::Child;
}

} // namespace pelmora
