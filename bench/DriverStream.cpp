// A stream of status answers at 19200 baud, back to back: the share Tavik
// understands, the position it shows once the stream ends, and the longest
// pause of its event loop meanwhile.
#include "Driver.h"

namespace Bench {

namespace {

// Answers the motor had sent (stream and poll answers) at time t, from its
// once-a-second counts.
double answersAt(const QList<QByteArray> &counts, qint64 t)
{
    for (qsizetype i = 1; i < counts.size(); ++i) {
        const qint64 t0 = field(counts[i - 1], 1).toLongLong(), t1 = field(counts[i], 1).toLongLong();
        if (t < t0 || t > t1)
            continue;
        const double n0 = field(counts[i - 1], 2).toDouble() + field(counts[i - 1], 3).toDouble();
        const double n1 = field(counts[i], 2).toDouble() + field(counts[i], 3).toDouble();
        return n0 + (n1 - n0) * double(t - t0) / double(t1 - t0);
    }
    return -1;
}

} // namespace

Flood measureFlood(int seconds)
{
    progress(QStringLiteral("status answers streaming at 19200 baud for %1 s").arg(seconds));
    // The stream outlasts the host's window, which opens 2 s after the scan.
    auto motor = startMotor(
        {QStringLiteral("--baud"), QStringLiteral("4"), QStringLiteral("--chatter"), QString::number(seconds + 4)});
    auto host = startHost({QStringLiteral("flood"), QStringLiteral("--seconds"), QString::number(seconds),
                           QStringLiteral("--settle"), QStringLiteral("5")});
    const QByteArray window = host->waitFor("window", seconds * 1000 + 30000);
    const QByteArray shown = host->waitFor("shown", 30000);
    Flood f;
    const qint64 from = field(window, 1).toLongLong(), to = field(window, 2).toLongLong();
    const QList<QByteArray> counts = motor->linesStarting("chatter ");
    const double offered = answersAt(counts, to) - answersAt(counts, from);
    f.offeredPerS = offered / (double(to - from) / 1e9);
    f.understoodShare = offered > 0 ? field(window, 4).toDouble() / offered : 0;
    f.longestGapMs = field(window, 6).toDouble() / 1000;
    f.shown = field(shown, 1).toInt();
    f.newest = field(motor->waitFor("chatter-end"), 2).toInt();
    return f;
}

void printFlood(const Flood &flood)
{
    row(QStringLiteral("Status answers streaming at 19200 baud: share understood"),
        num(100 * flood.understoodShare, 2) + QStringLiteral(" %"),
        num(flood.offeredPerS) + QStringLiteral(" answers/s offered"), QStringLiteral("≥ 99 %"),
        verdict(flood.understoodShare >= 0.99));
    row(QStringLiteral("Same stream: position shown once it ends (%)"), QString::number(flood.shown),
        QString::number(flood.newest) + QStringLiteral(" (the newest)"), QStringLiteral("the newest"),
        verdict(flood.shown == flood.newest));
    row(QStringLiteral("Same stream: longest event-loop pause (ms)"), num(flood.longestGapMs),
        QStringLiteral("tick 150"), QStringLiteral("under one tick"), verdict(flood.longestGapMs < kTickMs));
}

} // namespace Bench
