// What a discovering bus keeps of its scans, without I/O: a scan's entries
// become motors, missing motors, collisions and motors at another rate,
// with the events they cause; the retained text read back; the covers and
// the discovery configs they make.
#include "BusInventory.h"
#include "ConfigKit.h"
#include "Discovery.h"
#include "DiscoverySchema.h"
#include "Topics.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

using Spot = BusInventory::Spot;
constexpr int Bus = 9600;

// "12:3,4@9600" a motor, "5:1@9600!" a collision, joined by spaces.
QList<LineInventory::Entry> entries(const QString &text)
{
    QList<LineInventory::Entry> out;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        LineInventory::Entry e;
        e.id = word.section(u':', 0, 0).toInt();
        for (const QString &ch : word.section(u':', 1).section(u'@', 0, 0).split(u','))
            e.channels.select(ch.toInt());
        e.rate = word.section(u'@', 1).remove(u'!').toInt();
        e.collision = word.endsWith(u'!');
        out.append(e);
    }
    return out;
}

QList<Spot> spots(const QString &text)
{
    QList<Spot> out;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts))
        out.append({word.section(u':', 0, 0).toInt(), word.section(u':', 1).toInt(), Bus});
    return out;
}

QString text(const QList<Spot> &list)
{
    QStringList words;
    for (const Spot &s : list)
        words << QStringLiteral("%1:%2").arg(s.id).arg(s.channel);
    return words.join(u' ');
}

} // namespace

