// The daemon's parts without I/O: configuration errors with their lines,
// the command parser, the discovery payloads and the tick scheduler.
#include "BusScheduler.h"
#include "Config.h"
#include "ConfigKit.h"
#include "Discovery.h"
#include "SettingsEntities.h"
#include "DiscoverySchema.h"
#include "Frames.h"
#include "LinkReports.h"
#include "Log.h"
#include "Topics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

BusConfig twoCovers()
{
    return parsed(goodConfig).buses.first();
}

Command cmd(int id, int channel, Command::Action action, int value = 0)
{
    Command c;
    c.bus = u"bus1"_qs;
    c.target = {id, ChannelMask::ofChannel(channel)};
    c.action = action;
    c.value = value;
    return c;
}

// Motor IDs 1..ids, each with covers on channels 1..channels; one group of
// every ID on channel 1 and one of ID 1 on every channel.
BusConfig grid(int ids, int channels)
{
    BusConfig bus;
    bus.name = u"bus1"_qs;
    for (int id = 1; id <= ids; ++id)
        for (int ch = 1; ch <= channels; ++ch)
            bus.covers.append(CoverConfig {id, ch, u"c"_qs, false});
    bus.groups.append(GroupConfig {u"all"_qs, {0, ChannelMask::ofChannel(1)}});
    bus.groups.append(GroupConfig {u"one"_qs, {1, ChannelMask::ofWord(quint16((1u << channels) - 1))}});
    return bus;
}

Command groupCmd(int id, quint16 mask, Command::Action action)
{
    Command c = cmd(id, 1, action);
    c.group = true;
    c.target = {id, ChannelMask::ofWord(mask)};
    return c;
}

// A frame's ID, mask, function and data, as "1 ffff dd 70" (data in decimal).
QString frameText(int id, int mask, int function, int data)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(id)
        .arg(mask, 4, 16, QChar(u'0'))
        .arg(function, 2, 16, QChar(u'0'))
        .arg(data);
}

} // namespace

