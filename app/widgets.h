#pragma once

// The widgets that stand for the controls of the window.

#include "controls.h"

#include <QTextEdit>
#include <QWidget>

namespace pelmora {

// Shows a picture at its own size, opaque, drawn for the screen's pixel
// density; with no picture it draws nothing at all.
class PictureView : public QWidget {
public:
    explicit PictureView(QWidget* parent);
    void setPicture(PictureRef picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureRef picture_;
};

// The question box: a disabled multi-line text box whose text still shows in
// its own colour, with margins trimmed so three lines of the question fit.
class QuestionBox : public QTextEdit {
public:
    explicit QuestionBox(QWidget* parent);
};

} // namespace pelmora
