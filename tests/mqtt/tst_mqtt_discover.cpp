// A bus with discover: true, tavik-mqtt between a real broker and a line of
// simulated motors: its first start scans and makes a cover of each motor
// channel found, two motors on one channel and a motor at another rate get
// none; a restart takes what was kept instead of scanning; a later scan
// asked for on the bridge's request topic finds a motor gone (unavailable,
// not deleted) and leaves a cover deleted in Home Assistant away.
#include "BrokerKit.h"
#include "MotorSim.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace BrokerKit;

namespace {

QString coverConfig(int id, int channel)
{
    return QStringLiteral("homeassistant/cover/tavik_bus1_m%1_c%2/config").arg(id).arg(channel);
}
QString coverPath(int id, int channel)
{
    return QStringLiteral("tavik/bus1/m%1/c%2").arg(id).arg(channel);
}

bool hasSpot(const QJsonArray &list, int id, int channel)
{
    return std::any_of(list.begin(), list.end(), [&](const QJsonValue &v) {
        return v[u"id"_qs].toInt() == id && v[u"channel"_qs].toInt() == channel;
    });
}

} // namespace

class TestMqttDiscover : public QObject {
    Q_OBJECT
    BrokerRig m_rig;
    MotorSim m_sim;
    std::unique_ptr<BridgeProcess> m_bridge;
    qsizetype m_scanFrom = 0, m_scanTo = 0; // the sim's frames during the later scan
    qsizetype m_seenBeforeScan = 0; // the observer's messages before it

    Observer &observer() { return *m_rig.observer; }
    QJsonObject json(const QString &topic) { return QJsonDocument::fromJson(observer().last(topic)).object(); }
    QJsonObject inventory() { return json(u"tavik/bus1/inventory"_qs); }
    void startBridge()
    {
        const QByteArray yaml = mqttSection(m_rig.broker, m_rig.passwordFile)
            + QStringLiteral("buses:\n  - name: bus1\n    port: %1\n    baud: 9600\n    discover: true\n"
                             "    covers:\n      - { id: 1, channel: 1, name: Kitchen }\n")
                  .arg(m_rig.dir.filePath(u"bus"_qs))
                  .toUtf8();
        m_bridge = std::make_unique<BridgeProcess>(m_rig.dir, yaml);
        m_bridge->start();
    }
    // The answers on the scan response topic with this transaction.
    QList<QJsonObject> answers(const QString &transaction)
    {
        QList<QJsonObject> out;
        for (const Observer::Message &m : std::as_const(observer().seen))
            if (m.topic == u"tavik/bridge/response/scan"_qs
                && QJsonDocument::fromJson(m.payload)[u"transaction"_qs].toString() == transaction)
                out.append(QJsonDocument::fromJson(m.payload).object());
        return out;
    }
    // From a scan's progress 0 to the inventory that follows it, for the log (nothing is asserted on it).
    double scanSeconds(qsizetype from)
    {
        const auto &seen = observer().seen;
        const auto start = std::find_if(seen.begin() + from, seen.end(), [](const Observer::Message &m) {
            return m.topic == u"tavik/bus1/scan/progress"_qs && m.payload == "0";
        });
        const auto end = std::find_if(start, seen.end(),
                                      [](const Observer::Message &m) { return m.topic == u"tavik/bus1/inventory"_qs; });
        return start == seen.end() || end == seen.end() ? -1 : double(end->atNs - start->atNs) / 1e9;
    }
    bool eventSeen(const QString &type, int id, int channel, qsizetype from = 0)
    {
        return std::any_of(observer().seen.begin() + from, observer().seen.end(), [&](const Observer::Message &m) {
            const QJsonObject e = QJsonDocument::fromJson(m.payload).object();
            return m.topic == u"tavik/bridge/event"_qs && e[u"event_type"_qs] == type && e[u"id"_qs] == id
                && e[u"channel"_qs] == channel && e[u"bus"_qs] == u"bus1"_qs;
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_rig.start(u"discover-observer"_qs));
        m_sim.bus().setBaudCode(3); // 9600, the bus's rate
        m_sim.bus().addMotor(12, 0x0004).position = 20;
        m_sim.bus().addMotor(1, 0x0003);
        m_sim.bus().addMotor(5, 0x0001); // two motors on ID 5 channel 1
        m_sim.bus().addMotor(5, 0x0001);
        m_sim.bus().addMotor(30, 0x0001).baudCode = 1; // 2400 bps
        QVERIFY(m_sim.link(m_rig.dir.filePath(u"bus"_qs)));
        startBridge();
        // Nothing kept on the broker: the first start scans every rate.
        QTRY_VERIFY_WITH_TIMEOUT(observer().saw(u"tavik/bus1/inventory"_qs), 120000);
        qInfo("first scan (two rates, one collision): %.1f s", scanSeconds(0));
    }
    void cleanupTestCase() { m_bridge.reset(); }

    // Each motor channel at the bus's rate is a cover with the ID a
    // configured cover gets; the configured name wins.
    void firstStartFindsMotors_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("name"); // empty: no cover
        QTest::newRow("found") << 12 << 3 << u"Motor 12 channel 3"_qs;
        QTest::newRow("a motor's second channel") << 1 << 2 << u"Motor 1 channel 2"_qs;
        QTest::newRow("configured: its name wins") << 1 << 1 << u"Kitchen"_qs;
        QTest::newRow("two motors on one channel") << 5 << 1 << QString();
        QTest::newRow("at another rate") << 30 << 1 << QString();
    }
    void firstStartFindsMotors()
    {
        QFETCH(int, id);
        QFETCH(int, channel);
        QFETCH(QString, name);
        if (name.isEmpty()) {
            QVERIFY(!observer().saw(coverConfig(id, channel)));
            QVERIFY(!observer().saw(coverPath(id, channel) + u"/availability"_qs));
            return;
        }
        QTRY_VERIFY(observer().saw(coverConfig(id, channel)));
        const QJsonObject config = json(coverConfig(id, channel));
        QCOMPARE(config[u"unique_id"_qs].toString(), QStringLiteral("tavik_bus1_m%1_c%2").arg(id).arg(channel));
        QCOMPARE(config[u"device"_qs][u"name"_qs].toString(), name);
        QTRY_COMPARE_WITH_TIMEOUT(observer().last(coverPath(id, channel) + u"/availability"_qs), QByteArray("online"),
                                  10000);
    }

