#pragma once

#include "quiz_fixture.h"
#include "window.h"
#include "window_probe.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>

#include <gtest/gtest.h>

namespace pelmora::test {

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
    QWidget* widget(const VisualControl& control) const { return widgetFor(window, control); }
    QPushButton* button(int index) const { return window.stage().button(form.Answer[index]); }
    bool shown(const VisualControl& control) const { return widget(control)->isVisibleTo(&window); }
    std::size_t sounds() const { return rig.multimedia.count(RecordingMultimedia::Call::Kind::PlaySound); }
    std::string lastSound() const { return rig.multimedia.calls.back().text; }

    QuizRig rig{QuizRig::Time::Window};
    Form1& form = rig.form;
    Quiz& quiz = rig.quiz;
    Window window{form};
    std::vector<std::string> errors;
};

} // namespace pelmora::test
