// The simulator behind a real pseudo-terminal, talked to the way the program
// does: a raw serial line at a chosen rate.
#include "Chaos.h"
#include "MotorSim.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The program's end of the line.
class SerialEnd {
public:
    SerialEnd(const QString &path, speed_t speed)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        setSpeed(speed);
    }
    ~SerialEnd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    bool setSpeed(speed_t speed)
    {
        termios t {};
        if (::tcgetattr(m_fd, &t) != 0)
            return false;
        ::cfmakeraw(&t);
        ::cfsetspeed(&t, speed);
        return ::tcsetattr(m_fd, TCSANOW, &t) == 0;
    }
    bool send(const QByteArray &bytes)
    {
        return ::write(m_fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    QByteArray read()
    {
        QByteArray out;
        char buf[1024];
        ssize_t n;
        while ((n = ::read(m_fd, buf, sizeof buf)) > 0)
            out.append(buf, int(n));
        return out;
    }

private:
    int m_fd;
};

QByteArray readBasic(int id = 1, quint16 mask = 1)
{
    return MotorBus::commandFrame(id, mask, 0xCA, 0xCA);
}
QByteArray readExtended()
{
    return MotorBus::commandFrame(1, 1, 0xCB, 0xCB);
}

} // namespace

class MotorSimTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void answersAtItsRateOnly();
    void faultsSpoilAnswers();
    void lateAnswerAfterARateChangeIsNoise();
    void floodIsDeliveredWhole();
    void chatterIsWholeStatusAnswers();
    void motorsMoveOnTheirOwn();
    void unplugClosesTheLine();
    void replugComesBackUnderTheLink();
    void chaosInjectsEveryFaultAndLogsWhatWasKept();
    void commandLineTool();
    void commandLineHelp();
    void thirtyMotorLineFromTheCommandLine();
    void groupWriteIsReportedForEveryMotor();

private:
    MotorSim *sim = nullptr;
    SerialEnd *port = nullptr;
    QByteArray basicAnswer, extendedAnswer;
};

void MotorSimTest::init()
{
    sim = new MotorSim;
    QVERIFY(sim->isOpen());
    sim->bus().addMotor(1, 0x0001);
    port = new SerialEnd(sim->path(), B2400);
    QVERIFY(port->isOpen());
    basicAnswer = sim->bus().receive(readBasic(), 2400);
    extendedAnswer = sim->bus().receive(readExtended(), 2400);
    sim->bus().clearLog();
}

void MotorSimTest::cleanup()
{
    delete port;
    delete sim;
}

void MotorSimTest::answersAtItsRateOnly()
{
    QSignalSpy spy(sim, &MotorSim::frameReceived);
    QVERIFY(port->setSpeed(B9600));
    QVERIFY(port->send(readBasic()));
    QTRY_COMPARE(spy.size(), 1);
    QVERIFY(port->setSpeed(B2400));
    QVERIFY(port->send(readExtended()));

    // Had the first frame been answered, its answer would come first.
    QByteArray got;
    QTRY_VERIFY((got += port->read()).size() >= 10);
    QCOMPARE(got, extendedAnswer);
    QCOMPARE(spy.size(), 2);
    QCOMPARE(spy[0], QVariantList({readBasic(), 9600, false}));
    QCOMPARE(spy[1], QVariantList({readExtended(), 2400, true}));
    QCOMPARE(sim->frames().size(), 2);
    QCOMPARE(sim->frames()[0].lineRateBps, 9600);
}

