// tavik-cli as a technician commissioning a building uses it: profiles
// copied between motors, chosen targets and batches, exit codes, the texts
// of errors, the JSON records, help and a log; the real executable against
// the simulated bus with several motors and its fault modes.
#include "CliRun.h"

#include <QJsonArray>
#include <QTest>

#include <csignal>

namespace {

// The record types and the field names every command shares.
const QStringList kTypes {"scan",  "settings", "plan",    "change", "result", "status",
                          "frame", "error",    "summary", "port",   "setting"};
const QStringList kFields {"type",       "id",          "channels", "rate",      "port",    "bytes",       "meaning",
                           "time_ms",    "direction",   "command",  "exit",      "message", "setting",     "from",
                           "to",         "kept",        "value",    "confirmed", "reads",   "answering",   "position",
                           "limits",     "done",        "failed",   "skipped",   "results", "format",      "version",
                           "usb",        "values",      "words",    "unit",      "min",     "max",         "default",
                           "in_profile", "dry-contact", "speed",    "functions", "jog",     "sensitivity", "rebound"};

} // namespace

class CliCommissioningTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MotorSim> sim;
    QStringList at(const QStringList &args) { return QStringList {"--port", sim->path()} + args; }
    const Motor &motorWithIndex(int i) { return sim->bus().motors().at(i); }
    // Without a target or a rate the command first scans with a group read.
    static bool asksTheWholeLine(const QStringList &args)
    {
        return !args.contains("--target") && !args.contains("--baud");
    }

