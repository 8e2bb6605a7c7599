// The motor bus on its own: framing, who answers what, settings, movement.
#include "MotorBus.h"

#include <QTest>

namespace {

constexpr int Bd2400 = 2400;

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

QByteArray cmd(int id, quint16 mask, quint8 function, quint8 data)
{
    return MotorBus::commandFrame(id, mask, function, data);
}

QByteArray readBasic(int id = 1, quint16 mask = 1)
{
    return cmd(id, mask, 0xCA, 0xCA);
}
QByteArray poll(int id, quint16 mask)
{
    return cmd(id, mask, 0xCC, 0x00);
}

} // namespace

class MotorBusTest : public QObject {
    Q_OBJECT
private slots:
    void framesAreCheckedAndResynchronised();
    void answersOnlyAtTheBusRate();
    void statusPollNeedsOneIdAndOneChannel();
    void writesChangeValuesSilently();
    void baudCodeWriteMovesTheMotor();
    void forcedIdAndChannels();
    void motorCommandsAddressByIdAndChannel();
    void motorsTravelAndReport();
    void unknownPositionIsFoundAtAnEnd();
};

void MotorBusTest::framesAreCheckedAndResynchronised()
{
    MotorBus bus;
    bus.addMotor(1, 0x0001);
    const QByteArray basic = hex("d8010100"
                                 "010082"
                                 "ca40"
                                 "09");
    QCOMPARE(MotorBus::xorOf(basic, 1, 9), quint8(0));

    // The known stop frame and a read, whole.
    QCOMPARE(cmd(1, 1, 0x0A, 0xCC), hex("9a0101000acc c6"));
    QCOMPARE(bus.receive(hex("9a0101000accc6"), Bd2400), QByteArray());
    QCOMPARE(bus.receive(readBasic(), Bd2400), basic);

    // Split into single bytes: the answer comes with the last one.
    const QByteArray frame = readBasic();
    QByteArray answers;
    for (char c : frame)
        answers += bus.receive(QByteArray(1, c), Bd2400);
    QCOMPARE(answers, basic);

    // Noise, a false lead, a frame with a wrong check byte, then two good ones.
    QByteArray bad = readBasic();
    bad[6] = char(bad[6] ^ 1);
    const QByteArray stream = hex("00ff129a0b") + bad + readBasic() + poll(1, 1);
    const QList<MotorBus::ReceivedFrame> frames = bus.feed(stream, Bd2400);
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames[0].bytes, readBasic());
    QCOMPARE(frames[0].answer, basic);
    QCOMPARE(frames[1].bytes, poll(1, 1));
    QCOMPARE(bus.log().size(), 5); // only well-formed frames are logged
}

void MotorBusTest::answersOnlyAtTheBusRate()
{
    MotorBus bus;
    Motor &m = bus.addMotor(1, 0x0001);
    QCOMPARE(bus.lineRateBps(), 2400);

    QCOMPARE(bus.receive(readBasic(), 9600), QByteArray());
    QCOMPARE(bus.receive(cmd(1, 1, 0xD9, 80), 1200), QByteArray());
    QCOMPARE(m.maxSpeed, quint8(130)); // not understood, so not taken
    QCOMPARE(bus.log().size(), 2);
    QCOMPARE(bus.log()[0].lineRateBps, 9600);
    QVERIFY(bus.log()[0].answer.isEmpty());

    // Half a frame at one rate and the rest at another make no frame.
    const QByteArray frame = readBasic();
    QCOMPARE(bus.receive(frame.left(3), 9600), QByteArray());
    QCOMPARE(bus.receive(frame.mid(3), Bd2400), QByteArray());
    QCOMPARE(bus.log().size(), 2);
    QCOMPARE(bus.receive(frame, Bd2400).size(), 10);
}