void MotorSimTest::faultsSpoilAnswers()
{
    // Each case: the faulty device gets a basic read, then a healthy one an
    // extended read; everything up to the extended answer is what the fault made.
    const auto run = [this](const MotorSim::Faults &faults, int basicReads) {
        sim->setFaults(faults);
        for (int i = 0; i < basicReads; ++i)
            port->send(readBasic());
        const int frames = int(sim->frames().size()) + basicReads;
        QByteArray got;
        if (!QTest::qWaitFor([&] { return sim->frames().size() == frames; }))
            return QByteArray("timeout");
        sim->setFaults({});
        port->send(readExtended());
        if (!QTest::qWaitFor([&] { return (got += port->read()).endsWith(extendedAnswer); }))
            return QByteArray("timeout");
        return got.chopped(extendedAnswer.size());
    };
    using F = MotorSim::Faults;
    const auto with = [](auto set) {
        F f;
        set(f);
        return f;
    };

    QCOMPARE(run(with([](F &f) { f.silent = true; }), 1), QByteArray());
    QCOMPARE(run(with([](F &f) { f.duplicate = true; }), 1), basicAnswer + basicAnswer);
    QCOMPARE(run(with([](F &f) { f.dropEvery = 2; }), 4), basicAnswer + basicAnswer);
    QCOMPARE(run(with([](F &f) { f.dropEvery = 1; }), 3), QByteArray());
    QCOMPARE(run(with([](F &f) { f.split = true; }), 1), basicAnswer); // late, but whole
    QCOMPARE(run(with([](F &f) {
                     f.split = true;
                     f.duplicate = true;
                 }),
                 1),
             basicAnswer + basicAnswer);

    QByteArray got = run(with([](F &f) { f.badCheck = true; }), 1);
    QCOMPARE(got.size(), 10);
    QCOMPARE(got.left(9), basicAnswer.left(9));
    QVERIFY(got[9] != basicAnswer[9]);

    got = run(with([](F &f) { f.garbage = F::GarbageBefore; }), 1);
    QVERIFY(got.size() > 10);
    QVERIFY(got.endsWith(basicAnswer));
    got = run(with([](F &f) { f.garbage = F::GarbageInstead; }), 1);
    QCOMPARE(got.size(), 10);
    QVERIFY(got != basicAnswer);

    // A motor that takes the dry-contact mode but not the speed.
    sim->setFaults(with([](F &f) { f.ignoredWrites = {0xD9}; }));
    port->send(MotorBus::commandFrame(1, 1, 0xD9, 80) + MotorBus::commandFrame(1, 1, 0xD2, 2));
    QTRY_COMPARE(sim->bus().motors()[0].dryContactMode, quint8(2));
    QCOMPARE(sim->bus().motors()[0].maxSpeed, quint8(130));
}

void MotorSimTest::lateAnswerAfterARateChangeIsNoise()
{
    sim->setAnswerDelayMs(1000);
    QVERIFY(port->send(readBasic()));
    QTRY_COMPARE(sim->frames().size(), 1);
    QVERIFY(port->setSpeed(B4800)); // the next scan step, before the answer
    QByteArray got;
    QTRY_VERIFY((got += port->read()).size() >= 10);
    QCOMPARE(got.size(), 10);
    QVERIFY(got != basicAnswer);
    QCOMPARE(sim->answersSent(), 1);
}

void MotorSimTest::floodIsDeliveredWhole()
{
    // More than the terminal holds: the rest must follow as the program reads.
    sim->flood(20000);
    QByteArray got;
    QTRY_COMPARE((got += port->read()).size(), 20000);
    QVERIFY(port->send(readBasic()));
    QTRY_COMPARE((got += port->read()).size(), 20010);
    QVERIFY(got.endsWith(basicAnswer));
}

void MotorSimTest::chatterIsWholeStatusAnswers()
{
    sim->setChatter(true);
    QByteArray got;
    QTRY_VERIFY((got += port->read()).size() >= 300);
    QVERIFY(port->send(readBasic()));
    QTRY_VERIFY((got += port->read()).contains(basicAnswer));
    sim->setChatter(false);
    QTest::qWait(50);
    got += port->read();

    // Frames follow each other whole, the read answer among them, and the
    // reported position climbs one step a frame.
    QCOMPARE(got.size() % 10, 0);
    int answers = 0, status = 0;
    for (qsizetype at = 0; at < got.size(); at += 10) {
        const QByteArray f = got.mid(at, 10);
        if (f == basicAnswer) {
            ++answers;
            continue;
        }
        QCOMPARE(quint8(f[0]), quint8(0xD8));
        QCOMPARE(MotorBus::xorOf(f, 1, 9), quint8(0));
        QCOMPARE(quint8(f[7]), quint8(status % 101));
        QCOMPARE(quint8(f[8]), quint8(MotorBus::PositionKnown));
        ++status;
    }
    QCOMPARE(answers, 1);
    QCOMPARE(status, sim->chatterSent());
    QTest::qWait(50);
    QVERIFY(port->read().isEmpty());
}