    // What makes no cover is the bus's problem sensor, its attributes the
    // inventory, and each finding an event.
    void findingsTold_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("list"); // the inventory's list it is in
        QTest::newRow("found") << u"motor_found"_qs << 12 << 3 << u"motors"_qs;
        QTest::newRow("found, configured") << u"motor_found"_qs << 1 << 1 << u"motors"_qs;
        QTest::newRow("collision") << u"collision"_qs << 5 << 1 << u"collisions"_qs;
        QTest::newRow("another rate") << u"other_rate"_qs << 30 << 1 << u"other_rate"_qs;
    }
    void findingsTold()
    {
        QFETCH(QString, event);
        QFETCH(int, id);
        QFETCH(int, channel);
        QFETCH(QString, list);
        QTRY_VERIFY(eventSeen(event, id, channel));
        QVERIFY(hasSpot(inventory()[list].toArray(), id, channel));
        QCOMPARE(inventory()[u"rate"_qs].toInt(), 9600);
        QCOMPARE(observer().last(u"tavik/bus1/problem"_qs), QByteArray("ON"));
        QCOMPARE(observer().last(u"tavik/bus1/scan/progress"_qs), QByteArray("100"));
        QVERIFY(!hasSpot(inventory()[u"motors"_qs].toArray(), 5, 1));
        QVERIFY(!hasSpot(inventory()[u"motors"_qs].toArray(), 30, 1));
    }

    // Started again, the bridge takes the kept inventory: its found covers
    // are back without a single read of an empty ID.  The bridge would
    // scan 3 s after connecting; 40 polls (6 s of ticks) is twice that.
    void restartNeedsNoScan()
    {
        const qsizetype seen = observer().seen.size();
        m_bridge->kill(SIGTERM);
        const qsizetype from = m_sim.frames().size();
        startBridge();
        QTRY_VERIFY_WITH_TIMEOUT(std::any_of(observer().seen.begin() + seen, observer().seen.end(),
                                             [](const Observer::Message &m) {
                                                 return m.topic == coverPath(1, 2) + u"/availability"_qs
                                                     && m.payload == "online";
                                             }),
                                 10000);
        const auto count = [&](quint8 function) {
            return std::count_if(m_sim.frames().begin() + from, m_sim.frames().end(),
                                 [&](const MotorBus::ReceivedFrame &f) { return quint8(f.bytes[4]) == function; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(count(0xCC) >= 40, 30000);
        QCOMPARE(count(0xCA), 0);
        QVERIFY(std::any_of(observer().seen.begin() + seen, observer().seen.end(),
                            [](const Observer::Message &m) { return m.topic == coverConfig(12, 3); }));
        QVERIFY(!m_bridge->errors.contains("scanning"));
    }

    // Motor 12 is taken away and cover 1:2 is deleted in Home Assistant;
    // one scan is asked for, and while it runs a second request and one for
    // an unknown bus are refused.  Each row checks one outcome of that scan.
    void laterScan_data()
    {
        QTest::addColumn<QString>("check");
        for (const char *check :
             {"answered", "refused while scanning", "unknown bus refused", "missing: unavailable",
              "missing: config kept", "missing: event", "deleted stays away", "covers not polled meanwhile"})
            QTest::newRow(check) << QString::fromLatin1(check);
    }
    void laterScan()
    {
        QFETCH(QString, check);
        if (m_scanTo == 0) {
            m_sim.bus().motors().removeIf([](const Motor &m) { return m.id == 12 || m.id == 30; });
            m_seenBeforeScan = observer().seen.size();
            observer().client.publish(coverConfig(1, 2), {}, true); // what Home Assistant does on a deletion
            QTRY_VERIFY(hasSpot(inventory()[u"ignored"_qs].toArray(), 1, 2));
            m_scanFrom = m_sim.frames().size();
            for (const QByteArray request : {R"({"transaction":"t-1","bus":"bus1"})", R"({"transaction":"t-2"})",
                                             R"({"transaction":"t-3","bus":"nope"})"})
                observer().client.publish(u"tavik/bridge/request/scan"_qs, request, false);
            QTRY_COMPARE_WITH_TIMEOUT(answers(u"t-1"_qs).size(), 1, 120000);
            m_scanTo = m_sim.frames().size();
            qInfo("later scan (one rate, one collision): %.1f s", scanSeconds(m_seenBeforeScan + 1));
        }
        if (check == u"answered") {
            const QJsonObject a = answers(u"t-1"_qs).first();
            QCOMPARE(a[u"status"_qs].toString(), u"ok"_qs);
            QVERIFY(a[u"error"_qs].isNull());
            QVERIFY(a[u"complete"_qs].toBool());
            QCOMPARE(a[u"motors"_qs].toInt(), 2); // 1:1 and 1:2 (ignored ones are still motors on the line)
        } else if (check == u"refused while scanning") {
            QCOMPARE(answers(u"t-2"_qs).size(), 1);
            QCOMPARE(answers(u"t-2"_qs).first()[u"status"_qs].toString(), u"error"_qs);
            QCOMPARE(answers(u"t-2"_qs).first()[u"error"_qs].toString(), u"bus 'bus1' is already scanning"_qs);
        } else if (check == u"unknown bus refused") {
            QCOMPARE(answers(u"t-3"_qs).first()[u"error"_qs].toString(), u"no bus named 'nope'"_qs);
        } else if (check == u"missing: unavailable") {
            QCOMPARE(observer().last(coverPath(12, 3) + u"/availability"_qs), QByteArray("offline"));
            QVERIFY(hasSpot(inventory()[u"missing"_qs].toArray(), 12, 3));
            QCOMPARE(observer().last(coverPath(1, 1) + u"/availability"_qs), QByteArray("online"));
        } else if (check == u"missing: config kept") {
            QVERIFY(!observer().last(coverConfig(12, 3)).isEmpty());
            QVERIFY(hasSpot(inventory()[u"motors"_qs].toArray(), 12, 3));
        } else if (check == u"missing: event") {
            QVERIFY(eventSeen(u"motor_missing"_qs, 12, 3, m_seenBeforeScan));
            QVERIFY(!eventSeen(u"motor_found"_qs, 1, 2, m_seenBeforeScan));
        } else if (check == u"deleted stays away") {
            QVERIFY(m_bridge->errors.contains("motor 1 channel 2 was deleted in Home Assistant"));
            QCOMPARE(observer().last(coverConfig(1, 2)), QByteArray());
            QVERIFY(hasSpot(inventory()[u"ignored"_qs].toArray(), 1, 2));
        } else if (check == u"covers not polled meanwhile") {
            // Cover 1:1 is polled every other tick or so otherwise; the scan
            // itself asks ID 1 once for its position (with both its channels).
            const auto polls = std::count_if(
                m_sim.frames().begin() + m_scanFrom, m_sim.frames().begin() + m_scanTo,
                [](const MotorBus::ReceivedFrame &f) { return f.bytes == MotorBus::commandFrame(1, 0x0001, 0xCC, 0); });
            QVERIFY2(polls <= 2, qPrintable(QString::number(polls)));
            QVERIFY(m_scanTo - m_scanFrom > 99); // every ID was read
        }
    }

    void everyDiscoveryConfigPassesSchema()
    {
        QVERIFY(observer().discoveryCount() > 0);
        const QStringList faults = observer().discoveryFaults();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestMqttDiscover)
#include "tst_mqtt_discover.moc"
