// Starts Tavik, the reference program, the simulated motor and the host in
// turn, measures each pair side by side in this one run, and prints a
// Markdown table.  Knobs (environment): BENCH_RUNS (start-ups of each
// program, default 15), BENCH_SOAK_MINUTES (polling, 10), BENCH_PRESSES (100),
// BENCH_FLOOD_SECONDS (60).
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
    const QStringList refArgs {QString::number(warm.widgets)};
    startOnce(warm, QStringLiteral(REFERENCE_BIN), refArgs);
    for (int i = 0; i < runs; ++i) {
        startOnce(tavik, QStringLiteral(TAVIK_BIN), {});
        startOnce(reference, QStringLiteral(REFERENCE_BIN), refArgs);
    }
    return {tavik, reference};
}

std::unique_ptr<Child> startMotor(const QStringList &extra)
{
    QFile::remove(kLink);
    auto motor = std::make_unique<Child>(QCoreApplication::applicationFilePath(),
                                         QStringList {QStringLiteral("motor"), QStringLiteral("--link"), kLink} + extra);
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

Soak measureSoak(int minutes, int widgets)
{
    progress(QStringLiteral("polling a simulated motor for %1 min").arg(minutes));
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("3")});
    auto host = startHost({QStringLiteral("idle")});
    Child reference(QStringLiteral(REFERENCE_BIN), {QString::number(widgets)});
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

struct Flood {
    double offeredPerS = 0, understoodPerS = 0, longestGapMs = 0;
};

Flood measureFlood(int seconds)
{
    progress(QStringLiteral("status answers flooding at 19200 baud for %1 s").arg(seconds));
    auto motor = startMotor({QStringLiteral("--baud"), QStringLiteral("4"), QStringLiteral("--chatter")});
    auto host = startHost({QStringLiteral("flood"), QStringLiteral("--seconds"), QString::number(seconds)});
    const QByteArray result = host->waitFor("understood", seconds * 1000 + 30000);
    Flood f;
    f.understoodPerS = field(result, 1).toDouble() / field(result, 3).toDouble();
    f.longestGapMs = field(result, 5).toDouble() / 1000;
    const QList<QByteArray> sent = motor->linesStarting("chatter ");
    if (sent.size() >= 2) {
        const double s = double(field(sent.back(), 1).toLongLong() - field(sent.front(), 1).toLongLong()) / 1e9;
        f.offeredPerS = (field(sent.back(), 2).toDouble() - field(sent.front(), 2).toDouble()) / s;
    }
    return f;
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

void row(const QString &measure, const QString &tavik, const QString &reference, const QString &verdict)
{
    std::printf("| %s | %s | %s | %s |\n", qPrintable(measure), qPrintable(tavik), qPrintable(reference),
                qPrintable(verdict));
}

} // namespace

int runDriver()
{
    const auto [tavik, reference] = measureStartup(knob("BENCH_RUNS", 15));
    const Soak soak = measureSoak(knob("BENCH_SOAK_MINUTES", 10), tavik.widgets);
    const QList<double> delays = measurePresses(knob("BENCH_PRESSES", 100));
    const Flood flood = measureFlood(knob("BENCH_FLOOD_SECONDS", 60));
    QFile::remove(kLink);

    using namespace Measure;
    const double startTavik = median(tavik.ms), startRef = median(reference.ms);
    const double rssTavik = median(tavik.residentKiB) / 1024, rssRef = median(reference.residentKiB) / 1024;
    const double tick = 150;
    std::printf("\nTavik benchmark, %s, Qt %s, %s, %s, %d cores, under Xvfb\n\n",
                qPrintable(QDate::currentDate().toString(Qt::ISODate)), qVersion(), qPrintable(cpuModel()),
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount());
    row(QStringLiteral("Measure"), QStringLiteral("Tavik"), QStringLiteral("Reference"), QStringLiteral("Result"));
    row(QStringLiteral("---"), QStringLiteral("---"), QStringLiteral("---"), QStringLiteral("---"));
    row(QStringLiteral("Start-up to first paint, median of %1 (ms)").arg(tavik.ms.size()), num(startTavik),
        num(startRef) + QStringLiteral(" (%1 widgets)").arg(reference.widgets),
        QStringLiteral("ratio %1").arg(num(startTavik / startRef, 2)));
    row(QStringLiteral("Resident memory after start-up (MiB)"), num(rssTavik), num(rssRef),
        QStringLiteral("ratio %1").arg(num(rssTavik / rssRef, 2)));
    row(QStringLiteral("Memory growth while polling %1 min: first minute / after it (KiB)").arg(num(soak.minutes, 0)),
        QStringLiteral("%1 / %2 from %3 MiB")
            .arg(soak.tavikFirstMinuteKiB)
            .arg(soak.tavikLaterKiB)
            .arg(num(double(soak.tavikStartKiB) / 1024)),
        QString::number(soak.referenceGrowthKiB) + QStringLiteral(" (idle)"),
        soak.tavikLaterKiB <= 8 ? QStringLiteral("none after the first minute") : QStringLiteral("GROWS"));
    const double load = soak.tavikCpuMsPerMin / 600; // % of one core: ms per 60000 ms
    row(QStringLiteral("CPU while polling, per minute (ms)"),
        num(soak.tavikCpuMsPerMin) + QStringLiteral(" = %1 % of a core").arg(num(load, 2)),
        num(soak.referenceCpuMsPerMin) + QStringLiteral(" (idle)"),
        load < 0.5 ? QStringLiteral("under 0.5 %") : QStringLiteral("OVER 0.5 %"));
    const double devMs = maxAbsDeviation(soak.spacingMs, tick);
    row(QStringLiteral("Frame spacing at the motor, %1 frames: median / p99 (ms)").arg(soak.spacingMs.size()),
        num(median(soak.spacingMs), 2) + QStringLiteral(" / ") + num(quantile(soak.spacingMs, 0.99), 2),
        QStringLiteral("150"), QStringLiteral("max deviation %1 ms").arg(num(devMs, 2)));
    // A press is sent at the next tick, so its delay spreads evenly over one
    // tick; beyond that only the write's own latency may add.
    const double slowest = quantile(delays, 1.0);
    row(QStringLiteral("Press to first byte, %1 presses: median / p99 / max (ms)").arg(delays.size()),
        num(median(delays)) + QStringLiteral(" / ") + num(quantile(delays, 0.99)) + QStringLiteral(" / ") +
            num(slowest),
        QStringLiteral("bound 150"),
        slowest <= tick + 5 ? QStringLiteral("within one tick (+ %1 ms)").arg(num(std::max(0.0, slowest - tick)))
                            : QStringLiteral("OVER one tick"));
    row(QStringLiteral("Status flood at 19200 baud: frames understood per second"), num(flood.understoodPerS),
        num(flood.offeredPerS) + QStringLiteral(" offered"),
        QStringLiteral("longest event-loop gap %1 ms").arg(num(flood.longestGapMs)));
    return 0;
}
