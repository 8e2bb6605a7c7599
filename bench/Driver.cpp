// Starts Tavik, the reference program, the simulated motor, the host and
// tavik-cli in turn, measures each pair side by side in this one run, and
// prints a Markdown table: every goal with Tavik's figure, its yardstick's
// and whether it is met.  Knobs (environment): BENCH_RUNS (start-ups of each
// program, default 15), BENCH_SOAK_MINUTES (polling, 10),
// BENCH_MONITOR_MINUTES (polling with the bus monitor open, 2),
// BENCH_PRESSES (100), BENCH_FLOOD_SECONDS (60), BENCH_CLI_RUNS (5).
#include "Measure.h"
#include "Roles.h"

#include <QCoreApplication>
#include <QDate>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#include <climits>
#include <cstdio>
#include <memory>

using Measure::nowNs;

namespace {

const QString kLink = QStringLiteral("/tmp/tavik-bench-bus");
const QString kFloorLink = QStringLiteral("/tmp/tavik-bench-floor-bus"); // the polling yardstick's motor

int knob(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

void progress(const QString &text)
{
    std::fprintf(stderr, "-- %s\n", qPrintable(text));
}

// A child process whose output lines are collected as they come.
class Child {
public:
    Child(const QString &program, const QStringList &args, bool probe = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (probe)
            env.insert(QStringLiteral("TAVIK_STARTUP_PROBE"), QStringLiteral("1"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            while (m_process.canReadLine())
                lines.append(m_process.readLine().trimmed());
        });
        m_process.start(program, args);
    }
    ~Child() { stop(); }

    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }

    // The first line starting with prefix, waiting up to timeoutMs for it.
    QByteArray waitFor(const QByteArray &prefix, int timeoutMs = 30000)
    {
        // Woken by output, not by a timer: a busy driver would take CPU from
        // the processes it measures.
        QEventLoop loop;
        const auto check = [&] {
            if (find(prefix) || !running())
                loop.quit();
        };
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &loop, check);
        QObject::connect(&m_process, &QProcess::finished, &loop, check);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        if (!find(prefix))
            loop.exec();
        const QByteArray *line = find(prefix);
        if (!line)
            qFatal("no \"%s\" from %s", prefix.constData(), qPrintable(m_process.program()));
        return *line;
    }

