// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "controls.h"
#include "form1.h"
#include "pace.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace pelmora {

// Drives timer models in virtual time: a whole run is checked in
// milliseconds, and ticks come exactly when they are due. The same pace as
// the window's says when that is, so a slowed or paused quiz runs here too.
class VirtualClock {
public:
    explicit VirtualClock(int stretch = Pace::kPlain) : pace_(stretch) {}

    // Takes over the timer's listener.
    void attach(Timer& timer, Pace::Wait wait = Pace::Wait::Child);
    // The form's three timers, each with the kind of wait it is.
    void attach(Form1& form);

    std::int64_t now() const { return now_; }
    // Runs every tick due up to now + milliseconds, in time order; ticks due
    // at the same moment run in the order the timers were attached.
    void advance(std::int64_t milliseconds);
    // When the timer next ticks, if it is running and not held by a pause.
    std::optional<std::int64_t> dueTime(const Timer& timer) const { return pace_.due(timer); }

    void pause() { pace_.pause(now_); }
    void resume() { pace_.resume(now_); }

private:
    Pace pace_;
    std::vector<Timer*> timers_;
    std::int64_t now_ = 0;
};

} // namespace pelmora