void MotorSimTest::motorsMoveOnTheirOwn()
{
    sim->bus().motors()[0].speed = 400;
    QVERIFY(port->send(MotorBus::commandFrame(1, 1, 0x0A, 0xEE)));
    // Arrived: at the end and standing still (a motor a hair short of 100 %
    // already reports 100 but is still moving).
    QTRY_VERIFY(sim->bus().motors()[0].reportedPosition() == 100 && sim->bus().motors()[0].target == -1);
    QVERIFY(port->send(MotorBus::commandFrame(1, 1, 0xCC, 0x00)));
    QByteArray got;
    QTRY_COMPARE((got += port->read()).size(), 10);
    QCOMPARE(got,
             QByteArray::fromHex("d80101000000006402"
                                 "66"));
}

void MotorSimTest::unplugClosesTheLine()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyTavik"));
    QVERIFY(sim->link(link));
    QVERIFY(QFileInfo(link).isSymLink());

    const QString device = sim->path();
    QSignalSpy unplugged(sim, &MotorSim::unplugged);
    sim->unplug();
    QCOMPARE(unplugged.size(), 1);
    QVERIFY(!sim->isOpen());
    QVERIFY(!QFileInfo::exists(link));
    pollfd p {port->fd(), POLLIN, 0};
    QCOMPARE(::poll(&p, 1, 0), 1);
    QVERIFY(p.revents & POLLHUP);
    sim->flood(10); // nothing left to write to; must not fail
    sim->unplug();
    QCOMPARE(unplugged.size(), 1);

    // The program lets go of the gone device: its number is not given to the
    // next terminal while the simulator lives, so no port's lock file can
    // outlast the descriptor onto someone else's terminal.
    delete std::exchange(port, nullptr);
    Pty next;
    QVERIFY(next.isOpen());
    QVERIFY(next.slavePath() != device);
}

void MotorSimTest::replugComesBackUnderTheLink()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyTavik"));
    QVERIFY(sim->link(link));
    sim->setAnswerDelayMs(300);
    QVERIFY(port->send(readBasic()));
    QTRY_COMPARE(sim->frames().size(), 1);
    sim->unplug();
    QSignalSpy replugged(sim, &MotorSim::replugged);
    QVERIFY(sim->replug());
    QCOMPARE(replugged.size(), 1);
    QVERIFY(QFileInfo(link).isSymLink());

    // The answer due before the unplug went with the old line.
    SerialEnd again(link, B2400);
    QVERIFY(again.isOpen());
    QTest::qWait(400);
    QVERIFY(again.read().isEmpty());
    sim->setAnswerDelayMs(20);
    QVERIFY(again.send(readExtended()));
    QByteArray got;
    QTRY_COMPARE(got += again.read(), extendedAnswer);
}

// A short chaos run with a fixed seed while a program writes settings: every
// fault comes up, the adapter goes and comes back, and the log's account of
// each write matches what the motor's memory holds.
void MotorSimTest::chaosInjectsEveryFaultAndLogsWhatWasKept()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyTavik"));
    QVERIFY(sim->link(link));
    QBuffer log;
    log.open(QIODevice::ReadWrite | QIODevice::Text);
    Chaos::Timing timing;
    timing.phase = timing.clean = {20, 40};
    timing.replug = {300, 400};
    timing.outage = {30, 60};
    Chaos chaos(*sim, &log, 18, timing);
    QSignalSpy replugged(sim, &MotorSim::replugged);
    chaos.start();

    auto line = std::make_unique<SerialEnd>(link, B2400);
    quint8 value = 50;
    const auto everyKindSeen = [&] {
        for (int k = 0; k < Chaos::KindCount; ++k)
            if (chaos.phases(k) == 0)
                return false;
        return true;
    };
    QVERIFY(QTest::qWaitFor(
        [&] {
            if (!sim->isOpen())
                return false;
            if (!line->send(MotorBus::commandFrame(1, 1, 0xD9, ++value))) // a fresh line after a replug
                line = std::make_unique<SerialEnd>(link, B2400);
            line->read();
            return everyKindSeen() && replugged.size() >= 1 && value > 80;
        },
        20000));
    QVERIFY(chaos.unplugs() >= 1);

    int kept = 0, ignored = 0;
    QByteArray lastMemory;
    for (const QByteArray &entry : log.data().split('\n')) {
        const QList<QByteArray> w = entry.split(' ');
        if (w.size() < 6 || w[1] != "write")
            continue;
        QCOMPARE(w[3], QByteArray("D9"));
        const QByteArray held = "D9=" + w[4];
        if (w[5] == "kept") {
            ++kept;
            QVERIFY2(entry.endsWith(held), entry.constData());
        } else {
            QCOMPARE(w[5], QByteArray("ignored"));
            ++ignored;
            QVERIFY2(lastMemory.isEmpty() || entry.endsWith(lastMemory), entry.constData());
        }
        lastMemory = entry.mid(entry.lastIndexOf(' ') + 1);
    }
    QVERIFY(kept > 0);
    QVERIFY(ignored > 0);
    QCOMPARE(lastMemory, "D9=" + QByteArray::number(sim->bus().motors()[0].maxSpeed));
    for (const char *event : {" unplug", " replug ", " flood ", " frame 9A01010", " phase clean "})
        QVERIFY2(log.data().contains(event), event);
}

