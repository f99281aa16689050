// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "timer_bridge.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace pelmora {

TimerBridge::TimerBridge(Timer& model, Pace& pace, Due due, QObject* parent)
    : QObject(parent), model_(model), pace_(pace), timer_(new QTimer(this))
{
    // Named after its model, so that whoever watches the window can find it.
    timer_->setObjectName(QString::fromStdString(model.displayName()));
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this, due = std::move(due)] { timeout(due); });
    model_.setListener([this] { restart(); });
    restart();
}

void TimerBridge::restart()
{
    const Pace::Millis at = now();
    pace_.restarted(model_, at);
    follow(at);
}

Pace::Millis TimerBridge::now()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TimerBridge::follow()
{
    follow(now());
}

// Measured from `at`, so that a countdown started just now gets its whole
// length, even if the clock's millisecond turned meanwhile.
void TimerBridge::follow(Pace::Millis at)
{
    const auto due = pace_.due(model_);
    if (!due || halted_) {
        timer_->stop();
        return;
    }
    const auto started = std::chrono::steady_clock::now();
    // A QTimer counts no further than INT_MAX ms; a longer wait is re-armed
    // when that runs out.
    const Pace::Millis wait = std::clamp<Pace::Millis>(*due - at, 0, std::numeric_limits<int>::max());
    timer_->start(static_cast<int>(wait));
    armedFor_ = started + std::chrono::milliseconds(wait);
}

void TimerBridge::timeout(const Due& due)
{
    const Pace::Millis at = now();
    if (const auto dueAt = pace_.due(model_); !dueAt || *dueAt > at) {
        follow(at);
        return;
    }
    delivering_ = armedFor_;
    // The next countdown first, so that a handler that stops or restarts the
    // model has the last word.
    pace_.ticked(model_, at);
    follow(at);
    due(*this);
}

void TimerBridge::halt()
{
    halted_ = true;
    timer_->stop();
}

} // namespace pelmora
