// tavik-cli in a technician's batch on a line of several motors: one result
// per target whatever ends the run, signals' exit codes, a monitor that only
// listens, answers of other motors, the port released on every way out and
// refused to a second process however it is named.
#include "CliRun.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

QList<QJsonObject> records(const QByteArray &out, const QString &type)
{
    QList<QJsonObject> found;
    for (const QByteArray &line : out.split('\n'))
        if (const QJsonObject o = QJsonDocument::fromJson(line).object(); o.value("type") == type)
            found << o;
    return found;
}

// The lock files a serial port may leave behind for this device.
QStringList lockFilesOf(const QString &device)
{
    QString name = device.mid(QStringLiteral("/dev/").size());
    name.replace(u'/', u'_');
    QStringList found;
    for (const char *dir : {"/var/lock", "/run/lock", "/tmp", "/var/tmp"})
        if (const QString path = QLatin1String(dir) + "/LCK.." + name; QFile::exists(path))
            found << path;
    return found;
}

// Whether the terminal is in exclusive mode (a later open refused).
bool exclusive(const QString &device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return true;
    int on = 0;
    const bool known = ::ioctl(fd, TIOCGEXCL, &on) == 0;
    ::close(fd);
    return !known || on != 0;
}

} // namespace

class CliBatchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<MotorSim> sim;
    QStringList at(const QStringList &args) { return QStringList {"--port", sim->path()} + args; }

    // Starts tavik-cli and waits until it has printed `ready` (on stdout).
    bool startUntil(QProcess &p, const QStringList &args, const QByteArray &ready, QByteArray &out)
    {
        p.start(QStringLiteral(TAVIK_CLI), args);
        // The simulator answers from this event loop: wait in it.
        return QTest::qWaitFor([&] { return (out += p.readAllStandardOutput()).contains(ready); }, 20000);
    }

