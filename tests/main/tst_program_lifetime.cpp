// The real program as a user or a service manager runs it: help and version
// answer without any display, and SIGTERM or SIGINT close the window as its
// close button does: the port is closed, its lock file removed, exit code 0.
#include "DeviceAccess.h"
#include "MotorSim.h"
#include "Version.h"

#include <QProcess>
#include <QTest>

#include <csignal>

namespace {

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return env;
}

struct Program {
    QProcess process;

    Program(const QProcessEnvironment &env, const QStringList &arguments)
    {
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TAVIK_EXE), arguments);
    }
    ~Program()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

} // namespace

class TestProgramLifetime : public QObject {
    Q_OBJECT

private slots:
    void answersWithoutDisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("answers"); // ends with code 0, its answer on standard output
        QTest::addColumn<QString>("answer");
        QTest::newRow("--help") << QStringList {"--help"} << true << "--open <PATH>";
        QTest::newRow("-h") << QStringList {"-h"} << true << "Usage: ";
        QTest::newRow("--help-all") << QStringList {"--help-all"} << true << "--language <CODE>";
        QTest::newRow("--version") << QStringList {"--version"} << true << "Tavik " TAVIK_VERSION;
        QTest::newRow("-v after a language") << QStringList {"--language", "en", "-v"} << true << "Tavik ";
        // The window itself needs a display: this is what the rows above are spared.
        QTest::newRow("no option") << QStringList {} << false << "";
    }

    void answersWithoutDisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, answers);
        QFETCH(QString, answer);
        Program run(withoutDisplay(), arguments);
        QVERIFY(run.process.waitForFinished(60000));
        const QString out = QString::fromUtf8(run.process.readAllStandardOutput());
        const bool clean = run.process.exitStatus() == QProcess::NormalExit && run.process.exitCode() == 0;
        QCOMPARE(clean, answers);
        if (answers)
            QVERIFY2(out.contains(answer), qPrintable(out));
    }

    void signalClosesWindow_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addColumn<QStringList>("motors");
        QTest::newRow("SIGTERM, one motor") << int(SIGTERM) << QStringList {"1:1"};
        QTest::newRow("SIGINT, one motor") << int(SIGINT) << QStringList {"1:1"};
        QTest::newRow("SIGTERM, no motor") << int(SIGTERM) << QStringList {};
        QTest::newRow("SIGINT, three motors, two share ID 4") << int(SIGINT) << QStringList {"4:1", "4:2", "9:1,3"};
    }

    void signalClosesWindow()
    {
        QFETCH(int, signal);
        QFETCH(QStringList, motors);
        MotorSim sim;
        for (const QString &motor : motors)
            QVERIFY(sim.bus().addMotor(motor));
        QVERIFY(sim.isOpen());
        const QString port = sim.path();
        QCOMPARE(inspectDevice(port).holderPid, 0);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        Program run(env, {"--open", port});
        QVERIFY(run.process.waitForStarted());
        // The port is open (its lock names the program) and the program talks on it.
        QTRY_COMPARE_WITH_TIMEOUT(inspectDevice(port).holderPid, run.process.processId(), 60000);
        QTRY_VERIFY_WITH_TIMEOUT(!sim.frames().isEmpty(), 60000);

        QCOMPARE(::kill(pid_t(run.process.processId()), signal), 0);
        QTRY_COMPARE_WITH_TIMEOUT(run.process.state(), QProcess::NotRunning, 60000);
        QCOMPARE(run.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process.exitCode(), 0);
        QCOMPARE(inspectDevice(port).holderPid, 0); // lock file removed
    }
};

QTEST_MAIN(TestProgramLifetime)
#include "tst_program_lifetime.moc"
