// When the motors of a line answer and what they hear: each motor's answer
// delay decides whether answers overlap (a garble) or follow one another
// (clean), a deaf motor misses frames at its own rate, and the simulator's
// --motor text gives both.
#include "MotorBus.h"
#include "MotorSim.h"

#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr quint8 ReadBasic = 0xCA;
const QByteArray GroupRead = MotorBus::commandFrame(0, 0, ReadBasic, ReadBasic);

// A delay, how many motors' answers met there, and whether it is a clean answer.
using Arrival = std::tuple<int, int, bool>;

bool isCleanAnswer(const QByteArray &bytes)
{
    return bytes.size() == 10 && quint8(bytes[0]) == 0xD8 && MotorBus::xorOf(bytes, 1, 9) == 0;
}

} // namespace

class AnswerTimingTest : public QObject {
    Q_OBJECT
private slots:
    void answersOverlapOrFollow_data();
    void answersOverlapOrFollow();
    void deafMotorsMissFramesAtTheirRate_data();
    void deafMotorsMissFramesAtTheirRate();
    void motorTexts_data();
    void motorTexts();
    void answersLeaveThePortInTheirOrder();
};

void AnswerTimingTest::answersOverlapOrFollow_data()
{
    QTest::addColumn<QStringList>("line");
    QTest::addColumn<int>("busDelayMs");
    QTest::addColumn<QList<Arrival>>("arrivals");
    // One answer lasts 42 ms at 2400 bps (the bus's rate) and 11 ms at 9600.
    QTest::newRow("one motor, the bus's delay") << QStringList {"1:1"} << 20 << QList<Arrival> {{20, 1, true}};
    QTest::newRow("two motors, the bus's delay: garble")
        << QStringList {"1:1", "7:1"} << 20 << QList<Arrival> {{20, 2, false}};
    QTest::newRow("one motor, its own delay over the bus's")
        << QStringList {"1:1/delay=90"} << 300 << QList<Arrival> {{90, 1, true}};
    QTest::newRow("an answer's length apart: both clean")
        << QStringList {"1:1/delay=20", "1:1/delay=62"} << 20 << QList<Arrival> {{20, 1, true}, {62, 1, true}};
    QTest::newRow("a millisecond less: garble")
        << QStringList {"1:1/delay=20", "1:1/delay=61"} << 20 << QList<Arrival> {{20, 2, false}};
    QTest::newRow("given in any order, they arrive in time's")
        << QStringList {"7:1/delay=150", "1:1"} << 20 << QList<Arrival> {{20, 1, true}, {150, 1, true}};
    QTest::newRow("at 9600 bps 15 ms apart is enough")
        << QStringList {"1:1@9600/delay=20", "7:1@9600/delay=35", "9:1@9600/delay=5"} << 20
        << QList<Arrival> {{5, 1, true}, {20, 1, true}, {35, 1, true}};
    QTest::newRow("two overlap, the third follows") << QStringList {"1:1/delay=10", "2:1/delay=30", "3:1/delay=100"}
                                                    << 20 << QList<Arrival> {{10, 2, false}, {100, 1, true}};
}

void AnswerTimingTest::answersOverlapOrFollow()
{
    QFETCH(QStringList, line);
    QFETCH(int, busDelayMs);
    QFETCH(QList<Arrival>, arrivals);
    MotorBus bus;
    for (const QString &m : line)
        QVERIFY2(bus.addMotor(m), qPrintable(m));
    bus.setAnswerDelayMs(busDelayMs);
    const int rate = bus.lineRateBpsOf(bus.motors().constFirst());
    const auto frames = bus.feed(GroupRead, rate);
    QCOMPARE(frames.size(), 1);
    const MotorBus::ReceivedFrame &f = frames.first();
    QCOMPARE(f.answering, int(line.size()));
    QList<Arrival> got;
    QByteArray all;
    for (const MotorBus::Answer &a : f.answers) {
        got << Arrival {a.delayMs, a.motors, isCleanAnswer(a.bytes)};
        all += a.bytes;
    }
    QCOMPARE(got, arrivals);
    QCOMPARE(f.answer, all);
}

void AnswerTimingTest::deafMotorsMissFramesAtTheirRate_data()
{
    QTest::addColumn<QStringList>("line");
    QTest::addColumn<QList<int>>("rates"); // a group read at each rate in turn
    QTest::addColumn<QList<int>>("answering"); // how many motors answered each
    QTest::newRow("deaf for two frames") << QStringList {"1:1/deaf=2"} << QList<int> {2400, 2400, 2400, 2400}
                                         << QList<int> {0, 0, 1, 1};
    QTest::newRow("the other motor still answers")
        << QStringList {"1:1/deaf=1", "7:1/delay=90"} << QList<int> {2400, 2400} << QList<int> {1, 2};
    QTest::newRow("frames at another rate do not count")
        << QStringList {"1:1@9600/deaf=1"} << QList<int> {2400, 2400, 9600, 9600} << QList<int> {0, 0, 0, 1};
    QTest::newRow("deaf for none") << QStringList {"1:1/deaf=0"} << QList<int> {2400} << QList<int> {1};
}