void MotorBusTest::statusPollNeedsOneIdAndOneChannel()
{
    MotorBus bus;
    bus.addMotor(3, 0x0005);
    Motor &m = bus.addMotor(7, 0x0100);
    m.position = 37;
    m.limits = {20, -1, 60, -1};

    QCOMPARE(bus.receive(poll(7, 0x0100), Bd2400),
             hex("d8070001000000"
                 "25"
                 "16"
                 "35"));
    QCOMPARE(bus.receive(poll(3, 0x0004), Bd2400).size(), 10); // channel 3 of a two-channel motor
    QCOMPARE(bus.receive(poll(0, 0x0001), Bd2400), QByteArray()); // group control
    QCOMPARE(bus.receive(poll(3, 0x0000), Bd2400), QByteArray()); // no channel
    QCOMPARE(bus.receive(poll(3, 0x0005), Bd2400), QByteArray()); // two channels
    QCOMPARE(bus.receive(poll(3, 0x0002), Bd2400), QByteArray()); // a channel it does not hear
    QCOMPARE(bus.receive(poll(9, 0x0001), Bd2400), QByteArray()); // nobody with that ID
    QCOMPARE(bus.receive(cmd(7, 0x0100, 0xCC, 0x01), Bd2400), QByteArray()); // not a poll
}

void MotorBusTest::writesChangeValuesSilently()
{
    MotorBus bus;
    bus.addMotor(1, 0x0001);
    Motor &m = bus.addMotor(3, 0x0001);
    bus.setIgnoredWrites({0xD9});

    const QList<QPair<quint8, quint8>> writes = {{0xD2, 3}, {0xD5, 0xC0}, {0xD6, 9},
                                                 {0xD7, 3}, {0xD8, 0xFF}, {0xD9, 80}};
    for (const auto &[function, data] : writes)
        QCOMPARE(bus.receive(cmd(3, 1, function, data), Bd2400), QByteArray());
    QCOMPARE(m.dryContactMode, quint8(3));
    QCOMPARE(m.curtainFunctions, quint8(0xC0));
    QCOMPARE(m.jogTime, quint8(9));
    QCOMPARE(m.sensitivity, quint8(3));
    QCOMPARE(m.rebound, quint8(0xFF));
    QCOMPARE(m.maxSpeed, quint8(130)); // this motor does not take speed writes
    QCOMPARE(bus.motors()[0].jogTime, quint8(4));

    // The values read back.
    QCOMPARE(bus.receive(readBasic(3), Bd2400), MotorBus::responseFrame(3, 1, 1, 3, 130, 0xCA, 0xC0));
    QCOMPARE(bus.receive(cmd(3, 1, 0xCB, 0xCB), Bd2400), MotorBus::responseFrame(3, 1, 9, 3, 0xFF, 0xCB, m.status()));
}

void MotorBusTest::baudCodeWriteMovesTheMotor()
{
    MotorBus bus;
    const Motor &m = bus.addMotor(1, 0x0001);
    QCOMPARE(bus.receive(cmd(1, 1, 0xDA, 0x03), Bd2400), QByteArray());
    QCOMPARE(bus.baudCodeOf(m), 3);
    QCOMPARE(bus.receive(readBasic(), Bd2400), QByteArray());
    const QByteArray answer = bus.receive(readBasic(), 9600);
    QCOMPARE(answer.size(), 10);
    QCOMPARE(quint8(answer[4]), quint8(3));

    QCOMPARE(bus.receive(cmd(1, 1, 0xDA, 0x07), 9600), QByteArray()); // no such rate
    QCOMPARE(bus.lineRateBpsOf(m), 9600);
}

void MotorBusTest::forcedIdAndChannels()
{
    MotorBus bus;
    const Motor &m = bus.addMotor(1, 0x0001);
    QCOMPARE(bus.receive(hex("9a050102aaaa06"), Bd2400), QByteArray());
    QCOMPARE(m.id, 5);
    QCOMPARE(m.channels, quint16(0x0201));
    QCOMPARE(bus.receive(readBasic(1, 1), Bd2400), QByteArray()); // the old address is gone

    // ID 0 is taken as it comes; a read for ID 0 reaches every motor anyway.
    bus.receive(cmd(0, 0x8000, 0xAA, 0xAA), Bd2400);
    QCOMPARE(m.id, 0);
    QCOMPARE(m.channels, quint16(0x8000));
    QCOMPARE(bus.receive(readBasic(0, 1), Bd2400).left(4), hex("d8000080"));
}

