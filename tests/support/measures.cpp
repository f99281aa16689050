// SPDX-FileCopyrightText: 2026 The Pelmora developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "measures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pelmora::e2e {

std::vector<TraceEvent> readTrace(const QString& path)
{
    std::vector<TraceEvent> events;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return events;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() < 2)
            continue;
        events.push_back({parts[0].toLongLong(), QString::fromUtf8(parts[1]),
                          QString::fromUtf8(line.trimmed().mid(parts[0].size() + parts[1].size() + 2))});
    }
    return events;
}

long memoryKb(qint64 pid, const char* field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

qint64 cpuNs(qint64 pid)
{
    qint64 total = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

qint64 steadyUs()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

GrowthLog::GrowthLog(QString path) : path_(std::move(path)), thread_([this] { sample(); }) {}

GrowthLog::~GrowthLog()
{
    stop_ = true;
    thread_.join();
}

void GrowthLog::sample()
{
    qint64 last = -1;
    while (!stop_) {
        const qint64 size = QFileInfo(path_).size();
        if (size != last) {
            arrivals_.add(steadyUs(), size);
            last = size;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

qint64 Arrivals::timeOfByte(qint64 offset) const
{
    for (const auto& [us, size] : sizes_)
        if (size > offset)
            return us;
    return -1;
}

qint64 Arrivals::sizeAt(qint64 at) const
{
    qint64 size = 0;
    for (const auto& [us, s] : sizes_) {
        if (us > at)
            break;
        size = s;
    }
    return size;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::vector<float> leftChannel(const QByteArray& audio)
{
    const auto* samples = reinterpret_cast<const qint16*>(audio.constData());
    std::vector<float> left(static_cast<std::size_t>(audio.size() / kAudioFrameBytes));
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = static_cast<float>(samples[2 * i]) / 32768.0f;
    return left;
}

namespace {

quint32 littleEndian(const char* bytes, int count)
{
    quint32 value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | static_cast<quint8>(bytes[i]);
    return value;
}

} // namespace

std::vector<float> readWav(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return {};
    int channels = 0;
    for (qsizetype at = 12; at + 8 <= bytes.size();) {
        const QByteArray id = bytes.mid(at, 4);
        const qint64 size = littleEndian(bytes.constData() + at + 4, 4);
        const char* body = bytes.constData() + at + 8;
        if (at + 8 + size > bytes.size())
            return {};
        if (id == "fmt ")
            channels = static_cast<int>(littleEndian(body + 2, 2));
        if (id == "data" && channels > 0) {
            std::vector<float> samples;
            for (qint64 i = 0; (i + 1) * channels * 2 <= size; ++i)
                samples.push_back(static_cast<float>(static_cast<qint16>(littleEndian(body + i * channels * 2, 2))) / 32768.0f);
            return samples;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

Match findSound(const std::vector<float>& output, const std::vector<float>& sound, qint64 from, qint64 to)
{
    const std::size_t length = std::min<std::size_t>(sound.size(), kAudioRate / 20);
    Match best;
    if (length == 0)
        return best;
    double soundEnergy = 0;
    for (std::size_t i = 0; i < length; ++i)
        soundEnergy += double{sound[i]} * sound[i];
    from = std::max<qint64>(from, 0);
    to = std::min<qint64>(to, static_cast<qint64>(output.size()) - static_cast<qint64>(length));
    for (qint64 at = from; at < to; ++at) {
        double dot = 0, energy = 0;
        const float* window = output.data() + at;
        for (std::size_t i = 0; i < length; ++i) {
            dot += double{window[i]} * sound[i];
            energy += double{window[i]} * window[i];
        }
        if (energy <= 0)
            continue;
        const double score = dot / std::sqrt(energy * soundEnergy);
        if (score > best.score)
            best = {at, score};
    }
    return best;
}

} // namespace pelmora::e2e
