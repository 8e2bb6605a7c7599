// A bus with settings: true, tavik-mqtt between a real broker and a line of
// simulated motors: each motor alone on its ID is a device with its
// settings, read at the start; a write from Home Assistant reaches the
// motor's memory and the entity shows the read-back; a write the motor does
// not take shows the last value read again with the result in the entity's
// attributes and an event; a write to an ID that turned out shared is
// refused with no write frame on the wire; a motor sharing its ID has a
// problem sensor instead of settings.  Every device config passes the schema.
#include "BrokerKit.h"
#include "MotorSim.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <algorithm>

using namespace BrokerKit;

namespace {

QString deviceConfig(int id)
{
    return QStringLiteral("homeassistant/device/tavik_bus1_m%1/config").arg(id);
}
QString motorPath(int id)
{
    return QStringLiteral("tavik/bus1/m%1").arg(id);
}

} // namespace

class TestMqttSettings : public QObject {
    Q_OBJECT
    BrokerRig m_rig;
    MotorSim m_sim;
    std::unique_ptr<BridgeProcess> m_bridge;

    Observer &observer() { return *m_rig.observer; }
    QJsonObject json(const QString &topic) { return QJsonDocument::fromJson(observer().last(topic)).object(); }
    QJsonObject state(int id) { return json(motorPath(id) + u"/settings"_qs); }
    QJsonObject components(int id) { return json(deviceConfig(id))[u"components"_qs].toObject(); }
    Motor &motor(int id)
    {
        auto &motors = m_sim.bus().motors();
        return *std::find_if(motors.begin(), motors.end(), [id](const Motor &m) { return m.id == id; });
    }
    void command(int id, const QString &key, const QByteArray &value)
    {
        observer().client.publish(motorPath(id) + QStringLiteral("/settings/%1/set").arg(key), value, false);
    }
    // The settings states published for a motor since message from.
    QList<QJsonObject> statesSince(int id, qsizetype from)
    {
        QList<QJsonObject> out;
        for (qsizetype i = from; i < observer().seen.size(); ++i)
            if (observer().seen[i].topic == motorPath(id) + u"/settings"_qs)
                out.append(QJsonDocument::fromJson(observer().seen[i].payload).object());
        return out;
    }
    bool eventSince(int id, const QString &type, const QString &setting, qsizetype from)
    {
        return std::any_of(observer().seen.begin() + from, observer().seen.end(), [&](const Observer::Message &m) {
            const QJsonObject e = QJsonDocument::fromJson(m.payload).object();
            return m.topic == motorPath(id) + u"/settings/event"_qs && !m.retained && e[u"event_type"_qs] == type
                && e[u"setting"_qs] == setting;
        });
    }
    qsizetype writeFramesSince(int id, qsizetype from)
    {
        return std::count_if(m_sim.frames().begin() + from, m_sim.frames().end(),
                             [id](const MotorBus::ReceivedFrame &f) {
                                 const auto function = quint8(f.bytes[4]);
                                 return quint8(f.bytes[1]) == id && function >= 0xD2 && function <= 0xD9;
                             });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_rig.start(u"settings-observer"_qs));
        m_sim.bus().setBaudCode(3); // 9600, the bus's rate
        Motor &alone = m_sim.bus().addMotor(12, 0x0004);
        alone.maxSpeed = 80;
        alone.jogTime = 6;
        alone.sensitivity = 2;
        alone.curtainFunctions = 0x40;
        m_sim.bus().addMotor(20, 0x0001); // alone at the start; a second motor joins it later
        m_sim.bus().addMotor(5, 0x0001); // two motors on ID 5
        m_sim.bus().addMotor(5, 0x0002);
        QVERIFY(m_sim.link(m_rig.dir.filePath(u"bus"_qs)));
        const QByteArray yaml = mqttSection(m_rig.broker, m_rig.passwordFile)
            + QStringLiteral("buses:\n  - name: bus1\n    port: %1\n    baud: 9600\n    settings: true\n"
                             "    covers: [ { id: 12, channel: 3 }, { id: 20, channel: 1 }, { id: 5, channel: 1 } ]\n")
                  .arg(m_rig.dir.filePath(u"bus"_qs))
                  .toUtf8();
        m_bridge = std::make_unique<BridgeProcess>(m_rig.dir, yaml);
        m_bridge->start();
        // Each motor is read (basic and extended) between the covers' polls.
        for (int id : {12, 20, 5})
            QTRY_VERIFY_WITH_TIMEOUT(observer().saw(deviceConfig(id)), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(state(12).contains(u"jog_time"_qs), 10000);
    }
    void cleanupTestCase() { m_bridge.reset(); }

