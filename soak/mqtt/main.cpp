// tavik-mqtt-soak: the bridge against `tavik-motor-sim --chaos` and its own
// broker, with random commands published.  Every 2 to 5 minutes a broker
// fault, in turn: a restart, a pause (SIGSTOP) past the bridge's keepalive,
// and a listener on the broker's port that accepts and never answers.
//   tavik-mqtt-soak MINUTES [--smoke] [--seed N]
// --smoke shortens every interval (broker restarts every 20 to 40 s, the
// adapter pulled every 30 to 60 s) for a run of a few minutes.
// Checks: the bridge and the simulator never die; no frame comes from a
// retained or malformed message (their frames carry data no valid command
// here uses); every valid command published while the bridge and its bus are
// up reaches the line within 3 s; every pause and silent phase gets a log
// line from the bridge and the bus is polled all through them; the bridge is
// online within 60 s after each fault; how long the bridge and the bus take
// to be online again.  Exit 1 on any violation.
#include "BrokerKit.h"
#include "Measure.h"
#include "MotorBus.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTest>
#include <QTextStream>

using namespace BrokerKit;

namespace {

constexpr int Covers = 8;
const QString Base = QStringLiteral("tavik/bus1");

struct Published {
    QByteArray frame;
    qint64 atMs;
};

// Frames no valid command of the soak produces: OPEN, CLOSE, position 90 and below 10, motor 99.
bool forbidden(const QByteArray &f)
{
    const quint8 fn = quint8(f[4]), data = quint8(f[5]);
    return quint8(f[1]) > Covers || (fn == 0x0A && (data == 0xDD || data == 0xEE))
        || (fn == 0xDD && (data < 40 || data > 90));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool smoke = args.contains(QStringLiteral("--smoke"));
    const int minutes = args.value(1).toInt() > 0 ? args.value(1).toInt() : (smoke ? 3 : 30);
    const int seedAt = int(args.indexOf(QStringLiteral("--seed")));
    const quint32 seed = seedAt > 0 ? args.value(seedAt + 1).toUInt() : quint32(QDateTime::currentSecsSinceEpoch());
    QRandomGenerator rng(seed);
    QTextStream out(stdout);
    QElapsedTimer clock;
    clock.start();

    QTemporaryDir dir;
    Broker broker;
    broker.logFile = dir.filePath(QStringLiteral("broker.log"));
    if (!broker.start())
        return 1;
    const QString busPath = dir.filePath(QStringLiteral("bus"));
    QProcess sim;
    QStringList simArgs {QStringLiteral("--link"),
                         busPath,
                         QStringLiteral("--baud"),
                         QStringLiteral("3"),
                         QStringLiteral("--chaos"),
                         QStringLiteral("--seed"),
                         QString::number(seed),
                         QStringLiteral("--chaos-log"),
                         dir.filePath(QStringLiteral("chaos.log"))};
    if (smoke)
        simArgs << QStringLiteral("--replug-s") << QStringLiteral("30:60");
    for (int id = 1; id <= Covers; ++id)
        simArgs << QStringLiteral("--motor") << QStringLiteral("%1:1").arg(id);
    int busFrames = 0; // every frame the bus took, polls included
    QList<std::pair<QByteArray, qint64>> frames; // motor commands taken by the bus
    QList<std::pair<QByteArray, qint64>> forbiddenFrames;
    // Stale batches the bridge may have got live: it reconnected before the
    // batch was complete (the broker's log tells), so they were commands.
    QList<std::pair<qint64, qint64>> liveWindows;
    int violations = 0;
    QStringList notes;
    QByteArray simOut;
    QObject::connect(&sim, &QProcess::readyReadStandardOutput, [&] {
        simOut += sim.readAllStandardOutput();
        qsizetype nl;
        while ((nl = simOut.indexOf('\n')) >= 0) {
            const QByteArray line = simOut.left(nl);
            simOut.remove(0, nl + 1);
            const QByteArray f = QByteArray::fromHex(line.left(20));
            if (line.startsWith("9A ") && f.size() == 7)
                ++busFrames;
            if (line.startsWith("9A ") && f.size() == 7 && quint8(f[4]) != 0xCC) {
                frames.append({f, clock.elapsed()});
                if (forbidden(f))
                    forbiddenFrames.append({f, clock.elapsed()});
            }
        }
    });
    sim.start(QStringLiteral(TAVIK_SIM), simArgs);
    sim.waitForStarted();
    QTest::qWait(500);

    writeFile(dir.filePath(QStringLiteral("pw")), Password.toUtf8());
    QByteArray yaml = mqttSection(broker, dir.filePath(QStringLiteral("pw")))
        + "  keepalive: 5\nbuses:\n  - name: bus1\n    port: " + busPath.toUtf8() + "\n    baud: 9600\n    covers:\n";
    for (int id = 1; id <= Covers; ++id)
        yaml += "      - { id: " + QByteArray::number(id) + ", channel: 1 }\n";
    BridgeProcess bridge(dir, yaml);
    bridge.start();
    auto observer = std::make_unique<Observer>(broker, QStringLiteral("soak"));
    const auto up = [&] {
        return observer->client.isConnected() && observer->last(QStringLiteral("tavik/bridge/state")) == "online"
            && observer->last(Base + QStringLiteral("/state")) == "online";
    };

    // Faults and how long the bridge took to be whole again.
    QList<double> brokerBackMs, busBackMs, unansweredBackMs, silentPollRates;
    int pauses = 0, silentPhases = 0;
    qint64 busDownAt = -1;
    const auto watchBus = [&](Observer &o) {
        QObject::connect(&o.client, &MqttClient::messageReceived, [&](const QString &t, const QByteArray &p, bool) {
            if (t == Base + QStringLiteral("/state") && p == "offline" && busDownAt < 0)
                busDownAt = clock.elapsed();
            if (t == Base + QStringLiteral("/state") && p == "online" && busDownAt >= 0) {
                busBackMs.append(double(clock.elapsed() - busDownAt));
                busDownAt = -1;
            }
        });
    };
    watchBus(*observer);

    QList<Published> pending;
    int valid = 0, reached = 0, excused = 0, malformed = 0, retained = 0, restarts = 0, racedBatches = 0;
    qint64 lastFaultMs = 0; // a command published around a fault may be lost with the connection
    const qint64 endMs = qint64(minutes) * 60000;
    qint64 nextRestart = (smoke ? 20000 : 120000) + rng.bounded(smoke ? 20000 : 180000);
    const QList<std::pair<QString, QByteArray>> bad {
        {QStringLiteral("/m1/c1/set"), "open"},         {QStringLiteral("/m1/c1/set"), "OPEN "},
        {QStringLiteral("/m2/c1/set_position"), "101"}, {QStringLiteral("/m2/c1/set_position"), "-5"},
        {QStringLiteral("/m3/c1/set_position"), ""},    {QStringLiteral("/m3/c1/limit/set"), "9"},
        {QStringLiteral("/m99/c1/set"), "CLOSE"},       {QStringLiteral("/m4/c1/set"), QByteArray("\0CLOSE", 6)}};

    while (clock.elapsed() < endMs) {
        QTest::qWait(1000 + int(rng.bounded(2000)));
        const qint64 now = clock.elapsed();
        // Commands due: reached the line, or excused by a fault around them.
        pending.removeIf([&](const Published &p) {
            if (now - p.atMs < 3000)
                return false;
            const bool seen = std::any_of(frames.begin(), frames.end(),
                                          [&](auto &f) { return f.first == p.frame && f.second >= p.atMs; });
            if (seen)
                ++reached;
            else if (lastFaultMs >= p.atMs - 3000 || busDownAt >= 0 || !up())
                ++excused;
            else {
                ++violations;
                notes << QStringLiteral("command lost at %1 s: %2")
                             .arg(p.atMs / 1000)
                             .arg(QString::fromLatin1(p.frame.toHex(' ')));
            }
            return true;
        });
        if (now >= nextRestart && (restarts + pauses + silentPhases) % 3 != 0) {
            // The broker stops answering: paused, or a silent listener in its place.
            const bool paused = (restarts + pauses + silentPhases) % 3 == 1;
            const qsizetype linesBefore = bridge.errors.count("broker: ");
            const qsizetype connectsBefore = bridge.errors.count("broker: connected to");
            const int framesBefore = busFrames;
            const int holdMs = (smoke ? 12000 : 20000) + int(rng.bounded(8000));
            lastFaultMs = clock.elapsed();
            if (paused) {
                ++pauses;
                pause(broker.process);
                QTest::qWait(holdMs);
                resume(broker.process);
            } else {
                ++silentPhases;
                broker.stop();
                {
                    SilentListener silent(false, broker.port);
                    QTest::qWait(holdMs);
                }
                if (!broker.start()) {
                    ++violations;
                    notes << QStringLiteral("the broker did not start again");
                    break;
                }
                silentPollRates.append(double(busFrames - framesBefore) * 1000.0 / holdMs);
            }
            if (bridge.errors.count("broker: ") == linesBefore || busFrames == framesBefore) {
                ++violations;
                notes << QStringLiteral("%1 at %2 s: log lines %3, bus frames %4")
                             .arg(paused ? u"pause"_qs : u"silent listener"_qs)
                             .arg(lastFaultMs / 1000)
                             .arg(bridge.errors.count("broker: ") - linesBefore)
                             .arg(busFrames - framesBefore);
            }
            const qint64 backFrom = clock.elapsed();
            observer = std::make_unique<Observer>(broker, QStringLiteral("soak"));
            watchBus(*observer);
            while (!(bridge.errors.count("broker: connected to") > connectsBefore && up())
                   && clock.elapsed() - backFrom < 60000)
                QTest::qWait(20);
            if (clock.elapsed() - backFrom >= 60000) {
                ++violations;
                notes << QStringLiteral("not online 60 s after the fault at %1 s").arg(lastFaultMs / 1000);
            }
            unansweredBackMs.append(double(clock.elapsed() - backFrom));
            lastFaultMs = clock.elapsed();
            nextRestart = clock.elapsed() + (smoke ? 20000 : 120000) + rng.bounded(smoke ? 20000 : 180000);
            continue;
        }
        if (now >= nextRestart) {
            ++restarts;
            broker.stop();
            QTest::qWait(500 + int(rng.bounded(3000)));
            QFile log(broker.logFile);
            const qint64 logFrom = log.size();
            broker.start();
            lastFaultMs = clock.elapsed();
            const qint64 restartedAt = clock.elapsed();
            // Stale commands left retained before the bridge is back: they must move nothing.
            {
                MqttClient stale(broker.clientConfig(QStringLiteral("soak-stale")), QStringLiteral("soak/stale/gone"));
                QString error;
                stale.start(&error);
                QDeadlineTimer d(900);
                while (!stale.isConnected() && !d.hasExpired())
                    QTest::qWait(5);
                for (int id = 1; id <= Covers; id += 3) {
                    stale.publish(QStringLiteral("%1/m%2/c1/set").arg(Base).arg(id), "CLOSE", true);
                    stale.publish(QStringLiteral("%1/m%2/c1/set_position").arg(Base).arg(id + 1), "90", true);
                    retained += 2;
                }
                QTest::qWait(50);
                stale.disconnectCleanly(QStringLiteral("soak/stale/gone"));
            }
            QTest::qWait(1500);
            if (log.open(QIODevice::ReadOnly) && log.seek(logFrom)) {
                const QByteArray text = log.readAll();
                const qsizetype bridgeIn = text.indexOf("as tavik-test");
                const qsizetype staleOut = text.indexOf("soak-stale disconnected");
                if (bridgeIn >= 0 && (staleOut < 0 || bridgeIn < staleOut)) {
                    liveWindows.append({restartedAt, clock.elapsed() + 3000});
                    retained -= 2 * ((Covers + 2) / 3);
                    ++racedBatches;
                }
                log.close();
            }
            observer = std::make_unique<Observer>(broker, QStringLiteral("soak"));
            watchBus(*observer);
            while (observer->last(QStringLiteral("tavik/bridge/state")) != "online"
                   && clock.elapsed() - restartedAt < 60000)
                QTest::qWait(20);
            brokerBackMs.append(double(clock.elapsed() - restartedAt));
            QTest::qWait(4000);
            for (int id = 1; id <= Covers; id += 3) { // cleared again
                observer->client.publish(QStringLiteral("%1/m%2/c1/set").arg(Base).arg(id), {}, true);
                observer->client.publish(QStringLiteral("%1/m%2/c1/set_position").arg(Base).arg(id + 1), {}, true);
            }
            nextRestart = clock.elapsed() + (smoke ? 20000 : 120000) + rng.bounded(smoke ? 20000 : 180000);
            continue;
        }
        const int roll = int(rng.bounded(100));
        if (roll < 15) {
            const auto &[topic, payload] = bad[int(rng.bounded(bad.size()))];
            observer->client.publish(Base + topic, payload, false);
            ++malformed;
            continue;
        }
        const int id = 1 + int(rng.bounded(Covers));
        const bool stop = roll < 35;
        const int position = 10 + int(rng.bounded(51));
        const QByteArray frame = MotorBus::commandFrame(id, 0x0001, stop ? 0x0A : 0xDD,
                                                        stop ? 0xCC : quint8(100 - position));
        if (!up())
            continue;
        observer->client.publish(QStringLiteral("%1/m%2/c%3")
                                     .arg(Base)
                                     .arg(id)
                                     .arg(stop ? QStringLiteral("1/set") : QStringLiteral("1/set_position")),
                                 stop ? QByteArray("STOP") : QByteArray::number(position), false);
        pending.append({frame, clock.elapsed()});
        ++valid;
    }
    for (const auto &[f, at] : forbiddenFrames) {
        if (std::any_of(liveWindows.begin(), liveWindows.end(),
                        [at = at](auto &w) { return at >= w.first && at <= w.second; }))
            continue;
        ++violations;
        notes << QStringLiteral("frame from no valid command at %1 s: %2")
                     .arg(at / 1000)
                     .arg(QString::fromLatin1(f.toHex(' ')));
    }
    const bool bridgeAlive = bridge.process.state() == QProcess::Running;
    const bool simAlive = sim.state() == QProcess::Running;
    const qint64 rss = Measure::residentKiB(bridge.process.processId());
    sim.terminate();
    sim.waitForFinished(3000);
    if (!bridgeAlive || !simAlive) {
        ++violations;
        notes << QStringLiteral("bridge alive: %1, simulator alive: %2").arg(bridgeAlive).arg(simAlive);
    }

    const auto line = [&](const QString &what, double v) {
        out << QStringLiteral("| %1 | %2 |\n").arg(what, -52).arg(v, 12, 'f', 0);
    };
    out << "| what                                                 |        count |\n"
        << "| ---------------------------------------------------- | -----------: |\n";
    line(QStringLiteral("minutes"), minutes);
    line(QStringLiteral("seed"), seed);
    line(QStringLiteral("broker restarts"), restarts);
    line(QStringLiteral("broker paused past the keepalive"), pauses);
    line(QStringLiteral("silent listener in the broker's place"), silentPhases);
    line(QStringLiteral("adapter unplugged (bus offline)"), busBackMs.size());
    line(QStringLiteral("valid commands published"), valid);
    line(QStringLiteral("valid commands on the line within 3 s"), reached);
    line(QStringLiteral("valid commands excused (fault around them)"), excused);
    line(QStringLiteral("valid commands still pending at the end"), double(pending.size()));
    line(QStringLiteral("malformed commands published"), malformed);
    line(QStringLiteral("stale batches the bridge got live (not counted)"), racedBatches);
    line(QStringLiteral("retained commands left for the bridge"), retained);
    line(QStringLiteral("violations"), violations);
    line(QStringLiteral("broker back -> bridge online, max ms"), Measure::quantile(brokerBackMs, 1.0));
    line(QStringLiteral("pause or silence over -> bridge online, max ms"), Measure::quantile(unansweredBackMs, 1.0));
    line(QStringLiteral("bus frames a second while silent, min"), Measure::quantile(silentPollRates, 0.0));
    line(QStringLiteral("bus offline -> online again, max ms"), Measure::quantile(busBackMs, 1.0));
    line(QStringLiteral("resident memory at the end, KiB"), double(rss));
    for (const QString &n : std::as_const(notes))
        out << "violation: " << n << '\n';
    return violations == 0 ? 0 : 1;
}
