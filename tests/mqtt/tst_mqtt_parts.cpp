// The daemon's parts without I/O: configuration errors with their lines,
// the command parser, the discovery payloads and the tick scheduler.
#include "BusScheduler.h"
#include "Config.h"
#include "Discovery.h"
#include "Frames.h"
#include "Topics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray goodConfig = R"(mqtt:
  host: 127.0.0.1
  username: tavik
buses:
  - name: bus1
    port: /dev/ttyUSB0
    baud: 9600
    covers:
      - { id: 12, channel: 3, name: Living room curtain }
      - { id: 1, channel: 1, invert: true }
    groups:
      - { name: All curtains, id: 0, channels: [1] }
)";

Config parsed(const QByteArray &yaml)
{
    const ConfigResult r = parseConfig(yaml, u"c.yaml"_qs, {}, u"host"_qs);
    if (!r.config)
        qFatal("%s", qPrintable(r.error));
    return *r.config;
}

BusConfig twoCovers()
{
    return parsed(goodConfig).buses.first();
}

Command cmd(int id, int channel, Command::Action action, int value = 0)
{
    Command c;
    c.bus = u"bus1"_qs;
    c.id = id;
    c.channel = channel;
    c.action = action;
    c.value = value;
    return c;
}

} // namespace

class TestMqttParts : public QObject {
    Q_OBJECT
private slots:
    void configDefaults()
    {
        const Config c = parsed(goodConfig);
        QCOMPARE(c.mqtt.port, 1883);
        QCOMPARE(c.mqtt.clientId, u"tavik-host"_qs);
        QCOMPARE(c.mqtt.baseTopic, u"tavik"_qs);
        QCOMPARE(c.buses.first().baudCode, std::optional<int>(3));
        QCOMPARE(c.buses.first().covers.size(), 2);
        QCOMPARE(c.buses.first().covers[1].name, u"bus1 motor 1 channel 1"_qs);
        QVERIFY(c.buses.first().covers[1].invert);
        QCOMPARE(c.buses.first().groups.first().mask, quint16(1));
        const Config tls = parsed("mqtt: { tls: { ca_file: /x } }\nbuses: [ { name: a, port: /p } ]\n");
        QCOMPARE(tls.mqtt.port, 8883);
        QCOMPARE(parsed("buses: [ { name: a, port: /p } ]\n").buses.first().baudCode, std::nullopt);
    }

    void configErrors_data()
    {
        QTest::addColumn<QByteArray>("yaml");
        QTest::addColumn<QString>("expected"); // the start of the error
        const QByteArray head = "buses:\n  - name: bus1\n    port: /p\n    covers:\n";
        QTest::newRow("unknown key") << QByteArray("mqtt:\n  hots: x\nbuses: []\n")
                                     << u"c.yaml:2: unknown key 'hots'"_qs;
        QTest::newRow("ID 100") << head + "      - { id: 100, channel: 1 }\n"
                                << u"c.yaml:5: id: 100 is out of range"_qs;
        QTest::newRow("channel 17") << head + "      - { id: 1, channel: 17 }\n" << u"c.yaml:5: channel: 17"_qs;
        QTest::newRow("wrong type") << head + "      - { id: one, channel: 1 }\n"
                                    << u"c.yaml:5: id: expected a whole number"_qs;
        QTest::newRow("duplicate cover") << head + "      - { id: 1, channel: 1 }\n      - { id: 1, channel: 1 }\n"
                                         << u"c.yaml:6: motor 1 channel 1 is already"_qs;
        QTest::newRow("same port") << QByteArray("buses:\n  - { name: a, port: /p }\n  - { name: b, port: /p }\n")
                                   << u"c.yaml:3: port /p is already bus a's"_qs;
        QTest::newRow("bad bus name") << QByteArray("buses:\n  - { name: Bus 1, port: /p }\n") << u"c.yaml:2: name:"_qs;
        QTest::newRow("bad baud") << QByteArray("buses:\n  - name: a\n    port: /p\n    baud: 9601\n")
                                  << u"c.yaml:4: baud:"_qs;
        QTest::newRow("password file") << QByteArray(
            "mqtt:\n  password_file: /nonexistent/pw\nbuses: [ { name: a, port: /p } ]\n")
                                       << u"c.yaml:2: password_file: cannot read"_qs;
        QTest::newRow("no buses") << QByteArray("mqtt: { host: h }\n") << u"c.yaml:1: buses"_qs;
        QTest::newRow("syntax") << QByteArray("buses:\n  - { name: a\n") << u"c.yaml:3:"_qs;
        QTest::newRow("cover without channel") << head + "      - { id: 1 }\n" << u"c.yaml:5: a cover needs"_qs;
    }
    void configErrors()
    {
        QFETCH(QByteArray, yaml);
        QFETCH(QString, expected);
        const ConfigResult r = parseConfig(yaml, u"c.yaml"_qs, {}, u"h"_qs);
        QVERIFY(!r.config);
        QVERIFY2(r.error.startsWith(expected), qPrintable(r.error));
    }

