// tavik-cli as a script runs it: the real executable on the simulated motor
// bus behind a pseudo-terminal, its exit code, its output and the frames the
// bus received.
#include "CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

namespace {

// Whether the lines of `monitor` ("direction|bytes|meaning") hold the expected
// ones ("direction|bytes prefix|part of the meaning"), in this order.
bool inOrder(const QStringList &rows, const QStringList &expected)
{
    qsizetype next = 0;
    for (const QString &r : rows)
        next += next < expected.size() && r.startsWith(expected[next].section(u'|', 0, 1))
            && r.section(u'|', 2).contains(expected[next].section(u'|', 2));
    return next == expected.size();
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MotorSim> sim;
    Motor &motor() { return sim->bus().motors().first(); }
    QStringList at(const QStringList &args) { return QStringList {"--port", sim->path()} + args; }

private slots:
    void init()
    {
        sim = std::make_unique<MotorSim>();
        sim->bus().addMotor(1, 0x0001);
    }
    void cleanup() { sim.reset(); }

    void rejectedInputNeverReachesTheLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("profile"); // written to a file that replaces "FILE"
        QTest::addColumn<QString>("names"); // what the message must name

        const auto row = [](const char *tag, const QStringList &args, const QString &names,
                            const QByteArray &profile = {}) { QTest::newRow(tag) << args << profile << names; };
        row("no command", {}, "one of");
        row("unknown command", {"jump"}, "jump");
        row("unknown option", {"--fast", "read"}, "--fast");
        row("baud not a rate", {"--baud", "300", "read"}, "1200|2400");
        row("speed too high", {"set", "speed", "131"}, "50..130");
        row("speed too low", {"set", "speed", "49"}, "50..130");
        row("speed not a number", {"set", "speed", "fast"}, "speed");
        row("dry-contact 5", {"set", "dry-contact", "5"}, "0..4");
        row("jog 0", {"set", "jog", "0"}, "1..10");
        row("rebound 255", {"set", "rebound", "255"}, "none|1..254|unlimited");
        row("sensitivity word", {"set", "sensitivity", "extreme"}, "low|medium|high");
        row("switch word", {"set", "functions", "hand-start=maybe"}, "on|off");
        row("switch name", {"set", "functions", "colour=red"}, "hand-start");
        row("switch twice", {"set", "functions", "direction=reverse", "direction=default"}, "direction");
        row("baud setting", {"set", "baud", "1000"}, "19200");
        row("unknown setting", {"set", "colour", "red"}, "force-id");
        row("id 100", {"set", "id", "100:1"}, "1..99");
        row("channel 17", {"set", "force-id", "5:17"}, "1..16");
        row("no channels", {"set", "id", "5:"}, "CHANNELS");
        row("extra value", {"set", "jog", "4", "5"}, "5");
        row("up without target", {"up"}, "TARGET");
        row("goto two channels", {"goto", "5:1,2", "50"}, "one channel");
        row("goto 101", {"goto", "5:1", "101"}, "0..100");
        row("limit 5", {"limit", "5:1", "5"}, "1..4");
        row("limit 0", {"limit", "5:1", "0"}, "1..4");
        row("goto with a plus", {"goto", "5:1", "+50"}, "0..100");
        row("goto with a space", {"goto", "5:1", "50 "}, "0..100");
        row("goto a fraction", {"goto", "5:1", "50.5"}, "0..100");
        row("status of a group", {"status", "group:1"}, "one ID");
        row("monitor with an argument", {"monitor", "5:1"}, "5:1");
        row("dry-run elsewhere", {"--dry-run", "read"}, "apply");
        row("address elsewhere", {"--address", "set", "jog", "4"}, "apply");
        row("two targets to read", {"read", "1:1", "--target", "12:3"}, "--target once");
        row("two targets to set", {"set", "jog", "4", "--target", "1:1", "--target", "12:3"}, "--target once");
        row("target for monitor", {"monitor", "--target", "1:1"}, "--target");
        row("baud 96000", {"--baud", "96000", "scan"}, "19200");
        row("missing profile", {"apply", "/nonexistent/profile.json"}, "/nonexistent");
        row("profile speed as text", {"apply", "FILE"}, "speed", kProfileHead + R"(,"speed":"100"})");
        row("profile unknown key", {"apply", "FILE"}, "colour", kProfileHead + R"(,"colour":1})");
        row("profile out of range", {"apply", "FILE"}, "jog", kProfileHead + R"(,"jog":11})");
        row("profile switch type", {"apply", "FILE"}, "functions.direction",
            kProfileHead + R"(,"functions":{"direction":1}})");
        row("profile huge number", {"apply", "FILE"}, "speed", kProfileHead + R"(,"speed":1e300})");
        row("profile fraction", {"apply", "FILE"}, "jog", kProfileHead + R"(,"jog":4.5})");
        row("profile truncated", {"apply", "FILE"}, "JSON", kProfileHead + R"(,"speed":10)");
        row("profile foreign", {"apply", "FILE"}, "tavik-motor-profile", R"({"speed":100})");
        row("profile not an object", {"apply", "FILE"}, "object", "[1,2,3]");
        row("profile a number", {"apply", "FILE"}, "not a profile: a JSON object", "42");
        row("profile key twice", {"apply", "FILE"}, "\"jog\" appears more than once",
            kProfileHead + R"(,"jog":4,"speed":80,"jog":9})");
        row("set to the group", {"set", "jog", "7", "--target", "group:all"}, "group:all is a group");
        row("set to ID 0", {"set", "jog", "7", "--target", "0:1"}, "cannot be confirmed");
        row("apply to a group", {"apply", "FILE", "--target", "1:1", "--target", "group:3"}, "group:3 is a group",
            kProfileHead + R"(,"jog":7})");
        row("address with two targets", {"apply", "FILE", "--address", "--target", "1:1", "--target", "12:3"},
            "--address", kProfileHead + R"(,"id":5,"channels":[1]})");
        row("id 0", {"set", "id", "0:1"}, "ID 0 means the group");
        row("forced id 0", {"set", "id", "group:all", "--force"}, "ID 0 means the group");
        row("profile id 0 with --address", {"apply", "FILE", "--address"}, "ID 0 means the group",
            kProfileHead + R"(,"id":0,"channels":[1]})");
        row("poll of a group", {"monitor", "--poll", "group:all"}, "one ID");
        QByteArray garbage(10 * 1024 * 1024, '\0');
        for (qsizetype i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919) >> 3);
        row("profile of 10 MB garbage", {"apply", "FILE"}, "bytes", garbage);
    }

    void rejectedInputNeverReachesTheLine()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, profile);
        QFETCH(QString, names);
        QTemporaryFile file;
        if (!profile.isEmpty())
            args.replace(args.indexOf("FILE"), profileFile(file, profile));
        const Run r = cli(at(args));
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(names.toUtf8()), r.err.constData());
        QTest::qWait(300); // two ticks' time for anything that was sent after all
        QVERIFY(sim->frames().isEmpty());
    }

    void scanFindsTheMotorAtEachRate_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("bps");
        const int rates[] = {1200, 2400, 4800, 9600, 19200};
        for (int code = 0; code < 5; ++code)
            QTest::addRow("%d", rates[code]) << code << rates[code];
    }

    void scanFindsTheMotorAtEachRate()
    {
        QFETCH(int, code);
        QFETCH(int, bps);
        sim->bus().setBaudCode(code);
        motor().id = 12;
        motor().channels = 0x0005;
        const Run r = cli(at({"--json", "scan"}));
        QCOMPARE(r.code, 0);
        QCOMPARE(
            r.json(),
            QJsonDocument::fromJson(QStringLiteral(R"({"type":"scan","port":"%2","rate":%1,"id":12,"channels":[1,3]})")
                                        .arg(bps)
                                        .arg(sim->path())
                                        .toUtf8())
                .object());
    }

    void readGivesTheMotorsValues()
    {
        Motor &m = motor();
        m.id = 7;
        m.channels = 0x0201;
        m.dryContactMode = 3;
        m.maxSpeed = 95;
        m.curtainFunctions = 0x86; // direction reversed, bit 2, hand control out of sync
        m.jogTime = 9;
        m.sensitivity = 2;
        m.rebound = 255;
        const Run r = cli(at({"--json", "read"}));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.json(),
                 QJsonDocument::fromJson(
                     kProfileHead
                     + R"(,"type":"settings","id":7,"channels":[1,10],)"
                       R"("dry-contact":3,"speed":95,)"
                       R"("functions":{"hand-start":"on","direction":"reverse","soft-start":"on","end-gap":"on",)"
                       R"("obstacle-stop":"off","power-memory":"on","hand-sync":"off"},)"
                       R"("jog":9,"sensitivity":"medium","rebound":"unlimited","rate":2400})")
                     .object());
    }

    void setWritesItsFrame_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("written");
        QTest::addRow("dry-contact") << QStringList {"dry-contact", "3"} << frame(1, 1, 0xD2, 0x03);
        QTest::addRow("speed 100") << QStringList {"speed", "100"} << frame(1, 1, 0xD9, 100);
        // The value the motor has already: written all the same, and confirmed
        // only by a read after the write, not by the late answer to the scan.
        QTest::addRow("speed it has") << QStringList {"speed", "130"} << frame(1, 1, 0xD9, 130);
        QTest::addRow("speed by hand") << QStringList {"speed", "95"} << frame(1, 1, 0xD9, 0x5F);
        // One switch changes one bit; bit 2 keeps what the motor has.
        QTest::addRow("functions") << QStringList {"functions", "hand-sync=off", "direction=reverse"}
                                   << frame(1, 1, 0xD5, 0xC6);
        QTest::addRow("jog") << QStringList {"jog", "7"} << frame(1, 1, 0xD6, 7);
        QTest::addRow("sensitivity") << QStringList {"sensitivity", "high"} << frame(1, 1, 0xD7, 3);
        QTest::addRow("rebound unlimited") << QStringList {"rebound", "unlimited"} << frame(1, 1, 0xD8, 0xFF);
        QTest::addRow("rebound none") << QStringList {"rebound", "none"} << frame(1, 1, 0xD8, 0);
        QTest::addRow("id") << QStringList {"id", "7:1,10"} << frame(7, 0x0201, 0xAA, 0xAA);
        QTest::addRow("force-id") << QStringList {"force-id", "9:all"} << frame(9, 0xFFFF, 0xAA, 0xAA);
        QTest::addRow("baud") << QStringList {"baud", "9600"} << frame(1, 1, 0xDA, 3);
    }

    void setWritesItsFrame()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, written);
        motor().curtainFunctions = 0x44;
        const Run r = cli(at(QStringList {"--json", "set"} + args));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.json().value("confirmed"), QJsonValue(true));
        QCOMPARE(received(*sim, written), 2);
        // The motor holds it now: read back through a second run.
        const QJsonObject back = cli(at({"--json", "read"})).json();
        const QJsonValue held = args[0] == "baud" ? back.value("rate")
            : args[0].endsWith("id")
            ? QJsonValue(QStringLiteral("%1:%2")
                             .arg(back.value("id").toInt())
                             .arg(back.value("channels").toArray().size() == 16
                                      ? QStringLiteral("all")
                                      : back.value("channels").toVariant().toStringList().join(u',')))
            : back.value(args[0]);
        QCOMPARE(held, r.json().value("value"));
    }

    void ignoredWriteIsNotConfirmed()
    {
        MotorSim::Faults f;
        f.ignoredWrites = {0xD9};
        sim->setFaults(f);
        const Run r = cli(at({"--json", "set", "speed", "100"}));
        QCOMPARE(r.code, 1);
        QCOMPARE(r.json().value("confirmed"), QJsonValue(false));
        QCOMPARE(r.json().value("reads"), QJsonValue(3));
        QVERIFY2(r.err.contains("speed 100") && r.err.contains("3 read-backs"), r.err.constData());
        QCOMPARE(received(*sim, frame(1, 1, 0xD9, 100)), 2);
    }

    void applyWritesOnlyTheDifferences_data()
    {
        QTest::addColumn<bool>("dryRun");
        QTest::addColumn<QSet<quint8>>("ignored");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QList<int>>("writes"); // frames of D9 speed, D6 jog, D7 sensitivity, D8 rebound
        QTest::addRow("all confirmed") << false << QSet<quint8> {} << 0 << QList<int> {2, 0, 2, 2};
        QTest::addRow("stops at the first unconfirmed") << false << QSet<quint8> {0xD7} << 1 << QList<int> {2, 0, 2, 0};
        QTest::addRow("dry run") << true << QSet<quint8> {} << 0 << QList<int> {0, 0, 0, 0};
    }

    void applyWritesOnlyTheDifferences()
    {
        QFETCH(bool, dryRun);
        QFETCH(QSet<quint8>, ignored);
        QFETCH(int, exitCode);
        QFETCH(QList<int>, writes);
        MotorSim::Faults f;
        f.ignoredWrites = ignored;
        sim->setFaults(f);
        QTemporaryFile file;
        // jog 4 is what the motor has already.
        const QString path = profileFile(file,
                                         kProfileHead + R"(,"speed":100,"jog":4,"sensitivity":"high","rebound":20})");
        const Run r = cli(at(dryRun ? QStringList {"apply", path, "--dry-run"} : QStringList {"apply", path}));
        QCOMPARE(r.code, exitCode);
        QVERIFY2(r.out.contains("speed: 130 -> 100") && !r.out.contains("jog:"), r.out.constData());
        QCOMPARE((QList<int> {withFunction(*sim, 0xD9), withFunction(*sim, 0xD6), withFunction(*sim, 0xD7),
                              withFunction(*sim, 0xD8)}),
                 writes);
        QCOMPARE(motor().maxSpeed, dryRun ? 130 : 100);
    }

    void motorCommandsSendTheButtonsFrames_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("exitCode"); // one ID on one channel: 1 unless its status answer came
        // The window's up button for ID 5 with channels 1 and 3: 9A 05 05 00 0A DD D7.
        QTest::addRow("up") << QStringList {"up", "5:1,3"}
                            << QByteArray::fromHex("9a050500"
                                                   "0add d7")
                            << 0;
        QTest::addRow("stop") << QStringList {"stop", "1:1"}
                              << QByteArray::fromHex("9a010100"
                                                     "0acc c6")
                              << 0;
        QTest::addRow("down group") << QStringList {"down", "group:all"} << frame(0, 0xFFFF, 0x0A, 0xEE) << 0;
        QTest::addRow("learn") << QStringList {"learn", "3:16"} << frame(3, 0x8000, 0x0A, 0xAA) << 1;
        QTest::addRow("delete") << QStringList {"delete", "0:9"} << frame(0, 0x0100, 0x0A, 0xA6) << 0;
        QTest::addRow("goto") << QStringList {"goto", "1:1", "40"} << frame(1, 1, 0xDD, 40) << 0;
        QTest::addRow("limit") << QStringList {"limit", "5:2", "3"} << frame(5, 2, 0x0A, 3) << 1;
    }

    void motorCommandsSendTheButtonsFrames()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, sent);
        QFETCH(int, exitCode);
        const Run r = cli(at(QStringList {"--baud", "2400"} + args));
        QCOMPARE(r.code, exitCode);
        QTest::qWait(100);
        QCOMPARE(received(*sim, sent), 2);
        // No scan at a given rate: besides the command, status polls only.
        QCOMPARE(sim->frames().size() - withFunction(*sim, 0xCC), 2);
    }

    void statusWatchFollowsAMovingMotor()
    {
        motor().speed = 40;
        motor().limits = {30, -1, 80, -1};
        QProcess p;
        p.start(QStringLiteral(TAVIK_CLI), at({"--json", "status", "1:1", "--watch"}));
        QList<int> positions;
        QJsonObject last;
        bool moving = false;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                while (p.canReadLine()) {
                    last = QJsonDocument::fromJson(p.readLine()).object();
                    positions << last.value("position").toInt(-1);
                }
                if (!moving && !positions.isEmpty()) {
                    motor().target = 60; // starts running once the watch has begun
                    moving = true;
                }
                return positions.contains(60);
            }(),
            20000);
        p.terminate(); // the watch ends cleanly, with SIGTERM's code
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitCode(), 143);
        QVERIFY2(positions.size() >= 4, qPrintable(QString::number(positions.size())));
        QVERIFY(std::is_sorted(positions.begin(), positions.end()));
        QCOMPARE(last.value("limits").toArray(), (QJsonArray {1, 3}));
    }

    void monitorShowsTheLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("badCheck");
        QTest::addColumn<bool>("unplug"); // the adapter goes once the rows are seen
        QTest::addColumn<QStringList>("rows"); // in this order
        // Without --poll the monitor listens: the motor's own status answers.
        const QStringList heard {"port|-|opened at 2400 baud", "received|D8 01 01 00|status"};
        // With --poll: the scan's read, the motor's report, then the polls of that motor.
        const QStringList answered {"port|-|opened at 2400 baud", "sent|9A 01 01 00 CA CA|read basic settings",
                                    "received|D8 01 01 00|basic settings: ID 1, channel 1, 2400 baud",
                                    "sent|9A 01 01 00 CC 00 CC|status poll — ID 1, channel 1",
                                    "received|D8 01 01 00|status: 0 %"};
        const QStringList poll {"monitor", "--poll", "1:1"};
        QTest::addRow("listening") << QStringList {"monitor"} << false << false << heard;
        QTest::addRow("polling") << poll << false << false << answered;
        QTest::addRow("bad check byte") << poll << true << false
                                        << QStringList {"discarded|D8 01 01 00|bad check byte, 10 bytes"};
        QTest::addRow("port lost") << poll << false << true << (answered + QStringList {"port|-|lost"});
    }

    void monitorShowsTheLine()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, badCheck);
        QFETCH(bool, unplug);
        QFETCH(QStringList, rows);
        MotorSim::Faults f;
        f.badCheck = badCheck;
        sim->setFaults(f);
        if (!args.contains("--poll"))
            sim->setChatter(true); // something on the line to hear
        QProcess p;
        p.start(QStringLiteral(TAVIK_CLI), at(QStringList {"--json"} + args));
        QStringList seen;
        QList<qint64> times;
        const auto upTo = [&](const QStringList &expected) {
            while (p.canReadLine()) {
                const QJsonObject o = QJsonDocument::fromJson(p.readLine()).object();
                if (o.value("type") != "frame")
                    continue; // the error after a lost port
                times << o.value("time_ms").toInteger(-1);
                seen << QStringList {o.value("direction").toString(),
                                     o.contains("bytes") ? o.value("bytes").toString() : "-",
                                     o.value("meaning").toString()}
                            .join(u'|');
            }
            return inOrder(seen, expected);
        };
        QTRY_VERIFY_WITH_TIMEOUT(upTo(rows.mid(0, rows.size() - unplug)), 20000);
        unplug ? sim->unplug() : p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QVERIFY2(upTo(rows), qPrintable(seen.join(u'\n')));
        QCOMPARE(p.exitCode(), unplug ? 1 : 143);
        if (!args.contains("--poll"))
            QCOMPARE(sim->frames().size(), 0); // it only listened
        QVERIFY(times.first() >= 0 && std::is_sorted(times.begin(), times.end())); // counted from the opening
    }

    void unopenablePortExplainsWhy()
    {
        const Run r = cli({"--port", "/dev/ttyNoSuchAdapter", "read"});
        QCOMPARE(r.code, 3);
        QVERIFY2(r.err.contains("not there"), r.err.constData());
    }
};

QTEST_MAIN(CliTest)
#include "tst_cli.moc"