class TestMqttInventory : public QObject {
    Q_OBJECT

private slots:
    // Lists are written "motors | missing | ignored" before the scan and
    // "motors | missing | collisions | other rate" after it.
    void afterScan_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("found"); // the scan's entries
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("events");
        const auto row = [](const char *name, const char *before, const char *found, const char *after,
                            const char *events) {
            QTest::newRow(name) << QString::fromLatin1(before) << QString::fromLatin1(found)
                                << QString::fromLatin1(after) << QString::fromLatin1(events);
        };
        row("first scan", "||", "12:3@9600 1:1,2@9600", "12:3 1:1 1:2|||",
            "motor_found 12:3, motor_found 1:1, motor_found 1:2");
        row("nothing new", "12:3||", "12:3@9600", "12:3|||", "");
        row("motor gone stays, missing", "12:3 1:1||", "1:1@9600", "12:3 1:1|12:3||", "motor_missing 12:3");
        row("still missing: told once", "12:3 1:1|12:3|", "1:1@9600", "12:3 1:1|12:3||", "");
        row("missing one back", "12:3 1:1|12:3|", "1:1@9600 12:3@9600", "12:3 1:1|||", "");
        row("two motors on one channel: no cover", "||", "5:1@9600! 5:2@9600", "5:2||5:1|",
            "motor_found 5:2, collision 5:1");
        row("a motor that now collides goes missing", "5:1||", "5:1@9600!", "5:1|5:1|5:1|",
            "motor_missing 5:1, collision 5:1");
        row("another rate: no cover", "||", "30:1@2400 12:3@9600", "12:3|||30:1", "motor_found 12:3, other_rate 30:1");
        row("deleted in Home Assistant stays away", "||12:3", "12:3@9600 1:1@9600", "1:1|||", "motor_found 1:1");
    }
    void afterScan()
    {
        QFETCH(QString, before);
        QFETCH(QString, found);
        BusInventory known;
        known.rate = Bus;
        known.motors = spots(before.section(u'|', 0, 0));
        known.missing = spots(before.section(u'|', 1, 1));
        known.ignored = spots(before.section(u'|', 2, 2));
        QList<BusInventory::Event> events;
        const BusInventory after = known.afterScan(entries(found), Bus, &events);
        const QStringList lists {text(after.motors), text(after.missing), text(after.collisions),
                                 text(after.otherRate)};
        QTEST(lists.join(u'|'), "after");
        QStringList told;
        for (const BusInventory::Event &e : std::as_const(events))
            told << e.type + u' ' + text({e.spot});
        QTEST(told.join(u", "_qs), "events");
        QCOMPARE(after.ignored, known.ignored);
        QCOMPARE(after.rate, Bus);
    }

    // The retained text gives back what was kept; anything else is no inventory.
    void json_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<bool>("valid");
        BusInventory inv;
        inv.rate = Bus;
        inv.motors = spots(u"12:3 1:1"_qs);
        inv.missing = spots(u"1:1"_qs);
        inv.collisions = spots(u"5:1"_qs);
        inv.otherRate = {{30, 1, 2400}};
        inv.ignored = spots(u"7:7"_qs);
        inv.scanned = u"2026-01-01T00:00:00Z"_qs;
        QTest::newRow("kept") << inv.toJson() << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("no rate") << QByteArray(R"({"motors":[]})") << false;
        QTest::newRow("channel 17") << QByteArray(R"({"rate":9600,"motors":[{"id":1,"channel":17}]})") << false;
        QTest::newRow("ID 0") << QByteArray(R"({"rate":9600,"motors":[{"id":0,"channel":1}]})") << false;
    }
    void json()
    {
        QFETCH(QByteArray, json);
        QFETCH(bool, valid);
        const std::optional<BusInventory> read = BusInventory::fromJson(json);
        QCOMPARE(read.has_value(), valid);
        if (!valid)
            return;
        QCOMPARE(read->toJson(), json);
        QCOMPARE(read->otherRate.first().rate, 2400);
        QVERIFY(read->isMissing(1, 1));
        QVERIFY(!read->isMissing(12, 3));
    }

    // Found covers take the configured cover's place when there is one (its
    // name wins), the default name otherwise, and none where ignored.
    void covers()
    {
        const BusConfig bus = parsed(goodConfig).buses.first(); // 12:3 "Living room curtain", 1:1
        BusInventory inv;
        inv.motors = spots(u"12:3 12:4 1:1 9:9"_qs);
        inv.ignored = spots(u"9:9"_qs);
        const QList<CoverConfig> made = inv.covers(bus);
        QCOMPARE(made.size(), 1);
        QCOMPARE(made.first().id, 12);
        QCOMPARE(made.first().channel, 4);
        QCOMPARE(made.first().name, u"Motor 12 channel 4"_qs);
    }

    // A discovering bus brings its scan button, progress, problem sensor and
    // the bridge's event entity, each as Home Assistant's schema wants it;
    // a bus without discover brings none.
    void discoveringBusAnnounces_data()
    {
        QTest::addColumn<bool>("discover");
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        for (const bool discover : {true, false}) {
            const char *tag = discover ? "discover" : "configured only";
            QTest::addRow("%s: button", tag) << discover << u"homeassistant/button/tavik_bus1_bus_scan/config"_qs
                                             << u"command_topic"_qs << u"tavik/bus1/scan"_qs;
            QTest::addRow("%s: progress", tag)
                << discover << u"homeassistant/sensor/tavik_bus1_bus_scan_progress/config"_qs << u"state_topic"_qs
                << u"tavik/bus1/scan/progress"_qs;
            QTest::addRow("%s: problem", tag)
                << discover << u"homeassistant/binary_sensor/tavik_bus1_bus_problem/config"_qs << u"device_class"_qs
                << u"problem"_qs;
            QTest::addRow("%s: problem attributes", tag)
                << discover << u"homeassistant/binary_sensor/tavik_bus1_bus_problem/config"_qs
                << u"json_attributes_topic"_qs << u"tavik/bus1/inventory"_qs;
            QTest::addRow("%s: events", tag) << discover << u"homeassistant/event/tavik_bridge_events/config"_qs
                                             << u"state_topic"_qs << u"tavik/bridge/event"_qs;
        }
    }
    void discoveringBusAnnounces()
    {
        QFETCH(bool, discover);
        QFETCH(QString, topic);
        QFETCH(QString, key);
        Config c = parsed(goodConfig);
        c.buses.first().discover = discover;
        const QList<DiscoveryMessage> all = discoveryMessages(c, u"2.5"_qs);
        for (const DiscoveryMessage &m : all)
            QVERIFY2(DiscoverySchema::faults(u"homeassistant"_qs, m.topic, m.payload).isEmpty(), qPrintable(m.topic));
        const auto it = std::find_if(all.begin(), all.end(), [&](const auto &m) { return m.topic == topic; });
        QCOMPARE(it != all.end(), discover);
        if (discover)
            QTEST(QJsonDocument::fromJson(it->payload).object().value(key).toString(), "value");
    }

    // A found cover's retained config is no stale one, though the inventory
    // that makes it may not have arrived yet; on a bus without discover it is.
    void foundConfigIsNotStale_data()
    {
        QTest::addColumn<bool>("discover");
        QTest::newRow("discover") << true;
        QTest::newRow("configured only") << false;
    }
    void foundConfigIsNotStale()
    {
        QFETCH(bool, discover);
        Config c = parsed(goodConfig);
        c.buses.first().discover = discover;
        const QByteArray found = R"({"unique_id":"tavik_bus1_m7_c2","command_topic":"tavik/bus1/m7/c2/set"})";
        QCOMPARE(isStaleDiscovery(c, u"homeassistant/cover/tavik_bus1_m7_c2/config"_qs, found,
                                  discoveryMessages(c, u"2.5"_qs)),
                 !discover);
    }

    void discoverKey_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("discover");
        QTest::newRow("true") << QByteArray("true") << true;
        QTest::newRow("false") << QByteArray("false") << false;
    }
    void discoverKey()
    {
        QFETCH(QByteArray, value);
        QByteArray yaml = goodConfig;
        yaml.replace("    baud: 9600\n", "    baud: 9600\n    discover: " + value + "\n");
        QTEST(parsed(yaml).buses.first().discover, "discover");
        yaml.replace("discover: " + value, "discover: sometimes");
        QVERIFY(!parseConfig(yaml, u"c.yaml"_qs, {}, u"host"_qs).config);
    }
};

QTEST_GUILESS_MAIN(TestMqttInventory)
#include "tst_mqtt_inventory.moc"