void AnswerTimingTest::deafMotorsMissFramesAtTheirRate()
{
    QFETCH(QStringList, line);
    QFETCH(QList<int>, rates);
    QFETCH(QList<int>, answering);
    MotorBus bus;
    for (const QString &m : line)
        QVERIFY2(bus.addMotor(m), qPrintable(m));
    QList<int> got;
    for (int rate : rates)
        got << bus.feed(GroupRead, rate).value(0).answering;
    QCOMPARE(got, answering);
    QCOMPARE(bus.log().size(), rates.size()); // every frame is logged, heard or not
}

void AnswerTimingTest::motorTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("delayMs"); // the motor's own; -1 = the bus's
    QTest::addColumn<int>("deafFrames");
    QTest::addColumn<int>("rateBps");
    QTest::newRow("plain") << "1:1" << true << -1 << 0 << 2400;
    QTest::newRow("delay") << "1:1/delay=90" << true << 90 << 0 << 2400;
    QTest::newRow("deaf") << "1:1/deaf=4" << true << -1 << 4 << 2400;
    QTest::newRow("both, any order, own rate") << "5:1,2@9600/deaf=2/delay=0" << true << 0 << 2 << 9600;
    QTest::newRow("with the bus's rate code") << "5:1:3/delay=7" << true << 7 << 0 << 9600;
    QTest::newRow("negative delay") << "1:1/delay=-1" << false << 0 << 0 << 0;
    QTest::newRow("no value") << "1:1/deaf" << false << 0 << 0 << 0;
    QTest::newRow("not a number") << "1:1/delay=soon" << false << 0 << 0 << 0;
    QTest::newRow("unknown word") << "1:1/speed=3" << false << 0 << 0 << 0;
    QTest::newRow("empty part") << "1:1/" << false << 0 << 0 << 0;
    QTest::newRow("bad address before it") << "1/delay=3" << false << 0 << 0 << 0;
}

void AnswerTimingTest::motorTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(int, delayMs);
    QFETCH(int, deafFrames);
    QFETCH(int, rateBps);
    MotorBus bus;
    QCOMPARE(bus.addMotor(text), ok);
    QCOMPARE(bus.motors().size(), ok ? 1 : 0);
    if (!ok)
        return;
    const Motor &m = bus.motors().constFirst();
    QCOMPARE(m.answerDelayMs, delayMs);
    QCOMPARE(m.deafFrames, deafFrames);
    QCOMPARE(bus.lineRateBpsOf(m), rateBps);
}

// Through the pseudo-terminal: a late motor's answer follows the early
// one's, both whole, in the order of their delays.
void AnswerTimingTest::answersLeaveThePortInTheirOrder()
{
    MotorSim sim;
    QVERIFY(sim.isOpen());
    QVERIFY(sim.bus().addMotor(QStringLiteral("7:2/delay=120")));
    QVERIFY(sim.bus().addMotor(QStringLiteral("3:1/delay=10")));
    const int fd = ::open(qPrintable(sim.path()), O_RDWR | O_NOCTTY | O_NONBLOCK);
    QVERIFY(fd >= 0);
    termios t {};
    QCOMPARE(::tcgetattr(fd, &t), 0);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B2400);
    QCOMPARE(::tcsetattr(fd, TCSANOW, &t), 0);
    QSignalSpy heard(&sim, &MotorSim::frameReceived);
    QCOMPARE(::write(fd, GroupRead.constData(), size_t(GroupRead.size())), ssize_t(GroupRead.size()));
    QTRY_COMPARE(heard.size(), 1);
    QCOMPARE(heard.at(0).at(2).toBool(), true);
    QByteArray got;
    const auto readSome = [&] {
        char buf[64];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            got.append(buf, n);
        return got.size();
    };
    QTRY_COMPARE(readSome(), 20);
    ::close(fd);
    QCOMPARE(got.left(10), MotorBus::responseFrame(3, 0x0001, 1, 0, 130, ReadBasic, 0x40));
    QCOMPARE(got.mid(10), MotorBus::responseFrame(7, 0x0002, 1, 0, 130, ReadBasic, 0x40));
}

QTEST_GUILESS_MAIN(AnswerTimingTest)
#include "tst_answer_timing.moc"
