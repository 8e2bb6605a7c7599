// tavik-cli scan --all as a script runs it, against the simulated line in
// this process: one `scan` record per motor or collision, a `summary`, the
// exit code, and the usage errors that send nothing.
#include "CliRun.h"
#include "Frames.h"

#include <QJsonArray>
#include <QtTest>

#include <csignal>

class InventoryCliTest : public QObject {
    Q_OBJECT
private slots:
    void listsEveryMotor();
    void noMotorExitsOne();
    void signalEndsTheRunWithASummary_data();
    void signalEndsTheRunWithASummary();
    void usageErrorsSendNothing_data();
    void usageErrorsSendNothing();
};

namespace {

QList<QJsonObject> records(const Run &run, const QString &type)
{
    QList<QJsonObject> found;
    for (const QByteArray &line : run.out.split('\n'))
        if (const QJsonObject o = QJsonDocument::fromJson(line).object(); o.value("type") == type)
            found << o;
    return found;
}

} // namespace

void InventoryCliTest::listsEveryMotor()
{
    MotorSim sim;
    sim.bus().addMotor(1, 0x0001).position = 30;
    sim.bus().addMotor(1, 0x0002).positionKnown = false;
    sim.bus().addMotor(2, 0x0001);
    sim.bus().addMotor(2, 0x0001); // shares 2:1: the two always answer at once
    const Run run = cli(
        {"--port", sim.path(), "--baud", "2400", "--json", "scan", "--all", "--ids", "1-2", "--channels", "1,2"});
    QCOMPARE(run.code, 0);
    const QList<QJsonObject> scans = records(run, "scan");
    QCOMPARE(scans.size(), 3);
    QStringList seen;
    for (const QJsonObject &o : scans) {
        QCOMPARE(o.value("rate").toInt(), 2400);
        QCOMPARE(o.value("port").toString(), sim.path());
        QStringList channels;
        for (const QJsonValue &c : o.value("channels").toArray())
            channels << QString::number(c.toInt());
        seen << QStringLiteral("%1:%2 %3%4")
                    .arg(o.value("id").toInt())
                    .arg(channels.join(u','))
                    .arg(o.value("position").isNull() ? QStringLiteral("null")
                                                      : QString::number(o.value("position").toInt()))
                    .arg(o.value("collision").toBool() ? QStringLiteral(" collision") : QString());
    }
    seen.sort();
    QCOMPARE(seen, (QStringList {"1:1 30", "1:2 null", "2:1 null collision"}));
    const QJsonObject summary = run.record("summary");
    QCOMPARE(summary.value("motors").toInt(), 2);
    QCOMPARE(summary.value("collisions").toInt(), 1);
    QCOMPARE(summary.value("complete").toBool(), true);
    QCOMPARE(summary.value("exit").toInt(), 0);
    // Only status polls and reads, nothing that moves or writes.
    for (const MotorBus::ReceivedFrame &f : sim.frames())
        QVERIFY(quint8(f.bytes[4]) == Frame::StatusPoll || quint8(f.bytes[4]) == Frame::ReadBasic);
}

void InventoryCliTest::noMotorExitsOne()
{
    MotorSim sim;
    sim.bus().addMotor(50, 0x0001);
    const Run run = cli({"--port", sim.path(), "--baud", "2400", "scan", "--all", "--ids", "1-2", "--channels", "1"});
    QCOMPARE(run.code, 1);
    QVERIFY2(run.out.contains("0 motor(s) found"), run.out.constData());
}

void InventoryCliTest::signalEndsTheRunWithASummary_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("Ctrl-C") << int(SIGINT) << 130;
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
}

void InventoryCliTest::signalEndsTheRunWithASummary()
{
    QFETCH(int, signalNumber);
    QFETCH(int, exitCode);
    MotorSim sim;
    sim.bus().addMotor(1, 0x0001);
    QProcess p;
    p.start(QStringLiteral(TAVIK_CLI), {"--port", sim.path(), "--baud", "2400", "--json", "scan", "--all"});
    QSignalSpy finished(&p, &QProcess::finished);
    QByteArray out;
    // The first motor is found at once; the other 98 IDs would take minutes.
    // The simulator answers from this event loop: wait in it.
    QTRY_VERIFY_WITH_TIMEOUT((out += p.readAllStandardOutput()).contains("\"type\":\"scan\""), 30000);
    ::kill(pid_t(p.processId()), signalNumber);
    QVERIFY(finished.wait(30000));
    out += p.readAllStandardOutput();
    QCOMPARE(p.exitCode(), exitCode);
    const Run run {p.exitCode(), out, {}};
    const QJsonObject summary = run.record("summary");
    QCOMPARE(summary.value("complete").toBool(true), false);
    QCOMPARE(summary.value("motors").toInt(), 1);
    QCOMPARE(summary.value("exit").toInt(), exitCode);
}

void InventoryCliTest::usageErrorsSendNothing_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("ID 0") << QStringList {"scan", "--all", "--ids", "0-5"};
    QTest::newRow("ID 100") << QStringList {"scan", "--all", "--ids", "1-100"};
    QTest::newRow("range backwards") << QStringList {"scan", "--all", "--ids", "9-3"};
    QTest::newRow("channel 17") << QStringList {"scan", "--all", "--channels", "1,17"};
    QTest::newRow("channel word") << QStringList {"scan", "--all", "--channels", "one"};
    QTest::newRow("--ids without --all") << QStringList {"scan", "--ids", "1-3"};
    QTest::newRow("--all with another command") << QStringList {"status", "1:1", "--all"};
}

void InventoryCliTest::usageErrorsSendNothing()
{
    QFETCH(QStringList, args);
    MotorSim sim;
    const Run run = cli(QStringList {"--port", sim.path()} + args);
    QCOMPARE(run.code, 2);
    QVERIFY(sim.frames().isEmpty());
}

QTEST_GUILESS_MAIN(InventoryCliTest)
#include "tst_inventory_cli.moc"