class TestMqttParts : public QObject {
    Q_OBJECT
private slots:
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
        const QString group = u"homeassistant/cover/tavik_bus1_g0_0004/config"_qs;
        const QString bridge = u"homeassistant/binary_sensor/tavik_bridge/config"_qs;
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
        QTest::newRow("via") << cover << u"device"_qs << u"via_device=tavik_bridge"_qs;
        QTest::newRow("motor has no bridge version") << cover << u"device"_qs << u"sw_version="_qs;
        QTest::newRow("bridge device") << bridge << u"device"_qs << u"name=Tavik bridge tavik"_qs;
        QTest::newRow("bridge version") << bridge << u"device"_qs << u"sw_version=2.5"_qs;
        QTest::newRow("bridge class") << bridge << u"device_class"_qs << u"\"connectivity\""_qs;
        QTest::newRow("bridge state") << bridge << u"state_topic"_qs << u"\"tavik/bridge/state\""_qs;
        QTest::newRow("bridge off") << bridge << u"payload_off"_qs << u"\"offline\""_qs;
        QTest::newRow("origin") << cover << u"origin"_qs << u"name=tavik-mqtt"_qs;
        QTest::newRow("button topic") << button << u"command_topic"_qs << u"\"tavik/bus1/m12/c3/limit/set\""_qs;
        QTest::newRow("button press") << button << u"payload_press"_qs << u"\"2\""_qs;
        QTest::newRow("group command") << group << u"command_topic"_qs << u"\"tavik/bus1/g0-0004/set\""_qs;
        QTest::newRow("group no position") << group << u"position_topic"_qs << u"undefined"_qs;
    }
    void discovery()
    {
        QFETCH(QString, topic);
        QFETCH(QString, key);
        QFETCH(QString, value);
        const QList<DiscoveryMessage> all = discoveryMessages(parsed(goodConfig), u"2.5"_qs);
        QCOMPARE(all.size(), 1 + 2 * 5 + 1);
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

    // The schema check passes what the bridge announces, and finds each kind of fault it is there for.
    void discoverySchema_data()
    {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("fault"); // empty: none
        const QString cover = u"homeassistant/cover/x_c/config"_qs;
        const QByteArray dev = R"("unique_id":"u","device":{"identifiers":["d"],"name":"n"},"origin":{"name":"o"})";
        QTest::newRow("cover") << cover << R"({"command_topic":"a/set",)" + dev + "}" << QString();
        QTest::newRow("cleared") << cover << QByteArray() << QString();
        QTest::newRow("unknown key") << cover << R"({"command_topic":"a","colour":1,)" + dev + "}"
                                     << u"unknown key colour"_qs;
        QTest::newRow("qos 3") << cover << R"({"qos":3,)" + dev + "}" << u"qos may not be 3"_qs;
        QTest::newRow("cover class") << cover << R"({"device_class":"curtains",)" + dev + "}"
                                     << u"device_class may not be curtains"_qs;
        QTest::newRow("position as text")
            << cover << R"({"position_open":"100",)" + dev + "}" << u"position_open is not a whole number"_qs;
        QTest::newRow("device, no unique id")
            << cover << QByteArray(R"({"device":{"identifiers":["d"]}})") << u"has a device but no unique_id"_qs;
        QTest::newRow("device, no identifiers")
            << cover << QByteArray(R"({"unique_id":"u","device":{"name":"n"}})") << u"device has no identifiers"_qs;
        QTest::newRow("availability without topic") << cover << QByteArray(R"({"availability":[{"t":"x"}]})")
                                                    << u"availability holds an entry without a topic"_qs;
        QTest::newRow("button") << u"homeassistant/button/b/config"_qs << QByteArray(R"({"name":"Go"})")
                                << u"lacks command_topic"_qs;
        QTest::newRow("sensor") << u"homeassistant/sensor/s/config"_qs << QByteArray(R"({"unit_of_measurement":"%"})")
                                << u"lacks state_topic"_qs;
        QTest::newRow("sensor category") << u"homeassistant/sensor/s/config"_qs
                                         << QByteArray(R"({"state_topic":"s","entity_category":"system"})")
                                         << u"entity_category may not be system"_qs;
        QTest::newRow("binary sensor class") << u"homeassistant/binary_sensor/s/config"_qs
                                             << QByteArray(R"({"state_topic":"s","device_class":"collision"})")
                                             << u"device_class may not be collision"_qs;
        QTest::newRow("event types") << u"homeassistant/event/e/config"_qs << QByteArray(R"({"state_topic":"s"})")
                                     << u"lacks event_types"_qs;
        QTest::newRow("event types empty")
            << u"homeassistant/event/e/config"_qs << QByteArray(R"({"state_topic":"s","event_types":[]})")
            << u"event_types is not a list of texts"_qs;
        QTest::newRow("number step") << u"homeassistant/number/n/config"_qs
                                     << QByteArray(R"({"command_topic":"c","step":"1"})") << u"step is not a number"_qs;
        QTest::newRow("select options") << u"homeassistant/select/n/config"_qs << QByteArray(R"({"command_topic":"c"})")
                                        << u"lacks options"_qs;
        QTest::newRow("switch retain") << u"homeassistant/switch/n/config"_qs
                                       << QByteArray(R"({"command_topic":"c","retain":"yes"})")
                                       << u"retain is not true or false"_qs;
        QTest::newRow("platform") << u"homeassistant/vacuum/v/config"_qs << QByteArray("{}")
                                  << u"unknown platform vacuum"_qs;
        QTest::newRow("topic shape") << u"homeassistant/cover/config"_qs << QByteArray("{}")
                                     << u"topic is not <prefix>/<platform>/<object id>/config"_qs;
        QTest::newRow("not JSON") << cover << QByteArray("{") << u"payload is not a JSON object"_qs;
        const QByteArray deviceBased = R"({"device":{"identifiers":"m12"},"origin":{"name":"o"},"components":{)";
        QTest::newRow("device-based") << u"homeassistant/device/m12/config"_qs
                                      << deviceBased + R"("s":{"p":"switch","unique_id":"u","command_topic":"c"}}})"
                                      << QString();
        QTest::newRow("device-based component")
            << u"homeassistant/device/m12/config"_qs << deviceBased + R"("n":{"p":"number","unique_id":"u"}}})"
            << u"n: lacks command_topic"_qs;
        QTest::newRow("device-based without origin")
            << u"homeassistant/device/m12/config"_qs << QByteArray(R"({"device":{"identifiers":"m"},"components":{}})")
            << u"lacks origin"_qs;
    }
    void discoverySchema()
    {
        QFETCH(QString, topic);
        QFETCH(QByteArray, payload);
        QFETCH(QString, fault);
        const QStringList faults = DiscoverySchema::faults(u"homeassistant"_qs, topic, payload);
        if (fault.isEmpty())
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        else
            QVERIFY2(std::any_of(faults.begin(), faults.end(), [&](const QString &f) { return f.startsWith(fault); }),
                     qPrintable(faults.join(u'\n')));
    }
    void announcedConfigsPassSchema()
    {
        const QList<DiscoveryMessage> all = discoveryMessages(parsed(goodConfig), u"2.5"_qs);
        for (const DiscoveryMessage &m : all)
            QVERIFY2(DiscoverySchema::faults(u"homeassistant"_qs, m.topic, m.payload).isEmpty(), qPrintable(m.topic));
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
        // A motor's settings device: stale unless its bus has settings (announced once read).
        const QByteArray device = R"({"device":{"identifiers":["tavik_bus1_m12"]},"components":{}})";
        const QString deviceTopic = u"homeassistant/device/tavik_bus1_m12/config"_qs;
        QVERIFY(isStaleDiscovery(c, deviceTopic, device, current));
        Config withSettings = c;
        withSettings.buses[0].settings = true;
        QVERIFY(!isStaleDiscovery(withSettings, deviceTopic, device, current));
        QVERIFY(!isStaleDiscovery(c, deviceTopic, QByteArray(device).replace("tavik_", "other_"), current));
    }

    // A command's payload as the byte written, from the settings table's ranges and words.
    void settingsCommands_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("item"); // -1: refused
        QTest::addColumn<int>("value");
        QTest::newRow("speed") << u"max_speed"_qs << QByteArray("100") << int(Settings::MaxSpeed) << 100;
        QTest::newRow("speed below range") << u"max_speed"_qs << QByteArray("49") << -1 << 0;
        QTest::newRow("speed not whole") << u"max_speed"_qs << QByteArray("80.5") << -1 << 0;
        QTest::newRow("rebound none") << u"rebound"_qs << QByteArray("0") << int(Settings::Rebound) << 0;
        QTest::newRow("rebound unlimited") << u"rebound"_qs << QByteArray("255") << int(Settings::Rebound) << 255;
        QTest::newRow("sensitivity word") << u"sensitivity"_qs << QByteArray("high") << int(Settings::Sensitivity) << 3;
        QTest::newRow("sensitivity number") << u"sensitivity"_qs << QByteArray("3") << -1 << 0;
        QTest::newRow("dry contact mode") << u"dry_contact"_qs << QByteArray("4") << int(Settings::DryContact) << 4;
        QTest::newRow("dry contact out of range") << u"dry_contact"_qs << QByteArray("5") << -1 << 0;
        QTest::newRow("hand start off sets its bit")
            << u"hand_start"_qs << QByteArray("OFF") << int(Settings::CurtainFunctions) << 0x41;
        QTest::newRow("power memory on clears its bit")
            << u"power_memory"_qs << QByteArray("ON") << int(Settings::CurtainFunctions) << 0x00;
        QTest::newRow("direction reverse sets its bit")
            << u"direction"_qs << QByteArray("ON") << int(Settings::CurtainFunctions) << 0x42;
        QTest::newRow("switch word") << u"direction"_qs << QByteArray("on") << -1 << 0;
        QTest::newRow("baud is read only") << u"baud"_qs << QByteArray("9600") << -1 << 0;
        QTest::newRow("ID is read only") << u"id_channels"_qs << QByteArray("3") << -1 << 0;
    }
    void settingsCommands()
    {
        QFETCH(QString, key);
        QFETCH(QByteArray, payload);
        QFETCH(int, item);
        QFETCH(int, value);
        SettingsEntities::Known known;
        known.basic = known.extended = true;
        known.values.curtainFunctions = 0x40; // hand start on (bit clear), power memory off (bit set)
        const SettingsEntities::Entity *e = SettingsEntities::entity(key);
        QVERIFY(e);
        const auto parsed = SettingsEntities::parseWrite(*e, payload, known);
        if (item < 0) {
            QVERIFY(std::holds_alternative<QString>(parsed));
            return;
        }
        QVERIFY(std::holds_alternative<SettingsEntities::Write>(parsed));
        const auto [gotItem, gotValue] = std::get<SettingsEntities::Write>(parsed);
        QCOMPARE(int(gotItem), item);
        QCOMPARE(int(gotValue), value);
    }

    // A switch is not written before the functions byte was read: the other six bits would be guessed.
    void functionsNeedARead()
    {
        const SettingsEntities::Known unread;
        QVERIFY(std::holds_alternative<QString>(
            SettingsEntities::parseWrite(*SettingsEntities::entity(u"hand_start"_qs), "ON", unread)));
    }

    // Object IDs of two bridges never meet, whatever their base topics and bus names.
    void objectIdPrefix_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("default keeps today's IDs") << u"tavik"_qs << u"tavik"_qs;
        QTest::newRow("plain") << u"home2"_qs << u"tavik-home2"_qs;
        QTest::newRow("levels") << u"a/b"_qs << u"tavik-a-2fb"_qs;
        QTest::newRow("underscore") << u"a_b"_qs << u"tavik-a-5fb"_qs;
        QTest::newRow("hyphen") << u"a-b"_qs << u"tavik-a-2db"_qs;
        QTest::newRow("non-ASCII") << u"\u00e9"_qs << u"tavik--c3-a9"_qs;
    }
    void objectIdPrefix()
    {
        QFETCH(QString, base);
        QFETCH(QString, prefix);
        QCOMPARE(Topics::objectIdPrefix(base), prefix);
        QVERIFY(!Topics::objectIdPrefix(base).mid(5).contains(u'_'));
    }

    void twoBridgesShareNoEntity()
    {
        QByteArray second = goodConfig;
        second.replace("  username: tavik\n", "  username: tavik\n  base_topic: upstairs\n");
        const Config a = parsed(goodConfig), b = parsed(second);
        const auto ofA = discoveryMessages(a, u"2.5"_qs), ofB = discoveryMessages(b, u"2.5"_qs);
        QSet<QString> seen;
        for (const auto &list : {ofA, ofB})
            for (const DiscoveryMessage &m : list) {
                const QJsonObject o = QJsonDocument::fromJson(m.payload).object();
                QVERIFY2(!seen.contains(m.topic), qPrintable(m.topic));
                QVERIFY2(!seen.contains(o.value(u"unique_id"_qs).toString()), qPrintable(m.topic));
                seen << m.topic << o.value(u"unique_id"_qs).toString();
            }
        // Neither bridge takes the other's retained configs for its own stale ones.
        for (const DiscoveryMessage &m : ofB)
            QVERIFY2(!isStaleDiscovery(a, m.topic, m.payload, ofA), qPrintable(m.topic));
        for (const DiscoveryMessage &m : ofA)
            QVERIFY2(!isStaleDiscovery(b, m.topic, m.payload, ofB), qPrintable(m.topic));
        // Each motor is reached through its own bridge's device.
        for (const auto &list : {ofA, ofB}) {
            const QJsonObject bridge = QJsonDocument::fromJson(list.first().payload).object();
            const QJsonObject cover = QJsonDocument::fromJson(list.at(1).payload).object();
            QCOMPARE(cover.value(u"device"_qs).toObject().value(u"via_device"_qs).toString(),
                     bridge.value(u"device"_qs).toObject().value(u"identifiers"_qs).toArray().first().toString());
        }
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
            QCOMPARE(w.to.id, frames[i]);
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
            polled.append(s.next().to.id);
        std::sort(polled.begin(), polled.end());
        QCOMPARE(polled, QList<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
        QVERIFY(s.enqueue(cmd(7, 1, Command::Open)));
        QCOMPARE(s.next().kind, BusWork::Send);
        int lastSeven = 0;
        for (int t = 1; t <= 40; ++t)
            if (s.next().to.id == 7) {
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
            s.answer({id, ChannelMask::ofWord(1)}, 50, Frame::StatusPositionKnown);
            QVERIFY(s.enqueue(cmd(id, 1, Command::Stop)));
        }
        for (int i = 0; i < 6; ++i)
            QCOMPARE(s.next().kind, BusWork::Send);
        int percent = 50, lastThree = 0;
        for (int t = 1; t <= 30; ++t) {
            const BusWork w = s.next();
            QCOMPARE(w.kind, BusWork::Poll);
            s.answer({w.to.id, ChannelMask::ofWord(1)}, w.to.id == 3 ? (percent += 3) : 50, Frame::StatusPositionKnown);
            if (w.to.id == 3) {
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
        QCOMPARE(s.answer({12, ChannelMask::ofWord(0x0004)}, 40, Frame::StatusPositionKnown | Frame::limitPointBit(2)),
                 0);
        CoverView v = s.view(0);
        QVERIFY(v.online);
        QCOMPARE(v.position, std::optional<int>(60));
        QCOMPARE(v.state, u"stopped"_qs);
        QCOMPARE(v.limitPoints, QList<int> {2});
        QCOMPARE(s.answer({12, ChannelMask::ofWord(0x0002)}, 40, 0), -1); // channel 2 is no cover
        QCOMPARE(s.answer({1, ChannelMask::ofWord(0x0001)}, 30, 0), 1); // position not known
        QCOMPARE(s.view(1).position, std::nullopt);
        QCOMPARE(s.answer({1, ChannelMask::ofWord(0x0001)}, UnknownPercent, Frame::StatusPositionKnown), 1);
        QCOMPARE(s.view(1).position, std::nullopt); // known bit without a position: still unknown
        // Cover 12 falls silent while cover 1 still answers.
        int polls = 0;
        while (s.view(0).online && polls < 100) {
            const BusWork w = s.next();
            if (w.to.id == 12)
                ++polls;
            else
                s.answer({1, ChannelMask::ofWord(0x0001)}, 30, 0);
        }
        QCOMPARE(polls, BusScheduler::OfflineAfterPolls);
        QVERIFY(s.view(1).online);
        s.answer({12, ChannelMask::ofWord(0x0004)}, 0, Frame::StatusPositionKnown);
        QVERIFY(s.view(0).online);
        QCOMPARE(s.view(0).state, u"open"_qs);
        s.portLost();
        QVERIFY(!s.view(0).online);
    }

    // No cover of the bus answers: all go offline after ten polls in a row,
    // however many covers there are (not ten polls of each).
    void silentBus_data()
    {
        QTest::addColumn<int>("covers");
        for (int n : {1, 2, 16, 96, 1584})
            QTest::addRow("%d covers", n) << n;
    }
    void silentBus()
    {
        QFETCH(int, covers);
        BusConfig bus;
        for (int i = 0; i < covers; ++i)
            bus.covers.append(CoverConfig {1 + i / 16, 1 + i % 16, u"c"_qs, false});
        BusScheduler s(bus);
        for (int i = 0; i < covers; ++i)
            s.answer({1 + i / 16, ChannelMask::ofChannel(i % 16 + 1)}, 50, Frame::StatusPositionKnown);
        const auto onlineCount = [&] {
            int n = 0;
            for (int i = 0; i < covers; ++i)
                n += s.view(i).online;
            return n;
        };
        QCOMPARE(onlineCount(), covers);
        for (int polls = 0; polls < BusScheduler::OfflineAfterPolls;)
            polls += s.next().kind == BusWork::Poll;
        QCOMPARE(onlineCount(), covers); // nine polls counted so far
        const BusWork w = s.next(); // counts the tenth
        QCOMPARE(onlineCount(), 0);
        // One answer brings back its cover only.
        QVERIFY(s.answer(w.to, 50, Frame::StatusPositionKnown) >= 0);
        QCOMPARE(onlineCount(), 1);
    }

    // Motion nobody asked for here (a group, a wall switch, a remote) shows
    // as opening or closing from the answers alone, in the published sense.
    void motionSeenInPolls_data()
    {
        QTest::addColumn<int>("cover");
        QTest::addColumn<QList<int>>("percents"); // motor percents of successive answers
        QTest::addColumn<QStringList>("states");
        QTest::newRow("closing") << 0 << QList<int> {10, 20, 30, 30}
                                 << QStringList {u"stopped"_qs, u"closing"_qs, u"closing"_qs, u"stopped"_qs};
        QTest::newRow("opening to the end")
            << 0 << QList<int> {50, 40, 0, 0} << QStringList {u"stopped"_qs, u"opening"_qs, u"opening"_qs, u"open"_qs};
        QTest::newRow("inverted motor percent rising opens")
            << 1 << QList<int> {10, 20, 100} << QStringList {u"stopped"_qs, u"opening"_qs, u"opening"_qs};
        QTest::newRow("inverted falling closes")
            << 1 << QList<int> {60, 50, 50} << QStringList {u"stopped"_qs, u"closing"_qs, u"stopped"_qs};
    }
    void motionSeenInPolls()
    {
        QFETCH(int, cover);
        QFETCH(QList<int>, percents);
        QFETCH(QStringList, states);
        BusScheduler s(twoCovers());
        const CoverConfig c = s.cover(cover);
        for (int i = 0; i < percents.size(); ++i) {
            QCOMPARE(s.answer({c.id, ChannelMask::ofChannel(c.channel)}, percents[i], Frame::StatusPositionKnown),
                     cover);
            QCOMPARE(s.view(cover).state, states[i]);
        }
    }

    void movingStates()
    {
        BusScheduler s(twoCovers());
        s.answer({12, ChannelMask::ofWord(0x0004)}, 100, Frame::StatusPositionKnown); // closed
        QCOMPARE(s.view(0).state, u"closed"_qs);
        QVERIFY(s.enqueue(cmd(12, 3, Command::Open)));
        QCOMPARE(s.view(0).state, u"opening"_qs);
        for (int pct : {100, 90, 80})
            s.answer({12, ChannelMask::ofWord(0x0004)}, pct, Frame::StatusPositionKnown);
        QCOMPARE(s.view(0).state, u"opening"_qs);
        for (int i = 0; i < 2; ++i)
            s.answer({12, ChannelMask::ofWord(0x0004)}, 80, Frame::StatusPositionKnown);
        QCOMPARE(s.view(0).state, u"stopped"_qs);
        QVERIFY(s.enqueue(cmd(12, 3, Command::SetPosition, 5)));
        QCOMPARE(s.view(0).state, u"closing"_qs);
    }

    // Commands waiting together for one ID with the same function and data
    // leave as one frame; nothing overtakes an earlier command for its channel.
    void mergedCommands_data()
    {
        QTest::addColumn<QList<Command>>("burst");
        QTest::addColumn<QStringList>("frames");
        using A = Command;
        QList<Command> scene;
        for (int ch = 1; ch <= 16; ++ch)
            scene << cmd(1, ch, A::SetPosition, 30);
        QTest::newRow("16 channels of one ID") << scene << QStringList {frameText(1, 0xFFFF, Frame::RunToPosition, 70)};
        QList<Command> twoIds;
        for (int ch = 1; ch <= 4; ++ch)
            twoIds << cmd(1, ch, A::Close) << cmd(2, ch, A::Close);
        QTest::newRow("two IDs interleaved") << twoIds
                                             << QStringList {frameText(1, 0x000F, Frame::Motor, Frame::Down),
                                                             frameText(2, 0x000F, Frame::Motor, Frame::Down)};
        QTest::newRow("other data apart")
            << QList<Command> {cmd(1, 1, A::SetPosition, 30), cmd(1, 2, A::SetPosition, 40),
                               cmd(1, 3, A::SetPosition, 30)}
            << QStringList {frameText(1, 0x0005, Frame::RunToPosition, 70),
                            frameText(1, 0x0002, Frame::RunToPosition, 60)};
        QTest::newRow("a channel keeps its order")
            << QList<Command> {cmd(1, 1, A::Close), cmd(1, 2, A::Open), cmd(1, 2, A::Close)}
            << QStringList {frameText(1, 0x0001, Frame::Motor, Frame::Down),
                            frameText(1, 0x0002, Frame::Motor, Frame::Up),
                            frameText(1, 0x0002, Frame::Motor, Frame::Down)};
        QTest::newRow("stops together first")
            << QList<Command> {cmd(2, 1, A::Open), cmd(1, 1, A::Stop), cmd(1, 2, A::Stop)}
            << QStringList {frameText(1, 0x0003, Frame::Motor, Frame::Stop),
                            frameText(2, 0x0001, Frame::Motor, Frame::Up)};
        QTest::newRow("a group of every ID is not overtaken")
            << QList<Command> {cmd(2, 1, A::Close), groupCmd(0, 0x0001, A::Open), cmd(2, 2, A::Close),
                               cmd(2, 1, A::Close)}
            << QStringList {frameText(2, 0x0003, Frame::Motor, Frame::Down),
                            frameText(0, 0x0001, Frame::Motor, Frame::Up),
                            frameText(2, 0x0001, Frame::Motor, Frame::Down)};
    }
    void mergedCommands()
    {
        QFETCH(QList<Command>, burst);
        QFETCH(QStringList, frames);
        BusScheduler s(grid(2, 16));
        for (const Command &c : burst)
            QVERIFY(s.enqueue(c));
        QStringList sent;
        for (BusWork w = s.next(); w.kind == BusWork::Send; w = s.next())
            sent.append(frameText(w.to.id, w.to.channels.word(), w.function, w.data));
        QCOMPARE(sent, frames);
        QCOMPARE(s.queued(), 0);
    }

    // Whatever moves, every cover is polled within 2 x (covers) polls, and
    // the commanded ones (a group's members too) show their motion at once.
    void fairPolls_data()
    {
        QTest::addColumn<int>("ids");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QList<Command>>("commands");
        QTest::addColumn<int>("moving"); // covers 0..moving-1 answer with a new position each time
        QTest::newRow("group close on 16") << 16 << 1 << QList<Command> {groupCmd(0, 0x0001, Command::Close)} << 16;
        QTest::newRow("two of 16 move") << 16 << 1 << QList<Command> {} << 2;
        QTest::newRow("one ID's 16 channels") << 1 << 16 << QList<Command> {groupCmd(1, 0xFFFF, Command::Open)} << 16;
        QTest::newRow("16 of 96 move") << 6 << 16 << QList<Command> {groupCmd(0, 0x0001, Command::Close)} << 16;
        QTest::newRow("none moves") << 4 << 2 << QList<Command> {} << 0;
    }
    void fairPolls()
    {
        QFETCH(int, ids);
        QFETCH(int, channels);
        QFETCH(QList<Command>, commands);
        QFETCH(int, moving);
        BusScheduler s(grid(ids, channels));
        const int n = s.coverCount();
        for (int i = 0; i < n; ++i)
            s.answer({s.cover(i).id, ChannelMask::ofChannel(s.cover(i).channel)}, 0, Frame::StatusPositionKnown);
        for (const Command &c : commands) {
            QVERIFY(s.enqueue(c));
            for (int i = 0; i < n; ++i) {
                const CoverConfig &cover = s.cover(i);
                const bool member = (c.target.id == 0 || c.target.id == cover.id)
                    && c.target.channels.channel(cover.channel);
                if (member)
                    QCOMPARE(s.view(i).state, c.action == Command::Close ? u"closing"_qs : u"opening"_qs);
            }
        }
        QList<int> percent(n, 0);
        QList<qint64> last(n, s.tickCount());
        for (int t = 0; t < 6 * n; ++t) {
            const BusWork w = s.next();
            if (w.kind != BusWork::Poll)
                continue;
            QVERIFY2(
                s.tickCount() - last[w.cover] <= 2 * n,
                qPrintable(QStringLiteral("cover %1 waited %2 ticks").arg(w.cover).arg(s.tickCount() - last[w.cover])));
            last[w.cover] = s.tickCount();
            if (w.cover < moving)
                percent[w.cover] = std::min(100, percent[w.cover] + 1);
            s.answer(w.to, percent[w.cover], Frame::StatusPositionKnown);
        }
        for (int i = 0; i < n; ++i)
            QVERIFY2(s.tickCount() - last[i] <= 2 * n, qPrintable(QString::number(i)));
    }

    // The first of identical lines is written at once, the rest told as one
    // line when the window ends; a line is held back only within its window.
    void logCollapse_data()
    {
        QTest::addColumn<QStringList>("lines"); // "text@ms"; "flush@ms" ends windows, "end@ms" ends all
        QTest::addColumn<QStringList>("written");
        QStringList flood;
        for (int i = 0; i < 5000; ++i)
            flood << QStringLiteral("bad@%1").arg(i * 10);
        QTest::newRow("5000 alike") << (flood << u"flush@60000"_qs)
                                    << QStringList {u"bad"_qs, u"bad … and 4,999 more like it in 60 s"_qs};
        QTest::newRow("different lines pass") << QStringList {u"a@0"_qs, u"b@1"_qs, u"c@2"_qs, u"flush@70000"_qs}
                                              << QStringList {u"a"_qs, u"b"_qs, u"c"_qs};
        QTest::newRow("window ends, line again")
            << QStringList {u"a@0"_qs, u"a@10"_qs, u"a@60000"_qs, u"a@60001"_qs, u"end@61500"_qs}
            << QStringList {u"a"_qs, u"a … and 1 more like it in 60 s"_qs, u"a"_qs,
                            u"a … and 1 more like it in 2 s"_qs};
        QTest::newRow("interleaved") << QStringList {u"a@0"_qs, u"b@1"_qs,         u"a@2"_qs,        u"b@3"_qs,
                                                     u"a@4"_qs, u"flush@59999"_qs, u"flush@60003"_qs}
                                     << QStringList {u"a"_qs, u"b"_qs, u"a … and 2 more like it in 60 s"_qs,
                                                     u"b … and 1 more like it in 60 s"_qs};
    }
    void logCollapse()
    {
        QFETCH(QStringList, lines);
        QStringList written;
        LogCollapser log([&](const QString &text) { written << text; });
        for (const QString &l : lines) {
            const qint64 at = l.section(u'@', 1).toLongLong();
            const QString text = l.section(u'@', 0, 0);
            if (text == u"flush"_qs || text == u"end"_qs)
                log.flush(at, text == u"end"_qs);
            else
                log.line(text, at);
        }
        QTEST(written, "written");
        QCOMPARE(log.nextEndMs(), -1);
    }
};

QTEST_GUILESS_MAIN(TestMqttParts)
#include "tst_mqtt_parts.moc"