    // The entities come from the settings table, each of the kind its values ask for.
    void entitiesFromTable_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("category");
        QTest::newRow("dry-contact mode") << u"dry_contact"_qs << u"select"_qs << u"config"_qs;
        QTest::newRow("maximum speed") << u"max_speed"_qs << u"number"_qs << u"config"_qs;
        QTest::newRow("a curtain function") << u"hand_start"_qs << u"switch"_qs << u"config"_qs;
        QTest::newRow("another") << u"hand_sync"_qs << u"switch"_qs << u"config"_qs;
        QTest::newRow("jog time") << u"jog_time"_qs << u"number"_qs << u"config"_qs;
        QTest::newRow("sensitivity") << u"sensitivity"_qs << u"select"_qs << u"config"_qs;
        QTest::newRow("rebound") << u"rebound"_qs << u"number"_qs << u"config"_qs;
        QTest::newRow("ID: read only") << u"id_channels"_qs << u"sensor"_qs << u"diagnostic"_qs;
        QTest::newRow("channels: read only") << u"channels"_qs << u"sensor"_qs << u"diagnostic"_qs;
        QTest::newRow("baud rate: read only") << u"baud"_qs << u"sensor"_qs << u"diagnostic"_qs;
        QTest::newRow("read button") << u"read"_qs << u"button"_qs << u"config"_qs;
        QTest::newRow("results") << u"results"_qs << u"event"_qs << u"diagnostic"_qs;
    }
    void entitiesFromTable()
    {
        QFETCH(QString, key);
        QFETCH(QString, platform);
        QFETCH(QString, category);
        const QJsonObject c = components(12)[u"tavik_bus1_m12_"_qs + key].toObject();
        QCOMPARE(c[u"platform"_qs].toString(), platform);
        QCOMPARE(c[u"entity_category"_qs].toString(), category);
        QCOMPARE(c.contains(u"command_topic"_qs), category == u"config"_qs);
        const QJsonObject device = json(deviceConfig(12))[u"device"_qs].toObject();
        QCOMPARE(device[u"via_device"_qs].toString(), u"tavik_bridge"_qs);
        QCOMPARE(device[u"name"_qs].toString(), u"Motor 12"_qs);
    }

    void rangesAndOptions()
    {
        const QJsonObject c = components(12);
        const QJsonObject speed = c[u"tavik_bus1_m12_max_speed"_qs].toObject();
        QCOMPARE(speed[u"min"_qs].toInt(), 50);
        QCOMPARE(speed[u"max"_qs].toInt(), 130);
        QCOMPARE(speed[u"unit_of_measurement"_qs].toString(), u"rpm"_qs);
        QCOMPARE(c[u"tavik_bus1_m12_sensitivity"_qs][u"options"_qs].toArray(),
                 (QJsonArray {u"low"_qs, u"medium"_qs, u"high"_qs}));
        QCOMPARE(c[u"tavik_bus1_m12_dry_contact"_qs][u"options"_qs].toArray().size(), 5);
        // Seven curtain functions, one switch each.
        const QStringList keys = c.keys();
        QCOMPARE(std::count_if(keys.begin(), keys.end(),
                               [&](const QString &k) { return c[k][u"platform"_qs] == u"switch"_qs; }),
                 7);
    }

    // Home Assistant would take every config the bridge announced.
    void schema()
    {
        QVERIFY(observer().discoveryCount() >= 4);
        QCOMPARE(observer().discoveryFaults(), QStringList());
    }

    // The state is what the motor reported.
    void stateFromRead()
    {
        const QJsonObject s = state(12);
        QCOMPARE(s[u"max_speed"_qs].toInt(), 80);
        QCOMPARE(s[u"jog_time"_qs].toInt(), 6);
        QCOMPARE(s[u"sensitivity"_qs].toString(), u"medium"_qs);
        QCOMPARE(s[u"power_memory"_qs].toString(), u"OFF"_qs); // bit 0x40 set: memory off
        QCOMPARE(s[u"hand_start"_qs].toString(), u"ON"_qs);
        QCOMPARE(s[u"id_channels"_qs].toInt(), 12);
        QCOMPARE(s[u"channels"_qs].toString(), u"3"_qs);
        QCOMPARE(s[u"baud"_qs].toString(), u"9600"_qs);
    }

    // Two motors answer on ID 5: a problem that says why, no settings.
    void sharedIdIsAProblem()
    {
        const QJsonObject c = components(5);
        QCOMPARE(c.keys(), QStringList {u"tavik_bus1_m5_problem"_qs});
        QTRY_COMPARE(observer().last(motorPath(5) + u"/problem"_qs), QByteArray("ON"));
        QVERIFY(json(motorPath(5) + u"/problem/attributes"_qs)[u"reason"_qs].toString().contains(u"several motors"_qs));
        QVERIFY(!observer().saw(motorPath(5) + u"/settings"_qs));
        QTRY_VERIFY(m_bridge->errors.contains("bus1: motor 5 has no settings entities: several motors answer on ID 5"));
    }

    // Written, read back, in the motor's memory; the state from the read-back only.
    void writeConfirmed_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("memory"); // the motor's value afterwards
        QTest::addColumn<QJsonValue>("shown");
        QTest::newRow("maximum speed") << u"max_speed"_qs << QByteArray("100") << 100 << QJsonValue(100);
        QTest::newRow("sensitivity") << u"sensitivity"_qs << QByteArray("high") << 3 << QJsonValue(u"high"_qs);
        QTest::newRow("power memory on") << u"power_memory"_qs << QByteArray("ON") << 0x00 << QJsonValue(u"ON"_qs);
    }
    void writeConfirmed()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, payload);
        QFETCH(int, memory);
        QFETCH(QJsonValue, shown);
        const qsizetype from = observer().seen.size();
        QElapsedTimer took;
        took.start();
        command(12, key, payload);
        QTRY_COMPARE_WITH_TIMEOUT(state(12)[key], shown, 10000);
        qInfo("%s: command to entity state %lld ms", qPrintable(key), took.elapsed());
        const Motor &m = motor(12);
        const int value = key == u"max_speed"_qs ? m.maxSpeed
            : key == u"sensitivity"_qs           ? m.sensitivity
                                                 : m.curtainFunctions & 0x40;
        QCOMPARE(value, memory);
        QTRY_COMPARE(json(motorPath(12) + QStringLiteral("/settings/%1/result").arg(key))[u"result"_qs].toString(),
                     u"confirmed"_qs);
        QTRY_VERIFY(eventSince(12, u"confirmed"_qs, key, from));
    }

    // Setting written -> entity state, from the command seen on the broker to
    // the state with the new value (read-back included), for the
    // measurements (TAVIK_SETTINGS_SAMPLES writes, 4 by default).  The times
    // are logged, not asserted; each write must be confirmed in the motor.
    void writeLatency()
    {
        const int samples = qEnvironmentVariableIntValue("TAVIK_SETTINGS_SAMPLES");
        QList<double> ms;
        for (int i = 0; i < (samples > 0 ? samples : 4); ++i) {
            const int speed = 60 + (i % 2) * 10;
            const qsizetype from = observer().seen.size();
            command(12, u"max_speed"_qs, QByteArray::number(speed));
            QTRY_COMPARE_WITH_TIMEOUT(state(12)[u"max_speed"_qs].toInt(), speed, 10000);
            QCOMPARE(int(motor(12).maxSpeed), speed);
            const auto &seen = observer().seen;
            const auto sent = std::find_if(seen.begin() + from, seen.end(), [](const Observer::Message &m) {
                return m.topic.endsWith(u"/settings/max_speed/set"_qs);
            });
            const auto shown = std::find_if(seen.begin() + from, seen.end(), [&](const Observer::Message &m) {
                return m.topic == motorPath(12) + u"/settings"_qs
                    && QJsonDocument::fromJson(m.payload)[u"max_speed"_qs].toInt() == speed;
            });
            QVERIFY(sent != seen.end() && shown != seen.end());
            ms.append(double(shown->atNs - sent->atNs) / 1e6);
        }
        std::sort(ms.begin(), ms.end());
        qInfo("setting written -> entity state: n %lld, p50 %.0f ms, max %.0f ms", ms.size(), ms[ms.size() / 2],
              ms.last());
    }

    // A cover command that comes while a write is under way goes out between
    // the write's frames, not after its read-back, and the write still ends
    // confirmed.  The command is published once the write's question is on
    // the wire; the read-back follows at least four ticks (600 ms) later,
    // the margin for the broker to deliver the command.
    void coverCommandDuringWrite()
    {
        const qsizetype frames = m_sim.frames().size();
        const qsizetype from = observer().seen.size();
        const auto firstFrame = [&](qsizetype start, quint8 function) {
            for (qsizetype i = start; i < m_sim.frames().size(); ++i)
                if (quint8(m_sim.frames()[i].bytes[1]) == 12 && quint8(m_sim.frames()[i].bytes[4]) == function)
                    return i;
            return qsizetype(-1);
        };
        command(12, u"max_speed"_qs, "110");
        QTRY_VERIFY(firstFrame(frames, 0xCA) >= 0); // the question before the write
        observer().client.publish(u"tavik/bus1/m12/c3/set_position"_qs, "40", false);
        QTRY_VERIFY_WITH_TIMEOUT(eventSince(12, u"confirmed"_qs, u"max_speed"_qs, from), 10000);
        const qsizetype write = firstFrame(frames, 0xD9);
        const qsizetype cover = firstFrame(frames, 0xDD);
        QVERIFY(write >= 0 && cover >= 0);
        const qsizetype readBack = firstFrame(write, 0xCA);
        QVERIFY2(cover < readBack,
                 qPrintable(QStringLiteral("command frame %1, read-back %2").arg(cover).arg(readBack)));
        QCOMPARE(int(motor(12).maxSpeed), 110);
    }

    // The motor keeps its jog time whatever is written: the last value read
    // is shown again, the result says another value came back.
    void writeNotTaken()
    {
        MotorSim::Faults faults;
        faults.ignoredWrites = {0xD6};
        m_sim.setFaults(faults);
        const qsizetype from = observer().seen.size();
        command(12, u"jog_time"_qs, "9");
        QTRY_VERIFY_WITH_TIMEOUT(eventSince(12, u"other_value"_qs, u"jog_time"_qs, from), 10000);
        m_sim.setFaults({});
        QCOMPARE(motor(12).jogTime, 6);
        const QList<QJsonObject> states = statesSince(12, from);
        QVERIFY(!states.isEmpty()); // republished after the failure
        for (const QJsonObject &s : states)
            QCOMPARE(s[u"jog_time"_qs].toInt(), 6);
        const QJsonObject result = json(motorPath(12) + u"/settings/jog_time/result"_qs);
        QCOMPARE(result[u"result"_qs].toString(), u"other_value"_qs);
        QCOMPARE(result[u"value"_qs].toInt(), 9);
    }

    // A bad value never reaches the line; the entity shows the motor's value again.
    void badValueDropped()
    {
        const qsizetype frames = m_sim.frames().size();
        const qsizetype from = observer().seen.size();
        command(12, u"max_speed"_qs, "300");
        command(12, u"baud"_qs, "2400"); // read only here
        QTRY_COMPARE(statesSince(12, from).size(), 2);
        QCOMPARE(writeFramesSince(12, frames), 0);
    }

    // The button reads the motor again: a value changed behind the bridge's back shows.
    void readButton()
    {
        motor(12).maxSpeed = 120;
        observer().client.publish(motorPath(12) + u"/settings/read"_qs, "PRESS", false);
        QTRY_COMPARE_WITH_TIMEOUT(state(12)[u"max_speed"_qs].toInt(), 120, 10000);
    }

    // With the adapter gone a write is canceled at once, not kept to change
    // the motor when the port comes back; back, every motor is read again.
    void canceledWhileUnplugged()
    {
        m_sim.unplug();
        QTRY_COMPARE_WITH_TIMEOUT(observer().last(u"tavik/bus1/state"_qs), QByteArray("offline"), 10000);
        const qsizetype from = observer().seen.size();
        command(12, u"max_speed"_qs, "75");
        QTRY_VERIFY(eventSince(12, u"canceled"_qs, u"max_speed"_qs, from));
        QVERIFY(m_sim.replug());
        const qsizetype frames = m_sim.frames().size();
        QTRY_COMPARE_WITH_TIMEOUT(observer().last(u"tavik/bus1/state"_qs), QByteArray("online"), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(statesSince(12, from).size() >= 2, 10000); // canceled, then read again
        QCOMPARE(writeFramesSince(12, frames), 0);
        QVERIFY(motor(12).maxSpeed != 75);
    }

    // A second motor joined ID 20 after the start: the write asks first,
    // hears two, writes nothing, and the motor's settings become a problem.
    void refusedOnSharedId()
    {
        QVERIFY(components(20).contains(u"tavik_bus1_m20_max_speed"_qs));
        m_sim.bus().addMotor(20, 0x0002);
        const qsizetype frames = m_sim.frames().size();
        const qsizetype from = observer().seen.size();
        command(20, u"max_speed"_qs, "90");
        QTRY_VERIFY_WITH_TIMEOUT(eventSince(20, u"refused"_qs, u"max_speed"_qs, from), 10000);
        QCOMPARE(json(motorPath(20) + u"/settings/max_speed/result"_qs)[u"reason"_qs].toString(), u"shared_id"_qs);
        QCOMPARE(writeFramesSince(20, frames), 0);
        QTRY_COMPARE(components(20).keys(), QStringList {u"tavik_bus1_m20_problem"_qs});
        QCOMPARE(observer().discoveryFaults(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestMqttSettings)
#include "tst_mqtt_settings.moc"
