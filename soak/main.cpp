// tavik-soak: the motor link against a misbehaving simulated bus for a long
// time.  Starts tavik-motor-sim in chaos mode (and a second, quiet one as a
// port nobody aims at), drives the real MotorLink on the real serial
// component with a random mix of scans, reads, setting writes and motor
// commands, and checks from the simulator's own log and the link's signals:
// no hang (every command ends within its protocol bound), no write reported
// confirmed that the motor did not keep, no frame to the other port and none
// while the port is lost, the next command after a re-plug works, memory flat.
// Prints a summary table at the end.  A tool, not a test: scripts/soak.sh.
#include "Measure.h"
#include "MotorLink.h"
#include "MotorSettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>
#include <QTimer>

#include <cstdio>

namespace {

// The simulator's chaos log, read as it grows: what the motor holds now.
class ChaosLog {
public:
    explicit ChaosLog(const QString &path) : m_file(path) {}
    void catchUp()
    {
        if (!m_file.isOpen() && !m_file.open(QIODevice::ReadOnly))
            return;
        m_partial += m_file.readAll();
        qsizetype end;
        while ((end = m_partial.indexOf('\n')) >= 0) {
            take(m_partial.left(end));
            m_partial.remove(0, end + 1);
        }
    }
    // The value the motor's memory holds for a write function (-1: unknown).
    int held(Byte function) const { return m_memory.value(function, -1); }
    QMap<QByteArray, int> phases;
    int floods = 0, unplugs = 0, replugs = 0, kept = 0, ignored = 0, frames = 0;

private:
    void take(const QByteArray &line)
    {
        const QList<QByteArray> w = line.split(' ');
        if (w.size() < 2)
            return;
        const QByteArray &event = w[1];
        if (event == "phase" && w.size() >= 3) {
            for (const QByteArray &kind : w[2].split(','))
                ++phases[kind];
        } else if (event == "flood") {
            ++floods;
        } else if (event == "unplug") {
            ++unplugs;
        } else if (event == "replug") {
            ++replugs;
        } else if (event == "frame") {
            ++frames;
        } else if (event == "write" && w.size() >= 6) {
            ++(w[5] == "kept" ? kept : ignored);
            for (const QByteArray &field : w.mid(6)) {
                const qsizetype eq = field.indexOf('=');
                bool ok = false;
                const uint function = field.left(eq).toUInt(&ok, 16);
                if (ok && eq == 2)
                    m_memory[Byte(function)] = field.mid(eq + 1).toInt();
            }
        }
    }
    QFile m_file;
    QByteArray m_partial;
    QMap<Byte, int> m_memory;
};

class Soak : public QObject {
public:
    Soak(const QString &simPath, const QString &dir, int minutes, quint32 seed, const QString &replug)
        : m_simPath(simPath), m_dir(dir), m_replug(replug), m_minutes(minutes), m_rng(seed), m_seed(seed),
          m_log(QDir(dir).filePath(QStringLiteral("chaos.log")))
    {
    }

    bool start();

private:
    enum class Kind { Scan, Read, Write, Motor };
    struct Command {
        Kind kind = Kind::Scan;
        Settings::Item item {};
        Byte value = 0;
        Byte function = 0;
        int sends = 0;
        int boundTicks = 0;
        int ticks = 0;
        bool active = false;
        bool afterReplug = false;
        bool scanAnswered = false; // its basic report came: its extended read ends it
    };

    void next();
    void finish(const char *outcome);
    void onTick();
    void choosePort();
    void report();
    QString busPath() const { return QDir(m_dir).filePath(QStringLiteral("bus")); }

    QString m_simPath, m_dir, m_replug;
    int m_minutes;
    QRandomGenerator m_rng;
    quint32 m_seed;
    ChaosLog m_log;
    QProcess m_sim, m_decoy;
    MotorLink m_link;
    Command m_cmd;
    QElapsedTimer m_clock;
    QTimer m_gap, m_retryPort, m_memory;
    bool m_portLost = false;
    bool m_nextAfterReplug = false;