void MotorSimTest::commandLineTool()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyTavik"));
    QProcess proc;
    proc.start(QStringLiteral(TAVIK_MOTOR_SIM),
               {"--link", link, "--motor", "12:1,3", "--motor", "20:16", "--baud", "3"});
    QTRY_VERIFY(proc.canReadLine());
    QVERIFY(QFileInfo(QString::fromLocal8Bit(proc.readLine().trimmed())).exists());

    SerialEnd line(link, B9600);
    QVERIFY(line.isOpen());
    QVERIFY(line.send(readBasic(99, 0x0001))); // nobody has ID 99
    QTRY_VERIFY(proc.canReadLine());
    QCOMPARE(proc.readLine().trimmed(), QByteArray("9A 63 01 00 CA CA 62  9600 bd  no answer"));
    QVERIFY(line.send(readBasic(12, 0x0001)));
    QByteArray got;
    QTRY_COMPARE((got += line.read()).size(), 10);
    QCOMPARE(got, MotorBus::responseFrame(12, 0x0005, 3, 0, 130, 0xCA, 0x40));
    QTRY_VERIFY(proc.canReadLine());
    QCOMPARE(proc.readLine().trimmed(), QByteArray("9A 0C 01 00 CA CA 0D  9600 bd  answered"));

    proc.terminate();
    QVERIFY(proc.waitForFinished());
    QCOMPARE(proc.exitStatus(), QProcess::NormalExit);
    QCOMPARE(proc.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    // The bench of --lenient: a read for an ID nobody has reaches the first motor.
    proc.start(QStringLiteral(TAVIK_MOTOR_SIM),
               {"--link", link, "--lenient", "--motor", "12:1,3", "--motor", "20:16", "--baud", "3"});
    QTRY_VERIFY(proc.canReadLine());
    proc.readLine();
    SerialEnd bench(link, B9600);
    QVERIFY(bench.send(readBasic(99, 0x0001)));
    got.clear();
    QTRY_COMPARE((got += bench.read()).size(), 10);
    QCOMPARE(got, MotorBus::responseFrame(12, 0x0005, 3, 0, 130, 0xCA, 0x40));
    proc.terminate();
    QVERIFY(proc.waitForFinished());

    proc.start(QStringLiteral(TAVIK_MOTOR_SIM), {"--motor", "12:17"});
    QVERIFY(proc.waitForFinished());
    QCOMPARE(proc.exitCode(), 2);
}

// --help is the tool's manual: every option and fault mode is in it. A
// mistyped option must not start a bus the user did not ask for.
void MotorSimTest::commandLineHelp()
{
    QProcess proc;
    proc.start(QStringLiteral(TAVIK_MOTOR_SIM), {"--help"});
    QVERIFY(proc.waitForFinished());
    QCOMPARE(proc.exitCode(), 0);
    const QString help = QString::fromUtf8(proc.readAllStandardOutput());
    for (const char *word : {"--link",   "--motor",       "--baud",      "--speed",  "--fault",   "silent",
                             "garbage ", "garbage-only",  "bad-check",   "drop[:N]", "duplicate", "slow[:MS]",
                             "ignore:",  "flood[:BYTES]", "unplug[:MS]", "split",    "--chaos",   "--chaos-log",
                             "--seed",   "--phase-ms",    "--replug-s",  "@RATE",    "--lenient", "collide"})
        QVERIFY2(help.contains(QLatin1String(word)), word);
    for (const QString &line : help.split(u'\n'))
        QVERIFY2(line.size() <= 80, qPrintable(line));

    proc.start(QStringLiteral(TAVIK_MOTOR_SIM), {"--motors", "12:1"});
    QVERIFY(proc.waitForFinished());
    QVERIFY(proc.exitCode() != 0);
    QVERIFY(proc.readAllStandardOutput().isEmpty()); // no terminal path: nothing was started
    const QString err = QString::fromUtf8(proc.readAllStandardError());
    QVERIFY(err.contains(QLatin1String("motors")));
    QVERIFY(err.contains(QLatin1String("--fault <NAME>")));
}

