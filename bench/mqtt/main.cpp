// tavik-mqtt-bench: the bridge's figures against its own broker and the
// simulated bus with 16 motors (one cover each):
//   command published -> its first frame on the wire (p50/p99/max),
//   status answer on the wire (its last byte) -> position published (p50/p99/max),
//   the longest gap between two polls of a still and of a moving cover, in ticks,
//   resident memory and CPU of the bridge while it polls the 16 covers.
// "tavik-mqtt-bench scale" gives the rows of 96 and 1,584 covers instead.
// The answer leaves the simulator its answer delay after the poll arrived;
// that moment stands for "on the wire".
#include "BrokerKit.h"
#include "Measure.h"
#include "MotorLink.h"
#include "MotorSim.h"
#include "Scale.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTest>
#include <QTextStream>

using namespace BrokerKit;

namespace {

struct Poll {
    int id;
    qint64 atNs;
};

void wait(int ms)
{
    QTest::qWait(ms);
}

QString row(const QString &what, const QList<double> &v, const QString &unit)
{
    return QStringLiteral("| %1 | %2 | %3 | %4 | %5 | %6 |")
        .arg(what, -44)
        .arg(v.size(), 5)
        .arg(Measure::median(v), 7, 'f', 1)
        .arg(Measure::quantile(v, 0.99), 7, 'f', 1)
        .arg(Measure::quantile(v, 1.0), 7, 'f', 1)
        .arg(unit);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc > 1 && QByteArray(argv[1]) == "scale") {
        out << "| covers | first state of all | RSS | CPU (polling) | silent bus -> all offline |\n"
            << "| -----: | -----------------: | --: | ------------: | ------------------------: |\n";
        for (const int covers : {96, 1584}) {
            const ScaleRow r = measureScale(covers, 20);
            out << QStringLiteral("| %1 | %2 s | %3 MiB | %4 % | %5 s |\n")
                       .arg(r.covers)
                       .arg(r.firstStateS, 0, 'f', 1)
                       .arg(r.rssMiB, 0, 'f', 1)
                       .arg(r.cpuPercent, 0, 'f', 2)
                       .arg(r.silentToOfflineS, 0, 'f', 2);
            out.flush();
        }
        return 0;
    }
    const int commands = argc > 1 ? QByteArray(argv[1]).toInt() : 200;

    Broker broker;
    if (!broker.start()) {
        out << "no broker\n";
        return 1;
    }
    QTemporaryDir dir;
    MotorSim sim;
    sim.bus().setBaudCode(3);
    for (int id = 1; id <= 16; ++id)
        sim.bus().addMotor(id, 0x0001).position = 50;
    sim.link(dir.filePath(QStringLiteral("bus")));

    QList<Poll> polls;
    QList<std::pair<QByteArray, qint64>> commandFrames;
    QObject::connect(&sim, &MotorSim::frameReceived, [&](const QByteArray &b, int, bool) {
        const qint64 now = Measure::nowNs();
        if (quint8(b[4]) == 0xCC)
            polls.append({int(quint8(b[1])), now});
        else
            commandFrames.append({b, now});
    });

    Observer observer(broker, QStringLiteral("bench"));
    QList<std::pair<int, qint64>> positions; // cover ID, when published
    QObject::connect(&observer.client, &MqttClient::messageReceived, [&](const QString &t, const QByteArray &, bool r) {
        static const QRegularExpression pos(QStringLiteral("^tavik/bus1/m(\\d+)/c1/position$"));
        if (const auto m = pos.match(t); m.hasMatch() && !r)
            positions.append({m.captured(1).toInt(), Measure::nowNs()});
    });
    writeFile(dir.filePath(QStringLiteral("pw")), Password.toUtf8());
    QByteArray yaml = mqttSection(broker, dir.filePath(QStringLiteral("pw"))) + "buses:\n  - name: bus1\n    port: "
        + dir.filePath(QStringLiteral("bus")).toUtf8() + "\n    baud: 9600\n    covers:\n";
    for (int id = 1; id <= 16; ++id)
        yaml += "      - { id: " + QByteArray::number(id) + ", channel: 1 }\n";
    BridgeProcess bridge(dir, yaml);
    bridge.start();
    while (observer.last(QStringLiteral("tavik/bus1/m16/c1/availability")) != "online")
        wait(50);

