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

} // namespace pelmora::e2e
