#include "widgets.h"

#include "art.h"

#include <QHash>
#include <QPainter>
#include <QScrollBar>

namespace pelmora {

namespace {

// Slots and templates share a picture, so they share its rendering too.
const QImage& cachedArt(Art art, qreal devicePixelRatio)
{
    static QHash<QPair<int, qreal>, QImage> cache;
    const auto key = qMakePair(static_cast<int>(art), devicePixelRatio);
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, renderArt(art, devicePixelRatio));
    return *it;
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

void PictureView::paintEvent(QPaintEvent*)
{
    if (!picture_)
        return;
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), cachedArt(picture_->art, devicePixelRatioF()));
}

QuestionBox::QuestionBox(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document()->setDocumentMargin(0);
    setViewportMargins(4, 1, 2, 0);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::NoContextMenu);
}

} // namespace pelmora
