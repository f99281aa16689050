#pragma once

#include "form1.h"

#include <QWidget>

#include <array>
#include <chrono>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QPushButton;
class QTimer;

namespace pelmora {

// The Qt face of Form1: one widget per control, placed in pixels and stacked
// as defined, one QTimer per timer. A click or a tick calls the bound
// handler and nothing else; an error escaping a handler stops here.
//
// The controls stand on a stage of the window's design size. Full screen,
// the stage and everything on it is laid out again larger, by one factor,
// centred on white; the quiz sees none of it. The number keys press the
// answer buttons, F11 switches full screen on and off, Esc leaves it.
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
    // Called on the M key: the music off or on again.
    std::function<void()> onMusicKey;

    QWidget* widgetFor(const VisualControl& control) const;
    QTimer* timerFor(const Timer& timer) const;

    // Shows the window full screen, or back in its own size and place.
    void setFullScreen(bool fullScreen);
    bool fullScreen() const { return fullScreen_; }
    // How much larger than designed the controls are drawn: 1 in the window.
    double scale() const { return scale_; }
    // The rectangle the controls take up, in the window's coordinates.
    QRect stageGeometry() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
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
    void layOut();
    void onScale(std::function<void()> apply);
    void pressAnswer(std::size_t index);

    Form1& form_;
    QWidget* stage_;
    double scale_ = 1.0;
    bool fullScreen_ = false;
    QPoint windowedPosition_;
    // Everything that changes with the scale, run again when it does.
    std::vector<std::function<void()>> relayout_;
    std::map<const VisualControl*, QWidget*> widgets_;
    std::array<QPushButton*, 10> answerButtons_{};
    std::map<const Timer*, QTimer*> timers_;
    ErrorReporter reporter_ = &Window::reportAndQuit;
    bool failed_ = false;
    bool firstFramePainted_ = false;
    std::map<const Timer*, std::chrono::steady_clock::time_point> startedAt_;
};

} // namespace pelmora
