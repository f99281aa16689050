// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "window.h"

#include <QObject>

#include <string>

namespace pelmora {

// Writes the trace points the benchmarks time: each click, each tick with
// how late it came, the first frame, and each time a mark is painted.
class TraceProbe final : public QObject, public EventProbe {
public:
    TraceProbe(Window& window, const Form1& form);
    ~TraceProbe() override;

    void clicked(std::int16_t index) override;
    void due(const TimerBridge& timer, const char* handler) override;
    void firstFrame() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Window& window_;
    const Form1& form_;
    QObject* yes_;
    QObject* question_;
    std::string painted_; // the question last traced as painted
};

} // namespace pelmora
