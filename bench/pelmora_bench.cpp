// Measures what a child or a parent feels, on the real program under Xvfb:
// start-up, memory, CPU while waiting, the answer's picture and sound, and
// timer accuracy. Prints each figure beside its bound.
//
//   pelmora-bench [--runs N] [--startups N] [--soak-minutes M] [--program PATH]

#include "measures.h"
#include "real_program.h"
#include "screen.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <optional>

using namespace pelmora::e2e;

namespace {

struct Samples {
    std::vector<double> startupMs, peakMb, idleMusicPercent, idleSilentPercent, markMs, soundMs, timerLateMs;
    std::optional<double> soakGrowthKb;
};

const int kAnswers[20] = {2, 2, 3, 2, 5, 3, 2, 3, 3, 6, 3, 3, 1, 2, 1, 3, 4, 2, 2, 1};
constexpr int kIdleWindowMs = 10000;

std::optional<TraceEvent> waitForTrace(const RealProgram& program, const QString& name, qint64 afterUs,
                                       int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 5) {
        for (const TraceEvent& e : readTrace(program.tracePath()))
            if (e.name == name && e.us >= afterUs)
                return e;
        QThread::msleep(5);
    }
    return std::nullopt;
}

double cpuPercentWhileWaiting(const RealProgram& program)
{
    const qint64 cpuBefore = cpuNs(program.pid());
    const qint64 before = steadyUs();
    QThread::msleep(kIdleWindowMs);
    const qint64 cpu = cpuNs(program.pid()) - cpuBefore;
    return 100.0 * static_cast<double>(cpu) / static_cast<double>((steadyUs() - before) * 1000);
}

void recordStartup(const RealProgram& program, Samples& samples)
{
    if (const auto frame = waitForTrace(program, QStringLiteral("first-frame"), 0, 5000))
        samples.startupMs.push_back(static_cast<double>(frame->us - program.startedAtUs()) / 1000);
}

// A whole run with music, answering every question right.
bool fullRun(const QString& path, Samples& samples, int soakMinutes)
{
    RealProgram program(path, {}, true);
    if (!program.ok()) {
        std::fprintf(stderr, "pelmora-bench: %s\n", qPrintable(program.error()));
        return false;
    }
    GrowthLog growth(program.tempPath(QStringLiteral("audio.raw")));
    recordStartup(program, samples);

    std::vector<qint64> clicks;
    for (int q = 0; q < 20; ++q) {
        if (!program.waitFor(questionShown, 12000)) {
            std::fprintf(stderr, "pelmora-bench: question %d did not come\n", q + 1);
            return false;
        }
        if (q == 0)
            samples.idleMusicPercent.push_back(cpuPercentWhileWaiting(program));
        const qint64 before = steadyUs();
        const QPoint button = buttonFor(kAnswers[q]);
        program.click(button.x(), button.y());
        const auto click = waitForTrace(program, QStringLiteral("click"), before, 2000);
        const auto mark = waitForTrace(program, QStringLiteral("mark-painted"), before, 2000);
        if (!click || !mark) {
            std::fprintf(stderr, "pelmora-bench: no click or mark traced for question %d\n", q + 1);
            return false;
        }
        clicks.push_back(click->us);
        samples.markMs.push_back(static_cast<double>(mark->us - click->us) / 1000);
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
    samples.peakMb.push_back(static_cast<double>(memoryKb(program.pid(), "VmHWM")) / 1024);

    // The chime's first sample, found in the output, and when it was written.
    const std::vector<float> output = leftChannel(program.audio());
    const std::vector<float> chime = readWav(QFileInfo(path).absolutePath() + QStringLiteral("/pinpon.wav"));
    for (qint64 click : clicks) {
        const qint64 at = growth.sizeAt(click) / kAudioFrameBytes;
        const Match match = findSound(output, chime, at, at + kAudioRate / 2);
        if (match.score > 0.8)
            samples.soundMs.push_back(static_cast<double>(growth.timeOfByte(match.frame * kAudioFrameBytes) - click) / 1000);
    }

    double worst = 0;
    for (const TraceEvent& e : readTrace(program.tracePath())) {
        if (e.name == QLatin1String("tick") && !e.detail.startsWith(QLatin1String("Timer3")))
            worst = std::max(worst, std::abs(e.detail.section(QLatin1Char(' '), 1).toDouble()) / 1000);
    }
    samples.timerLateMs.push_back(worst);
    program.terminate();
    return true;
}

// Start-up alone: to the first frame, then closed.
bool startOnly(const QString& path, Samples& samples)
{
    RealProgram program(path, {}, true);
    if (!program.ok())
        return false;
    recordStartup(program, samples);
    program.terminate();
    QThread::msleep(300);
    return true;
}

// Up to the first question, with no sound device at all.
bool silentRun(const QString& path, Samples& samples)
{
    RealProgram program(path, {QStringLiteral("SDL_AUDIODRIVER=none")}, true);
    if (!program.ok() || !program.waitFor(questionShown, 12000))
        return false;
    recordStartup(program, samples);
    samples.idleSilentPercent.push_back(cpuPercentWhileWaiting(program));
    program.terminate();
    return true;
}

void print(const char* what, const std::vector<double>& values, const char* unit, double bound, int& failures)
{
    const double m = median(values);
    const bool ok = !values.empty() && m <= bound;
    failures += !ok;
    std::printf("%-44s %9.3f %-3s  bound %-7g %s   (%zu samples)\n", what, m, unit, bound, ok ? "ok" : "OVER",
                values.size());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int runs = 5, startups = 15, soakMinutes = 3;
    QString program = QStringLiteral(PELMORA_PROGRAM);
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
    }

    std::printf("Pelmora benchmarks: %d runs of a whole quiz and %d up to the first question without sound\n"
                "(each figure a median; this takes about %d minutes)\n\n",
                runs, runs, runs * 3 + runs / 2 + soakMinutes);
    std::fflush(stdout);
    Samples samples;
    for (int i = 0; i < startups; ++i) {
        if (!startOnly(program, samples))
            return 2;
    }
    for (int i = 0; i < runs; ++i) {
        if (!silentRun(program, samples) || !fullRun(program, samples, i == 0 ? soakMinutes : 0))
            return 2;
    }

    int failures = 0;
    print("start to first painted frame", samples.startupMs, "ms", 60, failures);
    print("peak resident memory over a whole run", samples.peakMb, "MB", 40, failures);
    print("CPU waiting for a click, no sound device", samples.idleSilentPercent, "%", 0.1, failures);
    print("CPU waiting for a click, music playing", samples.idleMusicPercent, "%", 1, failures);
    print("click to the mark painted on screen", samples.markMs, "ms", 16, failures);
    print("click to the effect's first audible sample", samples.soundMs, "ms", 50, failures);
    print("worst Timer1/Timer2 lateness in a run", samples.timerLateMs, "ms", 20, failures);
    if (samples.soakGrowthKb)
        std::printf("%-44s %+9.0f kB  over %d minutes of music on the result screen\n", "memory growth in the soak",
                    *samples.soakGrowthKb, soakMinutes);
    return failures == 0 ? 0 : 1;
}
