// tavik-mqtt as a process between a real mosquitto broker and the simulated
// motor bus on a pseudo-terminal.
#include "BrokerKit.h"
#include "Bridge.h"
#include "BusScheduler.h"
#include "MotorSim.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace BrokerKit;

namespace {

const QString Cover12 = u"tavik/bus1/m12/c3"_qs;
const QString Cover1 = u"tavik/bus1/m1/c1"_qs;

// Frames the bus took with a function that moves a motor.
int motorFrames(const MotorSim &sim)
{
    return int(std::count_if(sim.frames().begin(), sim.frames().end(), [](const MotorBus::ReceivedFrame &f) {
        return quint8(f.bytes[4]) == 0x0A || quint8(f.bytes[4]) == 0xDD;
    }));
}

int framesLike(const MotorSim &sim, const QByteArray &bytes)
{
    return int(std::count_if(sim.frames().begin(), sim.frames().end(),
                             [&](const MotorBus::ReceivedFrame &f) { return f.bytes == bytes; }));
}

} // namespace

class TestMqttBridge : public QObject {
    Q_OBJECT
    BrokerRig m_rig;
    QTemporaryDir &m_dir = m_rig.dir;
    Broker &m_broker = m_rig.broker;
    std::unique_ptr<Observer> &m_observer = m_rig.observer;
    const QString &m_passwordFile = m_rig.passwordFile;
    MotorSim m_sim;
    std::unique_ptr<BridgeProcess> m_bridge;

