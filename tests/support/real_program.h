// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The real program under an X server of its own, driven by xdotool and
// watched through screenshots, with its sound going to SDL's disk driver.

#include "measures.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>

using Display = struct _XDisplay;

namespace pelmora::e2e {

// How much longer everything takes in a build with the sanitizers: deadlines
// are multiplied by it, so that a slow machine never fails a test.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int kSlowdown = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr int kSlowdown = 4;
#else
inline constexpr int kSlowdown = 1;
#endif
#else
inline constexpr int kSlowdown = 1;
#endif

// A generous deadline: long enough on a loaded machine, short enough that a
// hang ends the test.
constexpr int deadline(int milliseconds)
{
    return milliseconds * kSlowdown;
}

// Asks `done` every `stepMs` until it holds; false once `timeoutMs` have
// passed without.
bool waitUntil(const std::function<bool()>& done, int timeoutMs, int stepMs = 50);

// A tool run to its end, on an X display if one is given.
struct ToolRun {
    bool ok = false; // ended by itself with status 0
    QByteArray output;
    QByteArray errors;
};
ToolRun runTool(const QString& tool, const QStringList& arguments, int timeoutMs = deadline(10000),
                const QString& display = {});

// An X server of its own, on a display nobody else uses, answering before
// the constructor returns.
class Xvfb {
public:
    explicit Xvfb(QSize screen = {1024, 768});
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool ok() const { return connection_ != nullptr; }
    const QString& display() const { return display_; }
    // Why the server is not ok, with what it said.
    const QString& error() const { return error_; }

private:
    bool answers();

    QProcess process_;
    QString display_;
    QString error_;
    // Held for the server's whole life, see answers().
    Display* connection_ = nullptr;
};

// How to start the program.
struct Launch {
    QStringList arguments{};   // its command line
    QStringList environment{}; // NAME=value, beside the harness's own
    bool trace = false;      // write its trace points to tracePath()
    bool keepErrors = false; // keep its standard error for errors(), not pass it on
    bool waitForWindow = true;
    QString windowName = QStringLiteral("Pelmora");
    QSize screen{1024, 768}; // of its own X server
};

class RealProgram {
public:
    // Starts an X server of its own, then the program; waits for its window.
    explicit RealProgram(const QString& program, Launch launch = {});
    // The same on a server that outlives the program.
    RealProgram(const Xvfb& server, const QString& program, Launch launch = {});
    ~RealProgram();
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    bool ok() const { return error_.isEmpty(); }
    const QString& error() const { return error_; }

    // The window's client area, as a person sees it.
    QImage screenshot() const;
    // Polls the screen until the test holds; false after the timeout.
    bool waitFor(const std::function<bool(const QImage&)>& test, int timeoutMs, QImage* last = nullptr) const;
    // A left click at a point of the client area.
    void click(int x, int y) const;
    // A key pressed in the window, the window given the keyboard first.
    bool press(const QString& key) const;

    // Milliseconds since the program was started.
    qint64 elapsed() const { return clock_.elapsed(); }
    // The raw sound output so far (signed 16-bit stereo at 44100 Hz).
    QByteArray audio() const;
    // Waits until the sound output holds at least this many seconds, a
    // quarter of them audible; false if the program ends first or the
    // timeout passes.
    bool waitForSound(double seconds, int timeoutMs) const;
    // Waits for a trace point written at or after a steady-clock time in µs,
    // its detail starting with the given text.
    std::optional<TraceEvent> waitForTrace(const QString& name, qint64 afterUs, int timeoutMs,
                                           const QString& detail = {}) const;

    // Sends a signal; returns the milliseconds until the program ended, or -1.
    qint64 terminate(int signal = 15);
    // Asks the window to close, as its title bar's close button does;
    // returns the milliseconds until the program ended, or -1.
    qint64 closeWindow();
    bool running() const { return program_.state() != QProcess::NotRunning; }
    // How the program ended: a normal exit with its code, or a crash.
    bool exitedNormally() const { return program_.exitStatus() == QProcess::NormalExit; }
    int exitCode() const { return program_.exitCode(); }
    QString tempPath(const QString& name) const { return dir_.filePath(name); }
    QString audioPath() const { return tempPath(QStringLiteral("audio.raw")); }
    QString tracePath() const { return tempPath(QStringLiteral("trace.txt")); }
    // What it wrote to standard error so far, where kept.
    QString errors() const;
    // The steady-clock time, in µs, just before the program was started.
    qint64 startedAtUs() const { return startedAtUs_; }
    qint64 pid() const { return program_.processId(); }
    const QString& display() const { return display_; }

private:
    void start(const Xvfb& server, const QString& program, const Launch& launch);
    qint64 waitForEnd();
    void waitForFirstFrame() const;
    void findWindow(const QString& name);
    ToolRun xdotool(const QStringList& arguments) const;

    QTemporaryDir dir_;
    std::unique_ptr<Xvfb> ownServer_;
    QProcess program_;
    QString display_;
    QString windowId_;
    QString error_;
    QElapsedTimer clock_;
    qint64 startedAtUs_ = 0;
};

} // namespace pelmora::e2e
