// Starts Tavik, the reference program, the simulated motor, the host and
// tavik-cli in turn, measures each pair side by side in this one run, and
// prints a Markdown table: every goal with Tavik's figure, its yardstick's
// and whether it is met.  Knobs (environment): BENCH_RUNS (start-ups of each
// program, default 15), BENCH_SOAK_MINUTES (polling, 10),
// BENCH_MONITOR_MINUTES (polling with the bus monitor open, 2),
// BENCH_PRESSES (100), BENCH_FLOOD_SECONDS (60), BENCH_CLI_RUNS (5),
// BENCH_INSTRUCTION_CYCLES (status-poll cycles under callgrind, 40).
// BENCH_ONLY=instructions measures the callgrind row alone.
// Each measure lives in a file of its own (see Driver.h).
#include "Driver.h"
#include "Roles.h"

#include <QDate>
#include <QFile>
#include <QSysInfo>
#include <QThread>

#include <cstdio>

namespace {

QString cpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    return QStringLiteral("unknown CPU");
}

} // namespace

namespace {

void printHeader()
{
    std::printf("\nTavik benchmark, %s, Qt %s, %s, %s, %d cores, under Xvfb\n\n",
                qPrintable(QDate::currentDate().toString(Qt::ISODate)), qVersion(), qPrintable(cpuModel()),
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount());
    Bench::row(QStringLiteral("Measure"), QStringLiteral("Tavik"), QStringLiteral("Reference"), QStringLiteral("Goal"),
               QStringLiteral("Result"));
    Bench::row(QStringLiteral("---"), QStringLiteral("---"), QStringLiteral("---"), QStringLiteral("---"),
               QStringLiteral("---"));
}

Bench::InstructionRun instructionsIfPossible()
{
    if (!Bench::haveValgrind()) {
        Bench::progress(QStringLiteral("valgrind missing: scripts/install-deps.sh installs it"));
        return {};
    }
    return Bench::measureInstructions(Bench::knob("BENCH_INSTRUCTION_CYCLES", 40));
}

} // namespace

int runDriver()
{
    using namespace Bench;
    if (qgetenv("BENCH_ONLY") == "instructions") {
        const InstructionRun instructions = instructionsIfPossible();
        QFile::remove(kLink);
        printHeader();
        printInstructions(instructions);
        return 0;
    }
    const auto [tavik, reference] = measureStartup(knob("BENCH_RUNS", 15));
    const Soak soak = measureSoak(knob("BENCH_SOAK_MINUTES", 10));
    const QList<double> monitorSpacing = measureMonitorSpacing(knob("BENCH_MONITOR_MINUTES", 2));
    const QList<double> delays = measurePresses(knob("BENCH_PRESSES", 100));
    const Flood flood = measureFlood(knob("BENCH_FLOOD_SECONDS", 60));
    CliRun cliRead, cliSet;
    if (haveCli()) {
        cliRead = measureCli({QStringLiteral("read")}, knob("BENCH_CLI_RUNS", 5));
        cliSet = measureCli({QStringLiteral("set"), QStringLiteral("speed"), QStringLiteral("100")},
                            knob("BENCH_CLI_RUNS", 5));
    }
    // Inventories: 12 IDs (goal 1.2 × the floor of 28.8 s) and the whole range.
    InventoryRun inventory12, inventory99;
    if (haveInventory()) {
        inventory12 = measureInventory(12, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
        if (knob("BENCH_INVENTORY_FULL", 1) > 0) {
            QList<int> everyThird;
            for (int id = 3; id <= 99; id += 3)
                everyThird << id;
            inventory99 = measureInventory(99, everyThird);
        }
    }
    const InstructionRun instructions = instructionsIfPossible();
    QFile::remove(kLink);

    printHeader();
    printStartup(tavik, reference);
    printPolling(soak, monitorSpacing);
    printPresses(delays);
    printFlood(flood);
    printCli(QStringLiteral("--baud 9600 read"), cliRead);
    printCli(QStringLiteral("--baud 9600 set speed 100"), cliSet);
    printInventory(inventory12, 1.2 * 12 * 16 * kTickMs / 1000);
    if (inventory99.lastId > 0)
        printInventory(inventory99, 4 * 60 + 45);
    printInstructions(instructions);
    return 0;
}
