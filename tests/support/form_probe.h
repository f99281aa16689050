// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Questions the tests ask of the window definition that the program never
// needs to: where a point lands, every drawn control.

#include "form1.h"

#include <vector>

namespace pelmora {

inline bool contains(const VisualControl& c, int x, int y)
{
    return x >= c.left() && x < c.left() + c.width() && y >= c.top() && y < c.top() + c.height();
}

// Every drawn control, front to back.
inline std::vector<VisualControl*> visualControls(Form1& form)
{
    std::vector<VisualControl*> all;
    for (VisualRef ref : form.stackingOrder())
        all.push_back(&visual(ref));
    return all;
}

inline std::array<Timer*, 3> timersOf(Form1& form)
{
    return {&form.Timer1, &form.Timer2, &form.Timer3};
}

// The front-most visible control at a client point, or nullptr.
inline VisualControl* controlAt(Form1& form, int x, int y)
{
    for (VisualControl* control : visualControls(form)) {
        if (control->visible() && contains(*control, x, y))
            return control;
    }
    return nullptr;
}

} // namespace pelmora
