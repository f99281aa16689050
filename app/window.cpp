#include "window.h"

#include "art.h"
#include "fonts.h"
#include "scaling.h"
#include "trace.h"
#include "widgets.h"

#include <QApplication>
#include <QKeyEvent>
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

// The same colours enabled or not: the question stays magenta while its box
// is disabled.
void setColours(QWidget& widget, QPalette::ColorRole text, Color fore, Color back)
{
    QPalette palette = widget.palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, text, qtColor(fore));
        palette.setColor(group, QPalette::Base, qtColor(back));
        palette.setColor(group, QPalette::Window, qtColor(back));
    }
    widget.setPalette(palette);
}

} // namespace

Window::Window(Form1& form, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | (Form1::kMinButton ? Qt::WindowMinimizeButtonHint : Qt::Widget)
                          | (Form1::kMaxButton ? Qt::WindowMaximizeButtonHint : Qt::Widget)),
      form_(form), stage_(new QWidget(this))
{
    setWindowTitle(QString::fromLatin1(Form1::kCaption));
    setFixedSize(Form1::kClientWidth, Form1::kClientHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(qtFont(form_.font));
    stage_->setGeometry(0, 0, Form1::kClientWidth, Form1::kClientHeight);
    onScale([this] { stage_->setFont(qtFont(form_.font, scale_)); });

    // Stack back to front: a later sibling is drawn over an earlier one and
    // gets the click where they overlap.
    const auto order = form_.stackingOrder();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        QWidget* widget = std::visit([this](auto* model) { return bind(*model); }, *it);
        widgets_[&visual(*it)] = widget;
        widget->raise();
    }

    if (trace::enabled()) {
        widgets_.at(&form_.YES)->installEventFilter(this);
        widgets_.at(&form_.No)->installEventFilter(this);
    }

    const auto tabs = form_.tabOrder();
    for (std::size_t i = 1; i < tabs.size(); ++i)
        setTabOrder(widgets_.at(tabs[i - 1]), widgets_.at(tabs[i]));

    bind(form_.Timer1, "Timer1_Timer");
    bind(form_.Timer2, "Timer2_Timer");
    bind(form_.Timer3, "Timer3_Timer");

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

// Shows the model's state in the view now and after each change: its
// contents through `update`, then its place, enabling and visibility.
template <typename Model, typename View, typename Update>
View* Window::follow(Model& model, View* view, Update update)
{
    auto mirror = [this, &model, view, update] {
        update(model, *view);
        view->setGeometry(scaledRect(model.left(), model.top(), model.width(), model.height(), scale_));
        view->setEnabled(model.enabled());
        view->setVisible(model.visible());
    };
    model.setListener(mirror);
    onScale(mirror);
    return view;
}

QWidget* Window::bind(CommandButton& model)
{
    auto* button = new QPushButton(stage_);
    button->setFocusPolicy(Qt::TabFocus);
    const auto index = static_cast<std::int16_t>(model.index());
    answerButtons_.at(static_cast<std::size_t>(index)) = button;
    connect(button, &QPushButton::clicked, this, [this, index] {
        trace::event("click", std::to_string(index));
        run("Answer_Click", [this, index] { form_.clickAnswer(index); });
    });
    return follow(model, button, [](const CommandButton& m, QPushButton& view) {
        view.setText(qtText(m.caption()));
    });
}

QWidget* Window::bind(TextBox& model)
{
    auto* box = new QuestionBox(stage_);
    setColours(*box, QPalette::Text, model.foreColor, model.backColor);
    box->setAutoFillBackground(true);
    onScale([this, &model, box] {
        if (model.font)
            box->setFont(qtFont(*model.font, scale_));
        box->setScale(scale_);
    });
    return follow(model, box, [](const TextBox& m, QuestionBox& view) {
        const QString text = qtText(m.text());
        if (view.toPlainText() != text)
            view.setPlainText(text);
    });
}

QWidget* Window::bind(Label& model)
{
    auto* label = new QLabel(stage_);
    setColours(*label, QPalette::WindowText, model.foreColor, model.backColor);
    label->setAutoFillBackground(model.opaque);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setTextFormat(Qt::PlainText);
    if (model.font)
        onScale([this, &model, label] { label->setFont(qtFont(*model.font, scale_)); });
    return follow(model, label, [](const Label& m, QLabel& view) { view.setText(qtText(m.caption())); });
}

QWidget* Window::bind(PictureBox& model)
{
    auto* view = new PictureView(stage_);
    onScale([this, view] { view->setScale(scale_); });
    return follow(model, view, [](const PictureBox& m, PictureView& v) { v.setPicture(m.picture()); });
}

void Window::onScale(std::function<void()> apply)
{
    apply();
    relayout_.push_back(std::move(apply));
}

void Window::bind(Timer& model, const char* handler)
{
    auto* qtimer = new QTimer(this);
    qtimer->setTimerType(Qt::PreciseTimer);
    connect(qtimer, &QTimer::timeout, this, [this, &model, handler] {
        traceTick(model, handler);
        run(handler, [&model] { model.tick(); });
    });
    timers_[&model] = qtimer;
    model.setListener([this, &model] { mirror(model); });
    mirror(model);
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
    QPainter(this).fillRect(rect(), qtColor(Form1::kBackColor));
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
    const double scale = fullScreen_ ? fitScale(design, size()) : 1.0;
    stage_->setGeometry(fittedRect(design, size(), scale));
    if (scale == scale_)
        return;
    scale_ = scale;
    for (const auto& apply : relayout_)
        apply();
}

QRect Window::stageGeometry() const
{
    return stage_->geometry();
}

void Window::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layOut();
}

void Window::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && key >= Qt::Key_0 && key <= Qt::Key_9) {
        // A key held down answers once.
        if (!event->isAutoRepeat())
            pressAnswer(key == Qt::Key_0 ? 9 : static_cast<std::size_t>(key - Qt::Key_1));
    } else if (plain && key == Qt::Key_F11) {
        setFullScreen(!fullScreen_);
    } else if (plain && key == Qt::Key_Escape && fullScreen_) {
        setFullScreen(false);
    } else if (plain && key == Qt::Key_M && onMusicKey) {
        if (!event->isAutoRepeat())
            onMusicKey();
    } else {
        QWidget::keyPressEvent(event);
    }
}

// The button's own click: nothing happens while the button is disabled, and
// the same handler runs with the same index as for the mouse.
void Window::pressAnswer(std::size_t index)
{
    answerButtons_.at(index)->click();
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
