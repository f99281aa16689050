// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

// Measures what a child or a parent feels, on the real program under Xvfb:
// start-up, memory, CPU while waiting, the answer's picture and sound, and
// timer accuracy. Each figure that a plain Qt window also has is measured on
// such a window too (pelmora-floor), started alternately with Pelmora in the
// same run, and printed beside Pelmora's with the ratio: on a shared machine
// absolute times drift from run to run, the ratio much less.
//
//   pelmora-bench [--runs N] [--startups N] [--soak-minutes M] [--program PATH] [--floor PATH]

#include "answer_key.h"
#include "measures.h"
#include "pulse_server.h"
#include "quiz_script.h"
#include "real_program.h"
#include "screen.h"
#include "voice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>

using namespace pelmora::e2e;
using pelmora::test::kAnswerKey;

namespace {

struct Samples {
    std::vector<double> startupMs, peakMb, idleMusicPercent, idleSilentPercent, markMs, soundMs, timerLateMs, exitMs;
    std::vector<double> pulseSoundMs, idlePulsePercent;
    // Read aloud: question painted to the voice, on the disk driver and
    // through PulseAudio, and the peak memory of a whole run.
    std::vector<double> voiceMs, pulseVoiceMs, readAloudPeakMb;
    // Through PulseAudio without music: CPU while nothing sounds, and the
    // chime after that silence; the server gone: CPU, and its restart to the
    // music reaching it.
    std::vector<double> idleQuietPercent, quietSoundMs, idleGonePercent, backMs;
    std::optional<double> soakGrowthKb;
};

constexpr int kIdleWindowMs = 10000;

double cpuPercentWhileWaiting(qint64 pid)
{
    const qint64 cpuBefore = cpuNs(pid);
    const qint64 before = steadyUs();
    QThread::msleep(kIdleWindowMs);
    const qint64 cpu = cpuNs(pid) - cpuBefore;
    return 100.0 * static_cast<double>(cpu) / static_cast<double>((steadyUs() - before) * 1000);
}

double cpuPercentWhileWaiting(const RealProgram& program)
{
    return cpuPercentWhileWaiting(program.pid());
}


void recordStartup(const RealProgram& program, Samples& samples)
{
    if (const auto frame = program.waitForTrace(QStringLiteral("first-frame"), 0, 5000))
        samples.startupMs.push_back(static_cast<double>(frame->us - program.startedAtUs()) / 1000);
}

// Clicks the right answer to question q and records the time from the click
// to the mark's repaint; when the click came, in steady µs.
std::optional<qint64> clickAndMark(const RealProgram& program, int q, Samples& samples)
{
    const qint64 before = steadyUs();
    const QPoint button = buttonFor(kAnswerKey[q]);
    program.click(button.x(), button.y());
    const auto click = program.waitForTrace(QStringLiteral("click"), before, 2000);
    const auto mark = program.waitForTrace(QStringLiteral("mark-painted"), before, 2000);
    if (!click || !mark) {
        std::fprintf(stderr, "pelmora-bench: no click or mark traced for question %d\n", q + 1);
        return std::nullopt;
    }
    samples.markMs.push_back(static_cast<double>(mark->us - click->us) / 1000);
    return click->us;
}

// The latest of the traced timer ticks, in ms; Timer3's are not counted.
double worstLateness(const RealProgram& program)
{
    double worst = 0;
    for (const TraceEvent& e : readTrace(program.tracePath())) {
        if (e.name == QLatin1String("tick") && !e.detail.startsWith(QLatin1String("Timer3")))
            worst = std::max(worst, std::abs(e.detail.section(QLatin1Char(' '), 1).toDouble()) / 1000);
    }
    return worst;
}

// A whole run with music, answering every question right; with the voice
// only its peak memory is kept.
bool fullRun(const QString& path, Samples& samples, int soakMinutes, bool readAloud = false)
{
    RealProgram program(path, {.arguments = readAloud ? QStringList{QStringLiteral("--read-aloud")} : QStringList{},
                               .trace = true});
    if (!program.ok()) {
        std::fprintf(stderr, "pelmora-bench: %s\n", qPrintable(program.error()));
        return false;
    }
    GrowthLog growth(program.audioPath());
    recordStartup(program, samples);

    std::vector<qint64> clicks;
    for (int q = 0; q < 20; ++q) {
        if (!program.waitFor(questionShown, 12000)) {
            std::fprintf(stderr, "pelmora-bench: question %d did not come\n", q + 1);
            return false;
        }
        if (q == 0)
            samples.idleMusicPercent.push_back(cpuPercentWhileWaiting(program));
        const std::optional<qint64> click = clickAndMark(program, q, samples);
        if (!click)
            return false;
        clicks.push_back(*click);
    }
    if (!program.waitFor(resultShown, 12000)) {
        std::fprintf(stderr, "pelmora-bench: the result did not come\n");
        return false;
    }

    if (soakMinutes > 0) {
        QThread::sleep(10); // let the result screen settle first
        const long before = memoryKb(program.pid(), "VmRSS");
        QThread::sleep(static_cast<unsigned long>(soakMinutes) * 60);
        samples.soakGrowthKb = static_cast<double>(memoryKb(program.pid(), "VmRSS") - before);
    }
    const double peakMb = static_cast<double>(memoryKb(program.pid(), "VmHWM")) / 1024;
    if (readAloud) {
        samples.readAloudPeakMb.push_back(peakMb);
        program.terminate();
        return true;
    }
    samples.peakMb.push_back(peakMb);

    // The chime's first sample, found in the output, and when it was written.
    const std::vector<float> output = leftChannel(program.audio());
    const std::vector<float> chime = readWav(QFileInfo(path).absolutePath() + QStringLiteral("/pinpon.wav"));
    for (qint64 click : clicks) {
        const qint64 at = growth.sizeAt(click) / kAudioFrameBytes;
        const Match match = findSound(output, chime, at, at + kAudioRate / 2);
        if (match.score > 0.8)
            samples.soundMs.push_back(static_cast<double>(growth.timeOfByte(match.frame * kAudioFrameBytes) - click) / 1000);
    }

    samples.timerLateMs.push_back(worstLateness(program));
    program.terminate();
    return true;
}

// Start-up alone: to the first frame, then ended by SIGTERM.
bool startOnly(const QString& path, Samples& samples)
{
    RealProgram program(path, {.trace = true, .waitForWindow = false});
    if (!program.ok())
        return false;
    recordStartup(program, samples);
    const qint64 ended = program.terminate();
    if (ended >= 0)
        samples.exitMs.push_back(static_cast<double>(ended));
    QThread::msleep(300);
    return true;
}

// A plain player's cost for the same music through the same server.
double mpg123Percent(const PulseServer& pulse, const QString& music)
{
    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : pulse.environment())
        env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
    player.setProcessEnvironment(env);
    player.start(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("pulse"),
                                            QStringLiteral("--loop"), QStringLiteral("-1"), music});
    if (!player.waitForStarted(5000))
        return -1;
    QThread::msleep(8000); // as long as Pelmora's music has played when it is measured
    const double percent = cpuPercentWhileWaiting(player.processId());
    player.kill();
    player.waitForFinished(5000);
    return percent;
}