    QList<QByteArray> linesStarting(const QByteArray &prefix) const
    {
        QList<QByteArray> found;
        for (const QByteArray &l : lines)
            if (l.startsWith(prefix))
                found.append(l);
        return found;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    QList<QByteArray> lines;

private:
    const QByteArray *find(const QByteArray &prefix) const
    {
        for (const QByteArray &l : lines)
            if (l.startsWith(prefix))
                return &l;
        return nullptr;
    }

    QProcess m_process;
};

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray field(const QByteArray &line, int n)
{
    return line.split(' ').value(n);
}

struct Startup {
    QList<double> ms;
    QList<double> residentKiB;
    int widgets = 0;
};

struct Goal {
    QString measure, tavik, yardstick, goal;
    bool met;
};

void startOnce(Startup &into, const QString &program, const QStringList &args)
{
    const qint64 t0 = nowNs();
    Child c(program, args, true);
    const QByteArray line = c.waitFor("first-paint");
    into.ms.append(double(field(line, 1).toLongLong() - t0) / 1e6);
    into.widgets = field(line, 3).toInt();
    into.residentKiB.append(double(Measure::residentKiB(c.pid())));
}

// Alternating runs, after one unmeasured run of each to warm the caches.
std::pair<Startup, Startup> measureStartup(int runs)
{
    progress(QStringLiteral("start-up, %1 runs of each program").arg(runs));
    Startup tavik, reference, warm;
    startOnce(warm, QStringLiteral(TAVIK_BIN), {});
    startOnce(warm, QStringLiteral(REFERENCE_BIN), {});
    for (int i = 0; i < runs; ++i) {
        startOnce(tavik, QStringLiteral(TAVIK_BIN), {});
        startOnce(reference, QStringLiteral(REFERENCE_BIN), {});
    }
    return {tavik, reference};
}

std::unique_ptr<Child> startMotor(const QStringList &extra, const QString &link = kLink)
{
    QFile::remove(link);
    auto motor = std::make_unique<Child>(QCoreApplication::applicationFilePath(),
                                         QStringList {QStringLiteral("motor"), QStringLiteral("--link"), link} + extra);
    motor->waitFor("/");
    return motor;
}

std::unique_ptr<Child> startHost(const QStringList &args)
{
    auto host = std::make_unique<Child>(QCoreApplication::applicationFilePath(),
                                        QStringList {QStringLiteral("host")} + args +
                                            QStringList {QStringLiteral("--port"), kLink});
    host->waitFor("ready");
    return host;
}

// Arrival times (ns) of the frames whose function byte is function, or of
// all frames for -1, between from and to.
QList<qint64> frameTimes(const Child &motor, int function, qint64 from = 0, qint64 to = LLONG_MAX)
{
    QList<qint64> times;
    for (const QByteArray &l : motor.linesStarting("frame ")) {
        const qint64 t = field(l, 1).toLongLong();
        const QByteArray bytes = QByteArray::fromHex(field(l, 2));
        if (t >= from && t <= to && bytes.size() == 7 && (function < 0 || quint8(bytes[4]) == function))
            times.append(t);
    }
    return times;
}

struct Soak {
    double minutes = 0;
    double tavikCpuMsPerMin = 0, referenceCpuMsPerMin = 0;
    // Resident memory at the start, then growth in the first minute (the
    // heap settling) and in the minutes after it (a leak would show here).
    qint64 tavikStartKiB = 0, tavikFirstMinuteKiB = 0, tavikLaterKiB = 0, referenceGrowthKiB = 0;
    QList<double> spacingMs;
};

Soak measureSoak(int minutes)
{
    progress(QStringLiteral("polling a simulated motor for %1 min").arg(minutes));
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    auto host = startHost({QStringLiteral("idle")});
    // The yardstick polls a motor of its own, as Tavik does, and does nothing else.
    auto floorMotor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")}, kFloorLink);
    Child reference(QStringLiteral(FLOOR_BIN), {kFloorLink});
    runFor(10000); // past the scan and the first paints
    const qint64 t0 = nowNs();
    const double cpu0 = Measure::cpuMs(host->pid()), refCpu0 = Measure::cpuMs(reference.pid());
    const qint64 rss0 = Measure::residentKiB(host->pid()), refRss0 = Measure::residentKiB(reference.pid());
    qint64 rss1 = rss0;
    for (int m = 0; m < minutes; ++m) {
        runFor(60000);
        const qint64 rss = Measure::residentKiB(host->pid());
        if (m == 0)
            rss1 = rss;
        progress(QStringLiteral("  minute %1: %2 KiB resident, %3 ms CPU")
                     .arg(m + 1)
                     .arg(rss)
                     .arg(Measure::cpuMs(host->pid()) - cpu0));
    }
    Soak r;
    r.minutes = double(nowNs() - t0) / 60e9;
    r.tavikCpuMsPerMin = (Measure::cpuMs(host->pid()) - cpu0) / r.minutes;
    r.referenceCpuMsPerMin = (Measure::cpuMs(reference.pid()) - refCpu0) / r.minutes;
    r.tavikStartKiB = rss0;
    r.tavikFirstMinuteKiB = rss1 - rss0;
    r.tavikLaterKiB = Measure::residentKiB(host->pid()) - rss1;
    r.referenceGrowthKiB = Measure::residentKiB(reference.pid()) - refRss0;
    const QList<qint64> polls = frameTimes(*motor, -1, t0);
    for (qsizetype i = 1; i < polls.size(); ++i)
        r.spacingMs.append(double(polls[i] - polls[i - 1]) / 1e6);
    return r;
}

QList<double> measurePresses(int count)
{
    progress(QStringLiteral("%1 presses of the stop button").arg(count));
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    auto host = startHost({QStringLiteral("press"), QStringLiteral("--count"), QString::number(count)});
    host->waitFor("done", count * 2000);
    runFor(500);
    const QList<qint64> commands = frameTimes(*motor, 0x0A);
    QList<double> delays;
    for (const QByteArray &p : host->linesStarting("press ")) {
        const qint64 pressed = field(p, 1).toLongLong();
        const auto first = std::find_if(commands.begin(), commands.end(), [&](qint64 t) { return t >= pressed; });
        if (first != commands.end())
            delays.append(double(*first - pressed) / 1e6);
    }
    return delays;
}

// Frame spacing at the motor while the bus monitor is open; empty when this
// build has no bus monitor.
QList<double> measureMonitorSpacing(int minutes)
{
    progress(QStringLiteral("polling with the bus monitor open for %1 min").arg(minutes));
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    auto host = startHost({QStringLiteral("idle"), QStringLiteral("--monitor")});
    if (host->linesStarting("monitor absent").size() > 0)
        return {};
    runFor(2000);
    const qint64 t0 = nowNs();
    runFor(minutes * 60000);
    const QList<qint64> polls = frameTimes(*motor, -1, t0);
    QList<double> spacing;
    for (qsizetype i = 1; i < polls.size(); ++i)
        spacing.append(double(polls[i] - polls[i - 1]) / 1e6);
    return spacing;
}

struct Flood {
    double offeredPerS = 0, understoodShare = 0, longestGapMs = 0;
    int shown = -1, newest = -1;
};

// Answers the motor had sent (stream and poll answers) at time t, from its
// once-a-second counts.
double answersAt(const QList<QByteArray> &counts, qint64 t)
{
    for (qsizetype i = 1; i < counts.size(); ++i) {
        const qint64 t0 = field(counts[i - 1], 1).toLongLong(), t1 = field(counts[i], 1).toLongLong();
        if (t < t0 || t > t1)
            continue;
        const double n0 = field(counts[i - 1], 2).toDouble() + field(counts[i - 1], 3).toDouble();
        const double n1 = field(counts[i], 2).toDouble() + field(counts[i], 3).toDouble();
        return n0 + (n1 - n0) * double(t - t0) / double(t1 - t0);
    }
    return -1;
}

Flood measureFlood(int seconds)
{
    progress(QStringLiteral("status answers streaming at 19200 baud for %1 s").arg(seconds));
    // The stream outlasts the host's window, which opens 2 s after the scan.
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("4"), QStringLiteral("--chatter"),
                             QString::number(seconds + 4)});
    auto host = startHost({QStringLiteral("flood"), QStringLiteral("--seconds"), QString::number(seconds),
                           QStringLiteral("--settle"), QStringLiteral("5")});
    const QByteArray window = host->waitFor("window", seconds * 1000 + 30000);
    const QByteArray shown = host->waitFor("shown", 30000);
    Flood f;
    const qint64 from = field(window, 1).toLongLong(), to = field(window, 2).toLongLong();
    const QList<QByteArray> counts = motor->linesStarting("chatter ");
    const double offered = answersAt(counts, to) - answersAt(counts, from);
    f.offeredPerS = offered / (double(to - from) / 1e9);
    f.understoodShare = offered > 0 ? field(window, 4).toDouble() / offered : 0;
    f.longestGapMs = field(window, 6).toDouble() / 1000;
    f.shown = field(shown, 1).toInt();
    f.newest = field(motor->waitFor("chatter-end"), 2).toInt();
    return f;
}

