// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "controls.h"

#include <stdexcept>

namespace pelmora {

PictureRef makePicture(Art art)
{
    return std::make_shared<const Picture>(Picture{art, artSize(art)});
}

VisualControl& visual(VisualRef control)
{
    return *std::visit([](auto* c) -> VisualControl* { return c; }, control);
}

Control::Control(std::string name, int index) : name_(std::move(name)), index_(index)
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
    assign(left_, left);
}

void VisualControl::setTop(int top)
{
    assign(top_, top);
}

void VisualControl::setVisible(bool visible)
{
    assign(visible_, visible);
}

void VisualControl::setEnabled(bool enabled)
{
    assign(enabled_, enabled);
}

void VisualControl::setGeometry(int left, int top, int width, int height)
{
    if (left_ == left && top_ == top && width_ == width && height_ == height)
        return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    changed();
}

void VisualControl::resize(int width, int height)
{
    setGeometry(left_, top_, width, height);
}

// One notice for the new picture and, with it, the new size.
void PictureBox::setPicture(PictureRef picture)
{
    if (picture_ == picture)
        return;
    picture_ = std::move(picture);
    if (picture_ && (width() != picture_->size.width || height() != picture_->size.height))
        resize(picture_->size.width, picture_->size.height);
    else
        changed();
}

void Timer::setEnabled(bool enabled)
{
    // Enabled = True on a running timer keeps its countdown going.
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    changed();
}

void Timer::setInterval(int milliseconds)
{
    if (milliseconds < 0)
        throw std::invalid_argument(displayName() + ": a timer's interval cannot be negative");
    // Even the same interval starts the countdown again: the listener
    // (the clock) restarts on every notice.
    interval_ = milliseconds;
    changed();
}

void Timer::tick() const
{
    if (handler_)
        handler_();
}

} // namespace pelmora
