// The driver's parts: one file per measure, each starting the processes it
// needs, measuring, and printing its rows of the table (DriverStartup.cpp,
// DriverPolling.cpp, DriverPresses.cpp, DriverStream.cpp, DriverCli.cpp);
// Driver.cpp runs them in order.  This header holds what they share.
#pragma once

#include "Child.h"
#include "MotorLink.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <climits>
#include <memory>
#include <utility>

namespace Bench {

inline const QString kLink = QStringLiteral("/tmp/tavik-bench-bus");
inline const QString kFloorLink = QStringLiteral("/tmp/tavik-bench-floor-bus"); // the polling yardstick's motor
inline constexpr double kTickMs = MotorLink::TickMs; // the program's transmit tick

// An environment knob's positive value, or fallback.
int knob(const char *name, int fallback);
void progress(const QString &text);
// Lets the event loop run for ms milliseconds.
void runFor(int ms);
// Field n of a space-separated output line.
QByteArray field(const QByteArray &line, int n);

// The simulated motor in a process of its own, linked at link.
std::unique_ptr<Child> startMotor(const QStringList &extra, const QString &link = kLink);
// Tavik's windows in a process of their own, on the motor at kLink.
std::unique_ptr<Child> startHost(const QStringList &args);
// Arrival times (ns) of the frames whose function byte is function, or of
// all frames for -1, between from and to.
QList<qint64> frameTimes(const Child &motor, int function, qint64 from = 0, qint64 to = LLONG_MAX);
// The time between each frame and the one before it (ms).
QList<double> spacingsMs(const QList<qint64> &times);

// The table.
QString num(double v, int decimals = 1);
QString verdict(bool met);
void row(const QString &measure, const QString &tavik, const QString &yardstick, const QString &goal,
         const QString &result);

// --- start-up and memory after it: Tavik against the reference window ----
struct Startup {
    QList<double> ms;
    QList<double> residentKiB;
    int widgets = 0;
};
std::pair<Startup, Startup> measureStartup(int runs);
void printStartup(const Startup &tavik, const Startup &reference);

// --- polling a motor: memory growth, CPU, frame spacing ------------------
struct Soak {
    double minutes = 0;
    double tavikCpuMsPerMin = 0, referenceCpuMsPerMin = 0;
    // Resident memory at the start, then growth in the first minute (the
    // heap settling) and in the minutes after it (a leak would show here).
    qint64 tavikStartKiB = 0, tavikFirstMinuteKiB = 0, tavikLaterKiB = 0, referenceGrowthKiB = 0;
    QList<double> spacingMs;
};
Soak measureSoak(int minutes);
// Frame spacing at the motor while the bus monitor is open; empty when this
// build has no bus monitor.
QList<double> measureMonitorSpacing(int minutes);
void printPolling(const Soak &soak, const QList<double> &monitorSpacing);

// --- press to first byte ---------------------------------------------------
QList<double> measurePresses(int count);
void printPresses(const QList<double> &delays);

// --- a stream of status answers ----------------------------------------------
struct Flood {
    double offeredPerS = 0, understoodShare = 0, longestGapMs = 0;
    int shown = -1, newest = -1;
};
Flood measureFlood(int seconds);
void printFlood(const Flood &flood);

// --- tavik-cli against the protocol's floor ----------------------------------
// Wall time of each run and the ticks its exchange took on the wire (from
// the first frame to the last, both counted), the median of each.
struct CliRun {
    QList<double> wallMs, ticks;
    QString frames; // the function bytes of one run, in order
    QString failure; // how a run failed, if one did
};
bool haveCli();
CliRun measureCli(const QStringList &command, int runs);
void printCli(const QString &command, const CliRun &r);

// --- tavik-cli scan --all on a line of many motors (DriverInventory.cpp) -------
struct InventoryRun {
    int lastId = 0, motors = 0, found = 0;
    double wallS = 0;
    QString failure;
};
bool haveInventory();
InventoryRun measureInventory(int lastId, const QList<int> &motorIds);
void printInventory(const InventoryRun &r, double goalS);

// --- instructions per status-poll cycle under callgrind (DriverInstructions.cpp)
struct InstructionRun {
    int cycles = 0;
    double tavik = -1, yardstick = -1; // instructions per cycle; negative when a run failed
};
bool haveValgrind();
InstructionRun measureInstructions(int cycles);
void printInstructions(const InstructionRun &r);

} // namespace Bench
