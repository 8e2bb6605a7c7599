// The broker connection when the broker misbehaves: paused past the
// keepalive, a listener that never answers, one that drops the SYNs, TLS
// that cannot work; the client in this process and tavik-mqtt as a process.
#include "BrokerKit.h"
#include "MotorSim.h"

#include <QDir>
#include <QTest>

using namespace BrokerKit;

namespace {

// A client of the test and every line it reported.
struct WatchedClient {
    MqttClient client;
    QStringList lines;
    int connects = 0;

    WatchedClient(const MqttConfig &config, const MqttClient::Timing &timing)
        : client(config, QStringLiteral("watched/gone"))
    {
        client.setTiming(timing);
        QObject::connect(&client, &MqttClient::disconnected, [this](const QString &line) { lines << line; });
        QObject::connect(&client, &MqttClient::credentialsRefused, [this](const QString &line) { lines << line; });
        QObject::connect(&client, &MqttClient::connected, [this] { ++connects; });
        QString error;
        if (!client.start(&error))
            lines << error;
    }
    int linesWith(const QString &words) const { return int(lines.filter(words).size()); }
};

// Every connection counts as one that stayed up: the waits start again.
const MqttClient::Timing Quick {1000, 200, 800, 0};

int framesLike(const MotorSim &sim, const QByteArray &frame)
{
    return int(std::count_if(sim.frames().begin(), sim.frames().end(),
                             [&](const MotorBus::ReceivedFrame &f) { return f.bytes == frame; }));
}

} // namespace

class TestMqttConnection : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_certs;
    Broker m_broker;
    int m_tlsPort = freePort(), m_clientCertPort = freePort(), m_elsewherePort = freePort(), m_expiredPort = freePort();

    MqttConfig tlsConfig(int port, const QString &ca) const
    {
        MqttConfig m = m_broker.clientConfig(QStringLiteral("tls-client"));
        m.port = port;
        m.tls = true;
        m.caFile = ca.isEmpty() ? QString() : m_certs + u'/' + ca + QStringLiteral(".crt");
        return m;
    }
    QByteArray bridgeConfig(int port, const QString &busPath, const QByteArray &extraMqtt = {})
    {
        const QString passwordFile = m_dir.filePath(u"password"_qs);
        writeFile(passwordFile, Password.toUtf8() + '\n');
        QByteArray yaml = mqttSection(m_broker, passwordFile) + "  keepalive: 5\n" + extraMqtt;
        yaml.replace("port: " + QByteArray::number(m_broker.port), "port: " + QByteArray::number(port));
        return yaml + "buses:\n  - name: bus1\n    port: " + busPath.toUtf8()
            + "\n    baud: 9600\n    covers:\n      - { id: 7, channel: 1 }\n";
    }

