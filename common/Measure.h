// Clocks, /proc readings and order statistics for the benchmark and the soak.
#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace Measure {

// The system's monotonic clock, the same in every process.
inline qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Resident memory of a process in KiB (VmRSS), 0 once it is gone.
inline qint64 residentKiB(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// CPU time of a process in ms: the scheduler's own account of the time each
// of its threads ran (/proc/PID/task/TID/schedstat, in ns).  Not utime and
// stime: those are sampled at the clock tick, and a process that wakes on a
// 150 ms timer tends to be running just when the tick samples it.
inline double cpuMs(qint64 pid)
{
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    double ns = 0;
    for (const QString &tid : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks + u'/' + tid + QStringLiteral("/schedstat"));
        if (f.open(QIODevice::ReadOnly))
            ns += f.readAll().split(' ').value(0).toDouble();
    }
    return ns / 1e6;
}

// The q-quantile (0..1) by the nearest rank; 0 for no values.
inline double quantile(QList<double> v, double q)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    const auto rank = qsizetype(std::ceil(q * double(v.size())));
    return v[std::clamp<qsizetype>(rank - 1, 0, v.size() - 1)];
}

inline double median(const QList<double> &v)
{
    return quantile(v, 0.5);
}

inline double maxAbsDeviation(const QList<double> &v, double from)
{
    double worst = 0;
    for (double x : v)
        worst = std::max(worst, std::abs(x - from));
    return worst;
}

} // namespace Measure
