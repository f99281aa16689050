#pragma once

// What the tests read off the Qt window that the program itself never asks:
// the widget and the QTimer behind a control, the stage's scale and place.

#include "stage.h"
#include "window.h"

#include <QTimer>

namespace pelmora::test {

inline QWidget* widgetFor(const Window& window, const VisualControl& control)
{
    return window.stage().widgetFor(control);
}

inline QTimer* timerFor(const Window& window, const Timer& timer)
{
    return window.findChild<QTimer*>(QString::fromStdString(timer.displayName()));
}

inline double scaleOf(const Window& window)
{
    return window.stage().scale();
}

inline QRect stageGeometry(const Window& window)
{
    return window.stage().geometry();
}

} // namespace pelmora::test
