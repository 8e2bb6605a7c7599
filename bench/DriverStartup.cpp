// Start-up to first paint and resident memory after it: Tavik against the
// reference window, alternating.
#include "Driver.h"
#include "Measure.h"

namespace Bench {

using Measure::nowNs;

namespace {

void startOnce(Startup &into, const QString &program, const QStringList &args)
{
    const qint64 t0 = nowNs();
    Child c(program, args, true);
    const QByteArray line = c.waitFor("first-paint");
    into.ms.append(double(field(line, 1).toLongLong() - t0) / 1e6);
    into.widgets = field(line, 3).toInt();
    into.residentKiB.append(double(Measure::residentKiB(c.pid())));
}

} // namespace

// Alternating runs, after one unmeasured run of each to warm the caches.
std::pair<Startup, Startup> measureStartup(int runs)
{
    progress(QStringLiteral("start-up, %1 runs of each program").arg(runs));
    Startup tavik, reference, warm;
    startOnce(warm, QStringLiteral(TAVIK_BIN), {});
    startOnce(warm, QStringLiteral(REFERENCE_BIN), {});
    for (int i = 0; i < runs; ++i) {
        startOnce(tavik, QStringLiteral(TAVIK_BIN), {});
        startOnce(reference, QStringLiteral(REFERENCE_BIN), {});
    }
    return {tavik, reference};
}

void printStartup(const Startup &tavik, const Startup &reference)
{
    using namespace Measure;
    const double startTavik = median(tavik.ms), startRef = median(reference.ms);
    row(QStringLiteral("Start-up to first paint, median of %1 (ms)").arg(tavik.ms.size()), num(startTavik),
        num(startRef), QStringLiteral("≤ 1.3 × reference"),
        QStringLiteral("ratio %1, %2").arg(num(startTavik / startRef, 2), verdict(startTavik <= 1.3 * startRef)));
    const double rssTavik = median(tavik.residentKiB) / 1024, rssRef = median(reference.residentKiB) / 1024;
    row(QStringLiteral("Resident memory after start-up (MiB)"), num(rssTavik), num(rssRef),
        QStringLiteral("≤ 1.3 × reference"),
        QStringLiteral("ratio %1, %2").arg(num(rssTavik / rssRef, 2), verdict(rssTavik <= 1.3 * rssRef)));
}

} // namespace Bench
