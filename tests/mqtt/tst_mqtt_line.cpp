// The line under load, tavik-mqtt between a real broker and simulated motors
// on a pseudo-terminal: a group moving 16 covers, a scene of 96 covers, a
// flood of bad commands.
#include "BrokerKit.h"
#include "MotorSim.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <algorithm>

using namespace BrokerKit;

namespace {

// One simulated motor per cover: IDs from 1, `channels` channels each.
QByteArray busWithCovers(MotorSim &sim, const QString &port, int ids, int channels, int motorPercent)
{
    sim.bus().setBaudCode(3);
    QByteArray yaml = "buses:\n  - name: bus1\n    port: " + port.toUtf8() + "\n    baud: 9600\n    covers:\n";
    for (int id = 1; id <= ids; ++id)
        for (int ch = 1; ch <= channels; ++ch) {
            sim.bus().addMotor(id, quint16(1u << (ch - 1))).position = motorPercent;
            yaml += QStringLiteral("      - { id: %1, channel: %2 }\n").arg(id).arg(ch).toUtf8();
        }
    return yaml + "    groups:\n      - { name: every ID, id: 0, channels: [1] }\n";
}

quint8 functionOf(const MotorBus::ReceivedFrame &f)
{
    return quint8(f.bytes[4]);
}
int idOf(const MotorBus::ReceivedFrame &f)
{
    return quint8(f.bytes[1]);
}
quint16 maskOf(const MotorBus::ReceivedFrame &f)
{
    return quint16(quint8(f.bytes[2]) | quint8(f.bytes[3]) << 8);
}

} // namespace

class TestMqttLine : public QObject {
    Q_OBJECT
    BrokerRig m_rig;
    QTemporaryDir &m_dir = m_rig.dir;
    Broker &m_broker = m_rig.broker;
    std::unique_ptr<Observer> &m_observer = m_rig.observer;
    const QString &m_passwordFile = m_rig.passwordFile;

    int countSince(qsizetype from, const QString &topic, const QByteArray &payload) const
    {
        return int(std::count_if(m_observer->seen.begin() + from, m_observer->seen.end(),
                                 [&](const Observer::Message &m) { return m.topic == topic && m.payload == payload; }));
    }

private slots:
    void initTestCase() { QVERIFY(m_rig.start(u"line-observer"_qs)); }

