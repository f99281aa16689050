// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "real_program.h"

#include "measures.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <csignal>

#include <sys/socket.h>

#include <X11/Xlib.h>

namespace pelmora::e2e {

Xvfb::Xvfb(QSize screen)
{
    // The server picks a free display itself and tells its number, so that
    // servers started side by side never share one. Without -noreset it
    // would start afresh whenever its last client leaves, dropping a client
    // that has connected but not yet been served: a program starting while
    // xdotool comes and goes would then fail to open the display.
    const QString size = QStringLiteral("%1x%2x24").arg(screen.width()).arg(screen.height());
    process_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                            QStringLiteral("0"), size, QStringLiteral("-nolisten"),
                                            QStringLiteral("tcp"), QStringLiteral("-noreset")});
    if (!process_.waitForStarted(deadline(5000))) {
        error_ = QStringLiteral("Xvfb did not start: ") + process_.errorString();
        return;
    }
    QByteArray number;
    QElapsedTimer waited;
    waited.start();
    while (!number.contains('\n') && waited.elapsed() < deadline(15000)
           && process_.waitForReadyRead(deadline(15000) - static_cast<int>(waited.elapsed())))
        number += process_.readAllStandardOutput();
    if (number.trimmed().isEmpty()) {
        error_ = QStringLiteral("Xvfb told no display: ") + QString::fromLocal8Bit(process_.readAllStandardError());
        return;
    }
    display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
    if (!answers())
        error_ += QString::fromLocal8Bit(process_.readAllStandardError());
}

// Connects to the display and makes sure that it is this server that
// answers there. The connection stays open: a client that never leaves keeps
// the server from ever being without one.
bool Xvfb::answers()
{
    connection_ = XOpenDisplay(display_.toLatin1().constData());
    if (!connection_) {
        error_ = QStringLiteral("Xvfb told display %1 but does not answer there. ").arg(display_);
        return false;
    }
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(ConnectionNumber(connection_), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0
        || peer.pid != process_.processId()) {
        error_ = QStringLiteral("another X server than ours answers on display %1. ").arg(display_);
        XCloseDisplay(connection_);
        connection_ = nullptr;
        return false;
    }
    return true;
}

Xvfb::~Xvfb()
{
    if (connection_)
        XCloseDisplay(connection_);
    process_.terminate();
    if (!process_.waitForFinished(deadline(5000))) {
        process_.kill();
        process_.waitForFinished(deadline(5000));
    }
}

RealProgram::RealProgram(const QString& program, Launch launch) : ownServer_(std::make_unique<Xvfb>(launch.screen))
{
    start(*ownServer_, program, launch);
}

RealProgram::RealProgram(const Xvfb& server, const QString& program, Launch launch)
{
    start(server, program, launch);
}

void RealProgram::start(const Xvfb& server, const QString& program, const Launch& launch)
{
    if (!server.ok()) {
        error_ = server.error();
        return;
    }
    display_ = server.display();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), audioPath());
    if (launch.trace)
        env.insert(QStringLiteral("PELMORA_TRACE"), tracePath());
    for (const QString& pair : launch.environment)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    program_.setProcessEnvironment(env);
    if (launch.keepErrors)
        program_.setStandardErrorFile(tempPath(QStringLiteral("errors.txt")));
    else
        program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    clock_.start();
    startedAtUs_ = steadyUs();
    program_.start(program, launch.arguments);
    if (!program_.waitForStarted(deadline(5000))) {
        error_ = QStringLiteral("the program did not start: ") + program;
        return;
    }
    if (!launch.waitForWindow)
        return;

    // A traced program tells when its first frame is painted. Looking for
    // its window before then would only compete with it for the two cores
    // and the X server, and slow the very start-up the benchmarks measure.
    if (launch.trace)
        waitForFirstFrame();
    findWindow(launch.windowName);
}

void RealProgram::findWindow(const QString& name)
{
    QByteArray id;
    waitUntil(
        [&] {
            const QStringList search{QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                                     QLatin1Char('^') + name + QLatin1Char('$')};
            id = xdotool(search).output.trimmed().split('\n').value(0);
            return !id.isEmpty() || !running();
        },
        deadline(20000));
    if (id.isEmpty())
        error_ = running() ? QStringLiteral("no window named %1 appeared").arg(name)
                           : QStringLiteral("the program ended before its window appeared");
    windowId_ = QString::fromLatin1(id);
}

