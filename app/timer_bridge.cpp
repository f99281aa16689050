#include "timer_bridge.h"

#include <QTimer>

namespace pelmora {

TimerBridge::TimerBridge(Timer& model, Due due, QObject* parent)
    : QObject(parent), model_(model), timer_(new QTimer(this))
{
    timer_->setObjectName(QString::fromStdString(model.displayName()));
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this, due = std::move(due)] { due(*this); });
    model_.setListener([this] { follow(); });
    follow();
}

void TimerBridge::follow()
{
    if (model_.running() && !halted_) {
        timer_->start(model_.interval());
        startedAt_ = std::chrono::steady_clock::now();
    } else {
        timer_->stop();
    }
}

void TimerBridge::halt()
{
    halted_ = true;
    timer_->stop();
}

} // namespace pelmora
