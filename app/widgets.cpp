// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "widgets.h"

#include "art.h"
#include "scaling.h"

#include <QPainter>
#include <QScrollBar>

#include <map>
#include <tuple>

namespace pelmora {

namespace {

// Slots and templates share a picture, so they share its rendering too. At a
// scale the picture is drawn anew with that many more device pixels, and
// then blitted 1:1, never enlarged.
const QImage& cachedArt(Art art, qreal devicePixelRatio, double scale)
{
    static std::map<std::tuple<int, qreal, double>, QImage> cache;
    const auto key = std::make_tuple(static_cast<int>(art), devicePixelRatio, scale);
    auto it = cache.find(key);
    if (it == cache.end()) {
        QImage image = renderArt(art, devicePixelRatio * scale);
        image.setDevicePixelRatio(devicePixelRatio);
        it = cache.emplace(key, std::move(image)).first;
    }
    return it->second;
}

} // namespace

PictureView::PictureView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void PictureView::setPicture(PictureRef picture)
{
    picture_ = std::move(picture);
    setAttribute(Qt::WA_OpaquePaintEvent, picture_ != nullptr);
    update();
}

void PictureView::setScale(double scale)
{
    if (scale_ == scale)
        return;
    scale_ = scale;
    update();
}

void PictureView::paintEvent(QPaintEvent*)
{
    if (!picture_)
        return;
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), cachedArt(picture_->art, devicePixelRatioF(), scale_));
}

QuestionBox::QuestionBox(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(0);
    setScale(1.0);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
}

void QuestionBox::setScale(double scale)
{
    setLineWidth(std::max(1, scaledEdge(1, scale)));
    setViewportMargins(scaledEdge(4, scale), scaledEdge(1, scale), scaledEdge(2, scale), 0);
}

} // namespace pelmora