    // The bus's baud is one of the motor's line rates, taken as its baud
    // code; every other rate is refused with the list of those it may be.
    void configBaudRates_data()
    {
        QTest::addColumn<QByteArray>("baud");
        QTest::addColumn<int>("code"); // -1: refused
        QTest::addColumn<QString>("error");
        const QString notOne = u"c.yaml:4: baud: %1 is not one of 1200, 2400, 4800, 9600, 19200"_qs;
        for (const auto &[bps, code] : {std::pair {1200, 0}, {2400, 1}, {4800, 2}, {9600, 3}, {19200, 4}})
            QTest::addRow("%d", bps) << QByteArray::number(bps) << code << QString();
        QTest::newRow("14400, the line's start rate") << QByteArray("14400") << -1 << notOne.arg(14400);
        QTest::newRow("9601") << QByteArray("9601") << -1 << notOne.arg(9601);
        QTest::newRow("600") << QByteArray("600") << -1 << u"c.yaml:4: baud: 600 is out of range 1200..19200"_qs;
        QTest::newRow("38400") << QByteArray("38400") << -1 << u"c.yaml:4: baud: 38400 is out of range 1200..19200"_qs;
    }
    void configBaudRates()
    {
        QFETCH(QByteArray, baud);
        QFETCH(int, code);
        QFETCH(QString, error);
        const ConfigResult r = parseConfig("buses:\n  - name: a\n    port: /p\n    baud: " + baud + "\n", u"c.yaml"_qs,
                                           {}, u"h"_qs);
        if (code < 0) {
            QVERIFY(!r.config);
            QCOMPARE(r.error, error);
        } else {
            QVERIFY2(r.config, qPrintable(r.error));
            QCOMPARE(r.config->buses.first().baudCode, std::optional<int>(code));
        }
    }

    void passwordSources()
    {
        QTemporaryDir dir;
        QFile f(dir.filePath(u"pw"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("from-file\n");
        f.close();
        const QByteArray withFile = "mqtt: { password_file: " + f.fileName().toUtf8()
            + " }\nbuses: [ { name: a, port: /p } ]\n";
        QCOMPARE(parseConfig(withFile, u"c"_qs, u"from-env"_qs, u"h"_qs).config->mqtt.password, u"from-file"_qs);
        QCOMPARE(
            parseConfig("buses: [ { name: a, port: /p } ]\n", u"c"_qs, u"from-env"_qs, u"h"_qs).config->mqtt.password,
            u"from-env"_qs);
    }

    void commands_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("action");
        QTest::addColumn<int>("value");
        QTest::newRow("open") << u"tavik/bus1/m12/c3/set"_qs << QByteArray("OPEN") << true << int(Command::Open) << 0;
        QTest::newRow("close") << u"tavik/bus1/m12/c3/set"_qs << QByteArray("CLOSE") << true << int(Command::Close)
                               << 0;
        QTest::newRow("stop") << u"tavik/bus1/m12/c3/set"_qs << QByteArray("STOP") << true << int(Command::Stop) << 0;
        QTest::newRow("position") << u"tavik/bus1/m12/c3/set_position"_qs << QByteArray("30") << true
                                  << int(Command::SetPosition) << 30;
        QTest::newRow("position 100") << u"tavik/bus1/m12/c3/set_position"_qs << QByteArray("100") << true
                                      << int(Command::SetPosition) << 100;
        QTest::newRow("limit") << u"tavik/bus1/m12/c3/limit/set"_qs << QByteArray("4") << true << int(Command::Limit)
                               << 4;
        QTest::newRow("group") << u"tavik/bus1/g0-0001/set"_qs << QByteArray("CLOSE") << true << int(Command::Close)
                               << 0;
        QTest::newRow("lower case") << u"tavik/bus1/m12/c3/set"_qs << QByteArray("open") << false << 0 << 0;
        QTest::newRow("trailing space") << u"tavik/bus1/m12/c3/set"_qs << QByteArray("OPEN ") << false << 0 << 0;
        QTest::newRow("position 101") << u"tavik/bus1/m12/c3/set_position"_qs << QByteArray("101") << false << 0 << 0;
        QTest::newRow("negative") << u"tavik/bus1/m12/c3/set_position"_qs << QByteArray("-1") << false << 0 << 0;
        QTest::newRow("fraction") << u"tavik/bus1/m12/c3/set_position"_qs << QByteArray("50.5") << false << 0 << 0;
        QTest::newRow("empty") << u"tavik/bus1/m12/c3/set_position"_qs << QByteArray() << false << 0 << 0;
        QTest::newRow("limit 0") << u"tavik/bus1/m12/c3/limit/set"_qs << QByteArray("0") << false << 0 << 0;
        QTest::newRow("limit 5") << u"tavik/bus1/m12/c3/limit/set"_qs << QByteArray("5") << false << 0 << 0;
        QTest::newRow("leading zero") << u"tavik/bus1/m06/c3/set_position"_qs << QByteArray("30") << false << 0 << 0;
        QTest::newRow("group leading zero") << u"tavik/bus1/g00-0001/set"_qs << QByteArray("OPEN") << false << 0 << 0;
        QTest::newRow("ID 0") << u"tavik/bus1/m0/c3/set"_qs << QByteArray("OPEN") << false << 0 << 0;
        QTest::newRow("channel 17") << u"tavik/bus1/m12/c17/set"_qs << QByteArray("OPEN") << false << 0 << 0;
        QTest::newRow("group no channel") << u"tavik/bus1/g0-0000/set"_qs << QByteArray("OPEN") << false << 0 << 0;
        QTest::newRow("other base") << u"other/bus1/m12/c3/set"_qs << QByteArray("OPEN") << false << 0 << 0;
        QTest::newRow("state topic") << u"tavik/bus1/m12/c3/state"_qs << QByteArray("open") << false << 0 << 0;
    }
    void commands()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(bool, valid);
        const auto r = parseCommand(u"tavik"_qs, topic, payload);
        QCOMPARE(std::holds_alternative<Command>(r), valid);
        if (!valid)
            return;
        const Command &c = std::get<Command>(r);
        QTEST(int(c.action), "action");
        QTEST(c.value, "value");
        QCOMPARE(c.bus, u"bus1"_qs);
    }