    // Still covers: polls and CPU over 30 s.
    polls.clear();
    const double cpu0 = Measure::cpuMs(bridge.process.processId());
    const qint64 t0 = Measure::nowNs();
    wait(30000);
    const double cpuPercent = (Measure::cpuMs(bridge.process.processId()) - cpu0) / ((Measure::nowNs() - t0) / 1e6)
        * 100;
    const auto gaps = [&](int id, qint64 from) {
        QList<double> g;
        qint64 last = -1;
        for (const Poll &p : polls)
            if (p.id == id && p.atNs >= from) {
                if (last >= 0)
                    g.append((p.atNs - last) / 1e6 / MotorLink::TickMs);
                last = p.atNs;
            }
        return g;
    };
    QList<double> stillGaps;
    for (int id = 1; id <= 16; ++id)
        stillGaps += gaps(id, t0);

    // One cover moving from end to end while the others stand still.
    QList<double> movingGaps;
    for (const int id : {5, 11}) {
        polls.clear();
        const qint64 from = Measure::nowNs();
        observer.client.publish(QStringLiteral("tavik/bus1/m%1/c1/set").arg(id), id == 5 ? "OPEN" : "CLOSE", false);
        wait(4500);
        movingGaps += gaps(id, from + 400'000'000); // after both sends of the command
    }

    // Commands: published at random moments against the tick; each is a
    // position for a random cover, so motors move and answers change.
    QList<double> commandMs;
    QList<double> answerMs;
    // The answer's last byte leaves the simulator its delay plus 10 bytes of
    // 10 bits at 9600 bit/s after the poll arrived.
    const double answerEndMs = sim.answerDelayMs() + 10 * 10 * 1000.0 / 9600;
    for (int i = 0; i < commands; ++i) {
        const int id = 1 + int(QRandomGenerator::global()->bounded(16));
        const int position = 10 + int(QRandomGenerator::global()->bounded(81));
        const QByteArray frame = MotorBus::commandFrame(id, 0x0001, 0xDD, quint8(100 - position));
        commandFrames.clear();
        positions.clear();
        polls.clear();
        const qint64 sent = Measure::nowNs();
        observer.client.publish(QStringLiteral("tavik/bus1/m%1/c1/set_position").arg(id), QByteArray::number(position),
                                false);
        QDeadlineTimer deadline(2000);
        while (!deadline.hasExpired()
               && std::none_of(commandFrames.begin(), commandFrames.end(), [&](auto &f) { return f.first == frame; }))
            wait(1);
        for (const auto &[bytes, at] : commandFrames)
            if (bytes == frame) {
                commandMs.append((at - sent) / 1e6);
                break;
            }
        wait(1200 + int(QRandomGenerator::global()->bounded(150)));
        // Each position published: from the answer to the last poll of that cover before it.
        for (const auto &[cover, at] : positions) {
            qint64 poll = -1;
            for (const Poll &p : polls)
                if (p.id == cover && p.atNs < at)
                    poll = p.atNs;
            if (poll >= 0)
                answerMs.append((at - poll) / 1e6 - answerEndMs);
        }
    }
    const qint64 rssKiB = Measure::residentKiB(bridge.process.processId());

    out << "| row                                          |     n |     p50 |     p99 |     max | unit |\n"
        << "| -------------------------------------------- | ----: | ------: | ------: | ------: | ---- |\n"
        << row(QStringLiteral("command published -> first frame"), commandMs, QStringLiteral("ms")) << '\n'
        << row(QStringLiteral("status answer -> position published"), answerMs, QStringLiteral("ms")) << '\n'
        << row(QStringLiteral("poll gap, still cover (16 covers)"), stillGaps, QStringLiteral("ticks")) << '\n'
        << row(QStringLiteral("poll gap, the one moving cover"), movingGaps, QStringLiteral("ticks")) << '\n'
        << QStringLiteral("| resident memory of tavik-mqtt                |     1 | %1 |         |         | MiB |\n")
               .arg(rssKiB / 1024.0, 7, 'f', 1)
        << QStringLiteral(
               "| CPU of tavik-mqtt polling 16 covers (30 s)   |     1 | %1 |         |         | % of a core |\n")
               .arg(cpuPercent, 7, 'f', 2)
        << "commands that reached the line: " << commandMs.size() << " of " << commands << '\n';
    return 0;
}
