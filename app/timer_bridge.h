// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "controls.h"
#include "pace.h"

#include <QObject>

#include <chrono>
#include <functional>

class QTimer;

namespace pelmora {

// One QTimer behind one timer model: it runs while the model says so, and
// restarts its countdown whenever the model restarts it, for as long as the
// pace makes that countdown. A timeout calls `due`, which ticks the model
// through whatever guards the handlers.
class TimerBridge : public QObject {
public:
    using Due = std::function<void(const TimerBridge&)>;
    // `pace` must follow the model and outlive the bridge.
    TimerBridge(Timer& model, Pace& pace, Due due, QObject* parent);

    const Timer& model() const { return model_; }
    // When the tick being delivered was due.
    std::chrono::steady_clock::time_point dueAt() const { return delivering_; }
    // Sets the QTimer to what the pace now says, after a pause or its end.
    void follow();
    // Stops for good, whatever the model says from now on.
    void halt();

    // The clock the pace is told the time on, in milliseconds.
    static Pace::Millis now();

private:
    void restart();
    void follow(Pace::Millis at);
    void timeout(const Due& due);

    Timer& model_;
    Pace& pace_;
    QTimer* timer_;
    bool halted_ = false;
    std::chrono::steady_clock::time_point armedFor_, delivering_;
};

} // namespace pelmora
