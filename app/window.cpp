#include "window.h"

#include "art.h"
#include "fonts.h"
#include "trace.h"
#include "widgets.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <chrono>
#include <cstdio>

namespace pelmora {

namespace {

QColor qtColor(Color c)
{
    return QColor(c.red, c.green, c.blue);
}

QString qtText(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

Window::Window(Form1& form, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      form_(form)
{
    setWindowTitle(QString::fromLatin1(Form1::kCaption));
    setFixedSize(Form1::kClientWidth, Form1::kClientHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(qtFont(form_.font));

    // Stack back to front: a later sibling is drawn over an earlier one and
    // gets the click where they overlap.
    const auto order = form_.stackingOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        QWidget* widget = createWidget(**it);
        widgets_[*it] = widget;
        widget->raise();
        VisualControl* control = *it;
        control->setListener([this, control] { mirror(*control); });
        mirror(*control);
    }

    if (trace::enabled()) {
        widgets_.at(&form_.YES)->installEventFilter(this);
        widgets_.at(&form_.No)->installEventFilter(this);
    }

    const auto tabs = form_.tabOrder();
    for (std::size_t i = 1; i < tabs.size(); ++i)
        setTabOrder(widgets_.at(tabs[i - 1]), widgets_.at(tabs[i]));

    static const char* const kHandlers[] = {"Timer1_Timer", "Timer2_Timer", "Timer3_Timer"};
    int n = 0;
    for (Timer* timer : form_.timers()) {
        auto* qtimer = new QTimer(this);
        qtimer->setTimerType(Qt::PreciseTimer);
        const char* handler = kHandlers[n++];
        connect(qtimer, &QTimer::timeout, this, [this, timer, handler] {
            traceTick(*timer, handler);
            run(handler, [timer] { timer->tick(); });
        });
        timers_[timer] = qtimer;
        timer->setListener([this, timer] { mirror(*timer); });
        mirror(*timer);
    }

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QWidget* Window::createWidget(VisualControl& control)
{
    switch (control.kind()) {
    case Control::Kind::CommandButton: {
        auto& model = static_cast<CommandButton&>(control);
        auto* button = new QPushButton(qtText(model.caption()), this);
        button->setFocusPolicy(Qt::TabFocus);
        const auto index = static_cast<std::int16_t>(model.index());
        connect(button, &QPushButton::clicked, this, [this, index] {
            trace::event("click", std::to_string(index));
            run("Answer_Click", [this, index] { form_.clickAnswer(index); });
        });
        return button;
    }
    case Control::Kind::TextBox: {
        auto& model = static_cast<TextBox&>(control);
        auto* box = new QuestionBox(this);
        QPalette palette = box->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::Text, qtColor(model.foreColor));
            palette.setColor(group, QPalette::Base, qtColor(model.backColor));
            palette.setColor(group, QPalette::Window, qtColor(model.backColor));
        }
        box->setPalette(palette);
        box->setAutoFillBackground(true);
        if (model.font)
            box->setFont(qtFont(*model.font));
        return box;
    }
    case Control::Kind::Label: {
        auto& model = static_cast<Label&>(control);
        auto* label = new QLabel(this);
        QPalette palette = label->palette();
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            palette.setColor(group, QPalette::WindowText, qtColor(model.foreColor));
            palette.setColor(group, QPalette::Window, qtColor(model.backColor));
        }
        label->setPalette(palette);
        label->setAutoFillBackground(model.opaque);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(false);
        label->setTextFormat(Qt::PlainText);
        if (model.font)
            label->setFont(qtFont(*model.font));
        return label;
    }
    case Control::Kind::PictureBox:
    case Control::Kind::Timer:
        break;
    }
    return new PictureView(this);
}

void Window::mirror(VisualControl& control)
{
    QWidget* widget = widgets_.at(&control);
    switch (control.kind()) {
    case Control::Kind::CommandButton:
        static_cast<QPushButton*>(widget)->setText(qtText(static_cast<CommandButton&>(control).caption()));
        break;
    case Control::Kind::TextBox: {
        auto* box = static_cast<QuestionBox*>(widget);
        const QString text = qtText(static_cast<TextBox&>(control).text());
        if (box->toPlainText() != text)
            box->setPlainText(text);
        break;
    }
    case Control::Kind::Label:
        static_cast<QLabel*>(widget)->setText(qtText(static_cast<Label&>(control).caption()));
        break;
    case Control::Kind::PictureBox:
        static_cast<PictureView*>(widget)->setPicture(static_cast<PictureBox&>(control).picture());
        break;
    case Control::Kind::Timer:
        break;
    }
    widget->setGeometry(control.left(), control.top(), control.width(), control.height());
    widget->setEnabled(control.enabled());
    widget->setVisible(control.visible());
}

void Window::mirror(Timer& timer)
{
    QTimer* qtimer = timers_.at(&timer);
    if (timer.running() && !failed_) {
        qtimer->start(timer.interval());
        startedAt_[&timer] = std::chrono::steady_clock::now();
    } else {
        qtimer->stop();
    }
}

QWidget* Window::widgetFor(const VisualControl& control) const
{
    return widgets_.at(&control);
}

QTimer* Window::timerFor(const Timer& timer) const
{
    return timers_.at(&timer);
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
        for (auto& [timer, qtimer] : timers_)
            qtimer->stop();
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

void Window::traceTick(const Timer& timer, const char* handler)
{
    if (!trace::enabled())
        return;
    // How late this tick is against the countdown's own beat.
    const auto started = startedAt_[&timer];
    const auto since = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started).count();
    const long long interval = timer.interval() * 1000LL;
    const long long late = since - (since + interval / 2) / interval * interval;
    trace::event("tick", std::string(handler) + " " + std::to_string(late));
}

void Window::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), QColor(255, 255, 255));
    if (!firstFramePainted_) {
        firstFramePainted_ = true;
        // Runs once the frame being painted has gone to the screen.
        QTimer::singleShot(0, this, &Window::afterFirstFrame);
    }
}

void Window::afterFirstFrame()
{
    trace::event("first-frame");
    // What the first frame need not wait for.
    setWindowIcon(appIcon());
    warnAboutMissingFonts();
    if (onFirstFrame)
        onFirstFrame();
}

bool Window::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && trace::enabled()) {
        const char* mark = watched == widgetFor(form_.YES) ? "YES" : "No";
        QTimer::singleShot(0, this, [mark] { trace::event("mark-painted", mark); });
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pelmora