    // A group closes 16 open covers: every one that answers shows closing
    // before its own poll could say so, and while they move every cover is
    // polled at least once in 2 x 16 frames on the wire.  Also with answers
    // that come late, and with a second motor on one ID (its cover's answers
    // collide, so it stays unavailable).
    void groupMoveIsFair_data()
    {
        QTest::addColumn<int>("answerDelayMs");
        QTest::addColumn<int>("sharedId"); // 0: none
        QTest::newRow("prompt answers") << 0 << 0;
        QTest::newRow("late answers") << 100 << 0;
        QTest::newRow("two motors on ID 5") << 0 << 5;
    }
    void groupMoveIsFair()
    {
        QFETCH(int, answerDelayMs);
        QFETCH(int, sharedId);
        MotorSim sim;
        const QString base = QStringLiteral("fair%1-%2").arg(answerDelayMs).arg(sharedId);
        const QByteArray buses = busWithCovers(sim, m_dir.filePath(base), 16, 1, 0);
        if (sharedId)
            sim.bus().addMotor(sharedId, 0x0001);
        sim.setAnswerDelayMs(answerDelayMs);
        QVERIFY(sim.link(m_dir.filePath(base)));
        BridgeProcess bridge(m_dir, mqttSection(m_broker, m_passwordFile, u"tavik-"_qs + base, base) + buses,
                             base + u".yaml"_qs);
        bridge.start();
        const auto state = [&](int id) { return QStringLiteral("%1/bus1/m%2/c1/state").arg(base).arg(id); };
        for (int id = 1; id <= 16; ++id)
            if (id != sharedId)
                QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(state(id)), QByteArray("open"), 15000);
        const qsizetype before = m_observer->seen.size();
        sim.bus().clearLog();
        m_observer->client.publish(base + u"/bus1/g0-0001/set"_qs, "CLOSE", false);
        const auto allClosing = [&] {
            for (int id = 1; id <= 16; ++id)
                if (id != sharedId && countSince(before, state(id), "closing") == 0)
                    return false;
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(allClosing(), 5000);
        const int pollsBeforeAllClosing = int(std::count_if(sim.frames().begin(), sim.frames().end(),
                                                            [](const auto &f) { return functionOf(f) == 0xCC; }));
        QVERIFY2(pollsBeforeAllClosing < 16, qPrintable(QString::number(pollsBeforeAllClosing)));

        QTRY_VERIFY_WITH_TIMEOUT(sim.frames().size() >= 6 * 16, 60000);
        QList<int> lastPoll(17, 0);
        int widestGap = 0;
        const QList<MotorBus::ReceivedFrame> frames = sim.frames();
        for (const Motor &m : sim.bus().motors())
            QVERIFY2(m.position > 0, qPrintable(QString::number(m.id))); // every one moved
        if (sharedId)
            QCOMPARE(m_observer->last(QStringLiteral("%1/bus1/m%2/c1/availability").arg(base).arg(sharedId)),
                     QByteArray("offline"));
        for (int i = 0; i < frames.size(); ++i) {
            if (functionOf(frames[i]) != 0xCC)
                continue;
            const int id = idOf(frames[i]);
            QVERIFY2(i + 1 - lastPoll[id] <= 2 * 16, qPrintable(QStringLiteral("ID %1 at frame %2").arg(id).arg(i)));
            widestGap = std::max(widestGap, i + 1 - lastPoll[id]);
            lastPoll[id] = i + 1;
        }
        for (int id = 1; id <= 16; ++id)
            QVERIFY2(int(frames.size()) - lastPoll[id] <= 2 * 16, qPrintable(QString::number(id)));
        qInfo("all members closing after %d polls; widest poll gap %d frames", pollsBeforeAllClosing, widestGap);
    }

