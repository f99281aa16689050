// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "trace_probe.h"

#include "stage.h"
#include "timer_bridge.h"
#include "trace.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QTimer>

#include <string>

namespace pelmora {

TraceProbe::TraceProbe(Window& window, const Form1& form)
    : window_(window), form_(form), yes_(window.stage().widgetFor(form.YES)),
      question_(static_cast<QAbstractScrollArea*>(window.stage().widgetFor(form.Mondai))->viewport())
{
    yes_->installEventFilter(this);
    question_->installEventFilter(this);
    window.stage().widgetFor(form.No)->installEventFilter(this);
    window.setProbe(this);
}

TraceProbe::~TraceProbe()
{
    window_.setProbe(nullptr);
}

void TraceProbe::clicked(std::int16_t index)
{
    trace::event("click", std::to_string(index));
}

void TraceProbe::due(const TimerBridge& timer, const char* handler)
{
    // How late this tick is against the time it was due.
    const long long late = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now()
                                                                                 - timer.dueAt())
                               .count();
    trace::event("tick", std::string(handler) + " " + std::to_string(late));
}

void TraceProbe::firstFrame()
{
    trace::event("first-frame");
}

bool TraceProbe::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && watched == question_) {
        // A question's first frame, once it has gone to the screen.
        if (form_.Mondai.text() != painted_ && !(painted_ = form_.Mondai.text()).empty())
            QTimer::singleShot(0, this, [] { trace::event("question-painted"); });
    } else if (event->type() == QEvent::Paint) {
        const char* mark = watched == yes_ ? "YES" : "No";
        // Once the frame it is painted in has gone to the screen.
        QTimer::singleShot(0, this, [mark] { trace::event("mark-painted", mark); });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace pelmora
