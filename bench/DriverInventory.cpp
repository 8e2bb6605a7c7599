// tavik-cli scan --all on a line of many motors (the simulator's truthful
// line at 9600 bps, its rate unknown to the run): the wall time of the whole
// inventory beside the wire's floor of one status poll per tick for every ID
// and channel.
#include "Driver.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

#include "Measure.h"

namespace Bench {

bool haveInventory()
{
    return haveCli() && QFile::exists(QStringLiteral(SIM_BIN));
}

// motorIds: one motor on one channel at each, so that no poll is spared.
InventoryRun measureInventory(int lastId, const QList<int> &motorIds)
{
    progress(QStringLiteral("tavik-cli scan --all --ids 1-%1, %2 motors").arg(lastId).arg(motorIds.size()));
    InventoryRun r;
    r.lastId = lastId;
    r.motors = int(motorIds.size());
    QStringList simArgs {QStringLiteral("--baud"), QStringLiteral("3")};
    for (int id : motorIds)
        simArgs << QStringLiteral("--motor") << QStringLiteral("%1:%2").arg(id).arg(id % 16 + 1);
    Child sim(QStringLiteral(SIM_BIN), simArgs);
    const QString port = QString::fromUtf8(sim.waitFor("/"));

    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 t0 = Measure::nowNs();
    cli.start(QStringLiteral(CLI_BIN),
              {QStringLiteral("--port"), port, QStringLiteral("--json"), QStringLiteral("scan"),
               QStringLiteral("--all"), QStringLiteral("--ids"), QStringLiteral("1-%1").arg(lastId)});
    QEventLoop loop;
    QObject::connect(&cli, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(10 * 60 * 1000, &loop, &QEventLoop::quit);
    if (cli.state() != QProcess::NotRunning)
        loop.exec();
    r.wallS = double(Measure::nowNs() - t0) / 1e9;
    for (const QByteArray &line : cli.readAllStandardOutput().split('\n'))
        if (const QJsonObject o = QJsonDocument::fromJson(line).object(); o.value("type") == QLatin1String("summary"))
            r.found = o.value("motors").toInt();
    if (cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0)
        r.failure = QStringLiteral("failed (exit %1)").arg(cli.exitCode());
    return r;
}

void printInventory(const InventoryRun &r, double goalS)
{
    const double floorS = r.lastId * 16 * kTickMs / 1000;
    const QString measure =
        QStringLiteral("`tavik-cli scan --all --ids 1-%1`, %2 motors at 9600 bps (s)").arg(r.lastId).arg(r.motors);
    const QString goal = QStringLiteral("≤ %1 s").arg(num(goalS));
    if (!haveInventory() || !r.failure.isEmpty() || r.found != r.motors) {
        const QString why = !haveInventory() ? QStringLiteral("no tavik-cli or simulator in this build")
            : !r.failure.isEmpty()           ? r.failure
                                             : QStringLiteral("found %1 of %2").arg(r.found).arg(r.motors);
        row(measure, why, QStringLiteral("floor %1 s").arg(num(floorS)), goal, QStringLiteral("not met"));
        return;
    }
    row(measure, num(r.wallS), QStringLiteral("floor %1 s = %2 polls × 150 ms").arg(num(floorS)).arg(r.lastId * 16),
        goal, QStringLiteral("%1 × floor, %2").arg(num(r.wallS / floorS, 2), verdict(r.wallS <= goalS)));
}

} // namespace Bench
