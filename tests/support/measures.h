// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the benchmarks and the end-to-end tests read off a running program:
// its trace, its memory and CPU from /proc, and when its sound output grew.

#include "audio.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QThread>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <map>
#include <thread>
#include <vector>

namespace pelmora::e2e {

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

// When a growing stream of bytes reached each of its sizes.
class Arrivals {
public:
    void add(qint64 us, qint64 size) { sizes_.emplace_back(us, size); }
    // When it first held more than `offset` bytes, in steady µs; -1 if never.
    qint64 timeOfByte(qint64 offset) const;
    // How big it was at a moment, in bytes.
    qint64 sizeAt(qint64 us) const;

private:
    std::vector<std::pair<qint64, qint64>> sizes_; // (µs, size)
};

// Samples the size of a growing file every millisecond, to tell when a byte
// of it was written.
class GrowthLog {
public:
    explicit GrowthLog(QString path);
    ~GrowthLog();
    qint64 timeOfByte(qint64 offset) const { return arrivals_.timeOfByte(offset); }
    qint64 sizeAt(qint64 us) const { return arrivals_.sizeAt(us); }

private:
    void sample();
    QString path_;
    Arrivals arrivals_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

double median(std::vector<double> values);

// The left channel, as floats from -1 to 1.
std::vector<float> leftChannel(const QByteArray& audio);
// The first channel of a 16-bit PCM WAV file; empty when it is none.
std::vector<float> readWav(const QString& path);

struct Match {
    qint64 frame = -1; // where the sound starts in the output
    double score = 0;  // normalised correlation, 1 for the sound alone
};
// Where a known sound starts within frames [from, to) of the output, over
// whatever else plays: the best match of the sound's first 50 ms.
Match findSound(const std::vector<float>& output, const std::vector<float>& sound, qint64 from, qint64 to);

// A growing output is a PulseAudio recording, or the disk driver's file as
// its growth log saw it, read from the size it had at a moment in steady µs.
// Where a known sound starts in the second after the moment, once that
// second has come or timeoutMs have passed.
template <typename Growth>
Match soundAfter(const Growth& growth, const std::function<QByteArray()>& audio, const std::vector<float>& sound,
                 qint64 us, int timeoutMs)
{
    const qint64 from = growth.sizeAt(us) / kAudioFrameBytes;
    QElapsedTimer waited;
    waited.start();
    while (audio().size() < (from + kAudioRate) * kAudioFrameBytes && waited.elapsed() < timeoutMs)
        QThread::msleep(50);
    return findSound(leftChannel(audio()), sound, from, from + kAudioRate);
}

// When the output's first audible sample after the moment came, in steady
// µs; -1 if none did within timeoutMs.
template <typename Growth>
qint64 audibleAfter(const Growth& growth, const std::function<QByteArray()>& audio, qint64 us, int timeoutMs)
{
    const qint64 from = growth.sizeAt(us) / kAudioFrameBytes;
    QElapsedTimer waited;
    waited.start();
    do {
        const std::vector<float> left = leftChannel(audio());
        for (qint64 i = from; i < static_cast<qint64>(left.size()); ++i)
            if (std::abs(left[std::size_t(i)]) > 0.01f)
                return growth.timeOfByte(i * kAudioFrameBytes);
        QThread::msleep(50);
    } while (waited.elapsed() < timeoutMs);
    return -1;
}

} // namespace pelmora::e2e
