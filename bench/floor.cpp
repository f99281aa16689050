// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// The floor the benchmarks measure Pelmora against: a plain Qt Widgets
// window of the same size with the same kinds of widgets and text (a
// Japanese question in IPAGothic in a text box, ten buttons, a label, a few
// pictures) and no sound. Whatever Pelmora costs beyond this is its own.
//
// With PELMORA_TRACE set it writes the trace points Pelmora writes: its first
// frame, each click, the repaint of the picture a click changes, and how
// late each tick of a precise one-second timer comes.

#include "trace.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <functional>
#include <string>

namespace {

QPixmap drawn(QSize size, qreal ratio, const std::function<void(QPainter&, QSizeF)>& draw)
{
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, QSizeF(size));
    return pixmap;
}

QPixmap tree(qreal ratio)
{
    return drawn({86, 140}, ratio, [](QPainter& p, QSizeF s) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 140, 49));
        p.drawPolygon(QPolygonF({{s.width() / 2, 4}, {s.width() - 4, s.height() - 30}, {4, s.height() - 30}}));
        p.setBrush(QColor(120, 70, 20));
        p.drawRect(QRectF(s.width() / 2 - 8, s.height() - 30, 16, 26));
    });
}

QPixmap figure(qreal ratio)
{
    return drawn({100, 112}, ratio, [](QPainter& p, QSizeF s) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(214, 0, 0));
        p.drawEllipse(QRectF(10, 40, s.width() - 20, s.height() - 44));
        p.setBrush(QColor(255, 220, 190));
        p.drawEllipse(QRectF(30, 8, 40, 40));
    });
}

QPixmap mark(qreal ratio, bool circle)
{
    return drawn({302, 339}, ratio, [circle](QPainter& p, QSizeF s) {
        p.setPen(QPen(circle ? QColor(224, 32, 64) : QColor(255, 0, 0), 24, Qt::SolidLine, Qt::RoundCap));
        if (circle) {
            p.drawEllipse(QRectF(30, 40, s.width() - 60, s.width() - 60));
        } else {
            p.drawLine(QPointF(40, 60), QPointF(s.width() - 40, s.height() - 60));
            p.drawLine(QPointF(s.width() - 40, 60), QPointF(40, s.height() - 60));
        }
    });
}

class FloorWindow : public QWidget {
public:
    FloorWindow()
    {
        setWindowTitle(QStringLiteral("Floor"));
        setFixedSize(639, 624);
        setAutoFillBackground(true);
        setPalette(QPalette(Qt::white));
        const qreal ratio = devicePixelRatioF();

        for (int i = 0; i < 8; ++i)
            picture(tree(ratio), {i < 4 ? 0 : 544, 136 * (i % 4)});
        picture(figure(ratio), {100, 150});
        picture(figure(ratio), {380, 200});

        auto* question = new QTextEdit(this);
        question->setGeometry(104, 0, 409, 121);
        QFont gothic(QStringLiteral("IPAGothic"));
        gothic.setPixelSize(36);
        question->setFont(gothic);
        question->setTextColor(QColor(255, 0, 255));
        question->setPlainText(QStringLiteral("サンタさんは、何人いましたか？"));
        question->setEnabled(false);

        auto* label = new QLabel(QStringLiteral("20もんのうち 18もんせいかい"), this);
        label->setGeometry(84, 256, 469, 46);
        QFont bold(QStringLiteral("IPAGothic"));
        bold.setPixelSize(27);
        bold.setBold(true);
        label->setFont(bold);
        label->setStyleSheet(QStringLiteral("color: red"));

        circle_ = mark(ratio, true);
        cross_ = mark(ratio, false);
        mark_ = new QLabel(this);
        mark_->setGeometry(144, 89, 302, 339);
        mark_->hide();
        mark_->installEventFilter(this);

        QFont small = font();
        small.setPixelSize(11);
        small.setBold(true);
        for (int i = 0; i < 10; ++i) {
            auto* button = new QPushButton(QString::number(i + 1), this);
            button->setGeometry(112 + 40 * i, 520, 41, 50);
            button->setFont(small);
            connect(button, &QPushButton::clicked, this, [this, i] { clicked(i); });
        }

        ticker_.setTimerType(Qt::PreciseTimer);
        connect(&ticker_, &QTimer::timeout, this, [this] { tick(); });
        ticker_.start(kTickMs);
        sinceStart_.start();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QWidget::paintEvent(event);
        if (!firstFrame_) {
            firstFrame_ = true;
            QTimer::singleShot(0, this, [] { pelmora::trace::event("first-frame"); });
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == mark_ && event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [] { pelmora::trace::event("mark-painted"); });
        return QWidget::eventFilter(watched, event);
    }

private:
    static constexpr int kTickMs = 1000;

    void picture(const QPixmap& pixmap, QPoint at)
    {
        auto* view = new QLabel(this);
        view->setPixmap(pixmap);
        view->setGeometry(QRect(at, pixmap.deviceIndependentSize().toSize()));
    }

    void clicked(int index)
    {
        pelmora::trace::event("click", std::to_string(index));
        circleShown_ = !circleShown_;
        mark_->setPixmap(circleShown_ ? circle_ : cross_);
        mark_->show();
    }

    void tick()
    {
        const qint64 since = sinceStart_.nsecsElapsed() / 1000;
        const qint64 interval = kTickMs * 1000LL;
        const qint64 late = since - (since + interval / 2) / interval * interval;
        pelmora::trace::event("tick", "Ticker " + std::to_string(late));
    }

    QLabel* mark_ = nullptr;
    QPixmap circle_, cross_;
    bool circleShown_ = false;
    bool firstFrame_ = false;
    QTimer ticker_;
    QElapsedTimer sinceStart_;
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    FloorWindow window;
    window.show();
    return QApplication::exec();
}
