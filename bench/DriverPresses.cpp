// Press to first byte: the host presses the stop button at random moments;
// the motor stamps each command frame's arrival.
#include "Driver.h"
#include "Measure.h"

#include <algorithm>

namespace Bench {

QList<double> measurePresses(int count)
{
    progress(QStringLiteral("%1 presses of the stop button").arg(count));
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    auto host = startHost({QStringLiteral("press"), QStringLiteral("--count"), QString::number(count)});
    host->waitFor("done", count * 2000);
    runFor(500);
    const QList<qint64> commands = frameTimes(*motor, 0x0A);
    QList<double> delays;
    for (const QByteArray &p : host->linesStarting("press ")) {
        const qint64 pressed = field(p, 1).toLongLong();
        const auto first = std::find_if(commands.begin(), commands.end(), [&](qint64 t) { return t >= pressed; });
        if (first != commands.end())
            delays.append(double(*first - pressed) / 1e6);
    }
    return delays;
}

void printPresses(const QList<double> &delays)
{
    using namespace Measure;
    const double slowest = quantile(delays, 1.0);
    row(QStringLiteral("Press to first byte, %1 presses: median / p99 / max (ms)").arg(delays.size()),
        num(median(delays)) + QStringLiteral(" / ") + num(quantile(delays, 0.99)) + QStringLiteral(" / ")
            + num(slowest),
        QStringLiteral("tick 150"), QStringLiteral("within one tick (+ 5)"), verdict(slowest <= kTickMs + 5));
}

} // namespace Bench
