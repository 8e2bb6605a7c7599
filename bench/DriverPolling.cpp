// Polling a simulated motor for minutes: Tavik's memory growth and CPU
// beside the polling yardstick's, and the spacing of the frames at the wire
// with the bus monitor closed and open.
#include "Driver.h"
#include "Measure.h"

#include <cmath>

namespace Bench {

using Measure::nowNs;

Soak measureSoak(int minutes)
{
    progress(QStringLiteral("polling a simulated motor for %1 min").arg(minutes));
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    auto host = startHost({QStringLiteral("idle")});
    // The yardstick polls a motor of its own, as Tavik does, and does nothing else.
    auto floorMotor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")}, kFloorLink);
    Child reference(QStringLiteral(FLOOR_BIN), {kFloorLink});
    runFor(10000); // past the scan and the first paints
    const qint64 t0 = nowNs();
    const double cpu0 = Measure::cpuMs(host->pid()), refCpu0 = Measure::cpuMs(reference.pid());
    const qint64 rss0 = Measure::residentKiB(host->pid()), refRss0 = Measure::residentKiB(reference.pid());
    qint64 rss1 = rss0;
    for (int m = 0; m < minutes; ++m) {
        runFor(60000);
        const qint64 rss = Measure::residentKiB(host->pid());
        if (m == 0)
            rss1 = rss;
        progress(QStringLiteral("  minute %1: %2 KiB resident, %3 ms CPU")
                     .arg(m + 1)
                     .arg(rss)
                     .arg(Measure::cpuMs(host->pid()) - cpu0));
    }
    Soak r;
    r.minutes = double(nowNs() - t0) / 60e9;
    r.tavikCpuMsPerMin = (Measure::cpuMs(host->pid()) - cpu0) / r.minutes;
    r.referenceCpuMsPerMin = (Measure::cpuMs(reference.pid()) - refCpu0) / r.minutes;
    r.tavikStartKiB = rss0;
    r.tavikFirstMinuteKiB = rss1 - rss0;
    r.tavikLaterKiB = Measure::residentKiB(host->pid()) - rss1;
    r.referenceGrowthKiB = Measure::residentKiB(reference.pid()) - refRss0;
    r.spacingMs = spacingsMs(frameTimes(*motor, -1, t0));
    return r;
}

QList<double> measureMonitorSpacing(int minutes)
{
    progress(QStringLiteral("polling with the bus monitor open for %1 min").arg(minutes));
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    auto host = startHost({QStringLiteral("idle"), QStringLiteral("--monitor")});
    if (host->linesStarting("monitor absent").size() > 0)
        return {};
    runFor(2000);
    const qint64 t0 = nowNs();
    runFor(minutes * 60000);
    return spacingsMs(frameTimes(*motor, -1, t0));
}

namespace {

// 99 % of the spacings lie within 150 ± 3 ms.
void spacingRow(const QString &when, const QList<double> &spacing)
{
    using namespace Measure;
    QList<double> deviation;
    for (double ms : spacing)
        deviation.append(std::abs(ms - kTickMs));
    const double p99 = quantile(deviation, 0.99);
    row(QStringLiteral("Frame spacing at the wire, %1, %2 frames: median / p99 of the deviation (ms)")
            .arg(when)
            .arg(spacing.size()),
        num(median(spacing), 2) + QStringLiteral(" / ± ") + num(p99, 2), QStringLiteral("tick 150"),
        QStringLiteral("p99 within 150 ± 3"), verdict(!spacing.isEmpty() && p99 <= 3));
}

} // namespace

void printPolling(const Soak &soak, const QList<double> &monitorSpacing)
{
    row(QStringLiteral("Memory growth while polling %1 min: first minute / after it (KiB)").arg(num(soak.minutes, 0)),
        QStringLiteral("%1 / %2 from %3 MiB")
            .arg(soak.tavikFirstMinuteKiB)
            .arg(soak.tavikLaterKiB)
            .arg(num(double(soak.tavikStartKiB) / 1024)),
        QString::number(soak.referenceGrowthKiB) + QStringLiteral(" (polling yardstick)"),
        QStringLiteral("no growth after the first minute"), verdict(soak.tavikLaterKiB <= 8));
    const double load = soak.tavikCpuMsPerMin / 600; // % of one core: ms per 60000 ms
    row(QStringLiteral("CPU while polling one motor (% of a core)"),
        num(load, 3) + QStringLiteral(" (%1 ms a minute)").arg(num(soak.tavikCpuMsPerMin)),
        num(soak.referenceCpuMsPerMin / 600, 3) + QStringLiteral(" (the protocol's work alone)"),
        QStringLiteral("≤ 0.15 %"), verdict(load <= 0.15));
    spacingRow(QStringLiteral("bus monitor closed"), soak.spacingMs);
    if (monitorSpacing.isEmpty())
        row(QStringLiteral("Frame spacing at the wire, bus monitor open"),
            QStringLiteral("no bus monitor in this build"), QStringLiteral("tick 150"),
            QStringLiteral("p99 within 150 ± 3"), QStringLiteral("not measured"));
    else
        spacingRow(QStringLiteral("bus monitor open"), monitorSpacing);
}

} // namespace Bench
