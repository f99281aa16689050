// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "art.h"
#include "quiz_fixture.h"
#include "scaling.h"
#include "stage.h"
#include "window.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace pelmora::test {

// The widget as drawn once the events now due are handled.
inline QImage drawn(QWidget& widget)
{
    QApplication::processEvents();
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// A picture as the child should see it: its artwork with the top-left
// corner at Left, Top.
struct Drawn {
    Art art;
    int left, top;

    QRect rect() const { return {QPoint(left, top), QSize(artSize(art).width, artSize(art).height)}; }
};

// The pictures before start-up, back to front: each tree covers the bottom
// rows of the one above it, the templates at the bottom edge overlap by a
// few columns; and the marks, the cross lying on the circle.
inline const std::vector<Drawn> kTreesAndTemplates{
    {Art::Santa, 8, 584},  {Art::Tree, 0, 0},     {Art::Tree, 0, 136},   {Art::Tree, 0, 272},
    {Art::Tree, 0, 408},   {Art::Tree, 544, 0},   {Art::Tree, 544, 136}, {Art::Tree, 544, 272},
    {Art::Tree, 544, 408}, {Art::Bell, 208, 584}, {Art::Reindeer, 112, 576}, {Art::Snowman, 301, 588}};
inline const std::vector<Drawn> kMarks{{Art::Circle, 144, 89}, {Art::Cross, 147, 122}};

// The pixels of the screenshot, at `ratio` device pixels to a window pixel,
// that differ from the pictures, which stand back to front, each covering
// those before it where they overlap. Pixels under `inFront` (other
// controls) are not compared.
inline int pixelsNotAsDrawn(const QImage& shot, const std::vector<Drawn>& backToFront,
                            const std::vector<QRect>& inFront = {}, int ratio = 1)
{
    int wrong = 0;
    for (std::size_t i = 0; i < backToFront.size(); ++i) {
        const Drawn& picture = backToFront[i];
        const QImage art = renderArt(picture.art, ratio).convertToFormat(QImage::Format_RGB32);
        std::vector<QRect> covering = inFront;
        for (std::size_t j = i + 1; j < backToFront.size(); ++j)
            covering.push_back(backToFront[j].rect());
        for (int y = 0; y < art.height(); ++y)
            for (int x = 0; x < art.width(); ++x) {
                const QPoint at(picture.left * ratio + x, picture.top * ratio + y);
                const QPoint point(picture.left + x / ratio, picture.top + y / ratio);
                if (shot.rect().contains(at)
                    && std::none_of(covering.begin(), covering.end(), [&](QRect r) { return r.contains(point); }))
                    wrong += shot.pixel(at) != art.pixel(x, y);
            }
    }
    return wrong;
}

// The quiz in the real Qt window, on the offscreen screen of 1280 x 1024. An
// error that escapes a handler is written down instead of ending the test.
class WindowRig : public ::testing::Test {
protected:
    // Started: the form loaded and the window shown.
    explicit WindowRig(int stretch = Pace::kPlain, bool started = false) : window(form, stretch)
    {
        window.setErrorReporter([this](const std::string& handler, const std::exception& error) {
            errors.push_back(handler + ": " + error.what());
        });
        if (started) {
            window.load();
            window.show();
        }
    }

    // The window as it is drawn now, shown first if it is not yet.
    QImage grab()
    {
        window.show();
        return drawn(window);
    }
    template <typename W = QWidget>
    W* widget(const VisualControl& control) const
    {
        auto* w = dynamic_cast<W*>(window.stage().widgetFor(control));
        EXPECT_NE(w, nullptr) << control.displayName();
        return w;
    }
    // Where a point of the design lands on the window, at either size.
    QPoint onScreen(QPoint design) const
    {
        return window.stage().geometry().topLeft()
               + QPoint(scaledEdge(design.x(), scale()), scaledEdge(design.y(), scale()));
    }
    QPoint onScreen(int x, int y) const { return onScreen(QPoint(x, y)); }
    // The control's widget under a window point, or nullptr where no control
    // is (the bare stage the controls stand on).
    QWidget* controlWidgetAt(QPoint at) const
    {
        QWidget* w = window.childAt(at);
        return w == static_cast<const QWidget*>(&window.stage()) ? nullptr : w;
    }
    QWidget* controlWidgetAt(int x, int y) const { return controlWidgetAt(QPoint(x, y)); }
    // The QTimer behind a timer model, found by the model's name.
    QTimer* qTimer(const Timer& model) const
    {
        return window.findChild<QTimer*>(QString::fromStdString(model.displayName()));
    }
    void setFullScreen(bool on)
    {
        window.setFullScreen(on);
        QApplication::processEvents();
    }
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
