// The bridge at scale: one bus of many covers (motor IDs from 1, sixteen
// channels each, one simulated motor per channel) against its own broker.
//   time from the start to the first state of every cover,
//   resident memory and CPU while it polls them all,
//   time from the whole bus falling silent to every cover offline.
#include "Scale.h"

#include "BrokerKit.h"
#include "Measure.h"
#include "MotorSim.h"

#include <QHash>
#include <QSet>
#include <QTest>

using namespace BrokerKit;

namespace {

QString coverPath(int i)
{
    return QStringLiteral("tavik/bus1/m%1/c%2").arg(1 + i / 16).arg(1 + i % 16);
}

// Waits until every cover's availability reads want; the seconds it took, or -1 past the limit.
double secondsUntilAll(const QHash<QString, QByteArray> &latest, int covers, const QByteArray &want, qint64 fromNs,
                       int limitS)
{
    QSet<int> missing;
    for (int i = 0; i < covers; ++i)
        missing.insert(i);
    while (!missing.isEmpty()) {
        if ((Measure::nowNs() - fromNs) / 1e9 > limitS)
            return -1;
        QTest::qWait(20);
        for (auto it = missing.begin(); it != missing.end();)
            it = latest.value(coverPath(*it) + QStringLiteral("/availability")) == want ? missing.erase(it)
                                                                                        : std::next(it);
    }
    return (Measure::nowNs() - fromNs) / 1e9;
}

} // namespace

ScaleRow measureScale(int covers, int cpuSeconds)
{
    ScaleRow row;
    row.covers = covers;
    Broker broker;
    if (!broker.start())
        return row;
    QTemporaryDir dir;
    MotorSim sim;
    sim.bus().setBaudCode(3);
    QByteArray yaml;
    for (int i = 0; i < covers; ++i) {
        sim.bus().addMotor(1 + i / 16, quint16(1u << (i % 16))).position = 50;
        yaml += QStringLiteral("      - { id: %1, channel: %2 }\n").arg(1 + i / 16).arg(1 + i % 16).toUtf8();
    }
    sim.link(dir.filePath(QStringLiteral("bus")));
    Observer observer(broker, QStringLiteral("scale"));
    QHash<QString, QByteArray> latest; // each topic's newest payload
    QObject::connect(&observer.client, &MqttClient::messageReceived,
                     [&](const QString &topic, const QByteArray &payload, bool) { latest.insert(topic, payload); });
    while (!observer.client.isConnected())
        QTest::qWait(20);
    writeFile(dir.filePath(QStringLiteral("pw")), Password.toUtf8());
    yaml = mqttSection(broker, dir.filePath(QStringLiteral("pw"))) + "buses:\n  - name: bus1\n    port: "
        + dir.filePath(QStringLiteral("bus")).toUtf8() + "\n    baud: 9600\n    covers:\n" + yaml;
    BridgeProcess bridge(dir, yaml);
    const qint64 started = Measure::nowNs();
    bridge.start();
    // Every cover is polled in turn, one a tick: the limit leaves room for twice that.
    const int limitS = 30 + covers * 2 * 150 / 1000;
    row.firstStateS = secondsUntilAll(latest, covers, "online", started, limitS);

    const double cpu0 = Measure::cpuMs(bridge.process.processId());
    const qint64 t0 = Measure::nowNs();
    QTest::qWait(cpuSeconds * 1000);
    row.cpuPercent = (Measure::cpuMs(bridge.process.processId()) - cpu0) / ((Measure::nowNs() - t0) / 1e6) * 100;
    row.rssMiB = Measure::residentKiB(bridge.process.processId()) / 1024.0;

    sim.bus().motors().clear();
    row.silentToOfflineS = secondsUntilAll(latest, covers, "offline", Measure::nowNs(), 60);
    return row;
}