// When the first sample of a sound was heard after a moment in steady µs,
// in ms; -1 if it was not within a second.
template <typename Growth>
double arrivalMs(const Growth& growth, const std::function<QByteArray()>& audio, const std::vector<float>& sound,
                 qint64 afterUs)
{
    const Match match = soundAfter(growth, audio, sound, afterUs, 5000);
    return match.score > 0.8 ? static_cast<double>(growth.timeOfByte(match.frame * kAudioFrameBytes) - afterUs) / 1000
                             : -1;
}

double pulseArrivalMs(const PulseServer& pulse, const std::vector<float>& sound, qint64 afterUs)
{
    return arrivalMs(pulse, [&pulse] { return pulse.audio(); }, sound, afterUs);
}

// The voice's clip of a question, as the program decodes it.
std::vector<float> clipOf(const QString& program, int q)
{
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("clip.wav"));
    const QString clip = QFileInfo(program).absolutePath() + QStringLiteral("/voice/")
                         + QString::fromStdString(pelmora::Voice::clipName(pelmora::script::kQuestions[std::size_t(q)]));
    runTool(QStringLiteral("mpg123"), {QStringLiteral("-q"), QStringLiteral("-r"), QStringLiteral("44100"),
                                       QStringLiteral("-w"), wav, clip});
    return readWav(wav);
}

