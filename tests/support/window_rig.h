// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "quiz_fixture.h"
#include "scaling.h"
#include "stage.h"
#include "window.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace pelmora::test {

// The QTimer behind a timer model, found by the model's name.
inline QTimer* timerFor(const Window& window, const Timer& timer)
{
    return window.findChild<QTimer*>(QString::fromStdString(timer.displayName()));
}

// The quiz in the real Qt window, on the offscreen screen of 1280 x 1024. An
// error that escapes a handler is written down instead of ending the test.
class WindowRig : public ::testing::Test {
protected:
    explicit WindowRig(int stretch = Pace::kPlain) : window(form, stretch)
    {
        window.setErrorReporter([this](const std::string& handler, const std::exception& error) {
            errors.push_back(handler + ": " + error.what());
        });
    }

    // The window as it is drawn now, shown first if it is not yet.
    QImage grab()
    {
        window.show();
        QApplication::processEvents();
        return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QWidget* widget(const VisualControl& control) const { return window.stage().widgetFor(control); }
    // How much larger the controls are drawn: full screen, the height of the
    // 1280 x 1024 screen comes first.
    double scale() const { return window.width() > Form1::kClientWidth ? 1024.0 / 624.0 : 1.0; }
    QPushButton* button(int index) const { return window.stage().button(form.Answer[index]); }
    bool shown(const VisualControl& control) const { return widget(control)->isVisibleTo(&window); }
    std::size_t sounds() const { return rig.multimedia.count(RecordingMultimedia::Call::Kind::PlaySound); }
    std::string lastSound() const { return rig.multimedia.calls.back().text; }

    // Each control's widget stands where its model says, at the stage's
    // scale, and is shown and enabled as the model is.
    void expectMirrored() const
    {
        for (VisualControl* control : visualControls(form)) {
            const QWidget* w = widget(*control);
            EXPECT_EQ(w->geometry(), scaledRect(control->left(), control->top(), control->width(), control->height(),
                                                scale()))
                << control->displayName();
            EXPECT_EQ(w->isVisibleTo(&window), control->visible()) << control->displayName();
            EXPECT_EQ(w->isEnabled(), control->enabled()) << control->displayName();
        }
    }

    QuizRig rig{QuizRig::Time::Window};
    Form1& form = rig.form;
    Quiz& quiz = rig.quiz;
    Window window{form};
    std::vector<std::string> errors;
};

} // namespace pelmora::test
