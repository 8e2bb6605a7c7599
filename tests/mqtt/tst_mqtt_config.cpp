// The daemon's configuration as --check reads it: every mistype refused
// with its line, every range tried at both ends.
#include "Config.h"
#include "ConfigKit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

class TestMqttConfig : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QByteArray file(const QString &name, const QByteArray &text = "x\n")
    {
        QFile f(m_dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(text);
        return f.fileName().toUtf8();
    }

private slots:
    void initTestCase()
    {
        // One adapter, two names: the device and a link to it, as udev makes them.
        file(u"tty"_qs);
        QVERIFY(QDir(m_dir.path()).mkpath(u"by-id"_qs));
        QVERIFY(QFile::link(u"../tty"_qs, m_dir.filePath(u"by-id/adapter"_qs)));
    }

    void configDefaults()
    {
        const Config c = parsed(goodConfig);
        QCOMPARE(c.mqtt.port, 1883);
        QCOMPARE(c.mqtt.clientId, u"tavik-host-tavik"_qs);
        QCOMPARE(c.mqtt.baseTopic, u"tavik"_qs);
        QCOMPARE(c.buses.first().baudCode, std::optional<int>(3));
        QCOMPARE(c.buses.first().covers.size(), 2);
        QCOMPARE(c.buses.first().covers[1].name, u"bus1 motor 1 channel 1"_qs);
        QVERIFY(c.buses.first().covers[1].invert);
        QCOMPARE(c.buses.first().groups.first().target.channels.word(), quint16(0x0004));
        QTemporaryFile ca;
        QVERIFY(ca.open());
        const Config tls = parsed("mqtt: { tls: { ca_file: " + ca.fileName().toUtf8()
                                  + " } }\nbuses: [ { name: a, port: /p } ]\n");
        QCOMPARE(tls.mqtt.port, 8883);
        // The example's and the manual's TLS without a CA file: the system's CAs.
        const Config systemCas = parsed("mqtt: { tls: {} }\nbuses: [ { name: a, port: /p } ]\n");
        QVERIFY(systemCas.mqtt.tls);
        QCOMPARE(systemCas.mqtt.caFile, QString());
        // The default client ID names the base topic: two bridges on one host differ.
        QCOMPARE(parsed("mqtt: { base_topic: upstairs }\nbuses: [ { name: a, port: /p } ]\n").mqtt.clientId,
                 u"tavik-host-upstairs"_qs);
        QCOMPARE(parsed("buses: [ { name: a, port: /p } ]\n").buses.first().baudCode, std::nullopt);
    }

    void configErrors_data()
    {
        QTest::addColumn<QByteArray>("yaml");
        QTest::addColumn<QString>("expected"); // the start of the error
        const QByteArray head = "buses:\n  - name: bus1\n    port: /p\n    covers:\n";
        QTest::newRow("unknown key") << QByteArray("mqtt:\n  hots: x\nbuses: []\n")
                                     << u"c.yaml:2: unknown key 'hots'"_qs;
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
        f.write("from-file\nsecond line\n");
        f.close();
        const QByteArray withFile = "mqtt: { password_file: " + f.fileName().toUtf8()
            + " }\nbuses: [ { name: a, port: /p } ]\n";
        QCOMPARE(parseConfig(withFile, u"c"_qs, u"from-env"_qs, u"h"_qs).config->mqtt.password, u"from-file"_qs);
        QCOMPARE(
            parseConfig("buses: [ { name: a, port: /p } ]\n", u"c"_qs, u"from-env"_qs, u"h"_qs).config->mqtt.password,
            u"from-env"_qs);
    }

    // Each range at both ends: the last value taken and the first refused.
    void ranges_data()
    {
        QTest::addColumn<QByteArray>("yaml");
        QTest::addColumn<QString>("error"); // empty: accepted
        const auto cover = [](const char *id, const char *channel) {
            return "buses:\n  - name: b\n    port: /p\n    covers:\n      - { id: " + QByteArray(id)
                + ", channel: " + channel + " }\n";
        };
        const auto group = [](const char *id, const char *channel) {
            return "buses:\n  - name: b\n    port: /p\n    groups:\n      - { name: g, id: " + QByteArray(id)
                + ", channels: [" + channel + "] }\n";
        };
        const auto mqtt = [](const char *key, const char *value) {
            return "mqtt:\n  " + QByteArray(key) + ": " + value + "\nbuses: [ { name: b, port: /p } ]\n";
        };
        const auto port = [&](const char *value) { return mqtt("port", value); };
        QTest::newRow("ID 1") << cover("1", "1") << QString();
        QTest::newRow("ID 99") << cover("99", "16") << QString();
        QTest::newRow("ID 0") << cover("0", "1") << u"c.yaml:5: id: 0 is out of range 1..99"_qs;
        QTest::newRow("ID 100") << cover("100", "1") << u"c.yaml:5: id: 100 is out of range 1..99"_qs;
        QTest::newRow("channel 0") << cover("1", "0") << u"c.yaml:5: channel: 0 is out of range 1..16"_qs;
        QTest::newRow("channel 17") << cover("1", "17") << u"c.yaml:5: channel: 17 is out of range 1..16"_qs;
        QTest::newRow("group ID 0, every motor") << group("0", "16") << QString();
        QTest::newRow("group ID 99") << group("99", "1") << QString();
        QTest::newRow("group ID -1") << group("-1", "1") << u"c.yaml:5: id: -1 is out of range 0..99"_qs;
        QTest::newRow("group ID 100") << group("100", "1") << u"c.yaml:5: id: 100 is out of range 0..99"_qs;
        QTest::newRow("group channel 0") << group("1", "0") << u"c.yaml:5: channels: 0 is out of range 1..16"_qs;
        QTest::newRow("group channel 17") << group("1", "17") << u"c.yaml:5: channels: 17 is out of range 1..16"_qs;
        QTest::newRow("port 1") << port("1") << QString();
        QTest::newRow("port 65535") << port("65535") << QString();
        QTest::newRow("port 0") << port("0") << u"c.yaml:2: port: 0 is out of range 1..65535"_qs;
        QTest::newRow("port 65536") << port("65536") << u"c.yaml:2: port: 65536 is out of range 1..65535"_qs;
        QTest::newRow("keepalive 5") << mqtt("keepalive", "5") << QString();
        QTest::newRow("keepalive 3600") << mqtt("keepalive", "3600") << QString();
        QTest::newRow("keepalive 4") << mqtt("keepalive", "4") << u"c.yaml:2: keepalive: 4 is out of range 5..3600"_qs;
        QTest::newRow("keepalive 3601") << mqtt("keepalive", "3601")
                                        << u"c.yaml:2: keepalive: 3601 is out of range 5..3600"_qs;
    }
    void ranges()
    {
        QFETCH(QByteArray, yaml);
        QFETCH(QString, error);
        const ConfigResult r = parseConfig(yaml, u"c.yaml"_qs, {}, u"h"_qs);
        if (error.isEmpty())
            QVERIFY2(r.config, qPrintable(r.error));
        else
            QCOMPARE(r.error, error);
    }

    // What a person mistypes: each refused with its line and the reason.
    void mistypes_data()
    {
        QTest::addColumn<QByteArray>("yaml");
        QTest::addColumn<QString>("expected"); // the start of the error
        const QByteArray bus = "buses: [ { name: b, port: /p } ]\n";
        QTest::newRow("second mqtt section") << "mqtt:\n  username: u\n" + bus + "mqtt:\n  host: h\n"
                                             << u"c.yaml:4: key 'mqtt' is given twice (first on line 1)"_qs;
        QTest::newRow("key twice in a cover")
            << QByteArray("buses:\n  - name: b\n    port: /p\n    covers:\n      - id: 1\n        channel: 1\n"
                          "        id: 2\n")
            << u"c.yaml:7: key 'id' is given twice (first on line 5)"_qs;
        QTest::newRow("bus named bridge")
            << QByteArray("buses: [ { name: bridge, port: /p } ]\n") << u"c.yaml:1: name: 'bridge' is reserved"_qs;
        for (const char *key : {"base_topic", "discovery_prefix"})
            for (const char *topic : {"a/+", "'#'", "a/#/b", "/a", "a/", "a//b", "''"})
                QTest::addRow("%s %s", key, topic)
                    << "mqtt:\n  " + QByteArray(key) + ": " + topic + "\n" + bus << u"c.yaml:2: %1: "_qs.arg(key);
        QTest::newRow("base topic is the discovery prefix")
            << "mqtt:\n  base_topic: homeassistant\n" + bus << u"c.yaml:2: base_topic: 'homeassistant' is also"_qs;
        QTest::newRow("empty host") << "mqtt:\n  host: ''\n" + bus << u"c.yaml:2: host: must not be empty"_qs;
        QTest::newRow("blank host") << "mqtt:\n  host: '  '\n" + bus << u"c.yaml:2: host: must not be empty"_qs;
        QTest::newRow("tls CA missing") << "mqtt:\n  tls: { ca_file: /nonexistent/ca.pem }\n" + bus
                                        << u"c.yaml:2: ca_file: cannot read '/nonexistent/ca.pem'"_qs;
        const QByteArray ca = file(u"ca.pem"_qs), cert = file(u"cert.pem"_qs), key = file(u"key.pem"_qs);
        QTest::newRow("tls key without cert") << "mqtt:\n  tls: { ca_file: " + ca + ", key_file: " + key + " }\n" + bus
                                              << u"c.yaml:2: tls: cert_file and key_file go together"_qs;
        QTest::newRow("tls cert without key") << "mqtt:\n  tls: { ca_file: " + ca + ", cert_file: " + cert + " }\n"
                + bus << u"c.yaml:2: tls: cert_file and key_file go together"_qs;
        QTest::newRow("tls key unreadable") << "mqtt:\n  tls:\n    ca_file: " + ca + "\n    cert_file: " + cert
                + "\n    key_file: " + m_dir.path().toUtf8() + "/none.pem\n"
                + bus << u"c.yaml:5: key_file: cannot read"_qs;
        QTest::newRow("group with an inverted member")
            << QByteArray(
                   "buses:\n  - name: b\n    port: /p\n    covers:\n      - { id: 4, channel: 2, invert: true }\n"
                   "    groups:\n      - { name: Upstairs, id: 0, channels: [1, 2] }\n")
            << u"c.yaml:7: group 'Upstairs' would drive the inverted motor 4 channel 2 the wrong way"_qs;
        QTest::newRow("one device by two paths") << "buses:\n  - { name: a, port: " + m_dir.path().toUtf8()
                + "/tty }\n  - { name: b, port: " + m_dir.path().toUtf8()
                + "/by-id/adapter }\n" << u"c.yaml:3: port %1/by-id/adapter is already bus a's"_qs.arg(m_dir.path());
    }
    void mistypes()
    {
        QFETCH(QByteArray, yaml);
        QFETCH(QString, expected);
        const ConfigResult r = parseConfig(yaml, u"c.yaml"_qs, {}, u"h"_qs);
        QVERIFY(!r.config);
        QVERIFY2(r.error.startsWith(expected), qPrintable(r.error));
    }

    // What the same mistypes look like when they are no mistype.
    void nearMisses()
    {
        const QByteArray ca = file(u"ca.pem"_qs), cert = file(u"cert.pem"_qs), key = file(u"key.pem"_qs);
        const Config tls = parsed("mqtt:\n  tls: { ca_file: " + ca + ", cert_file: " + cert + ", key_file: " + key
                                  + " }\nbuses: [ { name: b, port: /p } ]\n");
        QCOMPARE(tls.mqtt.keyFile, QString::fromUtf8(key));
        // Without a CA file the system's CAs check the broker.
        const Config systemCas = parsed("mqtt:\n  tls: {}\nbuses: [ { name: b, port: /p } ]\n");
        QVERIFY(systemCas.mqtt.tls);
        QVERIFY(systemCas.mqtt.caFile.isEmpty());
        const Config topics = parsed("mqtt: { base_topic: home/tavik, discovery_prefix: ha/disc }\n"
                                     "buses: [ { name: bridges, port: /p } ]\n");
        QCOMPARE(topics.mqtt.baseTopic, u"home/tavik"_qs);
        // An inverted cover outside the group's channels, or of another ID.
        const Config group = parsed("buses:\n  - name: b\n    port: /p\n    covers:\n"
                                    "      - { id: 4, channel: 2, invert: true }\n"
                                    "    groups:\n      - { name: g, id: 0, channels: [1] }\n"
                                    "      - { name: h, id: 5, channels: [2] }\n");
        QCOMPARE(group.buses.first().groups.size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestMqttConfig)
#include "tst_mqtt_config.moc"