// tavik-cli against the simulated motor: wall time of each run and the ticks
// its exchange took on the wire (from the first frame to the last, both
// counted), the median of each.
struct CliRun {
    QList<double> wallMs, ticks;
    QString frames; // the function bytes of one run, in order
    QString failure; // how a run failed, if one did
};

CliRun measureCli(const QStringList &command, int runs)
{
    progress(QStringLiteral("tavik-cli %1, %2 runs").arg(command.join(u' ')).arg(runs));
    CliRun r;
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    for (int i = 0; i < runs; ++i) {
        QProcess cli;
        cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 t0 = nowNs();
        cli.start(QStringLiteral(CLI_BIN), QStringList {QStringLiteral("--port"), kLink, QStringLiteral("--baud"),
                                                        QStringLiteral("9600")} + command);
        // Woken by the end of the process, as the driver's other waits.
        QEventLoop loop;
        QObject::connect(&cli, &QProcess::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        if (cli.state() != QProcess::NotRunning)
            loop.exec();
        const qint64 t1 = nowNs();
        if (cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0) {
            r.failure = QStringLiteral("failed (exit %1)").arg(cli.exitCode());
            return r;
        }
        QList<QByteArray> sent;
        QList<qint64> times;
        for (const QByteArray &l : motor->linesStarting("frame ")) {
            const qint64 t = field(l, 1).toLongLong();
            if (t >= t0 && t <= t1) {
                times.append(t);
                sent.append(QByteArray::fromHex(field(l, 2)).mid(4, 1).toHex().toUpper());
            }
        }
        if (times.isEmpty()) {
            r.failure = QStringLiteral("sent nothing");
            return r;
        }
        r.wallMs.append(double(t1 - t0) / 1e6);
        r.ticks.append(std::round(double(times.back() - times.front()) / 150e6) + 1);
        r.frames = QString::fromLatin1(sent.join(' '));
        runFor(500); // the motor's last answer is read before the next run
    }
    return r;
}

QString cpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    return QStringLiteral("unknown CPU");
}

