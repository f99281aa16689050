// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "pulse_server.h"

#include "measures.h"
#include "real_program.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace pelmora::e2e {

namespace {

// Starts a program with its standard input from `input` and its output going
// to `output` (or nowhere); returns its process id, or -1.
qint64 spawn(const QStringList& command, const QStringList& environment, int output = -1, int input = -1)
{
    std::vector<QByteArray> texts;
    for (const QString& part : command)
        texts.push_back(part.toLocal8Bit());
    std::vector<QByteArray> variables;
    for (char** v = environ; *v; ++v)
        variables.emplace_back(*v);
    for (const QString& pair : environment)
        variables.push_back(pair.toLocal8Bit());
    std::vector<char*> argv, envp;
    for (QByteArray& t : texts)
        argv.push_back(t.data());
    for (QByteArray& v : variables)
        envp.push_back(v.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input >= 0)
        posix_spawn_file_actions_adddup2(&actions, input, 0);
    else
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (output >= 0)
        posix_spawn_file_actions_adddup2(&actions, output, 1);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

void end(qint64 pid)
{
    if (pid <= 0)
        return;
    ::kill(static_cast<pid_t>(pid), SIGTERM);
    waitpid(static_cast<pid_t>(pid), nullptr, 0);
}

} // namespace

PulseServer::PulseServer()
{
    start();
}

PulseServer::~PulseServer()
{
    kill();
}

void PulseServer::kill()
{
    end(recorder_);
    stop_ = true;
    if (reader_.joinable())
        reader_.join();
    if (recording_ >= 0)
        close(recording_);
    if (server_ > 0)
        ::kill(static_cast<pid_t>(server_), SIGKILL);
    end(server_);
    recorder_ = server_ = recording_ = -1;
}

int PulseServer::streams() const
{
    const ToolRun run = runTool(QStringLiteral("env"), ownEnvironment() + environment()
                                                           + QStringList{QStringLiteral("pactl"), QStringLiteral("list"),
                                                                         QStringLiteral("short"), QStringLiteral("sink-inputs")});
    return run.ok ? static_cast<int>(run.output.count('\n')) : -1;
}

QStringList PulseServer::ownEnvironment() const
{
    return {QStringLiteral("XDG_RUNTIME_DIR=") + dir_.path(), QStringLiteral("HOME=") + dir_.path()};
}

QStringList PulseServer::environment() const
{
    return {QStringLiteral("SDL_AUDIODRIVER=pulseaudio"),
            QStringLiteral("PULSE_SERVER=unix:") + dir_.filePath(QStringLiteral("native")),
            QStringLiteral("PULSE_SINK=pelmora")};
}

bool PulseServer::start()
{
    // Its own runtime and home directories, so that nothing of the user's
    // sound set-up is read or touched; it stays up while idle.
    error_.clear();
    stop_ = false;
    const QStringList own = ownEnvironment();
    server_ = spawn({QStringLiteral("pulseaudio"), QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                     QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                     QStringLiteral("--system=no"), QStringLiteral("--disable-shm=yes"), QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                     QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=")
                         + dir_.filePath(QStringLiteral("native")),
                     QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=pelmora rate=44100 channels=2")},
                    own);
    if (server_ < 0) {
        error_ = QStringLiteral("pulseaudio did not start");
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        QProcess info;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& pair : environment() + own)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        info.setProcessEnvironment(env);
        info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
        if (info.waitForFinished(deadline(5000)) && info.exitCode() == 0)
            break;
        if (waited.elapsed() > deadline(15000)) {
            error_ = QStringLiteral("pulseaudio does not answer");
            return false;
        }
        QThread::msleep(50);
    }
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0) {
        error_ = QStringLiteral("no pipe for parec");
        return false;
    }
    recorder_ = spawn({QStringLiteral("parec"), QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"), QStringLiteral("--latency-msec=1"),
                       QStringLiteral("-d"), QStringLiteral("pelmora.monitor")},
                      environment() + own, pipe[1]);
    close(pipe[1]);
    recording_ = pipe[0];
    if (recorder_ < 0) {
        error_ = QStringLiteral("parec did not start");
        return false;
    }
    reader_ = std::thread([this] { record(); });
    return true;
}

void PulseServer::record()
{
    char piece[4096];
    pollfd waiting{recording_, POLLIN, 0};
    while (!stop_) {
        if (poll(&waiting, 1, 100) <= 0)
            continue;
        const ssize_t got = read(recording_, piece, sizeof piece);
        if (got <= 0)
            return;
        const qint64 now = steadyUs();
        std::lock_guard lock(mutex_);
        audio_.append(piece, got);
        arrivals_.add(now, audio_.size());
    }
}

QByteArray PulseServer::audio() const
{
    std::lock_guard lock(mutex_);
    return audio_;
}

qint64 PulseServer::timeOfByte(qint64 offset) const
{
    std::lock_guard lock(mutex_);
    return arrivals_.timeOfByte(offset);
}

qint64 PulseServer::sizeAt(qint64 us) const
{
    std::lock_guard lock(mutex_);
    return arrivals_.sizeAt(us);
}

qint64 PulseServer::playReference(const QByteArray& samples) const
{
    int pipe[2];
    if (pipe2(pipe, O_CLOEXEC) != 0)
        return -1;
    const qint64 player = spawn({QStringLiteral("pacat"), QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                                 QStringLiteral("--rate=44100"), QStringLiteral("--channels=2"),
                                 QStringLiteral("--latency-msec=5"), QStringLiteral("-d"), QStringLiteral("pelmora")},
                                environment() + QStringList{QStringLiteral("HOME=") + dir_.path()}, -1, pipe[0]);
    close(pipe[0]);
    // The stream is set up first, on half a second of silence; the samples
    // go once that has played out, all at once, into a drained stream.
    const QByteArray silence(kAudioRate / 2 * kAudioFrameBytes, '\0');
    qint64 started = -1;
    if (player > 0 && write(pipe[1], silence.constData(), std::size_t(silence.size())) == silence.size()) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        started = steadyUs();
        if (write(pipe[1], samples.constData(), std::size_t(samples.size())) != samples.size())
            started = -1;
    }
    close(pipe[1]);
    if (player > 0)
        waitpid(static_cast<pid_t>(player), nullptr, 0);
    return started;
}

} // namespace pelmora::e2e
