// tavik-cli read and set against the simulated motor: each run's wall time
// beside the floor the protocol sets, the ticks its frames took on the wire.
#include "Driver.h"
#include "Measure.h"

#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <cmath>

namespace Bench {

using Measure::nowNs;

bool haveCli()
{
    return QFile::exists(QStringLiteral(CLI_BIN));
}

CliRun measureCli(const QStringList &command, int runs)
{
    progress(QStringLiteral("tavik-cli %1, %2 runs").arg(command.join(u' ')).arg(runs));
    CliRun r;
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    for (int i = 0; i < runs; ++i) {
        QProcess cli;
        cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 t0 = nowNs();
        cli.start(QStringLiteral(CLI_BIN),
                  QStringList {QStringLiteral("--port"), kLink, QStringLiteral("--baud"), QStringLiteral("9600")}
                      + command);
        // Woken by the end of the process, as the driver's other waits.
        QEventLoop loop;
        QObject::connect(&cli, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        if (cli.state() != QProcess::NotRunning)
            loop.exec();
        const qint64 t1 = nowNs();
        if (cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
            r.failure = QStringLiteral("failed (exit %1)").arg(cli.exitCode());
            return r;
        }
        QList<QByteArray> sent;
        QList<qint64> times;
        for (const QByteArray &l : motor->linesStarting("frame ")) {
            const qint64 t = field(l, 1).toLongLong();
            if (t >= t0 && t <= t1) {
                times.append(t);
                sent.append(QByteArray::fromHex(field(l, 2)).mid(4, 1).toHex().toUpper());
            }
        }
        if (times.isEmpty()) {
            r.failure = QStringLiteral("sent nothing");
            return r;
        }
        r.wallMs.append(double(t1 - t0) / 1e6);
        r.ticks.append(std::round(double(times.back() - times.front()) / (kTickMs * 1e6)) + 1);
        r.frames = QString::fromLatin1(sent.join(' '));
        runFor(500); // the motor's last answer is read before the next run
    }
    return r;
}

void printCli(const QString &command, const CliRun &r)
{
    using namespace Measure;
    if (!haveCli() || !r.failure.isEmpty()) {
        row(QStringLiteral("`tavik-cli %1` wall time (ms)").arg(command),
            haveCli() ? r.failure : QStringLiteral("no tavik-cli in this build"), QStringLiteral("ticks × 150"),
            QStringLiteral("within one tick of the floor"), QStringLiteral("not measured"));
        return;
    }
    const double wall = median(r.wallMs), floor = median(r.ticks) * kTickMs;
    row(QStringLiteral("`tavik-cli %1` wall time, median of %2 (ms)").arg(command).arg(r.wallMs.size()), num(wall),
        QStringLiteral("floor %1 = %2 ticks × 150 (frames %3)").arg(num(floor, 0), num(median(r.ticks), 0), r.frames),
        QStringLiteral("within one tick of the floor"),
        QStringLiteral("+ %1 ms, %2").arg(num(wall - floor), verdict(wall <= floor + kTickMs)));
}

} // namespace Bench
