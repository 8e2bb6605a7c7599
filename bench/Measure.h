// Clocks, /proc readings and order statistics shared by the benchmark's roles.
#pragma once

#include <QFile>
#include <QList>
#include <QString>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <unistd.h>

namespace Measure {

// The system's monotonic clock, the same in every process.
inline qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
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

// User plus system CPU time of a process in ms.
inline double cpuMs(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray stat = f.readAll();
    // Fields after the command name, which may hold blanks: state is field 3,
    // utime and stime are fields 14 and 15.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks * 1000.0 / double(sysconf(_SC_CLK_TCK));
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

inline double median(const QList<double> &v) { return quantile(v, 0.5); }

inline double maxAbsDeviation(const QList<double> &v, double from)
{
    double worst = 0;
    for (double x : v)
        worst = std::max(worst, std::abs(x - from));
    return worst;
}

} // namespace Measure