    QMap<QString, int> m_commands; // by kind
    QMap<QString, int> m_outcomes; // "write confirmed", "scan answered", ...
    int m_wronglyConfirmed = 0, m_hangs = 0, m_framesWhileLost = 0, m_decoyFrames = 0, m_simCrashes = 0;
    int m_replugsRecovered = 0, m_afterReplugWorked = 0, m_afterReplugTried = 0, m_portErrors = 0;
    qint64 m_rssAt2Min = 0, m_rssPeak = 0, m_rssLast = 0, m_simRssPeak = 0;
};

bool Soak::start()
{
    const QString bus = busPath();
    m_sim.setProgram(m_simPath);
    m_sim.setArguments(
        {QStringLiteral("--link"), bus, QStringLiteral("--chaos"), QStringLiteral("--seed"), QString::number(m_seed),
         QStringLiteral("--chaos-log"), QDir(m_dir).filePath(QStringLiteral("chaos.log")), QStringLiteral("--motor"),
         QStringLiteral("1:1"), QStringLiteral("--baud"), QStringLiteral("1"), QStringLiteral("--replug-s"), m_replug});
    m_sim.setStandardOutputFile(QDir(m_dir).filePath(QStringLiteral("sim.out")));
    m_sim.start();
    m_decoy.setProgram(m_simPath);
    m_decoy.setArguments({QStringLiteral("--link"), QDir(m_dir).filePath(QStringLiteral("decoy")),
                          QStringLiteral("--motor"), QStringLiteral("1:1")});
    m_decoy.start();
    if (!m_sim.waitForStarted() || !m_decoy.waitForStarted())
        return false;
    // Any line after the decoy's path is a frame that reached the wrong port.
    connect(&m_decoy, &QProcess::readyReadStandardOutput, this, [this] {
        static bool first = true;
        while (m_decoy.canReadLine()) {
            m_decoy.readLine();
            if (!std::exchange(first, false))
                ++m_decoyFrames;
        }
    });
    connect(&m_sim, &QProcess::finished, this, [this] { ++m_simCrashes; });
    for (int i = 0; i < 100 && !QFile::exists(bus); ++i)
        QThread::msleep(50);

    connect(&m_link, &MotorLink::frameSent, this, [this](const QByteArray &bytes) {
        if (m_portLost)
            ++m_framesWhileLost;
        if (m_cmd.active && m_cmd.kind == Kind::Motor && quint8(bytes[Frame::Function]) == m_cmd.function)
            ++m_cmd.sends;
    });
    // A scan's report: the motor found is then read by name for its
    // extended settings, and the scan ends with that read's result.
    connect(&m_link, &MotorLink::basicReport, this, [this](const SettingsReport &report) {
        if (!m_cmd.active || m_cmd.kind != Kind::Scan || m_cmd.scanAnswered)
            return;
        m_cmd.scanAnswered = true;
        m_link.skipExtendedRead();
        m_link.read({report.from, Frame::ReadExtended});
    });
    connect(&m_link, &MotorLink::scanEnded, this, [this](MotorLink::ScanEnd end) {
        if (m_cmd.active && m_cmd.kind == Kind::Scan && end != MotorLink::ScanEnd::MotorAnswered)
            finish("no answer");
    });
    connect(&m_link, &MotorLink::readDone, this, [this](const ReadResult &result) {
        if (result.outcome == ReadResult::Outcome::Canceled || !m_cmd.active)
            return; // the port's loss ends the command
        if (m_cmd.kind == Kind::Scan)
            finish("answered"); // the scan found the motor, whatever its extended read gave
        else if (m_cmd.kind == Kind::Read)
            finish(result.read() ? "answered" : "no answer");
    });
    connect(&m_link, &MotorLink::writeDone, this, [this](const WriteResult &result) {
        if (!m_cmd.active || m_cmd.kind != Kind::Write || result.request.item != m_cmd.item)
            return;
        switch (result.outcome) {
        case WriteResult::Outcome::Confirmed:
            m_log.catchUp();
            if (m_log.held(Settings::row(result.request.item)->function) != m_cmd.value)
                ++m_wronglyConfirmed;
            return finish("confirmed");
        case WriteResult::Outcome::NotConfirmed: return finish("failed");
        case WriteResult::Outcome::Refused: return finish("refused");
        case WriteResult::Outcome::Canceled: return; // the port's loss ends the command
        }
    });
    connect(&m_link, &MotorLink::portLost, this, [this] {
        m_portLost = true;
        if (m_cmd.active)
            finish("port lost");
        m_gap.stop();
        m_retryPort.start(500);
    });
    connect(&m_link, &MotorLink::portError, this, [this] { ++m_portErrors; });
    connect(&m_link, &MotorLink::ticked, this, &Soak::onTick);

    m_gap.setSingleShot(true);
    connect(&m_gap, &QTimer::timeout, this, &Soak::next);
    connect(&m_retryPort, &QTimer::timeout, this, &Soak::choosePort);
    connect(&m_memory, &QTimer::timeout, this, [this] {
        m_rssLast = Measure::residentKiB(QCoreApplication::applicationPid());
        m_rssPeak = std::max(m_rssPeak, m_rssLast);
        if (m_rssAt2Min == 0 && m_clock.elapsed() >= 120000)
            m_rssAt2Min = m_rssLast;
        m_simRssPeak = std::max(m_simRssPeak, Measure::residentKiB(m_sim.processId()));
        m_log.catchUp();
        if (m_clock.elapsed() >= qint64(m_minutes) * 60000) {
            report();
            QCoreApplication::exit(
                m_wronglyConfirmed || m_hangs || m_framesWhileLost || m_decoyFrames || m_simCrashes ? 1 : 0);
        }
    });
    m_clock.start();
    m_memory.start(1000);
    m_link.setTarget({1, ChannelMask {{0x01, 0x00}}});
    m_link.tickTimer().start();
    choosePort();
    return true;
}

void Soak::choosePort()
{
    if (!QFile::exists(busPath()))
        return; // the adapter is still out
    if (!m_link.choosePort(busPath(), true))
        return; // try again at the next retry
    m_retryPort.stop();
    if (m_portLost) {
        ++m_replugsRecovered;
        m_nextAfterReplug = true;
    }
    m_portLost = false;
    m_gap.start(int(m_rng.bounded(1000)));
}

void Soak::next()
{
    if (m_portLost || m_cmd.active)
        return;
    // One command at a time, as a person or a script gives them: each ends
    // with its result, the link done with it (a motor command with its
    // second send, and this runs after the tick that sent it).
    Command c;
    c.active = true;
    c.afterReplug = std::exchange(m_nextAfterReplug, false);
    const int pick = int(m_rng.bounded(100));
    if (pick < 10) {
        c.kind = Kind::Scan;
        c.boundTicks = 44; // five rates of three ticks, two waiting steps, the give-up, the extended read
        m_link.startSettingsRead(false);
    } else if (pick < 25) {
        c.kind = Kind::Read;
        c.boundTicks = 12; // two sends and the wait, asked twice when garbled
        m_link.read({m_link.target(), Frame::ReadBasic});
    } else if (pick < 65) {
        c.kind = Kind::Write;
        using namespace MotorSettings;
        static constexpr struct {
            Settings::Item item;
            int lo, hi;
        } kRanges[] = {{Settings::DryContact, DryContactRange.min, DryContactRange.max},
                       {Settings::MaxSpeed, MaxSpeedRange.min, MaxSpeedRange.max},
                       {Settings::CurtainFunctions, 0, 127},
                       {Settings::JogTime, JogTimeRange.min, JogTimeRange.max},
                       {Settings::Sensitivity, SensitivityRange.min, SensitivityRange.max},
                       {Settings::Rebound, NoRebound, UnlimitedRebound}};
        const auto &r = kRanges[m_rng.bounded(int(std::size(kRanges)))];
        c.item = r.item;
        c.value = Byte(r.lo + int(m_rng.bounded(r.hi - r.lo + 1)));
        c.boundTicks = 30; // the question (twice when garbled), two sends, three read-backs of three ticks
        m_link.write({m_link.target(), r.item, c.value});
    } else {
        c.kind = Kind::Motor;
        static constexpr Byte kData[] = {Frame::Up, Frame::Stop, Frame::Down, 1, 2};
        c.function = m_rng.bounded(4) == 0 ? Frame::RunToPosition : Frame::Motor;
        const Byte data = c.function == Frame::RunToPosition ? Byte(m_rng.bounded(101))
                                                             : kData[m_rng.bounded(int(std::size(kData)))];
        c.boundTicks = 8;
        m_link.sendMotorCommand(c.function, data);
    }
    static const char *kNames[] = {"scan", "read", "write", "motor"};
    ++m_commands[QString::fromLatin1(kNames[int(c.kind)])];
    m_cmd = c;
}

void Soak::onTick()
{
    if (!m_cmd.active)
        return;
    ++m_cmd.ticks;
    if (m_cmd.kind == Kind::Motor && m_cmd.sends == 2)
        return finish("sent twice");
    // A command asked for between the two sends of another goes out once.
    if (m_cmd.kind == Kind::Motor && m_cmd.sends == 1 && m_cmd.ticks > m_cmd.boundTicks)
        return finish("sent once");
    if (m_cmd.ticks > m_cmd.boundTicks) {
        ++m_hangs;
        const auto &out = m_link.outgoing();
        qWarning("hung: kind %d function %02X sends %d ticks %d outgoing %02X sent %d open %d", int(m_cmd.kind),
                 m_cmd.function, m_cmd.sends, m_cmd.ticks, out ? out->function : 0, out ? out->sent : 0,
                 m_link.portUsable());
        finish("hung");
    }
}

void Soak::finish(const char *outcome)
{
    static const char *kNames[] = {"scan", "read", "write", "motor"};
    ++m_outcomes[QStringLiteral("%1 %2").arg(QLatin1String(kNames[int(m_cmd.kind)]), QLatin1String(outcome))];
    if (m_cmd.afterReplug) {
        ++m_afterReplugTried;
        const QByteArray o(outcome);
        if (o == "answered" || o == "confirmed" || o.startsWith("sent"))
            ++m_afterReplugWorked;
    }
    m_cmd.active = false;
    if (!m_portLost)
        m_gap.start(int(m_rng.bounded(1000)));
}

void Soak::report()
{
    m_log.catchUp();
    QTextStream out(stdout);
    QTextStream file(new QFile(QDir(m_dir).filePath(QStringLiteral("summary.txt"))));
    file.device()->open(QIODevice::WriteOnly | QIODevice::Text);
    const auto row = [&](const QString &what, const QString &value) {
        const QString line = QStringLiteral("| %1 | %2 |").arg(what, -44).arg(value, 12);
        out << line << '\n';
        file << line << '\n';
    };
    const auto n = [](qint64 v) { return QString::number(v); };
    row(QStringLiteral("what"), QStringLiteral("count"));
    row(QStringLiteral("--------------------------------------------"), QStringLiteral("-----------:"));
    row(QStringLiteral("minutes"), n(m_clock.elapsed() / 60000));
    int total = 0;
    for (auto it = m_commands.cbegin(); it != m_commands.cend(); ++it) {
        row(QStringLiteral("commands: ") + it.key(), n(it.value()));
        total += it.value();
    }
    row(QStringLiteral("commands: all"), n(total));
    for (auto it = m_outcomes.cbegin(); it != m_outcomes.cend(); ++it)
        row(QStringLiteral("outcome: ") + it.key(), n(it.value()));
    for (auto it = m_log.phases.cbegin(); it != m_log.phases.cend(); ++it)
        row(QStringLiteral("fault phases: ") + QString::fromLatin1(it.key()), n(it.value()));
    row(QStringLiteral("floods sent"), n(m_log.floods));
    row(QStringLiteral("adapter pulled out / put back"),
        QStringLiteral("%1 / %2").arg(m_log.unplugs).arg(m_log.replugs));
    row(QStringLiteral("frames the motor bus took"), n(m_log.frames));
    row(QStringLiteral("setting writes kept / ignored by the motor"),
        QStringLiteral("%1 / %2").arg(m_log.kept).arg(m_log.ignored));
    row(QStringLiteral("writes confirmed"), n(m_outcomes.value(QStringLiteral("write confirmed"))));
    row(QStringLiteral("writes reported failed"), n(m_outcomes.value(QStringLiteral("write failed"))));
    row(QStringLiteral("wrongly confirmed"), n(m_wronglyConfirmed));
    row(QStringLiteral("hangs (past the protocol bound)"), n(m_hangs));
    row(QStringLiteral("frames sent while the port was lost"), n(m_framesWhileLost));
    row(QStringLiteral("frames on the other port"), n(m_decoyFrames));
    row(QStringLiteral("re-plugs recovered without a restart"), n(m_replugsRecovered));
    row(QStringLiteral("first command after a re-plug worked"),
        QStringLiteral("%1 of %2").arg(m_afterReplugWorked).arg(m_afterReplugTried));
    row(QStringLiteral("port errors while the adapter was out"), n(m_portErrors));
    row(QStringLiteral("crashes (simulator)"), n(m_simCrashes));
    row(QStringLiteral("link ran to the end (no crash)"), QStringLiteral("yes")); // a crash leaves no table
    row(QStringLiteral("memory at 2 min / at the end / peak (kB)"),
        QStringLiteral("%1 / %2 / %3").arg(m_rssAt2Min).arg(m_rssLast).arg(m_rssPeak));
    row(QStringLiteral("simulator peak memory (kB)"), n(m_simRssPeak));
    out.flush();
    file.flush();
    delete file.device();
    m_sim.disconnect(this);
    m_sim.terminate();
    m_decoy.terminate();
    m_sim.waitForFinished(2000);
    m_decoy.waitForFinished(2000);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Runs the motor link against the chaos of tavik-motor-sim."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("sim"), QStringLiteral("The tavik-motor-sim executable."), QStringLiteral("PATH")},
        {QStringLiteral("dir"), QStringLiteral("Where the logs and the summary go."), QStringLiteral("DIR")},
        {QStringLiteral("minutes"), QStringLiteral("How long to run (default 60)."), QStringLiteral("N"),
         QStringLiteral("60")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the chaos and the command mix."), QStringLiteral("N")},
        {QStringLiteral("replug-s"), QStringLiteral("Seconds between the adapter's unplugs (default 120:240)."),
         QStringLiteral("MIN:MAX"), QStringLiteral("120:240")},
    });
    parser.process(app);
    if (!parser.isSet(QStringLiteral("sim")) || !parser.isSet(QStringLiteral("dir"))) {
        std::fputs("tavik-soak: --sim and --dir are required\n", stderr);
        return 2;
    }
    QDir().mkpath(parser.value(QStringLiteral("dir")));
    const quint32 seed = parser.isSet(QStringLiteral("seed")) ? parser.value(QStringLiteral("seed")).toUInt()
                                                              : QRandomGenerator::global()->generate();
    Soak soak(parser.value(QStringLiteral("sim")), parser.value(QStringLiteral("dir")),
              parser.value(QStringLiteral("minutes")).toInt(), seed, parser.value(QStringLiteral("replug-s")));
    if (!soak.start())
        return 1;
    return app.exec();
}
