// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The widgets that stand for the controls of the window.

#include "controls.h"

#include <QTextEdit>
#include <QWidget>

namespace pelmora {

// Shows a picture at its own size times the window's scale, opaque, drawn
// from its vector source for the screen's pixel density and that scale;
// with no picture it draws nothing at all.
class PictureView : public QWidget {
public:
    explicit PictureView(QWidget* parent);
    void setPicture(PictureRef picture);
    void setScale(double scale);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureRef picture_;
    double scale_ = 1.0;
};

// The question box: a disabled multi-line text box whose text still shows in
// its own colour, with margins trimmed so three lines of the question fit.
class QuestionBox : public QTextEdit {
public:
    explicit QuestionBox(QWidget* parent);
    // Frame and margins for the window drawn `scale` times larger.
    void setScale(double scale);
};

} // namespace pelmora