// A commissioning site: 30 motors on one line, built from --motor options.
// Every (ID, channel) poll finds its motor; the two motors sharing ID 5 and
// channel 5 collide; the one at 9600 bps hears nothing at 2400.
void MotorSimTest::thirtyMotorLineFromTheCommandLine()
{
    const auto channelOf = [](int id) { return (id - 1) % 16 + 1; };
    QStringList args;
    for (int id = 1; id <= 28; ++id)
        args << "--motor" << QStringLiteral("%1:%2").arg(id).arg(channelOf(id));
    args << "--motor" << QStringLiteral("5:%1").arg(channelOf(5)) << "--motor"
         << "40:16@9600";
    QProcess proc;
    proc.start(QStringLiteral(TAVIK_MOTOR_SIM), args);
    QTRY_VERIFY(proc.canReadLine());
    SerialEnd line(QString::fromLocal8Bit(proc.readLine().trimmed()), B2400);
    QVERIFY(line.isOpen());

    // All polls at once: the answers come back in the order of the polls.
    QByteArray polls;
    for (int id = 1; id <= 28; ++id)
        polls += MotorBus::commandFrame(id, quint16(1u << (channelOf(id) - 1)), 0xCC, 0);
    polls += MotorBus::commandFrame(40, 0x8000, 0xCC, 0);
    QVERIFY(line.send(polls));
    QByteArray got;
    QTRY_COMPARE_WITH_TIMEOUT((got += line.read()).size(), 28 * 10, 10000);
    for (int id = 1; id <= 28; ++id) {
        const QByteArray answer = got.mid((id - 1) * 10, 10);
        if (id == 5) {
            QCOMPARE(quint8(answer[0]), quint8(0xD9)); // the collision's broken lead
            QVERIFY(!answer.contains(char(0xD8)));
            continue;
        }
        QCOMPARE(answer, MotorBus::responseFrame(id, quint16(1u << (channelOf(id) - 1)), 0, 0, 0, 0, 0x02));
    }

    // The group read reaches all 29 motors at this rate; at 9600 only one.
    got.clear();
    QVERIFY(line.send(readBasic(0, 0)));
    QTRY_COMPARE((got += line.read()).size(), 10);
    QVERIFY(!got.contains(char(0xD8)));
    got.clear();
    QVERIFY(line.setSpeed(B9600));
    QVERIFY(line.send(readBasic(0, 0)));
    QTRY_COMPARE((got += line.read()).size(), 10);
    QCOMPARE(got, MotorBus::responseFrame(40, 0x8000, 3, 0, 130, 0xCA, 0x40));
    proc.terminate();
    QVERIFY(proc.waitForFinished());
}

void MotorSimTest::groupWriteIsReportedForEveryMotor()
{
    sim->bus().addMotor(2, 0x0001);
    sim->bus().addMotor(3, 0x0001).baudCode = 3; // hears nothing at 2400
    QSignalSpy written(sim, &MotorSim::settingWritten);
    QVERIFY(port->send(MotorBus::commandFrame(0, 0, 0xD9, 90)));
    QTRY_COMPARE(written.size(), 2);
    QCOMPARE(written[0], QVariantList({0, quint8(0xD9), quint8(90), true}));
    QCOMPARE(written[1], QVariantList({1, quint8(0xD9), quint8(90), true}));
    QCOMPARE(sim->bus().motors()[2].maxSpeed, quint8(130));
}

QTEST_GUILESS_MAIN(MotorSimTest)
#include "tst_motorsim.moc"
