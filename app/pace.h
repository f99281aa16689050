// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "form1.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace pelmora {

// How fast the quiz goes for the child. The waits the child sees last
// `stretch` times as long, and a pause holds them where they stand; the
// music's clock keeps its own time through both. The quiz and its timer
// models know nothing of it: whoever turns the models into real ticks (the
// window, or a test's virtual clock) asks here when each one is due, and
// says what time it is.
class Pace {
public:
    using Millis = std::int64_t;
    static constexpr int kPlain = 1;
    static constexpr int kSlowest = 10;

    enum class Wait {
        Child, // stretched, and held by a pause
        Music, // its own time, always
    };

    // Throws std::invalid_argument for a stretch outside kPlain..kSlowest.
    explicit Pace(int stretch = kPlain);
    int stretch() const { return stretch_; }

    void follow(const Timer& timer, Wait wait);
    // The model was turned on, off or given an interval at `now`: its
    // countdown starts afresh, or ends. Started during a pause, it waits
    // whole until the pause ends.
    void restarted(const Timer& timer, Millis now);
    // The model ticked, due at or before `now`: its next countdown keeps the
    // beat, unless the tick came more than a whole countdown late.
    void ticked(const Timer& timer, Millis now);
    // When the model next ticks; none while it is off or held by the pause.
    std::optional<Millis> due(const Timer& timer) const;

    bool paused() const { return paused_; }
    // Holds every child's wait with its remaining time, or lets it go on
    // with that time. Pausing twice, or resuming when not paused, does
    // nothing.
    void pause(Millis now);
    void resume(Millis now);

private:
    struct Countdown {
        const Timer* timer;
        Wait wait;
        bool running = false;
        Millis length = 0;
        Millis due = 0;  // while it counts
        Millis left = 0; // while the pause holds it
    };
    Countdown& countdown(const Timer& timer);
    const Countdown& countdown(const Timer& timer) const;
    bool held(const Countdown& c) const { return paused_ && c.wait == Wait::Child; }

    int stretch_;
    bool paused_ = false;
    std::vector<Countdown> countdowns_;
};

// Timer1 (the scene before its question) and Timer2 (the mark before the
// next scene) are waits the child sees; Timer3 only re-sends the music.
Pace::Wait waitOf(const Form1& form, const Timer& timer);

} // namespace pelmora