// Through a PulseAudio server of its own: CPU while the music plays, and
// click to the chime's first sample reaching the server. The floor is the
// chime fed to the same server by pacat at its smallest latency, and recorded
// the same way.
bool pulseRun(const QString& path, Samples& samples, Samples& floor)
{
    PulseServer pulse;
    RealProgram program(path, {.environment = pulse.environment(), .trace = true});
    if (!pulse.ok() || !program.ok()) {
        std::fprintf(stderr, "pelmora-bench: through PulseAudio: %s%s\n", qPrintable(pulse.error()),
                     qPrintable(program.error()));
        return false;
    }
    const std::vector<float> chime = readWav(QFileInfo(path).absolutePath() + QStringLiteral("/pinpon.wav"));
    Samples marks;
    for (int q = 0; q < 5; ++q) {
        if (!program.waitFor(questionShown, 12000))
            return false;
        if (q == 0)
            samples.idlePulsePercent.push_back(cpuPercentWhileWaiting(program));
        const std::optional<qint64> click = clickAndMark(program, q, marks);
        if (!click)
            return false;
        if (const double ms = pulseArrivalMs(pulse, chime, *click); ms >= 0)
            samples.pulseSoundMs.push_back(ms);
    }
    program.terminate();
    if (const double percent = mpg123Percent(pulse, QFileInfo(path).absolutePath() + QStringLiteral("/bgm.mp3"));
        percent >= 0)
        floor.idlePulsePercent.push_back(percent);
    QByteArray stereo;
    for (float v : chime) {
        const auto s = static_cast<qint16>(std::lround(v * 32767));
        stereo.append(reinterpret_cast<const char*>(&s), 2).append(reinterpret_cast<const char*>(&s), 2);
    }
    for (int i = 0; i < 5; ++i) {
        const qint64 written = pulse.playReference(stereo);
        if (const double ms = pulseArrivalMs(pulse, chime, written); written >= 0 && ms >= 0)
            floor.pulseSoundMs.push_back(ms);
    }
    return true;
}

// Read aloud without music, on the disk driver and through PulseAudio: for
// the first three questions, from the question's first frame to the voice.
// Through PulseAudio also CPU once nothing has sounded for a while, and
// the chime after that silence.
bool voiceRun(const QString& path, Samples& samples, bool pulseAudio)
{
    std::optional<PulseServer> pulse;
    if (pulseAudio)
        pulse.emplace();
    const QStringList arguments{QStringLiteral("--read-aloud"), QStringLiteral("--no-music")};
    RealProgram program(path, {.arguments = arguments, .environment = pulse ? pulse->environment() : QStringList{},
                               .trace = true});
    if ((pulse && !pulse->ok()) || !program.ok()) {
        std::fprintf(stderr, "pelmora-bench: read aloud: %s\n", qPrintable(program.error()));
        return false;
    }
    GrowthLog growth(program.audioPath());
    const std::vector<float> chime = readWav(QFileInfo(path).absolutePath() + QStringLiteral("/pinpon.wav"));
    qint64 since = 0;
    Samples marks;
    for (int q = 0; q < 3; ++q) {
        const auto painted = program.waitForTrace(QStringLiteral("question-painted"), since, 12000);
        if (!painted)
            return false;
        const std::vector<float> clip = clipOf(path, q);
        const double ms = pulse ? pulseArrivalMs(*pulse, clip, painted->us)
                                : arrivalMs(growth, [&] { return program.audio(); }, clip, painted->us);
        if (ms >= 0)
            (pulse ? samples.pulseVoiceMs : samples.voiceMs).push_back(ms);
        if (pulse) {
            QElapsedTimer waited;
            waited.start();
            while (pulse->streams() != 0 && waited.elapsed() < 10000)
                QThread::msleep(50);
            if (q == 0)
                samples.idleQuietPercent.push_back(cpuPercentWhileWaiting(program));
        }
        const std::optional<qint64> click = clickAndMark(program, q, marks);
        if (!click)
            return false;
        if (const double chimeMs = pulse ? pulseArrivalMs(*pulse, chime, *click) : -1; chimeMs >= 0)
            samples.quietSoundMs.push_back(chimeMs);
        since = *click;
    }
    program.terminate();
    return true;
}

