// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "form1.h"
#include "pace.h"

#include <QWidget>

#include <exception>
#include <functional>
#include <string>
#include <vector>

namespace pelmora {

class Stage;
class TimerBridge;
class Voice;

// Told of each event before its handler runs, and of the first frame; main
// installs one only when the events are traced.
class EventProbe {
public:
    virtual ~EventProbe() = default;
    virtual void clicked(std::int16_t index) = 0;
    virtual void due(const TimerBridge& timer, const char* handler) = 0;
    virtual void firstFrame() = 0;
};

// The window around the stage. A click or a tick calls the bound handler and
// nothing else; an error escaping a handler stops here. The number keys press
// the answer buttons, F11 switches full screen on and off, Esc leaves it.
// Pause or P holds the quiz where it stands, and lets it go on again. R reads
// the question or the score on screen aloud.
class Window : public QWidget {
public:
    // Called with the handler's name and the error that escaped it.
    using ErrorReporter = std::function<void(const std::string& handler, const std::exception& error)>;

    // The waits the child sees last `stretch` times as long (see Pace).
    explicit Window(Form1& form, int stretch = Pace::kPlain, QWidget* parent = nullptr);

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
    void setProbe(EventProbe* probe) { probe_ = probe; }
    // The voice that R speaks with; with `readAloud`, each question and the
    // score are spoken as they appear too. A question leaving the screen
    // stops the voice.
    void setVoice(Voice* voice, bool readAloud)
    {
        voice_ = voice;
        readAloud_ = readAloud;
    }

    const Stage& stage() const { return *stage_; }

    // Shows the window full screen, or back in its own size and place.
    void setFullScreen(bool fullScreen);

    // Holds the scene or the mark on screen, its countdown kept, or lets the
    // quiz go on with what was left. Nothing on screen changes; only the
    // title says so.
    void setPaused(bool paused);
    bool paused() const { return pace_.paused(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void run(const char* handler, const std::function<void()>& body);
    static void reportAndQuit(const std::string& handler, const std::exception& error);
    void afterFirstFrame();
    void layOut();
    // The question, or else the score, now on screen; empty in a scene or a mark.
    std::string textOnScreen() const;

    Form1& form_;
    Pace pace_;
    Stage* stage_;
    std::vector<TimerBridge*> timers_;
    bool fullScreen_ = false;
    QPoint windowedPosition_;
    ErrorReporter reporter_ = &Window::reportAndQuit;
    EventProbe* probe_ = nullptr;
    Voice* voice_ = nullptr;
    bool readAloud_ = false;
    bool failed_ = false;
    bool firstFramePainted_ = false;
};

} // namespace pelmora
