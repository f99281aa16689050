#pragma once

#include "controls.h"

#include <QObject>

#include <chrono>
#include <functional>

class QTimer;

namespace pelmora {

// One QTimer behind one timer model: it runs while the model says so, and
// restarts its countdown whenever the model restarts it. A timeout calls
// `due`, which ticks the model through whatever guards the handlers.
class TimerBridge : public QObject {
public:
    using Due = std::function<void(const TimerBridge&)>;
    TimerBridge(Timer& model, Due due, QObject* parent);

    const Timer& model() const { return model_; }
    // When the countdown last started.
    std::chrono::steady_clock::time_point startedAt() const { return startedAt_; }
    // Stops for good, whatever the model says from now on.
    void halt();

private:
    void follow();

    Timer& model_;
    QTimer* timer_;
    bool halted_ = false;
    std::chrono::steady_clock::time_point startedAt_;
};

} // namespace pelmora