    void discovery_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value"); // the value as compact JSON
        const QString cover = u"homeassistant/cover/tavik_bus1_m12_c3/config"_qs;
        const QString button = u"homeassistant/button/tavik_bus1_m12_c3_limit2/config"_qs;
        const QString group = u"homeassistant/cover/tavik_bus1_g0_0001/config"_qs;
        QTest::newRow("unique id") << cover << u"unique_id"_qs << u"\"tavik_bus1_m12_c3\""_qs;
        QTest::newRow("class") << cover << u"device_class"_qs << u"\"curtain\""_qs;
        QTest::newRow("command") << cover << u"command_topic"_qs << u"\"tavik/bus1/m12/c3/set\""_qs;
        QTest::newRow("state") << cover << u"state_topic"_qs << u"\"tavik/bus1/m12/c3/state\""_qs;
        QTest::newRow("position") << cover << u"position_topic"_qs << u"\"tavik/bus1/m12/c3/position\""_qs;
        QTest::newRow("set position") << cover << u"set_position_topic"_qs << u"\"tavik/bus1/m12/c3/set_position\""_qs;
        QTest::newRow("open") << cover << u"position_open"_qs << u"100"_qs;
        QTest::newRow("closed") << cover << u"position_closed"_qs << u"0"_qs;
        QTest::newRow("availability")
            << cover << u"availability"_qs
            << u"[{\"topic\":\"tavik/bridge/state\"},{\"topic\":\"tavik/bus1/m12/c3/availability\"}]"_qs;
        QTest::newRow("mode") << cover << u"availability_mode"_qs << u"\"all\""_qs;
        QTest::newRow("attributes") << cover << u"json_attributes_topic"_qs << u"\"tavik/bus1/m12/c3/attributes\""_qs;
        QTest::newRow("device name") << cover << u"device"_qs << u"name=Living room curtain"_qs;
        QTest::newRow("manufacturer") << cover << u"device"_qs << u"manufacturer=Tavik"_qs;
        QTest::newRow("via") << cover << u"device"_qs << u"via_device=tavik_bridge_tavik-host"_qs;
        QTest::newRow("origin") << cover << u"origin"_qs << u"name=tavik-mqtt"_qs;
        QTest::newRow("button topic") << button << u"command_topic"_qs << u"\"tavik/bus1/m12/c3/limit/set\""_qs;
        QTest::newRow("button press") << button << u"payload_press"_qs << u"\"2\""_qs;
        QTest::newRow("group command") << group << u"command_topic"_qs << u"\"tavik/bus1/g0-0001/set\""_qs;
        QTest::newRow("group no position") << group << u"position_topic"_qs << u"undefined"_qs;
    }
    void discovery()
    {
        QFETCH(QString, topic);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QList<DiscoveryMessage> all = discoveryMessages(parsed(goodConfig), u"2.5"_qs);
        QCOMPARE(all.size(), 2 * 5 + 1);
        const auto it = std::find_if(all.begin(), all.end(), [&](const auto &m) { return m.topic == topic; });
        QVERIFY(it != all.end());
        const QJsonObject o = QJsonDocument::fromJson(it->payload).object();
        const QJsonValue v = o.value(key);
        if (value.contains(u'=') && !value.startsWith(u'"')) {
            QCOMPARE(v.toObject().value(value.section(u'=', 0, 0)).toString(), value.section(u'=', 1));
        } else if (value == u"undefined") {
            QVERIFY(v.isUndefined());
        } else {
            const QJsonDocument d = v.isArray() ? QJsonDocument(v.toArray()) : QJsonDocument(QJsonArray {v});
            QString text = QString::fromUtf8(d.toJson(QJsonDocument::Compact));
            if (!v.isArray())
                text = text.mid(1, text.size() - 2);
            QCOMPARE(text, value);
        }
    }

    void staleDiscovery()
    {
        const Config c = parsed(goodConfig);
        const auto current = discoveryMessages(c, u"2.5"_qs);
        const QByteArray old = R"({"unique_id":"tavik_bus1_m5_c1","command_topic":"tavik/bus1/m5/c1/set"})";
        QVERIFY(isStaleDiscovery(c, u"homeassistant/cover/tavik_bus1_m5_c1/config"_qs, old, current));
        QVERIFY(!isStaleDiscovery(c, current.first().topic, current.first().payload, current));
        const QByteArray foreign = R"({"unique_id":"tavik_bus1_m5_c1","command_topic":"elsewhere/bus1/m5/c1/set"})";
        QVERIFY(!isStaleDiscovery(c, u"homeassistant/cover/tavik_bus1_m5_c1/config"_qs, foreign, current));
        QVERIFY(!isStaleDiscovery(c, u"homeassistant/cover/x/config"_qs, {}, current));
    }

    // What the next ticks send after a burst of commands for the two covers.
    void queueOrder_data()
    {
        QTest::addColumn<QList<Command>>("burst");
        QTest::addColumn<QList<int>>(
            "frames"); // per frame: id * 10000 + function * 256... as id, function, data triples
        using A = Command;
        QTest::newRow("open") << QList<Command> {cmd(12, 3, A::Open)} << QList<int> {12, Frame::Motor, Frame::Up};
        QTest::newRow("inverted open") << QList<Command> {cmd(1, 1, A::Open)}
                                       << QList<int> {1, Frame::Motor, Frame::Down};
        QTest::newRow("position") << QList<Command> {cmd(12, 3, A::SetPosition, 30)}
                                  << QList<int> {12, Frame::RunToPosition, 70};
        QTest::newRow("inverted position")
            << QList<Command> {cmd(1, 1, A::SetPosition, 30)} << QList<int> {1, Frame::RunToPosition, 30};
        QTest::newRow("limit") << QList<Command> {cmd(12, 3, A::Limit, 3)} << QList<int> {12, Frame::Motor, 3};
        QTest::newRow("stop first") << QList<Command> {cmd(1, 1, A::Close), cmd(12, 3, A::Open), cmd(12, 3, A::Stop)}
                                    << QList<int> {12, Frame::Motor, Frame::Stop, 1, Frame::Motor, Frame::Up};
        QTest::newRow("newest position") << QList<Command> {cmd(12, 3, A::SetPosition, 10), cmd(1, 1, A::Open),
                                                            cmd(12, 3, A::SetPosition, 20),
                                                            cmd(12, 3, A::SetPosition, 40)}
                                         << QList<int> {1, Frame::Motor, Frame::Down, 12, Frame::RunToPosition, 60};
    }
    void queueOrder()
    {
        QFETCH(QList<Command>, burst);
        QFETCH(QList<int>, frames);
        BusScheduler s(twoCovers());
        for (const Command &c : burst)
            QVERIFY(s.enqueue(c));
        for (int i = 0; i < frames.size(); i += 3) {
            const BusWork w = s.next();
            QCOMPARE(w.kind, BusWork::Send);
            QCOMPARE(w.id, frames[i]);
            QCOMPARE(int(w.function), frames[i + 1]);
            QCOMPARE(int(w.data), frames[i + 2]);
        }
        QCOMPARE(s.next().kind, BusWork::Poll);
        Command unknown = cmd(5, 1, Command::Open);
        QVERIFY(!s.enqueue(unknown));
    }

    // 16 covers: each polled once in 16 free ticks; a commanded one every second tick.
    void pollRotation()
    {
        BusConfig bus;
        for (int id = 1; id <= 16; ++id)
            bus.covers.append(CoverConfig {id, 1, u"c"_qs, false});
        BusScheduler s(bus);
        QList<int> polled;
        for (int t = 0; t < 16; ++t)
            polled.append(s.next().id);
        std::sort(polled.begin(), polled.end());
        QCOMPARE(polled, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
        QVERIFY(s.enqueue(cmd(7, 1, Command::Open)));
        QCOMPARE(s.next().kind, BusWork::Send);
        int lastSeven = 0;
        for (int t = 1; t <= 40; ++t)
            if (s.next().id == 7) {
                QVERIFY2(t - lastSeven <= 2, qPrintable(QString::number(t)));
                lastSeven = t;
            }
    }

    // Of several covers commanded lately, the one whose position changes is
    // still polled every second tick.
    void movingCoverFirst()
    {
        BusConfig bus;
        for (int id = 1; id <= 6; ++id)
            bus.covers.append(CoverConfig {id, 1, u"c"_qs, false});
        BusScheduler s(bus);
        for (int id = 1; id <= 6; ++id) {
            s.answer(id, 1, 50, Frame::StatusPositionKnown);
            QVERIFY(s.enqueue(cmd(id, 1, Command::Stop)));
        }
        for (int i = 0; i < 6; ++i)
            QCOMPARE(s.next().kind, BusWork::Send);
        int percent = 50, lastThree = 0;
        for (int t = 1; t <= 30; ++t) {
            const BusWork w = s.next();
            QCOMPARE(w.kind, BusWork::Poll);
            s.answer(w.id, 1, w.id == 3 ? (percent += 3) : 50, Frame::StatusPositionKnown);
            if (w.id == 3) {
                QVERIFY2(t - lastThree <= 2 || t <= 6, qPrintable(QString::number(t)));
                lastThree = t;
            }
        }
    }

    void availability()
    {
        BusScheduler s(twoCovers());
        QVERIFY(!s.view(0).online);
        s.next();
        QCOMPARE(s.answer(12, 0x0004, 40, Frame::StatusPositionKnown | Frame::limitPointBit(2)), 0);
        CoverView v = s.view(0);
        QVERIFY(v.online);
        QCOMPARE(v.position, std::optional<int>(60));
        QCOMPARE(v.state, u"stopped"_qs);
        QCOMPARE(v.limitPoints, QList<int> {2});
        QCOMPARE(s.answer(12, 0x0002, 40, 0), -1); // channel 2 is no cover
        QCOMPARE(s.answer(1, 0x0001, 30, 0), 1); // position not known
        QCOMPARE(s.view(1).position, std::nullopt);
        int polls = 0;
        while (s.view(0).online && polls < 100)
            if (s.next().id == 12)
                ++polls;
        s.next();
        QCOMPARE(polls, BusScheduler::OfflineAfterPolls);
        s.answer(12, 0x0004, 0, Frame::StatusPositionKnown);
        QVERIFY(s.view(0).online);
        QCOMPARE(s.view(0).state, u"open"_qs);
        s.portLost();
        QVERIFY(!s.view(0).online);
    }

    void movingStates()
    {
        BusScheduler s(twoCovers());
        s.answer(12, 0x0004, 100, Frame::StatusPositionKnown); // closed
        QCOMPARE(s.view(0).state, u"closed"_qs);
        QVERIFY(s.enqueue(cmd(12, 3, Command::Open)));
        QCOMPARE(s.view(0).state, u"opening"_qs);
        for (int pct : {100, 90, 80})
            s.answer(12, 0x0004, pct, Frame::StatusPositionKnown);
        QCOMPARE(s.view(0).state, u"opening"_qs);
        for (int i = 0; i < 2; ++i)
            s.answer(12, 0x0004, 80, Frame::StatusPositionKnown);
        QCOMPARE(s.view(0).state, u"stopped"_qs);
        QVERIFY(s.enqueue(cmd(12, 3, Command::SetPosition, 5)));
        QCOMPARE(s.view(0).state, u"closing"_qs);
    }
};

QTEST_GUILESS_MAIN(TestMqttParts)
#include "tst_mqtt_parts.moc"