void MotorBusTest::motorCommandsAddressByIdAndChannel()
{
    MotorBus bus;
    bus.addMotor(5, 0x0005);
    bus.addMotor(5, 0x0100);
    bus.addMotor(6, 0x0001);
    const auto targets = [&bus] {
        QList<int> t;
        for (const Motor &m : bus.motors())
            t << m.target;
        return t;
    };

    QCOMPARE(bus.receive(hex("9a0505000add d7"), Bd2400), QByteArray()); // up, ID 5, ch 1+3
    QCOMPARE(targets(), QList<int>({0, -1, -1}));
    bus.receive(cmd(5, 0x0102, 0xDD, 40), Bd2400);
    QCOMPARE(targets(), QList<int>({0, 40, -1}));
    bus.receive(cmd(0, 0x0001, 0x0A, 0xEE), Bd2400); // group, channel 1
    QCOMPARE(targets(), QList<int>({100, 40, 100}));
    bus.receive(cmd(0, 0x0000, 0x0A, 0xCC), Bd2400); // group, no channel: every motor
    QCOMPARE(targets(), QList<int>({-1, -1, -1}));
    bus.receive(cmd(0, 0x0001, 0x0A, 0xEE), Bd2400);
    bus.receive(cmd(0, 0xFFFF, 0x0A, 0xCC), Bd2400); // group, all channels
    QCOMPARE(targets(), QList<int>({-1, -1, -1}));
    bus.receive(cmd(6, 0x0000, 0x0A, 0xEE), Bd2400); // one ID, no channel: nobody
    QCOMPARE(targets(), QList<int>({-1, -1, -1}));

    bus.receive(cmd(6, 1, 0x0A, 0xAA), Bd2400);
    bus.receive(cmd(6, 1, 0x0A, 0xA6), Bd2400);
    bus.receive(cmd(6, 1, 0x0A, 0xA6), Bd2400);
    QCOMPARE(bus.motors()[2].learnCount, 1);
    QCOMPARE(bus.motors()[2].deleteCount, 2);
}

void MotorBusTest::motorsTravelAndReport()
{
    MotorBus bus;
    Motor &m = bus.addMotor(1, 0x0001);
    m.speed = 20;
    m.limits[1] = 30;
    const auto status = [&bus] { return bus.receive(poll(1, 1), Bd2400); };

    bus.receive(cmd(1, 1, 0x0A, 0xEE), Bd2400);
    bus.advance(1000);
    QCOMPARE(m.reportedPosition(), 20);
    QCOMPARE(quint8(status()[8]), quint8(MotorBus::PositionKnown | MotorBus::LimitPoint1 << 1 | MotorBus::Moving));
    bus.advance(10000); // stops at the end
    QCOMPARE(m.reportedPosition(), 100);
    QCOMPARE(m.target, -1);

    bus.receive(cmd(1, 1, 0x0A, 0x02), Bd2400); // limit point 2
    bus.advance(2000);
    QCOMPARE(m.reportedPosition(), 60);
    bus.receive(cmd(1, 1, 0x0A, 0xCC), Bd2400);
    bus.advance(2000);
    QCOMPARE(m.reportedPosition(), 60);

    bus.receive(cmd(1, 1, 0x0A, 0x03), Bd2400); // limit point 3 is not set
    QCOMPARE(m.target, -1);
    bus.receive(cmd(1, 1, 0xDD, 101), Bd2400);
    QCOMPARE(m.target, -1);
    bus.receive(cmd(1, 1, 0xDD, 55), Bd2400);
    bus.advance(100);
    bus.advance(200);
    QCOMPARE(m.reportedPosition(), 55);
    QCOMPARE(status(),
             hex("d801010000000037"
                 "0a"
                 "3d"));
}

void MotorBusTest::unknownPositionIsFoundAtAnEnd()
{
    MotorBus bus;
    Motor &m = bus.addMotor(1, 0x0001);
    m.positionKnown = false;
    m.position = 50;
    m.speed = 25;

    QCOMPARE(bus.receive(poll(1, 1), Bd2400),
             hex("d80101000000000000"
                 "00"));
    bus.receive(cmd(1, 1, 0xDD, 20), Bd2400); // it cannot know where 20 % is
    QCOMPARE(m.target, -1);
    bus.receive(cmd(1, 1, 0x0A, 0xDD), Bd2400);
    bus.advance(1000);
    QVERIFY(!m.positionKnown);
    QCOMPARE(quint8(bus.receive(poll(1, 1), Bd2400)[8]), quint8(MotorBus::Moving));
    bus.advance(1000);
    QVERIFY(m.positionKnown);
    QCOMPARE(bus.receive(poll(1, 1), Bd2400),
             hex("d80101000000000002"
                 "02"));
}

QTEST_GUILESS_MAIN(MotorBusTest)
#include "tst_motorbus.moc"
