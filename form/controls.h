// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// Models of the window's controls: plain state with the properties the quiz
// works on, each telling one listener when it changes. No toolkit in here;
// the Qt window mirrors these into widgets.

#include "artwork.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace pelmora {

struct Color {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(Color, Color) = default;
};

inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kMagenta{255, 0, 255};
inline constexpr Color kRed{255, 0, 0};

struct Font {
    std::string name;
    double points = 0;
    int weight = 400;
    friend bool operator==(const Font&, const Font&) = default;
};

// A picture is immutable and shared: a scene slot given a template's picture
// shows the very same image.
struct Picture {
    Art art;
    ArtSize size;
};
using PictureRef = std::shared_ptr<const Picture>;

PictureRef makePicture(Art art);

class Control {
public:
    explicit Control(std::string name, int index = -1);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& name() const { return name_; }
    // Index within a control array, or -1 for a single control.
    int index() const { return index_; }
    // "Answer(3)" for an array element, "Mondai" otherwise.
    std::string displayName() const;

    void setListener(std::function<void()> listener) { listener_ = std::move(listener); }

protected:
    void changed() const;
    // Sets a property and tells the listener, but only when the value changes.
    template <typename T, typename V>
    void assign(T& property, V&& value)
    {
        if (property == value)
            return;
        property = std::forward<V>(value);
        changed();
    }

private:
    std::string name_;
    int index_;
    std::function<void()> listener_;
};

// A control that takes up a rectangle of the window.
class VisualControl : public Control {
public:
    using Control::Control;

    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool visible() const { return visible_; }
    bool enabled() const { return enabled_; }

    void setLeft(int left);
    void setTop(int top);
    void setVisible(bool visible);
    void setEnabled(bool enabled);
    void setGeometry(int left, int top, int width, int height);

protected:
    void resize(int width, int height);

private:
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
};

// Never stretches: the box takes the size of the picture it is given. Taking
// the picture away leaves the size as it was; an empty box draws nothing.
class PictureBox : public VisualControl {
public:
    using VisualControl::VisualControl;

    const PictureRef& picture() const { return picture_; }
    void setPicture(PictureRef picture);

private:
    PictureRef picture_;
};

class CommandButton : public VisualControl {
public:
    using VisualControl::VisualControl;

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption) { assign(caption_, std::move(caption)); }

private:
    std::string caption_;
};

// How a text control draws: fixed when the control is made, and the same
// kind of style for the question box and the label.
struct TextStyle {
    Color foreColor;
    Color backColor;
    Font font;
};

// A control that shows one text in its one style.
class TextControl : public VisualControl {
public:
    TextControl(std::string name, TextStyle style) : VisualControl(std::move(name)), style_(std::move(style)) {}

    const TextStyle& style() const { return style_; }

protected:
    const std::string& content() const { return content_; }
    void setContent(std::string content) { assign(content_, std::move(content)); }

private:
    const TextStyle style_;
    std::string content_;
};

// Multi-line: the text wraps inside the box.
class TextBox : public TextControl {
public:
    using TextControl::TextControl;

    const std::string& text() const { return content(); }
    void setText(std::string text) { setContent(std::move(text)); }
};

// One line, on an opaque background.
class Label : public TextControl {
public:
    using TextControl::TextControl;

    const std::string& caption() const { return content(); }
    void setCaption(std::string caption) { setContent(std::move(caption)); }
};

// Ticks every Interval ms while Enabled and Interval > 0. Turning it on or
// setting Interval restarts the countdown; setting Enabled to the value it
// already has changes nothing. The clock that drives it listens for those
// restarts and calls tick() when the countdown runs out.
class Timer : public Control {
public:
    using Control::Control;

    bool enabled() const { return enabled_; }
    int interval() const { return interval_; }
    bool running() const { return enabled_ && interval_ > 0; }

    void setEnabled(bool enabled);
    void setInterval(int milliseconds);

    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    // One tick: runs the bound handler, if any.
    void tick() const;

private:
    bool enabled_ = true;
    int interval_ = 0;
    std::function<void()> handler_;
};

// A control that is drawn, by its own type, so that whoever shows it picks
// the widget for the type and not for a tag.
using VisualRef = std::variant<TextBox*, CommandButton*, Label*, PictureBox*>;

VisualControl& visual(VisualRef control);

} // namespace pelmora