// The server killed while the quiz waits: CPU while it is gone, then from
// its new start to the music reaching it.
bool restartRun(const QString& path, Samples& samples)
{
    PulseServer pulse;
    RealProgram program(path, {.environment = pulse.environment(), .trace = true, .keepErrors = true});
    if (!pulse.ok() || !program.ok() || !program.waitFor(questionShown, 12000))
        return false;
    pulse.kill();
    QElapsedTimer waited;
    waited.start();
    while (!program.errors().contains(QLatin1String("the sound went away")) && waited.elapsed() < 5000)
        QThread::msleep(20);
    samples.idleGonePercent.push_back(cpuPercentWhileWaiting(program));
    if (!pulse.start())
        return false;
    const qint64 started = steadyUs();
    if (const qint64 heard = audibleAfter(pulse, [&] { return pulse.audio(); }, started, 15000); heard >= 0)
        samples.backMs.push_back(static_cast<double>(heard - started) / 1000);
    program.terminate();
    return true;
}

// Up to the first question, with no sound device at all.
bool silentRun(const QString& path, Samples& samples)
{
    RealProgram program(path, {.environment = {QStringLiteral("SDL_AUDIODRIVER=none")}, .trace = true});
    if (!program.ok() || !program.waitFor(questionShown, 12000))
        return false;
    recordStartup(program, samples);
    samples.idleSilentPercent.push_back(cpuPercentWhileWaiting(program));
    program.terminate();
    return true;
}

// The floor, waited on and clicked as Pelmora is: its start-up, CPU while
// waiting, click to the repaint of the picture the click changes, peak
// memory and the lateness of its timer's ticks.
bool floorRun(const QString& path, Samples& samples)
{
    RealProgram program(path, {.trace = true, .windowName = QStringLiteral("Floor")});
    if (!program.ok()) {
        std::fprintf(stderr, "pelmora-bench: the floor: %s\n", qPrintable(program.error()));
        return false;
    }
    recordStartup(program, samples);
    samples.idleSilentPercent.push_back(cpuPercentWhileWaiting(program));
    for (int q = 0; q < 20; ++q) {
        if (!clickAndMark(program, q, samples))
            return false;
    }
    samples.peakMb.push_back(static_cast<double>(memoryKb(program.pid(), "VmHWM")) / 1024);
    samples.timerLateMs.push_back(worstLateness(program));
    program.terminate();
    return true;
}

struct Bound {
    enum Kind { Absolute, TimesFloor, PlusFloor } kind;
    double value;
};