QString num(double v, int decimals = 1)
{
    return QString::number(v, 'f', decimals);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("NOT MET");
}

void row(const QString &measure, const QString &tavik, const QString &yardstick, const QString &goal,
         const QString &result)
{
    std::printf("| %s | %s | %s | %s | %s |\n", qPrintable(measure), qPrintable(tavik), qPrintable(yardstick),
                qPrintable(goal), qPrintable(result));
}

} // namespace

int runDriver()
{
    using namespace Measure;
    const double tick = 150;
    const auto [tavik, reference] = measureStartup(knob("BENCH_RUNS", 15));
    const Soak soak = measureSoak(knob("BENCH_SOAK_MINUTES", 10));
    const QList<double> monitorSpacing = measureMonitorSpacing(knob("BENCH_MONITOR_MINUTES", 2));
    const QList<double> delays = measurePresses(knob("BENCH_PRESSES", 100));
    const Flood flood = measureFlood(knob("BENCH_FLOOD_SECONDS", 60));
    const bool haveCli = QFile::exists(QStringLiteral(CLI_BIN));
    CliRun cliRead, cliSet;
    if (haveCli) {
        cliRead = measureCli({QStringLiteral("read")}, knob("BENCH_CLI_RUNS", 5));
        cliSet = measureCli({QStringLiteral("set"), QStringLiteral("speed"), QStringLiteral("100")},
                            knob("BENCH_CLI_RUNS", 5));
    }
    QFile::remove(kLink);

    std::printf("\nTavik benchmark, %s, Qt %s, %s, %s, %d cores, under Xvfb\n\n",
                qPrintable(QDate::currentDate().toString(Qt::ISODate)), qVersion(), qPrintable(cpuModel()),
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount());
    row(QStringLiteral("Measure"), QStringLiteral("Tavik"), QStringLiteral("Reference"), QStringLiteral("Goal"),
        QStringLiteral("Result"));
    row(QStringLiteral("---"), QStringLiteral("---"), QStringLiteral("---"), QStringLiteral("---"),
        QStringLiteral("---"));

    const double startTavik = median(tavik.ms), startRef = median(reference.ms);
    row(QStringLiteral("Start-up to first paint, median of %1 (ms)").arg(tavik.ms.size()), num(startTavik),
        num(startRef), QStringLiteral("≤ 1.3 × reference"),
        QStringLiteral("ratio %1, %2").arg(num(startTavik / startRef, 2), verdict(startTavik <= 1.3 * startRef)));
    const double rssTavik = median(tavik.residentKiB) / 1024, rssRef = median(reference.residentKiB) / 1024;
    row(QStringLiteral("Resident memory after start-up (MiB)"), num(rssTavik), num(rssRef),
        QStringLiteral("≤ 1.3 × reference"),
        QStringLiteral("ratio %1, %2").arg(num(rssTavik / rssRef, 2), verdict(rssTavik <= 1.3 * rssRef)));
    row(QStringLiteral("Memory growth while polling %1 min: first minute / after it (KiB)").arg(num(soak.minutes, 0)),
        QStringLiteral("%1 / %2 from %3 MiB")
            .arg(soak.tavikFirstMinuteKiB)
            .arg(soak.tavikLaterKiB)
            .arg(num(double(soak.tavikStartKiB) / 1024)),
        QString::number(soak.referenceGrowthKiB) + QStringLiteral(" (polling yardstick)"),
        QStringLiteral("no growth after the first minute"), verdict(soak.tavikLaterKiB <= 8));
    const double load = soak.tavikCpuMsPerMin / 600; // % of one core: ms per 60000 ms
    row(QStringLiteral("CPU while polling one motor (% of a core)"),
        num(load, 3) + QStringLiteral(" (%1 ms a minute)").arg(num(soak.tavikCpuMsPerMin)),
        num(soak.referenceCpuMsPerMin / 600, 3) + QStringLiteral(" (the protocol's work alone)"), QStringLiteral("≤ 0.15 %"),
        verdict(load <= 0.15));
    // 99 % of the spacings lie within 150 ± 3 ms.
    const auto spacingRow = [&](const QString &when, const QList<double> &spacing) {
        QList<double> deviation;
        for (double ms : spacing)
            deviation.append(std::abs(ms - tick));
        const double p99 = quantile(deviation, 0.99);
        row(QStringLiteral("Frame spacing at the wire, %1, %2 frames: median / p99 of the deviation (ms)")
                .arg(when)
                .arg(spacing.size()),
            num(median(spacing), 2) + QStringLiteral(" / ± ") + num(p99, 2), QStringLiteral("tick 150"),
            QStringLiteral("p99 within 150 ± 3"), verdict(!spacing.isEmpty() && p99 <= 3));
    };
    spacingRow(QStringLiteral("bus monitor closed"), soak.spacingMs);
    if (monitorSpacing.isEmpty())
        row(QStringLiteral("Frame spacing at the wire, bus monitor open"), QStringLiteral("no bus monitor in this build"),
            QStringLiteral("tick 150"), QStringLiteral("p99 within 150 ± 3"), QStringLiteral("not measured"));
    else
        spacingRow(QStringLiteral("bus monitor open"), monitorSpacing);
    const double slowest = quantile(delays, 1.0);
    row(QStringLiteral("Press to first byte, %1 presses: median / p99 / max (ms)").arg(delays.size()),
        num(median(delays)) + QStringLiteral(" / ") + num(quantile(delays, 0.99)) + QStringLiteral(" / ") +
            num(slowest),
        QStringLiteral("tick 150"), QStringLiteral("within one tick (+ 5)"), verdict(slowest <= tick + 5));
    row(QStringLiteral("Status answers streaming at 19200 baud: share understood"),
        num(100 * flood.understoodShare, 2) + QStringLiteral(" %"),
        num(flood.offeredPerS) + QStringLiteral(" answers/s offered"), QStringLiteral("≥ 99 %"),
        verdict(flood.understoodShare >= 0.99));
    row(QStringLiteral("Same stream: position shown once it ends (%)"), QString::number(flood.shown),
        QString::number(flood.newest) + QStringLiteral(" (the newest)"), QStringLiteral("the newest"),
        verdict(flood.shown == flood.newest));
    row(QStringLiteral("Same stream: longest event-loop pause (ms)"), num(flood.longestGapMs),
        QStringLiteral("tick 150"), QStringLiteral("under one tick"), verdict(flood.longestGapMs < tick));
    const auto cliRow = [&](const QString &command, const CliRun &r) {
        if (!haveCli || !r.failure.isEmpty()) {
            row(QStringLiteral("`tavik-cli %1` wall time (ms)").arg(command),
                haveCli ? r.failure : QStringLiteral("no tavik-cli in this build"), QStringLiteral("ticks × 150"),
                QStringLiteral("within one tick of the floor"), QStringLiteral("not measured"));
            return;
        }
        const double wall = median(r.wallMs), floor = median(r.ticks) * tick;
        row(QStringLiteral("`tavik-cli %1` wall time, median of %2 (ms)").arg(command).arg(r.wallMs.size()), num(wall),
            QStringLiteral("floor %1 = %2 ticks × 150 (frames %3)").arg(num(floor, 0), num(median(r.ticks), 0), r.frames),
            QStringLiteral("within one tick of the floor"),
            QStringLiteral("+ %1 ms, %2").arg(num(wall - floor), verdict(wall <= floor + tick)));
    };
    cliRow(QStringLiteral("--baud 9600 read"), cliRead);
    cliRow(QStringLiteral("--baud 9600 set speed 100"), cliSet);
    return 0;
}
