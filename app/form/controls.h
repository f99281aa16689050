#pragma once

// Models of the window's controls: plain state with the properties the quiz
// works on, each telling one listener when it changes. No toolkit in here;
// the Qt window mirrors these into widgets.

#include "artwork.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pelmora {

struct Color {
    std::uint8_t red = 0, green = 0, blue = 0;
    friend bool operator==(Color, Color) = default;
};

inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kMagenta{255, 0, 255};
inline constexpr Color kRed{255, 0, 0};

enum class Charset { Western, ShiftJis };

struct Font {
    std::string name;
    double points = 0;
    int weight = 400;
    Charset charset = Charset::Western;
    bool italic = false;
    bool underline = false;
    bool strikeout = false;
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
    enum class Kind { TextBox, CommandButton, Label, PictureBox, Timer };

    Control(Kind kind, std::string name, int index = -1);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    Kind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    // Index within a control array, or -1 for a single control.
    int index() const { return index_; }
    // "Answer(3)" for an array element, "Mondai" otherwise.
    std::string displayName() const;

    void setListener(std::function<void()> listener) { listener_ = std::move(listener); }

protected:
    void changed() const;

private:
    Kind kind_;
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

    bool contains(int x, int y) const
    {
        return x >= left_ && x < left_ + width_ && y >= top_ && y < top_ + height_;
    }

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
    explicit PictureBox(std::string name, int index = -1)
        : VisualControl(Kind::PictureBox, std::move(name), index) {}

    const PictureRef& picture() const { return picture_; }
    void setPicture(PictureRef picture);

private:
    PictureRef picture_;
};

class CommandButton : public VisualControl {
public:
    explicit CommandButton(std::string name, int index = -1)
        : VisualControl(Kind::CommandButton, std::move(name), index) {}

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);
    Color backColor() const { return backColor_; }
    void setBackColor(Color color) { backColor_ = color; }

private:
    std::string caption_;
    Color backColor_{};
};

class TextBox : public VisualControl {
public:
    explicit TextBox(std::string name, int index = -1)
        : VisualControl(Kind::TextBox, std::move(name), index) {}

    const std::string& text() const { return text_; }
    void setText(std::string text);

    bool multiLine = false;
    Color foreColor{};
    Color backColor = kWhite;
    std::optional<Font> font;

private:
    std::string text_;
};

class Label : public VisualControl {
public:
    explicit Label(std::string name, int index = -1)
        : VisualControl(Kind::Label, std::move(name), index) {}

    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);

    Color foreColor{};
    Color backColor = kWhite;
    bool opaque = true;
    std::optional<Font> font;

private:
    std::string caption_;
};

// Ticks every Interval ms while Enabled and Interval > 0. Turning it on or
// setting Interval restarts the countdown; setting Enabled to the value it
// already has changes nothing. The clock that drives it listens for those
// restarts and calls tick() when the countdown runs out.
class Timer : public Control {
public:
    explicit Timer(std::string name) : Control(Kind::Timer, std::move(name)) {}

    bool enabled() const { return enabled_; }
    int interval() const { return interval_; }
    bool running() const { return enabled_ && interval_ > 0; }
    // Counts the restarts, so a clock can tell that a countdown began anew.
    std::uint64_t generation() const { return generation_; }

    void setEnabled(bool enabled);
    void setInterval(int milliseconds);

    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }
    // One tick: runs the bound handler, if any.
    void tick() const;

private:
    void restart();

    bool enabled_ = true;
    int interval_ = 0;
    std::uint64_t generation_ = 0;
    std::function<void()> handler_;
};

} // namespace pelmora
