#pragma once

// What the benchmarks read off a running program: its trace, its memory and
// CPU from /proc, and when its sound output grew.

#include <QByteArray>
#include <QString>

#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

namespace pelmora::bench {

struct TraceEvent {
    qint64 us;
    QString name;
    QString detail;
};
std::vector<TraceEvent> readTrace(const QString& path);

// Resident memory of a process, in kB: "VmHWM" (peak) or "VmRSS" (now).
long memoryKb(qint64 pid, const char* field);
// CPU time of all threads of a process so far, in ns.
qint64 cpuNs(qint64 pid);

qint64 steadyUs();

// Samples the size of a growing file every millisecond, to tell when a byte
// of it was written.
class GrowthLog {
public:
    explicit GrowthLog(QString path);
    ~GrowthLog();
    // When the file first held more than `offset` bytes, in steady µs; -1 if never.
    qint64 timeOfByte(qint64 offset) const;
    // How big the file was at a moment, in bytes.
    qint64 sizeAt(qint64 us) const;

private:
    void sample();
    QString path_;
    std::vector<std::pair<qint64, qint64>> samples_; // (µs, size)
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The first sample at or after `from` (a byte offset in 16-bit stereo audio)
// that is louder than anything in the `lookback` bytes before it: where a
// new sound starts over the music. -1 if none within `within` bytes.
qint64 onsetAfter(const QByteArray& audio, qint64 from, qint64 lookback, qint64 within);

double median(std::vector<double> values);

} // namespace pelmora::bench