    // 96 covers (6 IDs x 16 channels) sent to one position by 96 commands in
    // about a second: the commands for one ID leave together, in far fewer
    // frames than commands.  The time from the last command to the last
    // channel reached is printed for the measurements.
    void sceneOfNinetySixCovers()
    {
        MotorSim sim;
        const QByteArray buses = busWithCovers(sim, m_dir.filePath(u"scene-bus"_qs), 6, 16, 50);
        QVERIFY(sim.link(m_dir.filePath(u"scene-bus"_qs)));
        BridgeProcess bridge(m_dir, mqttSection(m_broker, m_passwordFile, u"tavik-scene"_qs, u"scene"_qs) + buses,
                             u"scene.yaml"_qs);
        bridge.start();
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(u"scene/bus1/state"_qs), QByteArray("online"), 15000);
        QList<double> seconds;
        for (int position : {30, 60, 10, 80, 20}) {
            const quint8 data = quint8(100 - position);
            const auto reached = [&] {
                QSet<int> channels;
                for (const MotorBus::ReceivedFrame &f : sim.frames())
                    if (functionOf(f) == 0xDD && quint8(f.bytes[5]) == data)
                        for (int ch = 0; ch < 16; ++ch)
                            if (maskOf(f) & (1u << ch))
                                channels.insert(idOf(f) * 16 + ch);
                return int(channels.size());
            };
            sim.bus().clearLog();
            for (int i = 0; i < 96; ++i) {
                m_observer->client.publish(
                    QStringLiteral("scene/bus1/m%1/c%2/set_position").arg(1 + i / 16).arg(1 + i % 16),
                    QByteArray::number(position), false);
                QTest::qWait(10);
            }
            QElapsedTimer sinceLast;
            sinceLast.start();
            while (reached() < 96 && sinceLast.elapsed() < 30000)
                QTest::qWait(5);
            seconds.append(sinceLast.elapsed() / 1000.0);
            QCOMPARE(reached(), 96);
            // Each frame goes out twice, the second time on the next free tick.
            QList<QByteArray> distinct;
            int sent = 0;
            const auto count = [&] {
                distinct.clear();
                sent = 0;
                for (const MotorBus::ReceivedFrame &f : sim.frames())
                    if (functionOf(f) == 0xDD) {
                        ++sent;
                        if (!distinct.contains(f.bytes))
                            distinct.append(f.bytes);
                    }
                return sent == 2 * int(distinct.size());
            };
            QTRY_VERIFY2(count(), qPrintable(QStringLiteral("%1 sent, %2 distinct").arg(sent).arg(distinct.size())));
            for (const QByteArray &f : std::as_const(distinct))
                QCOMPARE(quint8(f[5]), data);
            QVERIFY2(distinct.size() <= 16, qPrintable(QString::number(distinct.size())));
            qInfo("position %d: %d frames for 96 commands, last channel reached %.2f s after the last command",
                  position, int(distinct.size()), seconds.last());
        }
        std::sort(seconds.begin(), seconds.end());
        qInfo("last command to wire: p50 %.2f s, max %.2f s", seconds[seconds.size() / 2], seconds.last());
    }

    // Two bridges (other base topics) given one client ID: each log names
    // the likely cause, and the waits grow instead of starting at 1 s each time.
    void sharedClientIdInTheLog()
    {
        std::vector<std::unique_ptr<BridgeProcess>> twins;
        for (const QString &base : {u"twin-a"_qs, u"twin-b"_qs}) {
            twins.push_back(
                std::make_unique<BridgeProcess>(m_dir,
                                                mqttSection(m_broker, m_passwordFile, u"tavik-twin"_qs, base)
                                                    + "buses:\n  - name: b\n    port: /nonexistent/tty\n",
                                                base + u".yaml"_qs));
            twins.back()->start();
        }
        for (const auto &twin : twins) {
            QTRY_VERIFY_WITH_TIMEOUT(
                twin->errors.contains("s after accepting it: another client may be using the client ID 'tavik-twin'"),
                20000);
        }
        const auto grown = [&] {
            return std::any_of(twins.begin(), twins.end(), [](const auto &t) {
                return t->errors.contains(
                    "another client may be using the client ID 'tavik-twin'; next attempt in 4 s");
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(grown(), 30000);
    }

    // 5,000 identical bad commands: one line, and at the stop one line that
    // says how many more came.
    void floodOfBadCommandsIsOneLine()
    {
        BridgeProcess bridge(m_dir,
                             mqttSection(m_broker, m_passwordFile, u"tavik-flood"_qs, u"flood"_qs)
                                 + "buses:\n  - name: b\n    port: /nonexistent/tty\n",
                             u"flood.yaml"_qs);
        bridge.start();
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(u"flood/bridge/state"_qs), QByteArray("online"), 10000);
        for (int i = 0; i < 5000; ++i)
            m_observer->client.publish(u"flood/b/m1/c1/set"_qs, "half", false);
        m_observer->client.publish(u"flood/b/m1/c1/set"_qs, "last", false); // after them all
        QTRY_VERIFY_WITH_TIMEOUT(bridge.errors.contains("'last' dropped"), 30000);
        QCOMPARE(bridge.errors.count("'half' dropped"), 1);
        bridge.kill(SIGTERM);
        bridge.errors += bridge.process.readAllStandardError();
        // The broker may drop some of a flood this size for a slow subscriber; what arrived is counted.
        const QRegularExpression told(
            u"flood/b/m1/c1/set: 'half' dropped: expected OPEN, CLOSE or STOP … and ([0-9,]+) more like it in [0-9]+ s\n"_qs);
        const QRegularExpressionMatch m = told.match(QString::fromUtf8(bridge.errors));
        QVERIFY2(m.hasMatch(), bridge.errors.constData());
        QVERIFY2(m.captured(1).remove(u',').toInt() >= 1000, qPrintable(m.captured(1)));
        QCOMPARE(bridge.errors.count("'half' dropped"), 2); // the first line and the count
    }

    // Every discovery config this program saw the bridge publish, as Home Assistant's schema wants it.
    void everyDiscoveryConfigPassesSchema()
    {
        QVERIFY(m_observer->discoveryCount() > 0);
        const QStringList faults = m_observer->discoveryFaults();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestMqttLine)
#include "tst_mqtt_line.moc"