private slots:
    void init()
    {
        sim = std::make_unique<MotorSim>();
        sim->bus().addMotor(1, 0x0001);
        sim->bus().addMotor(12, 0x0005);
    }
    void cleanup() { sim.reset(); }

    void copiedProfileKeepsTheAddress_data()
    {
        QTest::addColumn<bool>("address");
        QTest::addColumn<int>("idAfter");
        QTest::addColumn<int>("idWrites");
        QTest::addRow("kept without --address") << false << 12 << 0;
        QTest::addRow("written with --address") << true << 1 << 2;
    }

    void copiedProfileKeepsTheAddress()
    {
        QFETCH(bool, address);
        QFETCH(int, idAfter);
        QFETCH(int, idWrites);
        sim->bus().motors().removeFirst(); // motor 12 alone, as on a ladder
        QTemporaryFile file;
        // The profile of motor 1, as `read --json` wrote it, with another speed.
        const QString path = profileFile(
            file, kProfileHead + R"(,"type":"settings","id":1,"channels":[1],"rate":2400,"speed":100})");
        const Run r = cli(
            at(address ? QStringList {"--json", "apply", path, "--address"} : QStringList {"--json", "apply", path}));
        QCOMPARE(r.code, 0);
        QCOMPARE(withFunction(*sim, 0xAA), idWrites);
        QCOMPARE(motorWithIndex(0).id, idAfter);
        QCOMPARE(motorWithIndex(0).maxSpeed, 100);
        QCOMPARE(r.record("plan").value("setting"), QJsonValue("speed"));
        bool keptShown = false;
        for (const QByteArray &line : r.out.split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            keptShown = keptShown || (o.value("setting") == "id" && o.value("kept") == !address);
        }
        QVERIFY2(keptShown, r.out.constData());
    }

    // What `--json read` prints, kept in a file as it stands (the settings
    // record and the result after it), is a profile `apply` takes.
    void keptRecordAppliesAsAProfile()
    {
        sim->bus().motors()[0].maxSpeed = 100;
        const Run read = cli(at({"--json", "read", "--target", "1:1"}));
        QCOMPARE(read.code, 0);
        QTemporaryFile file;
        const Run r = cli(at({"--json", "apply", profileFile(file, read.out), "--target", "12:1,3"}));
        QVERIFY2(r.code == 0, r.out.constData());
        QCOMPARE(motorWithIndex(1).id, 12);
        QCOMPARE(motorWithIndex(1).maxSpeed, 100);
        QCOMPARE(withFunction(*sim, 0xAA), 0);
    }

    void targetsAreDoneInTurnWithASummary_data()
    {
        const QString all = "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16";
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("failed");
        // Settings belong to the motor as it reports itself; motion to the channels asked for.
        QTest::addColumn<QStringList>("named");
        QTest::addRow("apply, one absent")
            << QStringList {"apply", "PROFILE", "--target", "1:1", "--target", "40:1", "--target", "12:3"} << 1 << 2
            << 1 << QStringList {"1:1", "40:1", "12:1,3"};
        QTest::addRow("up, group included")
            << QStringList {"up", "12:3", "1:1", "group:all"} << 0 << 3 << 0 << QStringList {"12:3", "1:1", "0:" + all};
        QTest::addRow("stop, one absent")
            << QStringList {"stop", "7:2", "12:1"} << 1 << 1 << 1 << QStringList {"7:2", "12:1"};
    }

    void targetsAreDoneInTurnWithASummary()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(int, done);
        QFETCH(int, failed);
        QFETCH(QStringList, named);
        QTemporaryFile file;
        if (args.contains("PROFILE"))
            args.replace(args.indexOf("PROFILE"), profileFile(file, kProfileHead + R"(,"jog":7})"));
        const Run r = cli(at(QStringList {"--json"} + args));
        QCOMPARE(r.code, exitCode);
        const QJsonObject summary = r.record("summary");
        QCOMPARE(summary.value("done").toInt(), done);
        QCOMPARE(summary.value("failed").toInt(), failed);
        QCOMPARE(summary.value("exit").toInt(), exitCode);
        QStringList resultTargets;
        for (const QJsonValue &result : summary.value("results").toArray()) {
            QStringList channels;
            for (const QJsonValue &c : result["channels"].toArray())
                channels << QString::number(c.toInt());
            resultTargets << QString::number(result["id"].toInt()) + ':' + channels.join(',');
        }
        QCOMPARE(resultTargets, named);
        if (args.first() == "apply") {
            QCOMPARE(motorWithIndex(0).jogTime, 7);
            QCOMPARE(motorWithIndex(1).jogTime, 7);
        }
    }

    void exitCodesTellWhatHappened_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("says"); // on stderr; PORT stands for the port
        const QStringList where {"PORT", "2400 bps"};
        QTest::addRow("silent") << QStringList {"--baud", "2400", "up", "1:1"} << "silent" << 1
                                << where + QStringList {"no bytes came back", "1:1"};
        QTest::addRow("invalid bytes") << QStringList {"--baud", "2400", "up", "1:1"} << "badCheck" << 1
                                       << where + QStringList {"none was a valid answer", "bad check byte"};
        QTest::addRow("garbage") << QStringList {"--baud", "2400", "read", "--target", "1:1"} << "garbage" << 1
                                 << where + QStringList {"none was a valid answer", "noise"};
        QTest::addRow("wrong rate") << QStringList {"--baud", "9600", "down", "12:3"} << "" << 1
                                    << QStringList {"PORT", "9600 bps", "no bytes came back"};
        QTest::addRow("scan of a silent bus")
            << QStringList {"scan"} << "silent" << 1 << QStringList {"PORT", "any rate from 1200 to 19200 bps"};
        QTest::addRow("group") << QStringList {"--baud", "2400", "up", "group:all"} << "silent" << 0 << QStringList {};
        // Only a bench motor answers for an ID it does not have; that answer
        // is not the motor asked for.
        QTest::addRow("absent target") << QStringList {"read", "30:1"} << "lenient" << 1
                                       << QStringList {"30:1", "did not answer"};
        QTest::addRow("interrupted before the write")
            << QStringList {"set", "jog", "8"} << "silent" << 130 << QStringList {"before anything was written"};
        QTest::addRow("interrupted after the write")
            << QStringList {"set", "jog", "8", "--target", "1:1"} << "ignoreJog" << 130
            << QStringList {"jog write went out", "may have taken", "--target 1:1 read"};
        QTest::addRow("not a serial device") << QStringList {"--port", "/dev/null", "scan"} << "" << 3
                                             << QStringList {"/dev/null", "not a serial device"};
        QTest::addRow("no adapter chosen") << QStringList {"--port", "", "scan"} << "" << 2 << QStringList {"--port"};
    }

    void exitCodesTellWhatHappened()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, fault);
        QFETCH(int, exitCode);
        QFETCH(QStringList, says);
        MotorSim::Faults f;
        if (asksTheWholeLine(args))
            sim->bus().motors().removeLast(); // a group read finds one motor only when one is there
        sim->bus().setLenient(fault == "lenient");
        f.silent = fault == "silent";
        f.badCheck = fault == "badCheck";
        f.garbage = fault == "garbage" ? MotorSim::Faults::GarbageInstead : MotorSim::Faults::NoGarbage;
        if (fault == "ignoreJog")
            f.ignoredWrites = {0xD6};
        sim->setFaults(f);
        QStringList full = args.contains("--port") ? args : at(args);
        if (full.contains(""))
            full = full.mid(2); // no --port at all, and no TAVIK_PORT
        QProcess p;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.remove("TAVIK_PORT");
        p.setProcessEnvironment(e);
        QSignalSpy finished(&p, &QProcess::finished);
        p.start(QStringLiteral(TAVIK_CLI), full);
        if (exitCode == 130) {
            // SIGINT once the scan is under way, or once the write went out.
            QTRY_VERIFY_WITH_TIMEOUT(fault == "silent" ? sim->frames().size() >= 2 : withFunction(*sim, 0xD6) == 2,
                                     20000);
            ::kill(pid_t(p.processId()), SIGINT);
        }
        QVERIFY(finished.wait(30000)); // the simulator answers meanwhile
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QCOMPARE(p.exitCode(), exitCode);
        for (QString text : says)
            QVERIFY2(err.contains(text.replace("PORT", sim->path())), qPrintable(err));
    }

    void everyJsonLineFollowsTheSchema_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("types"); // each must appear
        // A line of two motors: a read without a target would have both answer at once.
        QTest::addRow("scan") << QStringList {"scan", "--target", "1:1"} << "" << QStringList {"scan", "result"};
        QTest::addRow("read") << QStringList {"read", "--target", "12:3"} << "" << QStringList {"settings", "result"};
        QTest::addRow("set") << QStringList {"set", "speed", "100", "--target", "12:1"} << ""
                             << QStringList {"change", "result"};
        QTest::addRow("apply") << QStringList {"apply", "PROFILE", "--target", "1:1", "--target", "12:1"} << ""
                               << QStringList {"plan", "change", "result", "summary"};
        QTest::addRow("up") << QStringList {"--baud", "2400", "up", "1:1"} << "" << QStringList {"result"};
        QTest::addRow("status silent") << QStringList {"--baud", "2400", "status", "1:1"} << "silent"
                                       << QStringList {"status", "error", "result"};
        QTest::addRow("usage error") << QStringList {"stauts"} << "" << QStringList {"error"};
        QTest::addRow("port error") << QStringList {"--port", "/dev/null", "read"} << "" << QStringList {"error"};
        QTest::addRow("settings") << QStringList {"settings"} << "" << QStringList {"setting"};
    }

    void everyJsonLineFollowsTheSchema()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, fault);
        QFETCH(QStringList, types);
        MotorSim::Faults f;
        if (asksTheWholeLine(args))
            sim->bus().motors().removeLast(); // a group read finds one motor only when one is there
        f.silent = fault == "silent";
        sim->setFaults(f);
        QTemporaryFile file;
        if (args.contains("PROFILE"))
            args.replace(args.indexOf("PROFILE"),
                         profileFile(file, kProfileHead + R"(,"speed":80,"id":5,"channels":[2]})"));
        const Run r = cli((args.contains("--port") ? QStringList {} : QStringList {"--port", sim->path()})
                          + QStringList {"--json"} + args);
        QStringList seen;
        for (const QByteArray &line : r.out.split('\n')) {
            if (line.isEmpty())
                continue;
            QJsonParseError error;
            const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
            QVERIFY2(error.error == QJsonParseError::NoError, line.constData());
            QVERIFY2(kTypes.contains(o.value("type").toString()), line.constData());
            for (const QString &key : o.keys())
                QVERIFY2(kFields.contains(key), qPrintable(key + ": " + line));
            // An ID with its channels, or both null: no motor named or reported.
            if (o.contains("channels") && o.value("type") != "setting")
                QVERIFY2((o.value("channels").isArray() && o.value("id").isDouble())
                             || (o.value("channels").isNull() && o.value("id").isNull()),
                         line.constData());
            seen << o.value("type").toString();
        }
        for (const QString &type : types)
            QVERIFY2(seen.contains(type), qPrintable(seen.join(u',')));
    }

    void helpAndNearMisses_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("says"); // on stdout or stderr
        QTest::addColumn<QStringList>("notSays");
        QTest::addRow("version") << QStringList {"--version"} << 0 << QStringList {"tavik-cli 2."} << QStringList {};
        QTest::addRow("help set") << QStringList {"help", "set"} << 0
                                  << QStringList {"set NAME VALUE", "rpm", "Exit codes"} << QStringList {"monitor"};
        QTest::addRow("set --help") << QStringList {"set", "--help"} << 0 << QStringList {"set NAME VALUE"}
                                    << QStringList {"monitor"};
        QTest::addRow("help apply") << QStringList {"help", "apply"} << 0 << QStringList {"--address", "--dry-run"}
                                    << QStringList {"--watch"};
        QTest::addRow("full help") << QStringList {"--help"} << 0
                                   << QStringList {"monitor", "TAVIK_PORT", "130 interrupted", "default 130"}
                                   << QStringList {};
        QTest::addRow("stauts") << QStringList {"stauts"} << 2 << QStringList {"did you mean 'status'"}
                                << QStringList {};
        QTest::addRow("--jsno") << QStringList {"--jsno", "scan"} << 2 << QStringList {"did you mean '--json'"}
                                << QStringList {};
        QTest::addRow("sped") << QStringList {"set", "sped", "100"} << 2 << QStringList {"did you mean 'speed'"}
                              << QStringList {};
        QTest::addRow("help of a near miss")
            << QStringList {"help", "aply"} << 2 << QStringList {"did you mean 'apply'"} << QStringList {};
        QTest::addRow("far off") << QStringList {"xyzzy"} << 2 << QStringList {"Unknown command"}
                                 << QStringList {"did you mean"};
        QTest::addRow("settings") << QStringList {"settings"} << 0
                                  << QStringList {"speed", "50..130 rpm; default 130", "sensitivity", "default low"}
                                  << QStringList {};
    }

    void helpAndNearMisses()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QStringList, says);
        QFETCH(QStringList, notSays);
        const Run r = cli(args);
        QCOMPARE(r.code, exitCode);
        const QString all = QString::fromUtf8(r.out + r.err);
        for (const QString &text : says)
            QVERIFY2(all.contains(text), qPrintable(all));
        for (const QString &text : notSays)
            QVERIFY2(!all.contains(text), qPrintable(all));
        QVERIFY(sim->frames().isEmpty());
    }

    // Every help fits a terminal of 80 columns.
    void helpFitsEightyColumns()
    {
        for (const QString command : {"", "ports", "settings", "scan", "read", "set", "apply", "up", "stop", "down",
                                      "learn", "delete", "goto", "limit", "status", "monitor"}) {
            const Run r = cli(command.isEmpty() ? QStringList {"--help"} : QStringList {"help", command});
            QCOMPARE(r.code, 0);
            for (const QByteArray &line : r.out.split('\n'))
                QVERIFY2(QString::fromUtf8(line).size() <= 80, qPrintable(command + ": " + line));
        }
    }

    void logKeepsFramesAndResults()
    {
        QTemporaryFile log;
        QVERIFY(log.open());
        const Run first = cli(at({"--log", log.fileName(), "--baud", "2400", "up", "1:1"}), {"TAVIK_BAUD=9600"});
        const Run second = cli({"--log", log.fileName(), "stop", "12:1"},
                               {"TAVIK_PORT=" + sim->path(), "TAVIK_BAUD=2400"});
        QCOMPARE(first.code, 0);
        QCOMPARE(second.code, 0);
        const QString text = QString::fromUtf8(log.readAll());
        // Both runs, appended: their command lines, frames both ways, results.
        for (const char *part : {"up 1:1", "stop 12:1", "sent", "received", "9A 01 01 00 0A DD", "9A 0C 01 00 0A CC",
                                 "confirmed by its status answer"})
            QVERIFY2(text.contains(QLatin1String(part)), qPrintable(text));
    }
};

QTEST_MAIN(CliCommissioningTest)
#include "tst_cli_commissioning.moc"
