#include "controls.h"

#include <stdexcept>

namespace pelmora {

PictureRef makePicture(Art art)
{
    return std::make_shared<const Picture>(Picture{art, artSize(art)});
}

Control::Control(Kind kind, std::string name, int index)
    : kind_(kind), name_(std::move(name)), index_(index)
{
}

std::string Control::displayName() const
{
    return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Control::changed() const
{
    if (listener_)
        listener_();
}

void VisualControl::setLeft(int left)
{
    if (left_ != left) {
        left_ = left;
        changed();
    }
}

void VisualControl::setTop(int top)
{
    if (top_ != top) {
        top_ = top;
        changed();
    }
}

void VisualControl::setVisible(bool visible)
{
    if (visible_ != visible) {
        visible_ = visible;
        changed();
    }
}

void VisualControl::setEnabled(bool enabled)
{
    if (enabled_ != enabled) {
        enabled_ = enabled;
        changed();
    }
}

void VisualControl::setGeometry(int left, int top, int width, int height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    changed();
}

void VisualControl::resize(int width, int height)
{
    if (width_ != width || height_ != height) {
        width_ = width;
        height_ = height;
        changed();
    }
}

void PictureBox::setPicture(PictureRef picture)
{
    if (picture_ == picture)
        return;
    picture_ = std::move(picture);
    if (picture_)
        resize(picture_->size.width, picture_->size.height);
    changed();
}

void CommandButton::setCaption(std::string caption)
{
    caption_ = std::move(caption);
    changed();
}

void TextBox::setText(std::string text)
{
    if (text_ != text) {
        text_ = std::move(text);
        changed();
    }
}

void Label::setCaption(std::string caption)
{
    if (caption_ != caption) {
        caption_ = std::move(caption);
        changed();
    }
}

void Timer::setEnabled(bool enabled)
{
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    restart();
}

void Timer::setInterval(int milliseconds)
{
    if (milliseconds < 0)
        throw std::invalid_argument(displayName() + ": a timer's interval cannot be negative");
    interval_ = milliseconds;
    restart();
}

void Timer::restart()
{
    ++generation_;
    changed();
}

void Timer::tick() const
{
    if (handler_)
        handler_();
}

} // namespace pelmora