void print(const char* what, const std::vector<double>& values, const std::vector<double>& floor, const char* unit,
           Bound bound, int& failures)
{
    const double m = median(values);
    const double f = median(floor);
    double limit = bound.value;
    char floorText[64] = "";
    char boundText[64];
    if (!floor.empty())
        std::snprintf(floorText, sizeof floorText, "%9.3f  %5.2fx", f, f > 0 ? m / f : 0.0);
    if (bound.kind == Bound::Absolute) {
        std::snprintf(boundText, sizeof boundText, "%g %s", bound.value, unit);
    } else {
        limit = bound.kind == Bound::TimesFloor ? f * bound.value : f + bound.value;
        if (bound.kind == Bound::TimesFloor)
            std::snprintf(boundText, sizeof boundText, "%gx floor", bound.value);
        else
            std::snprintf(boundText, sizeof boundText, "floor %+g %s", bound.value, unit);
    }
    const bool ok = !values.empty() && (bound.kind == Bound::Absolute || !floor.empty()) && m <= limit;
    failures += !ok;
    std::printf("%-44s %9.3f %-3s %-17s  %-16s %-4s (%zu/%zu samples)\n", what, m, unit, floorText, boundText,
                ok ? "ok" : "OVER", values.size(), floor.size());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int runs = 5, startups = 15, soakMinutes = 3;
    QString program = QStringLiteral(PELMORA_PROGRAM);
    QString floorProgram = QStringLiteral(PELMORA_FLOOR);
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--runs"))
            runs = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--startups"))
            startups = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--soak-minutes"))
            soakMinutes = args[i + 1].toInt();
        else if (args[i] == QLatin1String("--program"))
            program = args[i + 1];
        else if (args[i] == QLatin1String("--floor"))
            floorProgram = args[i + 1];
    }

    std::printf("Pelmora benchmarks: %d runs of a whole quiz and %d up to the first question without sound,\n"
                "each beside a run of the floor, a plain Qt window of the same kind\n"
                "(each figure a median; this takes about %d minutes)\n\n",
                runs, runs, runs * 10 + soakMinutes + startups / 10);
    std::fflush(stdout);
    Samples samples, floor;
    for (int i = 0; i < startups; ++i) {
        if (!startOnly(program, samples) || !startOnly(floorProgram, floor))
            return 2;
    }
    for (int i = 0; i < runs; ++i) {
        if (!silentRun(program, samples) || !floorRun(floorProgram, floor)
            || !fullRun(program, samples, i == 0 ? soakMinutes : 0) || !pulseRun(program, samples, floor)
            || !fullRun(program, samples, 0, true) || !voiceRun(program, samples, false)
            || !voiceRun(program, samples, true) || !restartRun(program, samples))
            return 2;
    }

    std::printf("%-44s %13s %17s  %s\n", "", "Pelmora", "floor   ratio", "bound");
    int failures = 0;
    print("start to first painted frame", samples.startupMs, floor.startupMs, "ms", {Bound::TimesFloor, 1.1}, failures);
    print("peak resident memory over a whole run", samples.peakMb, floor.peakMb, "MB", {Bound::PlusFloor, 4}, failures);
    print("CPU waiting for a click, no sound device", samples.idleSilentPercent, floor.idleSilentPercent, "%",
          {Bound::PlusFloor, 0.1}, failures);
    print("CPU waiting for a click, music playing", samples.idleMusicPercent, {}, "%", {Bound::Absolute, 1}, failures);
    print("click to the mark painted on screen", samples.markMs, floor.markMs, "ms", {Bound::PlusFloor, 16}, failures);
    print("click to the effect's first audible sample", samples.soundMs, {}, "ms", {Bound::Absolute, 50}, failures);
    print("CPU waiting, music through PulseAudio (mpg123)", samples.idlePulsePercent, floor.idlePulsePercent, "%",
          {Bound::TimesFloor, 1.5}, failures);
    print("CPU waiting, silence through PulseAudio", samples.idleQuietPercent, samples.idleSilentPercent, "%",
          {Bound::PlusFloor, 0.1}, failures);
    print("click to the chime reaching PulseAudio", samples.pulseSoundMs, floor.pulseSoundMs, "ms",
          {Bound::Absolute, 30}, failures);
    print("the same after a silence", samples.quietSoundMs, floor.pulseSoundMs, "ms", {Bound::Absolute, 30}, failures);
    print("question painted to the voice, disk driver", samples.voiceMs, {}, "ms", {Bound::Absolute, 50}, failures);
    print("the same, reaching PulseAudio", samples.pulseVoiceMs, floor.pulseSoundMs, "ms", {Bound::Absolute, 50},
          failures);
    print("peak memory over a whole run read aloud", samples.readAloudPeakMb, samples.peakMb, "MB",
          {Bound::PlusFloor, 1}, failures);
    print("CPU waiting, the sound server gone", samples.idleGonePercent, samples.idleSilentPercent, "%",
          {Bound::PlusFloor, 0.1}, failures);
    print("new sound server to the music reaching it", samples.backMs, {}, "ms", {Bound::Absolute, 6000}, failures);
    print("worst timer lateness in a run", samples.timerLateMs, floor.timerLateMs, "ms", {Bound::PlusFloor, 20},
          failures);
    print("SIGTERM to the program's end", samples.exitMs, {}, "ms", {Bound::Absolute, 1500}, failures);
    if (samples.soakGrowthKb)
        std::printf("%-44s %+9.0f kB  over %d minutes of music on the result screen\n", "memory growth in the soak",
                    *samples.soakGrowthKb, soakMinutes);
    return failures == 0 ? 0 : 1;
}