private slots:
    void init()
    {
        sim = std::make_unique<MotorSim>();
        sim->bus().addMotor(1, 0x0001);
        sim->bus().addMotor(12, 0x0005);
        sim->bus().addMotor(20, 0x0002);
    }
    void cleanup() { sim.reset(); }

    // Whatever ends the run, --json gives one result per target, the ones
    // never tried included, and a summary that lists every target.
    void everyTargetHasOneResult_data()
    {
        QTest::addColumn<QStringList>("targets");
        QTest::addColumn<QString>("ending"); // "", "unplug" or "sigint" once the first write went out
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QList<QVariant>>("exits"); // per target; null: not tried
        QTest::addRow("one target") << QStringList {"12:1"} << "" << 0 << QList<QVariant> {0};
        QTest::addRow("batch, one absent")
            << QStringList {"1:1", "40:1", "20:2"} << "" << 1 << QList<QVariant> {0, 1, 0};
        QTest::addRow("port lost") << QStringList {"1:1", "12:1", "20:2"} << "unplug" << 1
                                   << QList<QVariant> {1, QVariant(), QVariant()};
        QTest::addRow("Ctrl-C") << QStringList {"1:1", "12:1", "20:2"} << "sigint" << 130
                                << QList<QVariant> {130, QVariant(), QVariant()};
    }

    void everyTargetHasOneResult()
    {
        QFETCH(QStringList, targets);
        QFETCH(QString, ending);
        QFETCH(int, exitCode);
        QFETCH(QList<QVariant>, exits);
        QTemporaryFile file;
        QStringList args = at({"--json", "--baud", "2400", "apply", profileFile(file, kProfileHead + R"(,"jog":7})")});
        for (const QString &t : targets)
            args << "--target" << t;
        if (!ending.isEmpty()) {
            // The motors ignore the jog write: the run waits on its read-backs.
            MotorSim::Faults f;
            f.ignoredWrites = {0xD6};
            sim->setFaults(f);
        }
        QProcess p;
        QSignalSpy finished(&p, &QProcess::finished);
        p.start(QStringLiteral(TAVIK_CLI), args);
        if (!ending.isEmpty()) {
            QTRY_VERIFY_WITH_TIMEOUT(received(*sim, frame(1, 0x0001, 0xD6, 7)) > 0, 20000);
            ending == "unplug" ? sim->unplug() : void(::kill(pid_t(p.processId()), SIGINT));
        }
        QVERIFY(finished.wait(30000));
        const QByteArray out = p.readAllStandardOutput();
        QCOMPARE(p.exitCode(), exitCode);
        const QList<QJsonObject> results = records(out, "result");
        QCOMPARE(results.size(), targets.size());
        const QList<QJsonObject> summaries = records(out, "summary");
        QCOMPARE(summaries.size(), 1);
        QCOMPARE(summaries[0].value("exit").toInt(), exitCode);
        const QJsonArray listed = summaries[0].value("results").toArray();
        QCOMPARE(listed.size(), targets.size());
        for (qsizetype i = 0; i < targets.size(); ++i) {
            const QJsonValue expected = QJsonValue::fromVariant(exits[i]);
            QCOMPARE(results[i].value("exit"), expected);
            QCOMPARE(listed[i].toObject().value("exit"), expected);
            QCOMPARE(results[i].value("id").toInt(), targets[i].section(u':', 0, 0).toInt());
        }
    }

    // A line that doubles every answer carries two clean answers to each
    // copy of a question, as two motors with one address do: each target is
    // refused on its own ID (never on the answers the target before it drew)
    // and nothing is written.
    void doubledAnswersAreSeveralMotorsOfEachTarget()
    {
        MotorSim::Faults f;
        f.duplicate = true;
        sim->setFaults(f);
        QTemporaryFile file;
        const Run r = cli(at({"--json", "--baud", "2400", "apply", profileFile(file, kProfileHead + R"(,"jog":7})"),
                              "--target", "1:1", "--target", "12:1", "--target", "20:2"}));
        QCOMPARE(r.code, 1);
        const QList<QJsonObject> results = records(r.out, "result");
        QCOMPARE(results.size(), 3);
        for (const QJsonObject &result : results) {
            const QString says = result.value("message").toString();
            const QString own =
                QStringLiteral("several motors answer on ID %1 at 2400 bps").arg(result.value("id").toInt());
            QVERIFY2(says.contains(own), qPrintable(says));
        }
        QCOMPARE(withFunction(*sim, 0xD6), 0); // no jog time write
        for (const Motor &m : sim->bus().motors())
            QVERIFY(m.jogTime != 7);
    }

    // An ID write reaches every motor on the line: it asks the line first
    // and goes out only when exactly one motor answers; confirmed only by
    // what the line then says.
    void idWriteAsksTheLineFirst_data()
    {
        QTest::addColumn<QList<int>>("ids"); // the motors on the line, on channel 1
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("idWrites"); // AA frames sent
        QTest::addColumn<QString>("says"); // on stderr, else on stdout
        const QString one = "only one motor may be connected";
        QTest::addRow("several motors: refused")
            << QList<int> {1, 12, 20} << QStringList {"set", "id", "5:1"} << 1 << 0 << one;
        QTest::addRow("apply --address, several motors: refused")
            << QList<int> {1, 12} << QStringList {"apply", "PROFILE", "--address", "--target", "1:1"} << 1 << 0 << one;
        QTest::addRow("one motor: written and confirmed")
            << QList<int> {1} << QStringList {"set", "id", "5:1"} << 0 << 2 << "id 5:1: confirmed";
        QTest::addRow("no motor: refused")
            << QList<int> {} << QStringList {"set", "id", "5:1"} << 1 << 0 << "no motor answered";
        QTest::addRow("forced onto a taken address: never confirmed")
            << QList<int> {1, 5} << QStringList {"set", "id", "5:1", "--force"} << 1 << 2 << "not confirmed";
        QTest::addRow("forced, one motor: says the line was not asked")
            << QList<int> {1} << QStringList {"set", "id", "5:1", "--force"} << 0 << 2 << "without asking the line";
    }

    void idWriteAsksTheLineFirst()
    {
        QFETCH(QList<int>, ids);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(int, idWrites);
        QFETCH(QString, says);
        sim->bus().motors().clear();
        for (int id : ids)
            sim->bus().addMotor(id, 0x0001);
        QTemporaryFile file;
        if (args.contains("PROFILE"))
            args.replace(args.indexOf("PROFILE"), profileFile(file, kProfileHead + R"(,"id":5,"channels":[1]})"));
        const Run r = cli(at(QStringList {"--baud", "2400"} + args));
        QCOMPARE(r.code, exitCode);
        QVERIFY2((exitCode ? r.err : r.out).contains(says.toUtf8()), r.out + r.err);
        QCOMPARE(withFunction(*sim, 0xAA), idWrites);
        if (args[0] == "set" && !args.contains("--force")) {
            // Nothing but the group read before the write.
            const auto &frames = sim->frames();
            for (qsizetype i = 0; i < frames.size() && quint8(frames[i].bytes.at(4)) != 0xAA; ++i)
                QVERIFY2(frames[i].bytes.startsWith(QByteArray::fromHex("9A00"))
                             && quint8(frames[i].bytes.at(4)) == 0xCA,
                         frames[i].bytes.toHex(' ').constData());
        }
        if (exitCode == 0)
            QCOMPARE(sim->bus().motors().at(0).id, 5);
        else if (idWrites == 0 && !ids.isEmpty())
            QCOMPARE(sim->bus().motors().at(0).id, ids.at(0)); // untouched
    }

    // Every command ends on Ctrl-C with 130 and on SIGTERM with 143, and
    // leaves the port as it found it: no lock file, no exclusive mode.
    void signalsEndEveryCommand_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("ready"); // on stdout once it runs
        QTest::addColumn<int>("signal");
        for (const auto &[name, number] : {std::pair {"SIGINT", SIGINT}, std::pair {"SIGTERM", SIGTERM}}) {
            QTest::addRow("monitor, %s", name) << QStringList {"monitor"} << QByteArray("Listening") << number;
            QTest::addRow("status --watch, %s", name)
                << QStringList {"--baud", "2400", "status", "1:1", "--watch"} << QByteArray("position") << number;
            QTest::addRow("monitor --poll, %s", name)
                << QStringList {"--baud", "2400", "monitor", "--poll", "12:3"} << QByteArray("status poll") << number;
        }
    }

    void signalsEndEveryCommand()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, ready);
        QFETCH(int, signal);
        sim->setChatter(args.contains("monitor")); // something on the line to hear
        QProcess p;
        QByteArray out;
        QVERIFY2(startUntil(p, at(args), ready, out), out.constData());
        QVERIFY(!lockFilesOf(sim->path()).isEmpty() || exclusive(sim->path())); // held while it runs
        ::kill(pid_t(p.processId()), signal);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 128 + signal);
        QCOMPARE(lockFilesOf(sim->path()), QStringList {});
        QVERIFY(!exclusive(sim->path()));
    }

    // The monitor shows what others send and sends nothing itself.
    void monitorOnlyListens()
    {
        sim->setChatter(true);
        QProcess p;
        QByteArray out;
        QVERIFY2(startUntil(p, at({"monitor"}), "status", out), out.constData());
        QVERIFY2(out.contains("received"), out.constData());
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 130);
        QCOMPARE(sim->frames().size(), 0);
    }

    // One port, one user: a second tavik-cli through a symbolic link to the
    // same device is refused, naming the process that holds it.
    void secondProcessThroughALinkIsRefused()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("adapter");
        QVERIFY(QFile::link(sim->path(), link));
        QProcess first;
        QByteArray out;
        QVERIFY(startUntil(first, at({"monitor"}), "Listening", out));
        const Run second = cli({"--port", link, "--baud", "2400", "read", "1:1"});
        QCOMPARE(second.code, 3);
        QVERIFY2(second.err.contains(QByteArray::number(first.processId())), second.err.constData());
        ::kill(pid_t(first.processId()), SIGTERM);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 143);
        QCOMPARE(cli({"--port", link, "--baud", "2400", "read", "1:1"}).code, 0); // free again
    }

    // The read-back hint after an interrupted write is a command the shell
    // takes as it stands, whatever the port's name.
    void readBackHintIsShellQuoted()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("my adapter's port");
        QVERIFY(QFile::link(sim->path(), link));
        MotorSim::Faults f;
        f.ignoredWrites = {0xD6};
        sim->setFaults(f);
        QProcess p;
        p.start(QStringLiteral(TAVIK_CLI), {"--port", link, "--baud", "2400", "set", "jog", "8", "--target", "1:1"});
        QTRY_VERIFY_WITH_TIMEOUT(withFunction(*sim, 0xD6) > 0, 20000);
        ::kill(pid_t(p.processId()), SIGINT);
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 130);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        const QString quoted = "'" + QString(link).replace("'", "'\\''") + "'";
        QVERIFY2(err.contains("--port " + quoted + " --baud 2400 --target 1:1 read"), qPrintable(err));
    }

    // What cannot be printed is not a success.
    void failedOutputIsAnError_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("toFullDevice"); // the standard output, else --log
        QTest::addRow("ports to a full disk") << QStringList {"ports"} << true;
        QTest::addRow("read to a full disk") << QStringList {"--json", "--baud", "2400", "read", "1:1"} << true;
        QTest::addRow("log to a full disk")
            << QStringList {"--log", "/dev/full", "--baud", "2400", "read", "1:1"} << false;
    }

    void failedOutputIsAnError()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, toFullDevice);
        QProcess p;
        if (toFullDevice)
            p.setStandardOutputFile("/dev/full");
        p.start(QStringLiteral(TAVIK_CLI), at(args));
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 1);
        QVERIFY2(p.readAllStandardError().contains("Cannot write to"), "no reason given");
    }
};

QTEST_MAIN(CliBatchTest)
#include "tst_cli_batch.moc"
