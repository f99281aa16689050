// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "window.h"

#include "art.h"
#include "fonts.h"
#include "scaling.h"
#include "stage.h"
#include "timer_bridge.h"
#include "voice.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace pelmora {

Window::Window(Form1& form, int stretch, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | (Form1::kMinButton ? Qt::WindowMinimizeButtonHint : Qt::Widget)
                          | (Form1::kMaxButton ? Qt::WindowMaximizeButtonHint : Qt::Widget)),
      form_(form), pace_(stretch)
{
    setWindowTitle(QString::fromLatin1(Form1::kCaption));
    setFixedSize(Form1::kClientWidth, Form1::kClientHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(qtFont(form_.font));
    stage_ = new Stage(form_, this);
    stage_->onTextShown = [this](const std::string& text) {
        if (voice_ && (readAloud_ || text.empty()))
            voice_->speak(text);
    };

    for (std::size_t i = 0; i < form_.Answer.size(); ++i) {
        const auto index = static_cast<std::int16_t>(i);
        connect(stage_->button(form_.Answer[i]), &QPushButton::clicked, this, [this, index] {
            if (probe_)
                probe_->clicked(index);
            run("Answer_Click", [this, index] { form_.clickAnswer(index); });
        });
    }

    for (auto [timer, handler] : {std::pair{&form_.Timer1, "Timer1_Timer"}, std::pair{&form_.Timer2, "Timer2_Timer"},
                                  std::pair{&form_.Timer3, "Timer3_Timer"}}) {
        pace_.follow(*timer, waitOf(form_, *timer));
        timers_.push_back(new TimerBridge(*timer, pace_, [this, handler](const TimerBridge& bridge) {
            if (probe_)
                probe_->due(bridge, handler);
            run(handler, [&bridge] { bridge.model().tick(); });
        }, this));
    }

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void Window::load()
{
    run("Form_Load", [this] { form_.load(); });
}

void Window::run(const char* handler, const std::function<void()>& body)
{
    if (failed_)
        return;
    try {
        body();
    } catch (const std::exception& error) {
        failed_ = true;
        for (TimerBridge* timer : timers_)
            timer->halt();
        reporter_(handler, error);
    }
}

void Window::reportAndQuit(const std::string& handler, const std::exception& error)
{
    std::fprintf(stderr, "pelmora: unhandled error in %s: %s\n", handler.c_str(), error.what());
    QMessageBox::critical(nullptr, QString::fromLatin1(Form1::kCaption),
                          QStringLiteral("%1 で処理できないエラーが発生しました。\n\n%2")
                              .arg(QString::fromStdString(handler), QString::fromUtf8(error.what())));
    // Leaves the event loop, or, before it runs, tells main() through failed().
    QCoreApplication::exit(1);
}

void Window::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), QColor(Form1::kBackColor.red, Form1::kBackColor.green, Form1::kBackColor.blue));
    if (!firstFramePainted_) {
        firstFramePainted_ = true;
        // Runs once the frame being painted has gone to the screen.
        QTimer::singleShot(0, this, &Window::afterFirstFrame);
    }
}

void Window::afterFirstFrame()
{
    if (probe_)
        probe_->firstFrame();
    // Reading the icon's pictures need not hold up the first frame.
    setWindowIcon(appIcon());
    if (onFirstFrame)
        onFirstFrame();
}

void Window::setFullScreen(bool fullScreen)
{
    if (fullScreen == fullScreen_ && isVisible())
        return;
    fullScreen_ = fullScreen;
    if (fullScreen) {
        windowedPosition_ = pos();
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        showFullScreen();
        // With no window manager to do it, nobody else gives the window the
        // whole screen.
        if (QScreen* screen = this->screen())
            setGeometry(screen->geometry());
    } else {
        showNormal();
        setFixedSize(Form1::kClientWidth, Form1::kClientHeight);
        move(windowedPosition_);
    }
    layOut();
}

void Window::layOut()
{
    const QSize design(Form1::kClientWidth, Form1::kClientHeight);
    stage_->fit(size(), fullScreen_ ? fitScale(design, size()) : 1.0);
}

void Window::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void Window::setPaused(bool paused)
{
    const Pace::Millis now = TimerBridge::now();
    if (paused)
        pace_.pause(now);
    else
        pace_.resume(now);
    for (TimerBridge* timer : timers_)
        timer->follow();
    setWindowTitle(paused ? QStringLiteral("%1（いちじていし）").arg(QLatin1String(Form1::kCaption))
                          : QString::fromLatin1(Form1::kCaption));
}

std::string Window::textOnScreen() const
{
    if (!form_.Mondai.text().empty())
        return form_.Mondai.text();
    return form_.Label1.visible() ? form_.Label1.caption() : std::string();
}

void Window::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && key >= Qt::Key_0 && key <= Qt::Key_9) {
        // The button's own click, so a disabled button does nothing and the
        // mouse's handler runs with the same index. A key held down answers once.
        if (!event->isAutoRepeat())
            stage_->button(form_.Answer.at(key == Qt::Key_0 ? 9 : static_cast<std::size_t>(key - Qt::Key_1)))->click();
    } else if (plain && key == Qt::Key_F11) {
        setFullScreen(!fullScreen_);
    } else if (plain && key == Qt::Key_Escape && fullScreen_) {
        setFullScreen(false);
    } else if (plain && key == Qt::Key_M && onMusicKey) {
        if (!event->isAutoRepeat())
            onMusicKey();
    } else if (plain && (key == Qt::Key_Pause || key == Qt::Key_P)) {
        if (!event->isAutoRepeat())
            setPaused(!paused());
    } else if (plain && key == Qt::Key_R && voice_) {
        if (const std::string text = textOnScreen(); !text.empty() && !event->isAutoRepeat())
            voice_->speak(text);
    } else {
        QWidget::keyPressEvent(event);
    }
}

} // namespace pelmora
