// Instructions per status-poll cycle (one poll sent, its answer handled and
// shown), Tavik's panel against the polling yardstick, counted by callgrind:
// a count of instructions does not change with the machine's load the way a
// CPU time does.
//
// Method: each program runs under callgrind to its own end twice, once after
// N answers and once after 2N, each against a fresh simulated motor.  Both
// runs share the same start-up (windows, port, the baud scan) and the same
// shutdown, so the difference of their totals is the work of N cycles alone.
// Cycles are counted as answers handled, not as time: valgrind slows the
// program, not the 150 ms timer, so a slow cycle still is one cycle.
#include "Driver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

namespace Bench {

namespace {

// The total instructions of program run to its end under callgrind, 0 when
// it failed or did not end within timeoutMs.
quint64 instructionsToEnd(const QString &program, const QStringList &args, int timeoutMs)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("callgrind.out"));
    QProcess run;
    run.setStandardOutputFile(QProcess::nullDevice());
    run.setStandardErrorFile(QProcess::nullDevice());
    QEventLoop loop; // the motor's output is read meanwhile
    QObject::connect(&run, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&run, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    run.start(QStringLiteral("valgrind"),
              QStringList {QStringLiteral("--tool=callgrind"), QStringLiteral("--callgrind-out-file=") + out, program}
                  + args);
    loop.exec();
    if (run.state() != QProcess::NotRunning) {
        run.kill();
        run.waitForFinished();
        return 0;
    }
    if (run.exitStatus() != QProcess::NormalExit || run.exitCode() != 0)
        return 0;
    QFile file(out);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    // The file ends with "summary: <Ir>" or "totals: <Ir>".
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("totals:") || line.startsWith("summary:"))
            return line.mid(line.indexOf(':') + 1).trimmed().toULongLong();
    return 0;
}

// Instructions per cycle from runs of cycles and 2 × cycles; a negative
// value when a run failed.
double perCycle(const std::function<quint64(int)> &runTo, int cycles)
{
    const quint64 shortRun = runTo(cycles), longRun = runTo(2 * cycles);
    if (shortRun == 0 || longRun <= shortRun)
        return -1;
    return double(longRun - shortRun) / cycles;
}

} // namespace

bool haveValgrind()
{
    return !QStandardPaths::findExecutable(QStringLiteral("valgrind")).isEmpty();
}

InstructionRun measureInstructions(int cycles)
{
    progress(
        QStringLiteral("instructions per poll cycle under callgrind, %1 and %2 cycles").arg(cycles).arg(2 * cycles));
    constexpr int TimeoutMs = 10 * 60000;
    InstructionRun r;
    r.cycles = cycles;
    r.tavik = perCycle(
        [](int answers) {
            auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
            return instructionsToEnd(QCoreApplication::applicationFilePath(),
                                     {QStringLiteral("host"), QStringLiteral("polls"), QStringLiteral("--count"),
                                      QString::number(answers), QStringLiteral("--port"), kLink},
                                     TimeoutMs);
        },
        cycles);
    r.yardstick = perCycle(
        [](int answers) {
            auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")}, kFloorLink);
            return instructionsToEnd(QStringLiteral(FLOOR_BIN), {kFloorLink, QString::number(answers)}, TimeoutMs);
        },
        cycles);
    QFile::remove(kFloorLink);
    return r;
}

void printInstructions(const InstructionRun &r)
{
    const QString measure = QStringLiteral("Instructions per status-poll cycle (callgrind, runs of %1 and %2 cycles)")
                                .arg(r.cycles)
                                .arg(2 * r.cycles);
    const QString goal = QStringLiteral("≤ 1.15 × the yardstick");
    if (r.tavik <= 0 || r.yardstick <= 0) {
        row(measure, r.tavik > 0 ? num(r.tavik, 0) : QStringLiteral("run failed"),
            r.yardstick > 0 ? num(r.yardstick, 0) : QStringLiteral("run failed"), goal, QStringLiteral("not measured"));
        return;
    }
    const double ratio = r.tavik / r.yardstick;
    row(measure, num(r.tavik, 0) + QStringLiteral(" (%1 ×)").arg(num(ratio, 2)),
        num(r.yardstick, 0) + QStringLiteral(" (polling yardstick)"), goal, verdict(ratio <= 1.15));
}

} // namespace Bench
