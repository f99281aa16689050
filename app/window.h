#pragma once

#include "form1.h"

#include <QWidget>

#include <chrono>
#include <exception>
#include <functional>
#include <map>
#include <string>

class QTimer;

namespace pelmora {

// The Qt face of Form1: one widget per control, placed in pixels and stacked
// as defined, one QTimer per timer. A click or a tick calls the bound
// handler and nothing else; an error escaping a handler stops here.
class Window : public QWidget {
public:
    // Called with the handler's name and the error that escaped it.
    using ErrorReporter = std::function<void(const std::string& handler, const std::exception& error)>;

    explicit Window(Form1& form, QWidget* parent = nullptr);

    // Raises the Load event; call it before the window is first shown.
    void load();

    // Replaces the default report (standard error, a message box, exit 1).
    void setErrorReporter(ErrorReporter reporter) { reporter_ = std::move(reporter); }
    // Whether a handler has failed; from then on no event reaches the quiz.
    bool failed() const { return failed_; }

    // Runs once, when the first frame is on screen: the place for work that
    // the child need not wait for.
    std::function<void()> onFirstFrame;

    QWidget* widgetFor(const VisualControl& control) const;
    QTimer* timerFor(const Timer& timer) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One widget per kind of control, each mirroring its own model.
    QWidget* bind(CommandButton& model);
    QWidget* bind(TextBox& model);
    QWidget* bind(Label& model);
    QWidget* bind(PictureBox& model);
    void bind(Timer& model, const char* handler);
    template <typename Model, typename View, typename Update>
    View* follow(Model& model, View* view, Update update);
    void mirror(Timer& timer);
    void run(const char* handler, const std::function<void()>& body);
    static void reportAndQuit(const std::string& handler, const std::exception& error);
    void traceTick(const Timer& timer, const char* handler);
    void afterFirstFrame();

    Form1& form_;
    std::map<const VisualControl*, QWidget*> widgets_;
    std::map<const Timer*, QTimer*> timers_;
    ErrorReporter reporter_ = &Window::reportAndQuit;
    bool failed_ = false;
    bool firstFramePainted_ = false;
    std::map<const Timer*, std::chrono::steady_clock::time_point> startedAt_;
};

} // namespace pelmora