std::optional<TraceEvent> RealProgram::waitForTrace(const QString& name, qint64 afterUs, int timeoutMs,
                                                    const QString& detail) const
{
    std::optional<TraceEvent> found;
    waitUntil(
        [&] {
            for (const TraceEvent& e : readTrace(tracePath()))
                if (e.name == name && e.us >= afterUs && e.detail.startsWith(detail)) {
                    found = e;
                    return true;
                }
            return !running();
        },
        timeoutMs, 2);
    return found;
}

void RealProgram::waitForFirstFrame() const
{
    waitForTrace(QStringLiteral("first-frame"), 0, deadline(10000));
}

RealProgram::~RealProgram()
{
    if (running()) {
        program_.kill();
        program_.waitForFinished(deadline(5000));
    }
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs, int stepMs)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (done())
            return true;
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::msleep(static_cast<unsigned long>(stepMs));
    }
}

ToolRun runTool(const QString& tool, const QStringList& arguments, int timeoutMs, const QString& display)
{
    QProcess process;
    if (!display.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display);
        process.setProcessEnvironment(env);
    }
    process.start(tool, arguments);
    ToolRun run;
    if (!process.waitForFinished(timeoutMs)) {
        run.errors = "did not end within the deadline: " + process.errorString().toUtf8();
        return run;
    }
    run.output = process.readAllStandardOutput();
    run.errors = process.readAllStandardError();
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return run;
}

QImage RealProgram::screenshot() const
{
    const QByteArray png =
        runTool(QStringLiteral("import"), {QStringLiteral("-window"), windowId_, QStringLiteral("png:-")},
                deadline(10000), display_)
            .output;
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

bool RealProgram::waitFor(const std::function<bool(const QImage&)>& test, int timeoutMs, QImage* last) const
{
    return waitUntil(
        [&] {
            const QImage shot = screenshot();
            if (last)
                *last = shot;
            return !shot.isNull() && test(shot);
        },
        timeoutMs, 40);
}

ToolRun RealProgram::xdotool(const QStringList& arguments) const
{
    return runTool(QStringLiteral("xdotool"), arguments, deadline(10000), display_);
}

void RealProgram::click(int x, int y) const
{
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), windowId_, QString::number(x), QString::number(y),
             QStringLiteral("click"), QStringLiteral("1")});
}

bool RealProgram::press(const QString& key) const
{
    return xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), windowId_, QStringLiteral("key"), key}).ok;
}

QString RealProgram::errors() const
{
    QFile file(tempPath(QStringLiteral("errors.txt")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QByteArray RealProgram::audio() const
{
    QFile file(audioPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool RealProgram::waitForSound(double seconds, int timeoutMs) const
{
    const auto enough = static_cast<qsizetype>(seconds * kAudioRate) * kAudioFrameBytes;
    bool heard = false;
    waitUntil(
        [&] {
            const QByteArray output = audio();
            if (output.size() >= enough) {
                const std::vector<float> left = leftChannel(output);
                const auto audible =
                    std::count_if(left.begin(), left.end(), [](float s) { return std::abs(s) > 0.01f; });
                heard = audible * 4 >= static_cast<qint64>(seconds * kAudioRate);
            }
            return heard || !running();
        },
        timeoutMs);
    return heard;
}

qint64 RealProgram::terminate(int signal)
{
    ::kill(static_cast<pid_t>(program_.processId()), signal);
    return waitForEnd();
}

qint64 RealProgram::closeWindow()
{
    Display* x = XOpenDisplay(display_.toLatin1().constData());
    if (!x)
        return -1;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = windowId_.toULong();
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(x);
    return waitForEnd();
}

qint64 RealProgram::waitForEnd()
{
    QElapsedTimer timer;
    timer.start();
    if (!program_.waitForFinished(deadline(10000)))
        return -1;
    return timer.elapsed();
}

} // namespace pelmora::e2e