    QByteArray config(const QString &busPath) const
    {
        return mqttSection(m_broker, m_passwordFile)
            + QStringLiteral("buses:\n"
                             "  - name: bus1\n"
                             "    port: %1\n"
                             "    baud: 9600\n"
                             "    covers:\n"
                             "      - { id: 12, channel: 3, name: Living room curtain }\n"
                             "      - { id: 1, channel: 1, invert: true }\n"
                             "    groups:\n"
                             "      - { name: Channel 3 everywhere, id: 0, channels: [3] }\n")
                  .arg(busPath)
                  .toUtf8();
    }
    Motor &motor(int id)
    {
        for (Motor &m : m_sim.bus().motors())
            if (m.id == id)
                return m;
        qFatal("no motor %d", id);
    }
    void publish(const QString &topic, const QByteArray &payload, bool retain = false)
    {
        m_observer->client.publish(topic, payload, retain);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_rig.start(u"observer"_qs));
        // Left on the broker before the bridge starts: a stale command and
        // the config of a cover no longer configured.
        publish(Cover12 + QStringLiteral("/set"), "CLOSE", true);
        // What an earlier run left while the curtain moved.
        publish(Cover12 + QStringLiteral("/state"), "opening", true);
        publish(u"homeassistant/cover/tavik_bus1_m5_c1/config"_qs,
                R"({"unique_id":"tavik_bus1_m5_c1","command_topic":"tavik/bus1/m5/c1/set"})", true);
        m_sim.bus().setBaudCode(3);
        m_sim.bus().addMotor(12, 0x0004).position = 20;
        m_sim.bus().addMotor(1, 0x0001).position = 0;
        m_sim.bus().addMotor(2, 0x0001).position = 0;
        QVERIFY(m_sim.link(m_dir.filePath(u"bus"_qs)));
        m_bridge = std::make_unique<BridgeProcess>(m_dir, config(m_dir.filePath(u"bus"_qs)));
        m_bridge->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover12 + QStringLiteral("/availability")), QByteArray("online"),
                                  10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover1 + QStringLiteral("/availability")), QByteArray("online"),
                                  10000);
    }

    void cleanupTestCase()
    {
        m_bridge.reset();
        m_observer.reset();
    }

    // The state retained from an earlier run gives way to the first answer.
    void stateAtStartFromFirstAnswer()
    {
        QTRY_COMPARE(m_observer->last(Cover12 + QStringLiteral("/state")), QByteArray("stopped"));
        QCOMPARE(m_observer->last(Cover12 + QStringLiteral("/position")), QByteArray("80"));
    }

    void staleRetainedCommandMovesNothing()
    {
        QTRY_VERIFY(m_bridge->errors.contains("retained command 'CLOSE' ignored"));
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(u"homeassistant/cover/tavik_bus1_m5_c1/config"_qs), QByteArray(),
                                  5000);
        QCOMPARE(motorFrames(m_sim), 0);
        QCOMPARE(motor(12).target, -1);
        publish(Cover12 + QStringLiteral("/set"), {}, true); // cleared, so it does not come back after a reconnection
    }

    void discovery_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("uniqueId");
        QTest::newRow("cover 12") << u"homeassistant/cover/tavik_bus1_m12_c3/config"_qs << u"tavik_bus1_m12_c3"_qs;
        QTest::newRow("cover 1") << u"homeassistant/cover/tavik_bus1_m1_c1/config"_qs << u"tavik_bus1_m1_c1"_qs;
        QTest::newRow("button") << u"homeassistant/button/tavik_bus1_m12_c3_limit4/config"_qs
                                << u"tavik_bus1_m12_c3_limit4"_qs;
        QTest::newRow("group") << u"homeassistant/cover/tavik_bus1_g0_0004/config"_qs << u"tavik_bus1_g0_0004"_qs;
    }
    void discovery()
    {
        QFETCH(QString, topic);
        QFETCH(QString, uniqueId);
        QTRY_VERIFY(m_observer->saw(topic));
        const QJsonObject o = QJsonDocument::fromJson(m_observer->last(topic)).object();
        QCOMPARE(o.value(u"unique_id"_qs).toString(), uniqueId);
        QCOMPARE(o.value(u"device"_qs).toObject().value(u"identifiers"_qs).toArray().first().toString(),
                 uniqueId.section(u"_limit"_qs, 0, 0));
        QCOMPARE(m_observer->last(u"tavik/bridge/state"_qs), QByteArray("online"));
        QCOMPARE(m_observer->last(u"tavik/bus1/state"_qs), QByteArray("online"));
    }

    void positions_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("motorPercent");
        QTest::addColumn<QByteArray>("position");
        QTest::addColumn<QByteArray>("state");
        QTest::newRow("open end") << 12 << 0 << QByteArray("100") << QByteArray("open");
        QTest::newRow("closed end") << 12 << 100 << QByteArray("0") << QByteArray("closed");
        QTest::newRow("quarter") << 12 << 25 << QByteArray("75") << QByteArray("stopped");
        QTest::newRow("inverted open end") << 1 << 0 << QByteArray("0") << QByteArray("closed");
        QTest::newRow("inverted 30") << 1 << 30 << QByteArray("30") << QByteArray("stopped");
    }
    void positions()
    {
        QFETCH(int, id);
        QFETCH(int, motorPercent);
        const QString path = id == 12 ? Cover12 : Cover1;
        motor(id).position = motorPercent;
        QFETCH(QByteArray, position);
        QFETCH(QByteArray, state);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(path + QStringLiteral("/position")), position, 5000);
        QTRY_COMPARE(m_observer->last(path + QStringLiteral("/state")), state);
        const QJsonObject a = QJsonDocument::fromJson(m_observer->last(path + QStringLiteral("/attributes"))).object();
        QCOMPARE(a.value(u"motor_percent"_qs).toInt(), motorPercent);
        QVERIFY(a.value(u"position_known"_qs).toBool());
    }

    void unknownPosition()
    {
        motor(12).positionKnown = false;
        QTRY_COMPARE(QJsonDocument::fromJson(m_observer->last(Cover12 + QStringLiteral("/attributes")))
                         .object()
                         .value(u"position_known"_qs)
                         .toBool(true),
                     false);
        const int positions = int(std::count_if(m_observer->seen.begin(), m_observer->seen.end(), [](const auto &m) {
            return m.topic == Cover12 + QStringLiteral("/position");
        }));
        QTest::qWait(600);
        QCOMPARE(int(std::count_if(m_observer->seen.begin(), m_observer->seen.end(),
                                   [](const auto &m) { return m.topic == Cover12 + QStringLiteral("/position"); })),
                 positions);
        motor(12).positionKnown = true;
    }

    void commandsOnTheWire_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("frame");
        const auto f = [](int id, quint16 mask, quint8 fn, quint8 data) {
            return MotorBus::commandFrame(id, mask, fn, data);
        };
        QTest::newRow("OPEN") << Cover12 + QStringLiteral("/set") << QByteArray("OPEN") << f(12, 0x0004, 0x0A, 0xDD);
        QTest::newRow("CLOSE") << Cover12 + QStringLiteral("/set") << QByteArray("CLOSE") << f(12, 0x0004, 0x0A, 0xEE);
        QTest::newRow("STOP") << Cover12 + QStringLiteral("/set") << QByteArray("STOP") << f(12, 0x0004, 0x0A, 0xCC);
        QTest::newRow("position 30") << Cover12 + QStringLiteral("/set_position") << QByteArray("30")
                                     << f(12, 0x0004, 0xDD, 70);
        QTest::newRow("inverted OPEN") << Cover1 + QStringLiteral("/set") << QByteArray("OPEN")
                                       << f(1, 0x0001, 0x0A, 0xEE);
        QTest::newRow("inverted position 30")
            << Cover1 + QStringLiteral("/set_position") << QByteArray("30") << f(1, 0x0001, 0xDD, 30);
        QTest::newRow("limit 2") << Cover12 + QStringLiteral("/limit/set") << QByteArray("2") << f(12, 0x0004, 0x0A, 2);
        QTest::newRow("group CLOSE") << u"tavik/bus1/g0-0004/set"_qs << QByteArray("CLOSE") << f(0, 0x0004, 0x0A, 0xEE);
    }
    void commandsOnTheWire()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, frame);
        m_sim.bus().clearLog();
        publish(topic, payload);
        QTRY_COMPARE_WITH_TIMEOUT(framesLike(m_sim, frame), 2, 3000);
        QTest::qWait(400);
        QCOMPARE(framesLike(m_sim, frame), 2);
        for (Motor &m : m_sim.bus().motors())
            m.target = -1;
    }

    void badPayloadsMoveNothing_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("lower case") << Cover12 + QStringLiteral("/set") << QByteArray("open");
        QTest::newRow("number on set") << Cover12 + QStringLiteral("/set") << QByteArray("50");
        QTest::newRow("position 101") << Cover12 + QStringLiteral("/set_position") << QByteArray("101");
        QTest::newRow("position text") << Cover12 + QStringLiteral("/set_position") << QByteArray("half");
        QTest::newRow("limit 5") << Cover12 + QStringLiteral("/limit/set") << QByteArray("5");
        QTest::newRow("unknown cover") << u"tavik/bus1/m13/c3/set"_qs << QByteArray("OPEN");
        QTest::newRow("unknown bus") << u"tavik/bus9/m12/c3/set"_qs << QByteArray("OPEN");
        QTest::newRow("unknown group") << u"tavik/bus1/g0-0002/set"_qs << QByteArray("OPEN");
        QTest::newRow("binary") << Cover12 + QStringLiteral("/set") << QByteArray("\xff\x00OPEN", 6);
    }
    void badPayloadsMoveNothing()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        m_sim.bus().clearLog();
        const qsizetype logged = m_bridge->errors.count("dropped");
        publish(topic, payload);
        QTRY_COMPARE(m_bridge->errors.count("dropped"), logged + 1);
        QTest::qWait(450); // three ticks
        QCOMPARE(motorFrames(m_sim), 0);
    }

    void birthMessageRepublishes()
    {
        const QString config = u"homeassistant/cover/tavik_bus1_m12_c3/config"_qs;
        const qsizetype before = m_observer->seen.size();
        publish(u"homeassistant/status"_qs, "online");
        const auto again = [&] {
            return std::any_of(m_observer->seen.begin() + before, m_observer->seen.end(),
                               [&](const auto &m) { return m.topic == config; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(again(), 7000);
        // The covers' topics follow the configs; they may still be on their way.
        QTRY_VERIFY(std::any_of(m_observer->seen.begin() + before, m_observer->seen.end(),
                                [](const auto &m) { return m.topic == Cover12 + QStringLiteral("/availability"); }));
    }

    // A curtain moved by a wall switch or a remote shows its motion.
    void motionFromElsewhereShows()
    {
        motor(12).position = 50;
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover12 + QStringLiteral("/position")), QByteArray("50"), 5000);
        motor(12).target = 70; // the motor counts towards closed
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover12 + QStringLiteral("/state")), QByteArray("closing"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(u"tavik/bus1/m12/c3/position"_qs), QByteArray("30"), 8000);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover12 + QStringLiteral("/state")), QByteArray("stopped"), 5000);
    }

    void silentMotorGoesOffline()
    {
        const Motor kept = motor(1);
        m_sim.bus().motors().removeIf([](const Motor &m) { return m.id == 1; });
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover1 + QStringLiteral("/availability")), QByteArray("offline"),
                                  8000);
        QCOMPARE(m_observer->last(Cover12 + QStringLiteral("/availability")), QByteArray("online"));
        m_sim.bus().motors().append(kept);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover1 + QStringLiteral("/availability")), QByteArray("online"),
                                  5000);
    }

    void portUnpluggedAndBack()
    {
        m_sim.unplug();
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(u"tavik/bus1/state"_qs), QByteArray("offline"), 5000);
        QTRY_COMPARE(m_observer->last(Cover12 + QStringLiteral("/availability")), QByteArray("offline"));
        QTest::qWait(1000);
        QVERIFY(m_sim.replug());
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(u"tavik/bus1/state"_qs), QByteArray("online"), 12000);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover12 + QStringLiteral("/availability")), QByteArray("online"),
                                  5000);
        m_sim.bus().clearLog();
        publish(Cover12 + QStringLiteral("/set"), "STOP");
        QTRY_COMPARE_WITH_TIMEOUT(framesLike(m_sim, MotorBus::commandFrame(12, 0x0004, 0x0A, 0xCC)), 2, 3000);
    }

    void brokerRestarted()
    {
        m_broker.stop();
        QTRY_VERIFY(!m_observer->client.isConnected());
        const qsizetype before = m_observer->seen.size();
        QVERIFY(m_broker.start());
        const auto onlineAgain = [&] {
            return std::any_of(m_observer->seen.begin() + before, m_observer->seen.end(), [](const auto &m) {
                return m.topic == QLatin1String("tavik/bridge/state") && m.payload == "online";
            });
        };
        QTRY_VERIFY_WITH_TIMEOUT(onlineAgain(), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(Cover12 + QStringLiteral("/availability")), QByteArray("online"),
                                  5000);
        m_sim.bus().clearLog();
        publish(Cover12 + QStringLiteral("/set"), "OPEN");
        QTRY_COMPARE_WITH_TIMEOUT(framesLike(m_sim, MotorBus::commandFrame(12, 0x0004, 0x0A, 0xDD)), 2, 3000);
    }

    void exitCodes_data()
    {
        QTest::addColumn<QByteArray>("yaml");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("message");
        const QByteArray bus = "buses:\n  - name: b\n    port: /nonexistent/tty\n";
        QByteArray wrong = mqttSection(m_broker, m_dir.filePath(u"wrong"_qs)) + bus;
        writeFile(m_dir.filePath(u"wrong"_qs), "not-the-password\n");
        QTest::newRow("wrong password") << wrong << 3 << QByteArray("refused");
        QTest::newRow("ID 100") << bus + "    covers:\n      - { id: 100, channel: 1 }\n"
                                << 2 << QByteArray("errors.yaml:5: id: 100");
        QTest::newRow("unknown key") << QByteArray("mqtt:\n  prot: 1\n") + bus << 2
                                     << QByteArray("errors.yaml:2: unknown key 'prot'");
        QTest::newRow("group with an inverted member")
            << bus
                + "    covers: [ { id: 1, channel: 1, invert: true } ]\n    groups: [ { name: g, id: 0, channels: [1] } ]\n"
            << 2 << QByteArray("errors.yaml:5: group 'g' would drive the inverted motor 1 channel 1 the wrong way");
        QTest::newRow("bus named bridge") << QByteArray("buses:\n  - name: bridge\n    port: /p\n") << 2
                                          << QByteArray("errors.yaml:2: name: 'bridge' is reserved");
        QTest::newRow("tls key unreadable") << QByteArray("mqtt:\n  tls: { key_file: /nonexistent/key.pem }\n")
                + bus << 2 << QByteArray("errors.yaml:2: key_file: cannot read '/nonexistent/key.pem'");
        QTest::newRow("unreadable password") << QByteArray("mqtt:\n  username: u\n  password_file: /nonexistent/pw\n")
                + bus << 2 << QByteArray("errors.yaml:3: password_file");
    }
    void exitCodes()
    {
        QFETCH(QByteArray, yaml);
        QFETCH(int, code);
        QFETCH(QByteArray, message);
        // A configuration the daemon cannot use fails --check alike.
        for (const QStringList &options : {QStringList {}, QStringList {u"--check"_qs}}) {
            if (code != 2 && !options.isEmpty())
                continue;
            BridgeProcess bridge(m_dir, yaml, u"errors.yaml"_qs);
            bridge.start(options);
            QVERIFY(bridge.process.waitForFinished(10000));
            QCOMPARE(bridge.process.exitCode(), code);
            bridge.errors += bridge.process.readAllStandardError();
            QVERIFY2(bridge.errors.contains(message), bridge.errors.constData());
        }
    }

    // A bridge of its own (another client ID and base topic) told to stop:
    // it says offline itself and exits 0; killed, the broker says it.
    void stopping_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("exitCode"); // -1: no exit code of its own
        QTest::newRow("SIGTERM") << int(SIGTERM) << 0;
        QTest::newRow("SIGINT") << int(SIGINT) << 0;
        QTest::newRow("SIGKILL") << int(SIGKILL) << -1;
    }
    void stopping()
    {
        QFETCH(int, signal);
        QFETCH(int, exitCode);
        const QString base = QStringLiteral("stop%1").arg(signal);
        BridgeProcess bridge(m_dir,
                             mqttSection(m_broker, m_passwordFile, u"tavik-"_qs + base, base)
                                 + "buses:\n  - name: b\n    port: /nonexistent/tty\n",
                             base + QStringLiteral(".yaml"));
        bridge.start();
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(base + QStringLiteral("/bridge/state")), QByteArray("online"), 5000);
        QTRY_COMPARE(m_observer->last(base + QStringLiteral("/b/state")), QByteArray("offline"));
        QTRY_VERIFY(bridge.errors.contains("cannot open /nonexistent/tty: no such device"));
        bridge.kill(signal);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(base + QStringLiteral("/bridge/state")), QByteArray("offline"),
                                  5000);
        if (exitCode >= 0) {
            QCOMPARE(bridge.process.exitStatus(), QProcess::NormalExit);
            QCOMPARE(bridge.process.exitCode(), exitCode);
        } else {
            QCOMPARE(bridge.process.exitStatus(), QProcess::CrashExit);
        }
    }

    // A second bridge on the same broker with the same bus name under
    // another base topic: both keep all their entities.  Its bus then falls
    // silent as a whole, and at last it is stopped cleanly.
    void secondBridgeOnOneBroker()
    {
        MotorSim sim;
        sim.bus().setBaudCode(3);
        QByteArray covers;
        for (int id = 1; id <= 16; ++id) {
            const int channel = id == 12 ? 3 : 1; // the first bridge's names again
            sim.bus().addMotor(id, quint16(1u << (channel - 1))).position = 40;
            covers += QStringLiteral("      - { id: %1, channel: %2 }\n").arg(id).arg(channel).toUtf8();
        }
        QVERIFY(sim.link(m_dir.filePath(u"upstairs-bus"_qs)));
        BridgeProcess upstairs(m_dir,
                               mqttSection(m_broker, m_passwordFile, u"tavik-upstairs"_qs, u"upstairs"_qs)
                                   + "buses:\n  - name: bus1\n    port: " + m_dir.filePath(u"upstairs-bus"_qs).toUtf8()
                                   + "\n    baud: 9600\n    covers:\n" + covers,
                               u"upstairs.yaml"_qs);
        upstairs.start();
        const auto path = [](int id) { return QStringLiteral("upstairs/bus1/m%1/c%2").arg(id).arg(id == 12 ? 3 : 1); };
        for (int id = 1; id <= 16; ++id)
            QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(path(id) + QStringLiteral("/availability")),
                                      QByteArray("online"), 15000);
        // Both bridges' configs stay after the second one's scan for stale ones.
        QTest::qWait(Bridge::StaleScanMs + 500); // the scan ran from the connection, before the covers answered
        for (const QString &topic :
             {u"homeassistant/cover/tavik_bus1_m12_c3/config"_qs, u"homeassistant/cover/tavik_bus1_m1_c1/config"_qs,
              u"homeassistant/cover/tavik-upstairs_bus1_m12_c3/config"_qs,
              u"homeassistant/cover/tavik-upstairs_bus1_m1_c1/config"_qs,
              u"homeassistant/binary_sensor/tavik_bridge/config"_qs,
              u"homeassistant/binary_sensor/tavik-upstairs_bridge/config"_qs}) {
            QVERIFY2(m_observer->last(topic).startsWith('{'), qPrintable(topic));
        }
        QCOMPARE(QJsonDocument::fromJson(m_observer->last(u"homeassistant/cover/tavik-upstairs_bus1_m12_c3/config"_qs))
                     .object()
                     .value(u"device"_qs)
                     .toObject()
                     .value(u"via_device"_qs)
                     .toString(),
                 u"tavik-upstairs_bridge"_qs);
        QVERIFY(!upstairs.errors.contains("clearing"));
        QVERIFY(!m_bridge->errors.contains("clearing retained config homeassistant/cover/tavik-upstairs"));

        // The whole bus falls silent: every cover is offline after ten polls
        // of the bus, not after ten of each (160 here).
        const QList<Motor> motors = sim.bus().motors();
        sim.bus().clearLog();
        sim.bus().motors().clear();
        const auto allOffline = [&] {
            for (int id = 1; id <= 16; ++id)
                if (m_observer->last(path(id) + QStringLiteral("/availability")) != "offline")
                    return false;
            return true;
        };
        const qsizetype answersBefore = upstairs.errors.count(" answers\n");
        QTRY_VERIFY_WITH_TIMEOUT(allOffline(), 10000);
        // One line for the bus, none per cover.
        QTRY_COMPARE(upstairs.errors.count("bus1: no motor on "), 1);
        QVERIFY2(upstairs.errors.contains("answers; its 16 covers are offline"), upstairs.errors.constData());
        QCOMPARE(upstairs.errors.count("offline\n"), 1); // that line only
        const int polls = int(
            std::count_if(sim.frames().begin(), sim.frames().end(),
                          [](const MotorBus::ReceivedFrame &f) { return quint8(f.bytes[4]) == 0xCC; }));
        QVERIFY2(polls >= BusScheduler::OfflineAfterPolls && polls < 3 * BusScheduler::OfflineAfterPolls,
                 qPrintable(QString::number(polls)));
        sim.bus().motors() = motors;
        for (int id = 1; id <= 16; ++id)
            QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(path(id) + QStringLiteral("/availability")),
                                      QByteArray("online"), 15000);
        QCOMPARE(upstairs.errors.count("bus1: motors on "), 1);
        QCOMPARE(upstairs.errors.count(" answers\n"), answersBefore);

        // Stopped cleanly, it says it is gone: each cover's availability list
        // holds the bridge's state, so every cover reads unavailable.
        upstairs.kill(SIGTERM);
        QCOMPARE(upstairs.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(upstairs.process.exitCode(), 0);
        QTRY_COMPARE(m_observer->last(u"upstairs/bridge/state"_qs), QByteArray("offline"));
        QVERIFY(upstairs.errors.contains("stopping"));
        // The first bridge's covers were never touched.
        QCOMPARE(m_observer->last(Cover12 + QStringLiteral("/availability")), QByteArray("online"));
    }

    // The same configuration started again while the bridge runs: the second
    // one names the first and exits 2 having changed nothing; the first's
    // covers keep their configurations and stay available.
    void secondBridgeOnOneBaseTopicRefused()
    {
        const QString coverConfig = u"homeassistant/cover/tavik_bus1_m12_c3/config"_qs;
        QTRY_VERIFY(m_observer->last(coverConfig).startsWith('{'));
        const qsizetype before = m_observer->seen.size();
        const qsizetype firstLog = m_bridge->errors.size();
        BridgeProcess second(m_dir, config(m_dir.filePath(u"bus"_qs)), u"second.yaml"_qs);
        second.start();
        QVERIFY(second.process.waitForFinished(10000));
        second.errors += second.process.readAllStandardError();
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), 2);
        const QJsonObject record = QJsonDocument::fromJson(m_observer->last(u"tavik/bridge/instance"_qs)).object();
        const QByteArray named =
            QStringLiteral("another bridge already serves the base topic 'tavik': tavik-test (host %1, process %2,")
                .arg(record.value(u"host"_qs).toString())
                .arg(m_bridge->process.processId())
                .toUtf8();
        QVERIFY2(second.errors.contains(named), second.errors.constData());
        // Whatever reached the broker since came from the first bridge.
        QTest::qWait(Bridge::StaleScanMs);
        for (auto m = m_observer->seen.cbegin() + before; m != m_observer->seen.cend(); ++m) {
            QVERIFY2(!m->topic.startsWith(u"homeassistant/"_qs) || !m->payload.isEmpty(), qPrintable(m->topic));
            QVERIFY2(m->payload != "offline", qPrintable(m->topic));
        }
        QVERIFY(m_observer->last(coverConfig).startsWith('{'));
        QCOMPARE(m_observer->last(u"tavik/bridge/state"_qs), QByteArray("online"));
        QCOMPARE(m_observer->last(Cover12 + QStringLiteral("/availability")), QByteArray("online"));
        QVERIFY2(!m_bridge->errors.mid(firstLog).contains("broker: connection to"), m_bridge->errors.constData());
        // The first still takes commands.
        m_sim.bus().clearLog();
        publish(Cover12 + QStringLiteral("/set"), "STOP");
        QTRY_COMPARE_WITH_TIMEOUT(framesLike(m_sim, MotorBus::commandFrame(12, 0x0004, 0x0A, 0xCC)), 2, 3000);
    }

    // A record left by a bridge that was killed does not keep the next one
    // from starting; a bridge stopped cleanly leaves none.
    void staleInstanceRecord_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QByteArray>("left"); // retained on BASE/bridge/instance before the start
        QTest::addColumn<bool>("toldStale");
        QTest::newRow("killed bridge's record")
            << u"stale1"_qs
            << QByteArray(R"({"host":"gone-host","pid":4242,"started":"2026-01-01T00:00:00Z","client_id":"old"})")
            << true;
        QTest::newRow("no record") << u"stale2"_qs << QByteArray() << false;
    }
    void staleInstanceRecord()
    {
        QFETCH(QByteArray, left);
        QFETCH(bool, toldStale);
        QFETCH(QString, base);
        if (!left.isEmpty()) {
            publish(base + QStringLiteral("/bridge/instance"), left, true);
            QTRY_COMPARE(m_observer->last(base + QStringLiteral("/bridge/instance")), left);
        }
        BridgeProcess bridge(m_dir,
                             mqttSection(m_broker, m_passwordFile, u"tavik-"_qs + base, base)
                                 + "buses:\n  - name: b\n    port: /nonexistent/tty\n",
                             base + QStringLiteral(".yaml"));
        bridge.start();
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(base + QStringLiteral("/bridge/state")), QByteArray("online"),
                                  10000);
        QCOMPARE(bridge.errors.contains(
                     "(host gone-host, process 4242, started 2026-01-01T00:00:00Z), which does not answer"),
                 toldStale);
        QTRY_COMPARE(QJsonDocument::fromJson(m_observer->last(base + QStringLiteral("/bridge/instance")))
                         .object()
                         .value(u"pid"_qs)
                         .toInteger(),
                     bridge.process.processId());
        // It answers a ping with its record and the transaction.
        publish(base + QStringLiteral("/bridge/request/ping"), R"({"transaction":"t-17"})");
        QTRY_COMPARE(QJsonDocument::fromJson(m_observer->last(base + QStringLiteral("/bridge/response/ping")))
                         .object()
                         .value(u"transaction"_qs)
                         .toString(),
                     u"t-17"_qs);
        bridge.kill(SIGTERM);
        QCOMPARE(bridge.process.exitCode(), 0);
        QTRY_COMPARE(m_observer->last(base + QStringLiteral("/bridge/instance")), QByteArray());
    }

    // Every discovery config this program saw the bridge publish, as Home Assistant's schema wants it.
    void everyDiscoveryConfigPassesSchema()
    {
        QVERIFY(m_observer->discoveryCount() > 0);
        const QStringList faults = m_observer->discoveryFaults();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }

    // Last: the bridge is gone afterwards.
    void lastWillAfterSigkill()
    {
        QCOMPARE(m_observer->last(u"tavik/bridge/state"_qs), QByteArray("online"));
        m_bridge->kill(SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(m_observer->last(u"tavik/bridge/state"_qs), QByteArray("offline"), 5000);
    }
};

QTEST_GUILESS_MAIN(TestMqttBridge)
#include "tst_mqtt_bridge.moc"
