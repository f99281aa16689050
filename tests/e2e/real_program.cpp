#include "real_program.h"

#include "measures.h"

#include <QFile>
#include <QProcessEnvironment>
#include <QThread>

#include <chrono>
#include <csignal>

#include <X11/Xlib.h>

namespace pelmora::e2e {

Xvfb::Xvfb()
{
    // The server picks a free display itself and tells its number, so that
    // tests running side by side never share one.
    process_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                            QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                            QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!process_.waitForStarted(5000))
        return;
    QByteArray number;
    while (!number.contains('\n') && process_.waitForReadyRead(10000))
        number += process_.readAllStandardOutput();
    if (number.trimmed().isEmpty())
        return;
    display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
}

Xvfb::~Xvfb()
{
    process_.terminate();
    if (!process_.waitForFinished(3000))
        process_.kill();
}

RealProgram::RealProgram(const QString& program, QStringList extraEnvironment, bool trace)
{
    display_ = xvfb_.display();
    if (!xvfb_.ok()) {
        error_ = QStringLiteral("Xvfb did not start");
        return;
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), tempPath(QStringLiteral("audio.raw")));
    if (trace)
        env.insert(QStringLiteral("PELMORA_TRACE"), tracePath());
    for (const QString& pair : extraEnvironment)
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    program_.setProcessEnvironment(env);
    program_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    clock_.start();
    startedAtUs_ = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                       .count();
    program_.start(program, {});
    if (!program_.waitForStarted(5000)) {
        error_ = QStringLiteral("the program did not start: ") + program;
        return;
    }

    // A traced program tells when its first frame is painted. Looking for
    // its window before then would only compete with it for the two cores
    // and the X server, and slow the very start-up the benchmarks measure.
    if (trace)
        waitForFirstFrame();

    QByteArray id;
    for (int i = 0; i < 100 && id.isEmpty(); ++i) {
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), QStringLiteral("^Pelmora$")},
            &id);
        id = id.trimmed().split('\n').value(0);
        if (id.isEmpty())
            QThread::msleep(50);
    }
    if (id.isEmpty())
        error_ = QStringLiteral("no window named Pelmora appeared");
    windowId_ = QString::fromLatin1(id);
}

void RealProgram::waitForFirstFrame() const
{
    for (int waited = 0; waited < 5000 && program_.state() == QProcess::Running; waited += 2) {
        for (const TraceEvent& e : readTrace(tracePath()))
            if (e.name == QLatin1String("first-frame"))
                return;
        QThread::msleep(2);
    }
}

RealProgram::~RealProgram()
{
    if (program_.state() != QProcess::NotRunning) {
        program_.kill();
        program_.waitForFinished(3000);
    }
}

bool RealProgram::run(const QString& tool, const QStringList& arguments, QByteArray* output) const
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display_);
    process.setProcessEnvironment(env);
    process.start(tool, arguments);
    if (!process.waitForFinished(10000))
        return false;
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QImage RealProgram::screenshot() const
{
    QByteArray png;
    run(QStringLiteral("import"), {QStringLiteral("-window"), windowId_, QStringLiteral("png:-")}, &png);
    return QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
}

bool RealProgram::waitFor(const std::function<bool(const QImage&)>& test, int timeoutMs, QImage* last) const
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        const QImage shot = screenshot();
        if (last)
            *last = shot;
        if (!shot.isNull() && test(shot))
            return true;
        if (waited.elapsed() > timeoutMs)
            return false;
        QThread::msleep(40);
    }
}

void RealProgram::click(int x, int y) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("--window"), windowId_,
                                    QString::number(x), QString::number(y), QStringLiteral("click"),
                                    QStringLiteral("1")});
}

QByteArray RealProgram::audio() const
{
    QFile file(dir_.filePath(QStringLiteral("audio.raw")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    if (!program_.waitForFinished(5000))
        return -1;
    return timer.elapsed();
}

} // namespace pelmora::e2e
