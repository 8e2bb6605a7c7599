// tavik-cli on a truthful line of several motors, some sharing an ID, some
// at another rate: a setting reaches only the motor named (or nothing is
// written and the reason is given), and the results say who answered.
#include "CliRun.h"

#include <QJsonArray>
#include <QTest>

class CliNamedMotorTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheNamedMotorChanges_data()
    {
        QTest::addColumn<QStringList>("motors"); // as tavik-motor-sim --motor gives them; the bus at 2400
        QTest::addColumn<QStringList>("args"); // PROFILE stands for a profile writing speed 80
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("says"); // on stdout or stderr
        QTest::addColumn<QStringList>("never");
        QTest::addColumn<QList<int>>("speeds"); // each motor's speed afterwards (130 as delivered)
        QTest::addColumn<QList<int>>("ids"); // each motor's ID afterwards
        QTest::addColumn<QString>("heard"); // "ID FUNCTION RATE": a frame the line must have heard, or ""
        QTest::addRow("named motor at 9600, another of its ID at 2400, rate left to the tool")
            << QStringList {"9:4@9600", "9:8@2400"} << QStringList {"set", "speed", "80", "--target", "9:4"} << 0
            << QStringList {"speed 80: confirmed on 9:4"} << QStringList {"confirmed on 9:8"} << QList<int> {80, 130}
            << QList<int> {9, 9} << QString();
        QTest::addRow("another channel of the ID only")
            << QStringList {"7:5"} << QStringList {"set", "speed", "80", "--target", "7:3"} << 1
            << QStringList {"7:3", "7:5 answered"} << QStringList {"confirmed"} << QList<int> {130} << QList<int> {7}
            << QString();
        QTest::addRow("apply to a motor and an absent one")
            << QStringList {"2:2"} << QStringList {"apply", "PROFILE", "--target", "2:2", "--target", "2:5"} << 1
            << QStringList {"speed 80: confirmed on 2:2", "2:5"} << QStringList {"confirmed on 2:5"} << QList<int> {80}
            << QList<int> {2} << QString();
        QTest::addRow("read of two motors with one address")
            << QStringList {"7:3", "7:3"} << QStringList {"--baud", "2400", "read", "--target", "7:3"} << 1
            << QStringList {"several motors answered at once"} << QStringList {"noise", "bad check byte"}
            << QList<int> {130, 130} << QList<int> {7, 7} << QString();
        QTest::addRow("two motors share ID 4")
            << QStringList {"4:1", "4:2"} << QStringList {"--baud", "2400", "set", "speed", "80", "--target", "4:1"}
            << 1 << QStringList {"Nothing was written to 4:1", "a write would change them all"}
            << QStringList {"confirmed"} << QList<int> {130, 130} << QList<int> {4, 4} << QString();
        QTest::addRow("two motors share ID 4, forced")
            << QStringList {"4:1", "4:2"}
            << QStringList {"--baud", "2400", "set", "speed", "80", "--target", "4:1", "--force"} << 1
            << QStringList {"written without asking the line first"} << QStringList {"confirmed on"}
            << QList<int> {80, 80} << QList<int> {4, 4} << QString();
        QTest::addRow("two motors share ID 4 at 9600, forced, rate left to the tool")
            << QStringList {"4:1@9600", "4:2@9600"} << QStringList {"set", "speed", "80", "--target", "4:1", "--force"}
            << 1 << QStringList {"written without asking the line first"} << QStringList {"confirmed on"}
            << QList<int> {80, 80} << QList<int> {4, 4} << "4 D9 9600";
        QTest::addRow("batch over motors at 9600 and 2400, rate left to the tool")
            << QStringList {"3:1@9600", "5:1@2400"}
            << QStringList {"apply", "PROFILE", "--target", "3:1", "--target", "5:1"} << 0
            << QStringList {"speed 80: confirmed on 3:1", "speed 80: confirmed on 5:1"}
            << QStringList {"did not answer"} << QList<int> {80, 80} << QList<int> {3, 5} << QString();
        QTest::addRow("ID write, motors at 9600, rate left to the tool")
            << QStringList {"1:1@9600"} << QStringList {"set", "id", "5:1"} << 0 << QStringList {"confirmed"}
            << QStringList {"no motor answered"} << QList<int> {130} << QList<int> {5} << "0 CA 9600";
        QTest::addRow("one address at two rates")
            << QStringList {"6:1@2400", "6:1@9600"} << QStringList {"read", "--target", "6:1"} << 1
            << QStringList {"2400, 9600", "give --baud"} << QStringList {} << QList<int> {130, 130} << QList<int> {6, 6}
            << QString();
        QTest::addRow("forced ID write onto several motors")
            << QStringList {"1:1", "2:1"} << QStringList {"--baud", "2400", "set", "id", "5:1", "--force"} << 1
            << QStringList {"several motors now answer on 5:1"} << QStringList {"confirmed on"} << QList<int> {130, 130}
            << QList<int> {5, 5} << QString();
        QTest::addRow("forced ID write onto an address another motor holds")
            << QStringList {"1:1", "5:1"} << QStringList {"--baud", "2400", "set", "id", "5:1", "--force"} << 1
            << QStringList {"several motors now answer on 5:1"} << QStringList {"confirmed on"} << QList<int> {130, 130}
            << QList<int> {5, 5} << QString();
        // A read's result names what happened on the line: rows against the
        // reads of the motor named, whose answers the link judges by request.
        QTest::addRow("read of one address at two rates, the rate given")
            << QStringList {"6:1@2400", "6:1@9600"} << QStringList {"--baud", "9600", "read", "--target", "6:1"} << 0
            << QStringList {"id            6:1", "baud          9600"} << QStringList {"give --baud"}
            << QList<int> {130, 130} << QList<int> {6, 6} << "6 CB 9600";
        QTest::addRow("read of two motors with the named channel, one late: each answer clean")
            << QStringList {"7:3", "7:3,5/delay=90"} << QStringList {"--baud", "2400", "read", "--target", "7:3"} << 1
            << QStringList {"several motors with ID 7 answered at 2400 bps"} << QStringList {"id            7:3"}
            << QList<int> {130, 130} << QList<int> {7, 7} << QString();
        QTest::addRow("read of two motors with one address, one after the other")
            << QStringList {"7:3/delay=20", "7:3/delay=90"} << QStringList {"--baud", "2400", "read", "--target", "7:3"}
            << 1 << QStringList {"several motors with ID 7 answered at 2400 bps"} << QStringList {"id            7:3"}
            << QList<int> {130, 130} << QList<int> {7, 7} << QString();
        QTest::addRow("write to two motors with one address, one after the other")
            << QStringList {"7:3/delay=20", "7:3/delay=90"}
            << QStringList {"--baud", "2400", "set", "speed", "80", "--target", "7:3"} << 1
            << QStringList {"Nothing was written to 7:3", "a write would change them all"} << QStringList {"confirmed"}
            << QList<int> {130, 130} << QList<int> {7, 7} << QString();
        QTest::addRow("write to a motor answering late, alone")
            << QStringList {"7:3/delay=90"} << QStringList {"--baud", "2400", "set", "speed", "80", "--target", "7:3"}
            << 0 << QStringList {"speed 80: confirmed on 7:3"} << QStringList {"several"} << QList<int> {80}
            << QList<int> {7} << "7 D9 2400";
        QTest::addRow("read of the named motor answering late, another of its ID first")
            << QStringList {"7:5", "7:3/delay=90"} << QStringList {"--baud", "2400", "read", "--target", "7:3"} << 1
            << QStringList {"several motors with ID 7 answered at 2400 bps"} << QStringList {"id            7:"}
            << QList<int> {130, 130} << QList<int> {7, 7} << QString();
        QTest::addRow("read of a motor answering late, alone")
            << QStringList {"7:3/delay=90"} << QStringList {"--baud", "2400", "read", "--target", "7:3"} << 0
            << QStringList {"id            7:3", "baud          2400"} << QStringList {"did not answer"}
            << QList<int> {130} << QList<int> {7} << "7 CB 2400";
        QTest::addRow("read of two motors answering at once, rate left to the tool")
            << QStringList {"1:1", "4:2@9600", "4:2@9600"} << QStringList {"read", "--target", "4:2"} << 1
            << QStringList {"Motor 4:2 did not answer", "several motors answered at once"}
            << QStringList {"noise", "bad check byte"} << QList<int> {130, 130, 130} << QList<int> {1, 4, 4}
            << QString();
        QTest::addRow("read of another channel of the ID only")
            << QStringList {"7:5@9600", "1:1"} << QStringList {"--baud", "9600", "read", "--target", "7:3"} << 1
            << QStringList {"Motor 7:3 did not answer", "only other motors answered (7:5)"} << QStringList {}
            << QList<int> {130, 130} << QList<int> {7, 1} << QString();
        QTest::addRow("read of whichever motor answers, several at once")
            << QStringList {"1:1", "2:1"} << QStringList {"--baud", "2400", "read"} << 1
            << QStringList {"several motors answered at once"} << QStringList {"id            "}
            << QList<int> {130, 130} << QList<int> {1, 2} << QString();
        QTest::addRow("one motor alone: written as before")
            << QStringList {"1:1"} << QStringList {"set", "speed", "80", "--target", "1:1"} << 0
            << QStringList {"speed 80: confirmed on 1:1"} << QStringList {"without asking"} << QList<int> {80}
            << QList<int> {1} << QString();
    }

    void onlyTheNamedMotorChanges()
    {
        QFETCH(QStringList, motors);
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QStringList, says);
        QFETCH(QStringList, never);
        QFETCH(QList<int>, speeds);
        QFETCH(QList<int>, ids);
        QFETCH(QString, heard);
        MotorSim sim;
        for (const QString &m : motors)
            QVERIFY(sim.bus().addMotor(m));
        QTemporaryFile profile;
        const int at = int(args.indexOf("PROFILE"));
        if (at >= 0)
            args[at] = profileFile(profile, kProfileHead + R"(,"speed":80})");
        const Run r = cli(QStringList {"--port", sim.path()} + args);
        const QString all = QString::fromUtf8(r.out + r.err);
        QCOMPARE(r.code, exitCode);
        for (const QString &s : says)
            QVERIFY2(all.contains(s), qPrintable(s + " not in:\n" + all));
        for (const QString &s : never)
            QVERIFY2(!all.contains(s), qPrintable(s + " in:\n" + all));
        QList<int> after;
        for (const Motor &m : sim.bus().motors())
            after << m.maxSpeed;
        QCOMPARE(after, speeds);
        QList<int> idsAfter;
        for (const Motor &m : sim.bus().motors())
            idsAfter << m.id;
        QCOMPARE(idsAfter, ids);
        if (!heard.isEmpty()) {
            const QStringList f = heard.split(u' ');
            bool found = false;
            for (const auto &frame : sim.frames())
                found = found
                    || (quint8(frame.bytes.at(1)) == f[0].toInt()
                        && quint8(frame.bytes.at(4)) == f[1].toUInt(nullptr, 16) && frame.lineRateBps == f[2].toInt());
            QVERIFY2(found, qPrintable(heard));
        }
        // Nothing written where the run refused: not one speed frame.
        if (speeds == QList<int>(speeds.size(), 130))
            QCOMPARE(withFunction(sim, 0xD9), 0);
    }
};

QTEST_GUILESS_MAIN(CliNamedMotorTest)
#include "tst_cli_named_motor.moc"