private slots:
    void initTestCase()
    {
        m_certs = m_dir.filePath(u"certs"_qs);
        QVERIFY(QDir().mkpath(m_certs));
        QVERIFY(makeCertificates(m_certs));
        QFile::setPermissions(
            m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(
            m_certs, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        m_broker.extraConfig = tlsListener(m_tlsPort, m_certs, u"server"_qs)
            + tlsListener(m_clientCertPort, m_certs, u"server"_qs, true)
            + tlsListener(m_elsewherePort, m_certs, u"elsewhere"_qs)
            + tlsListener(m_expiredPort, m_certs, u"expired"_qs);
        QVERIFY(m_broker.start());
        for (int port : {m_tlsPort, m_clientCertPort, m_elsewherePort, m_expiredPort})
            QTRY_VERIFY(accepts(port));
    }

    // The broker stops answering and comes back: one line for the lost
    // connection, then attempts until it is back; the bridge is whole again.
    void brokerPausedPastKeepalive()
    {
        MotorSim sim;
        sim.bus().setBaudCode(3);
        sim.bus().addMotor(7, 0x0001);
        QVERIFY(sim.link(m_dir.filePath(u"paused-bus"_qs)));
        BridgeProcess bridge(m_dir, bridgeConfig(m_broker.port, sim.path()), u"paused.yaml"_qs);
        bridge.start();
        Observer observer(m_broker, u"paused-observer"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(observer.last(u"tavik/bus1/m7/c1/availability"_qs), QByteArray("online"), 15000);

        pause(m_broker.process);
        QTRY_VERIFY_WITH_TIMEOUT(bridge.errors.contains("lost: no answer within the keepalive of 5 s"), 30000);
        resume(m_broker.process);
        QTRY_COMPARE_WITH_TIMEOUT(bridge.errors.count("broker: connected to"), 2, 20000);
        QCOMPARE(bridge.errors.count("broker: connection to"), 1);
        QTRY_COMPARE_WITH_TIMEOUT(observer.last(u"tavik/bridge/state"_qs), QByteArray("online"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(observer.last(u"tavik/bus1/m7/c1/availability"_qs), QByteArray("online"), 10000);
        // Subscribed again: a command reaches the motor.
        const QByteArray stop = MotorBus::commandFrame(7, 0x0001, 0x0A, 0xCC);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                observer.client.publish(u"tavik/bus1/m7/c1/set"_qs, "STOP", false);
                return framesLike(sim, stop) > 0;
            }(),
            10000);
    }

    // The broker goes away and comes back: one line for the closed
    // connection, one per refused attempt, then connected again.
    void brokerGoneAndBack()
    {
        Broker broker;
        QVERIFY(broker.start());
        WatchedClient watched(broker.clientConfig(u"gone"_qs), Quick);
        QTRY_COMPARE_WITH_TIMEOUT(watched.connects, 1, 10000);
        broker.stop();
        QTRY_VERIFY_WITH_TIMEOUT(watched.lines.size() >= 3, 10000);
        const QString where = QStringLiteral("127.0.0.1:%1").arg(broker.port);
        QCOMPARE(watched.lines.first(),
                 u"connection to "_qs + where + u" lost: the broker closed the connection; next attempt in 0.2 s"_qs);
        QCOMPARE(watched.lines.at(1),
                 u"cannot connect to "_qs + where + u": Connection refused; next attempt in 0.4 s"_qs);
        QVERIFY(broker.start());
        QTRY_COMPARE_WITH_TIMEOUT(watched.connects, 2, 10000);
        QCOMPARE(watched.linesWith(u"lost:"_qs), 1);
        QVERIFY(watched.client.isConnected());
    }

    // Two clients with one client ID: the broker closes each one's connection
    // when the other connects.  The line names the likely cause, and the
    // waits go on doubling as long as no connection stayed up long enough.
    void sharedClientId_data()
    {
        QTest::addColumn<int>("stableMs");
        QTest::addColumn<QStringList>("waits"); // of the first client's first four lines
        QTest::addColumn<bool>("hint");
        QTest::newRow("short connections") << 60000 << QStringList {u"0.2"_qs, u"0.4"_qs, u"0.8"_qs, u"0.8"_qs} << true;
        QTest::newRow("every connection stable")
            << 0 << QStringList {u"0.2"_qs, u"0.2"_qs, u"0.2"_qs, u"0.2"_qs} << false;
    }
    void sharedClientId()
    {
        QFETCH(int, stableMs);
        QFETCH(QStringList, waits);
        QFETCH(bool, hint);
        const MqttClient::Timing timing {1000, 200, 800, stableMs};
        const QString id = QStringLiteral("twin-%1").arg(stableMs);
        WatchedClient first(m_broker.clientConfig(id), timing);
        QTRY_COMPARE_WITH_TIMEOUT(first.connects, 1, 10000);
        WatchedClient second(m_broker.clientConfig(id), timing);
        QTRY_VERIFY_WITH_TIMEOUT(first.lines.size() >= 4, 20000);
        const QString hintWords = u"another client may be using the client ID '"_qs + id + u'\'';
        for (int i = 0; i < waits.size(); ++i) {
            const QString &line = first.lines.at(i);
            QVERIFY2(line.startsWith(QStringLiteral("connection to 127.0.0.1:%1 lost: ").arg(m_broker.port)),
                     qPrintable(line));
            QVERIFY2(line.endsWith(u"; next attempt in "_qs + waits[i] + u" s"_qs), qPrintable(line));
            QVERIFY2(line.contains(hintWords) == hint, qPrintable(line));
            QVERIFY2(line.contains(u"the broker closed the connection"_qs), qPrintable(line));
        }
    }

    // A listener that accepts and never answers: a line per attempt, the
    // waits between them doubling up to the longest.
    void silentListenerRetriesWithBackoff()
    {
        SilentListener silent;
        MqttConfig config = m_broker.clientConfig(u"silent"_qs);
        config.port = silent.port;
        WatchedClient watched(config, {500, 200, 800});
        QTRY_VERIFY_WITH_TIMEOUT(watched.lines.size() >= 4, 15000);
        const QString reason =
            QStringLiteral("cannot connect to 127.0.0.1:%1: no answer to the connect within 0.5 s").arg(silent.port);
        const QStringList waits {u"0.2"_qs, u"0.4"_qs, u"0.8"_qs, u"0.8"_qs};
        for (int i = 0; i < waits.size(); ++i)
            QCOMPARE(watched.lines.at(i), reason + QStringLiteral("; next attempt in %1 s").arg(waits[i]));
        QCOMPARE(watched.connects, 0);
    }

    // SYNs that are dropped: the connect hangs in the client's own thread
    // while the event loop runs on, until the connect deadline ends it.
    void droppedSynsNeverBlock()
    {
        SilentListener full(true);
        MqttConfig config = m_broker.clientConfig(u"dropped"_qs);
        config.port = full.port;
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] { ++ticks; });
        tick.start(10);
        WatchedClient watched(config, Quick);
        QTRY_VERIFY_WITH_TIMEOUT(!watched.lines.isEmpty(), 10000);
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QVERIFY2(watched.lines.first().contains(u"no answer to the connect within 1 s"_qs),
                 qPrintable(watched.lines.first()));
    }

    void tlsSaysWhatIsWrong_data()
    {
        QTest::addColumn<QString>("listener");
        QTest::addColumn<bool>("tls");
        QTest::addColumn<QString>("ca");
        QTest::addColumn<bool>("clientCertificate");
        QTest::addColumn<QString>("expected"); // empty: it connects
        QTest::newRow("good") << u"tls"_qs << true << u"ca"_qs << false << QString();
        QTest::newRow("client certificate given") << u"client"_qs << true << u"ca"_qs << true << QString();
        QTest::newRow("unknown CA") << u"tls"_qs << true << u"otherca"_qs << false
                                    << u"TLS: the broker's certificate is not signed by a CA in "_qs;
        QTest::newRow("system CAs")
            << u"tls"_qs << true << QString() << false
            << u"TLS: the broker's certificate is not signed by a CA in the system's CA list"_qs;
        QTest::newRow("wrong host") << u"elsewhere"_qs << true << u"ca"_qs << false
                                    << u"TLS: the broker's certificate is not made out to 127.0.0.1"_qs;
        QTest::newRow("expired") << u"expired"_qs << true << u"ca"_qs << false
                                 << u"TLS: the broker's certificate has expired"_qs;
        QTest::newRow("client certificate required")
            << u"client"_qs << true << u"ca"_qs << false
            << u"TLS: the broker requires a client certificate (tls.cert_file and tls.key_file)"_qs;
        QTest::newRow("TLS to a plain port")
            << u"plain"_qs << true << u"ca"_qs << false << u"does not answer in TLS; a plain MQTT port?"_qs;
        QTest::newRow("plain to a TLS port")
            << u"tls"_qs << false << QString() << false
            << u"the broker closed the connection before answering (a TLS port? then the configuration needs tls:)"_qs;
    }
    void tlsSaysWhatIsWrong()
    {
        QFETCH(QString, listener);
        QFETCH(bool, tls);
        QFETCH(QString, ca);
        QFETCH(bool, clientCertificate);
        QFETCH(QString, expected);
        const QHash<QString, int> ports {{u"plain"_qs, m_broker.port},
                                         {u"tls"_qs, m_tlsPort},
                                         {u"client"_qs, m_clientCertPort},
                                         {u"elsewhere"_qs, m_elsewherePort},
                                         {u"expired"_qs, m_expiredPort}};
        MqttConfig config = tlsConfig(ports.value(listener), ca);
        config.tls = tls;
        if (clientCertificate) {
            config.certFile = m_certs + QStringLiteral("/client.crt");
            config.keyFile = m_certs + QStringLiteral("/client.key");
        }
        WatchedClient watched(config, {2000, 200, 800});
        if (expected.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(watched.connects, 1, 10000);
            QVERIFY2(watched.lines.isEmpty(), qPrintable(watched.lines.join(u'\n')));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(!watched.lines.isEmpty(), 10000);
        QVERIFY2(watched.lines.first().contains(expected), qPrintable(watched.lines.first()));
        QCOMPARE(watched.connects, 0);
    }

    // A configuration the daemon cannot use ends it with 2, at --check and at the start.
    void unusableTlsFilesExitTwo_data()
    {
        QTest::addColumn<QString>("cert");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("check");
        QTest::addColumn<QString>("expected");
        QTest::newRow("expired, check") << u"expired"_qs << u"expired"_qs << true
                                        << u"expired.crt expired on 2020-02-01"_qs;
        QTest::newRow("expired, start") << u"expired"_qs << u"expired"_qs << false
                                        << u"expired.crt expired on 2020-02-01"_qs;
        QTest::newRow("key of another, check") << u"client"_qs << u"server"_qs << true << u"is not the key of"_qs;
        QTest::newRow("key of another, start") << u"client"_qs << u"server"_qs << false << u"is not the key of"_qs;
        QTest::newRow("not a certificate") << u"index"_qs << u"client"_qs << true << u"tls.cert_file: cannot use"_qs;
    }
    void unusableTlsFilesExitTwo()
    {
        QFETCH(QString, cert);
        QFETCH(QString, key);
        QFETCH(bool, check);
        QFETCH(QString, expected);
        const auto file = [&](const QString &name, const char *ext) {
            return (m_certs + u'/' + name + QLatin1String(ext)).toUtf8();
        };
        const QByteArray tls = "  tls:\n    ca_file: " + file(u"ca"_qs, ".crt") + "\n    cert_file: "
            + file(cert, cert == u"index"_qs ? ".txt" : ".crt") + "\n    key_file: " + file(key, ".key") + '\n';
        BridgeProcess bridge(m_dir, bridgeConfig(m_tlsPort, m_dir.filePath(u"no-bus"_qs), tls), u"tls.yaml"_qs);
        bridge.start(check ? QStringList {u"--check"_qs} : QStringList {});
        QVERIFY(bridge.process.waitForFinished(10000));
        bridge.errors += bridge.process.readAllStandardError();
        QCOMPARE(bridge.process.exitCode(), 2);
        QVERIFY2(bridge.errors.contains(expected.toUtf8()), bridge.errors.constData());
    }

    // SIGTERM in each state the broker can leave the daemon in: it ends
    // within 2 s, and the bus was polled all along.
    void sigtermEndsWithinTwoSeconds_data()
    {
        QTest::addColumn<QString>("state");
        QTest::newRow("connect hanging (SYNs dropped)") << u"dropped"_qs;
        QTest::newRow("no answer to the connect") << u"silent"_qs;
        QTest::newRow("connected, broker paused") << u"paused"_qs;
    }
    void sigtermEndsWithinTwoSeconds()
    {
        QFETCH(QString, state);
        SilentListener listener(state == u"dropped"_qs);
        MotorSim sim;
        sim.bus().setBaudCode(3);
        sim.bus().addMotor(7, 0x0001);
        QVERIFY(sim.link(m_dir.filePath(u"sigterm-bus"_qs)));
        const bool paused = state == u"paused"_qs;
        BridgeProcess bridge(m_dir, bridgeConfig(paused ? m_broker.port : listener.port, sim.path()),
                             u"sigterm.yaml"_qs);
        bridge.start();
        if (paused) {
            QTRY_VERIFY_WITH_TIMEOUT(bridge.errors.contains("broker: connected to"), 10000);
            pause(m_broker.process);
        }
        QTRY_VERIFY_WITH_TIMEOUT(sim.frames().size() >= 20, 15000);
        if (!paused)
            QVERIFY(!bridge.errors.contains("connected to"));
        ::kill(pid_t(bridge.process.processId()), SIGTERM);
        QTRY_COMPARE_WITH_TIMEOUT(bridge.process.state(), QProcess::NotRunning, 2000);
        resume(m_broker.process);
        QCOMPARE(bridge.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(bridge.process.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestMqttConnection)
#include "tst_mqtt_connection.moc"
