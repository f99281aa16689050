#pragma once

// The real program under its own Xvfb, driven by xdotool and watched through
// screenshots, with its sound going to SDL's disk driver.

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <functional>

namespace pelmora::e2e {

// An X server of its own, on a display nobody else uses.
class Xvfb {
public:
    Xvfb();
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool ok() const { return !display_.isEmpty(); }
    const QString& display() const { return display_; }

private:
    QProcess process_;
    QString display_;
};

class RealProgram {
public:
    // Starts Xvfb, then the program; waits for its window. With trace, the
    // program writes its trace points to tracePath().
    explicit RealProgram(const QString& program, QStringList extraEnvironment = {}, bool trace = false);
    ~RealProgram();
    RealProgram(const RealProgram&) = delete;
    RealProgram& operator=(const RealProgram&) = delete;

    bool ok() const { return !windowId_.isEmpty(); }
    const QString& error() const { return error_; }

    // The window's client area, as a person sees it.
    QImage screenshot() const;
    // Polls the screen until the test holds; false after the timeout.
    bool waitFor(const std::function<bool(const QImage&)>& test, int timeoutMs, QImage* last = nullptr) const;
    // A left click at a point of the client area.
    void click(int x, int y) const;

    // Milliseconds since the program was started.
    qint64 elapsed() const { return clock_.elapsed(); }
    // The raw sound output so far (signed 16-bit stereo at 44100 Hz).
    QByteArray audio() const;
    // Sends a signal; returns the milliseconds until the program ended, or -1.
    qint64 terminate(int signal = 15);
    // Asks the window to close, as its title bar's close button does;
    // returns the milliseconds until the program ended, or -1.
    qint64 closeWindow();
    // How the program ended: a normal exit with its code, or a crash.
    bool exitedNormally() const { return program_.exitStatus() == QProcess::NormalExit; }
    int exitCode() const { return program_.exitCode(); }
    QString tempPath(const QString& name) const { return dir_.filePath(name); }
    QString tracePath() const { return tempPath(QStringLiteral("trace.txt")); }
    // The steady-clock time, in µs, just before the program was started.
    qint64 startedAtUs() const { return startedAtUs_; }
    qint64 pid() const { return program_.processId(); }
    const QString& display() const { return display_; }

private:
    bool run(const QString& tool, const QStringList& arguments, QByteArray* output = nullptr) const;
    qint64 waitForEnd();
    void waitForFirstFrame() const;

    QTemporaryDir dir_;
    Xvfb xvfb_;
    QProcess program_;
    QString display_;
    QString windowId_;
    QString error_;
    QElapsedTimer clock_;
    qint64 startedAtUs_ = 0;
};

} // namespace pelmora::e2e
