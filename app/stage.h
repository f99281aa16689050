// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "form1.h"

#include <QWidget>

#include <functional>
#include <map>
#include <vector>

class QPushButton;

namespace pelmora {

// The form's controls as widgets: one per control, placed in pixels and
// stacked as defined, each showing its model's state now and after every
// change. The stage can be drawn larger by one factor, for full screen; the
// models never hear of it.
class Stage : public QWidget {
public:
    Stage(Form1& form, QWidget* parent);

    QWidget* widgetFor(const VisualControl& control) const { return widgets_.at(&control); }
    QPushButton* button(const CommandButton& control) const { return buttons_.at(&control); }

    // Lays the stage out `scale` times larger than designed, centred in an
    // area of the given size.
    void fit(QSize area, double scale);

    // Told the new text each time the question box or the result label
    // comes to show another.
    std::function<void(const std::string& text)> onTextShown;

private:
    QWidget* bind(CommandButton& model);
    QWidget* bind(TextBox& model);
    QWidget* bind(Label& model);
    QWidget* bind(PictureBox& model);
    void shown(const std::string& text) const;
    // Its colours now, its font at every scale.
    void showStyle(QWidget& view, QPalette::ColorRole text, const TextStyle& style);
    template <typename Model, typename View, typename Update>
    View* follow(Model& model, View* view, Update update);

    Form1& form_;
    double scale_ = 1.0;
    std::map<const VisualControl*, QWidget*> widgets_;
    std::map<const CommandButton*, QPushButton*> buttons_;
    // Each control's full state at the current scale, shown again when the
    // scale changes.
    std::vector<std::function<void()>> mirrors_;
};

} // namespace pelmora
