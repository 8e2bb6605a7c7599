// A line of many motors: who takes a frame, who answers, and what the line
// carries when several answer at once.
#include "MotorBus.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

constexpr int Bd2400 = 2400;
constexpr quint8 ReadBasic = 0xCA, ReadExtended = 0xCB;

QByteArray cmd(int id, quint16 mask, quint8 function, quint8 data)
{
    return MotorBus::commandFrame(id, mask, function, data);
}

// A line from --motor texts; the bus rate is 2400 bps unless one says otherwise.
void build(MotorBus &bus, const QStringList &motors)
{
    for (const QString &m : motors)
        QVERIFY2(bus.addMotor(m), qPrintable(m));
}

QByteArray basicAnswerOf(const MotorBus &bus, const Motor &m)
{
    return MotorBus::responseFrame(m.id, m.channels, quint8(bus.baudCodeOf(m)), m.dryContactMode, m.maxSpeed, ReadBasic,
                                   m.curtainFunctions);
}

// Any 10 bytes from a D8 on that pass the check byte, starting before `end`.
bool holdsAnAnswer(const QByteArray &bytes, qsizetype end = -1)
{
    for (qsizetype i = 0; i + 10 <= bytes.size() && (end < 0 || i < end); ++i)
        if (quint8(bytes[i]) == 0xD8 && MotorBus::xorOf(bytes, int(i) + 1, int(i) + 9) == 0)
            return true;
    return false;
}

} // namespace

class MotorLineTest : public QObject {
    Q_OBJECT
private slots:
    void everyAddressedMotorAnswers_data();
    void everyAddressedMotorAnswers();
    void collisionIsNeverAnAnswer();
    void writesReachEveryMotorWithTheId();
    void idWriteIsTakenByAllWhoHearIt();
    void motorsHearOnlyTheirOwnRate();
    void baudWriteMovesOnlyTheMotorsThatTookIt();
    void motionReachesTheAddressedChannels_data();
    void motionReachesTheAddressedChannels();
    void lenientBenchKeepsOneMotorAnswering();
    void motorTexts_data();
    void motorTexts();
};

void MotorLineTest::everyAddressedMotorAnswers_data()
{
    QTest::addColumn<QStringList>("line");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QList<int>>("answering"); // indexes of the motors that answer

    const QStringList shared {"5:1,3", "5:2", "6:1", "5:3"};
    QTest::addRow("poll, one motor with ID and channel") << shared << cmd(5, 0x0002, 0xCC, 0) << QList<int> {1};
    QTest::addRow("poll, two motors with ID and channel") << shared << cmd(5, 0x0004, 0xCC, 0) << QList<int> {0, 3};
    QTest::addRow("poll, channel nobody of the ID has") << shared << cmd(6, 0x0002, 0xCC, 0) << QList<int> {};
    QTest::addRow("poll, two channel bits") << shared << cmd(5, 0x0003, 0xCC, 0) << QList<int> {};
    QTest::addRow("poll, group") << shared << cmd(0, 0x0001, 0xCC, 0) << QList<int> {};
    QTest::addRow("basic read, ID shared by three")
        << shared << cmd(5, 0x0001, ReadBasic, ReadBasic) << QList<int> {0, 1, 3};
    QTest::addRow("basic read ignores the mask") << shared << cmd(6, 0x8000, ReadBasic, ReadBasic) << QList<int> {2};
    QTest::addRow("extended read, unknown ID") << shared << cmd(9, 0x0001, ReadExtended, ReadExtended) << QList<int> {};
    QTest::addRow("group read, two motors")
        << QStringList {"1:1", "12:1,3"} << cmd(0, 0, ReadBasic, ReadBasic) << QList<int> {0, 1};
    QTest::addRow("group read, one motor")
        << QStringList {"12:1,3"} << cmd(0, 0, ReadBasic, ReadBasic) << QList<int> {0};
    QTest::addRow("group read, the other motor at another rate")
        << QStringList {"1:1", "12:1,3@9600"} << cmd(0, 0, ReadExtended, ReadExtended) << QList<int> {0};
}

void MotorLineTest::everyAddressedMotorAnswers()
{
    QFETCH(QStringList, line);
    QFETCH(QByteArray, frame);
    QFETCH(QList<int>, answering);
    MotorBus bus;
    build(bus, line);
    for (int i = 0; i < bus.motors().size(); ++i)
        bus.motors()[i].position = 10 * (i + 1); // every motor's answer differs

    QList<QByteArray> answers;
    for (int i : answering) {
        MotorBus alone;
        alone.motors().append(bus.motors()[i]);
        answers.append(alone.receive(frame, Bd2400));
        QCOMPARE(answers.last().size(), 10);
    }
    const QList<MotorBus::ReceivedFrame> frames = bus.feed(frame, Bd2400);
    QCOMPARE(frames.size(), 1);
    QCOMPARE(frames[0].answering, int(answering.size()));
    if (answering.size() == 1)
        QCOMPARE(frames[0].answer, answers.first());
    if (answering.size() > 1) {
        QCOMPARE(frames[0].answer, MotorBus::collision(answers));
        QVERIFY(!holdsAnAnswer(frames[0].answer));
    }
    QCOMPARE(frames[0].answer.isEmpty(), answering.isEmpty());
}

// Whatever the answers, their collision holds no answer anywhere in it, not
// even when two motors send the very same bytes.
void MotorLineTest::collisionIsNeverAnAnswer()
{
    QRandomGenerator rng(29);
    const auto randomAnswer = [&rng] {
        const auto byte = [&rng] { return quint8(rng.bounded(256)); };
        return MotorBus::responseFrame(byte(), quint16(rng.bounded(65536)), byte(), byte(), byte(), byte(), byte());
    };
    for (int round = 0; round < 20000; ++round) {
        const QByteArray a = randomAnswer();
        QList<QByteArray> answers {a, round % 4 == 0 ? a : randomAnswer()};
        if (round % 5 == 0)
            answers.append(randomAnswer());
        const QByteArray garble = MotorBus::collision(answers);
        QCOMPARE(garble.size(), 10);
        QVERIFY2(!garble.contains(char(0xD8)), garble.toHex().constData());
        // Nor does an answer start inside it when another follows, as on a busy line.
        QVERIFY2(!holdsAnAnswer(garble + a, garble.size()), garble.toHex().constData());
    }
    // One answer alone passes unchanged; none leaves the line silent.
    const QByteArray one = randomAnswer();
    QCOMPARE(MotorBus::collision({one}), one);
    QVERIFY(MotorBus::collision({}).isEmpty());
}

void MotorLineTest::writesReachEveryMotorWithTheId()
{
    MotorBus bus;
    build(bus, {"3:1", "3:2", "4:1"});
    // A setting write to ID 3 goes to both motors with it, silently.
    QList<MotorBus::ReceivedFrame> f = bus.feed(cmd(3, 0x0001, 0xD6, 9), Bd2400);
    QCOMPARE(f[0].motorIndexes, QList<int>({0, 1}));
    QCOMPARE(f[0].write, MotorBus::Write::Kept);
    QVERIFY(f[0].answer.isEmpty());
    QCOMPARE(bus.motors()[0].jogTime, quint8(9));
    QCOMPARE(bus.motors()[1].jogTime, quint8(9));
    QCOMPARE(bus.motors()[2].jogTime, quint8(4));

    // A group write goes to all; an ignored one is taken and changes nothing.
    bus.setIgnoredWrites({0xD9});
    f = bus.feed(cmd(0, 0, 0xD9, 77), Bd2400);
    QCOMPARE(f[0].motorIndexes, QList<int>({0, 1, 2}));
    QCOMPARE(f[0].write, MotorBus::Write::Ignored);
    QCOMPARE(bus.motors()[2].maxSpeed, quint8(130));
    f = bus.feed(cmd(0, 0, 0xD2, 2), Bd2400);
    for (const Motor &m : bus.motors())
        QCOMPARE(m.dryContactMode, quint8(2));

    // An ID nobody has: nobody takes it.
    f = bus.feed(cmd(9, 0x0001, 0xD2, 4), Bd2400);
    QVERIFY(f[0].motorIndexes.isEmpty());
    QCOMPARE(f[0].write, MotorBus::Write::None);
    for (const Motor &m : bus.motors())
        QCOMPARE(m.dryContactMode, quint8(2));
}

void MotorLineTest::idWriteIsTakenByAllWhoHearIt()
{
    MotorBus bus;
    build(bus, {"1:1", "28:12", "40:3@9600"});
    // The write carries the new address: it cannot name the motor it is for.
    const QList<MotorBus::ReceivedFrame> f = bus.feed(cmd(58, 0x0800, 0xAA, 0xAA), Bd2400);
    QCOMPARE(f[0].motorIndexes, QList<int>({0, 1}));
    QVERIFY(f[0].answer.isEmpty());
    for (int i : {0, 1}) {
        QCOMPARE(bus.motors()[i].id, 58);
        QCOMPARE(bus.motors()[i].channels, quint16(0x0800));
    }
    QCOMPARE(bus.motors()[2].id, 40);
    // A read at the new address now reaches two motors: their answers collide.
    const QByteArray garble = bus.receive(cmd(58, 0x0800, ReadBasic, ReadBasic), Bd2400);
    QCOMPARE(garble.size(), 10);
    QVERIFY(!holdsAnAnswer(garble));
}

void MotorLineTest::motorsHearOnlyTheirOwnRate()
{
    MotorBus bus;
    bus.setBaudCode(3);
    build(bus, {"1:1@1200", "2:1@2400", "3:1", "4:1@19200"});
    const int rates[] = {1200, 2400, 9600, 19200};
    for (int i = 0; i < 4; ++i) {
        for (int rate : rates) {
            const QByteArray answer = bus.receive(cmd(0, 0, ReadBasic, ReadBasic), rate);
            if (rate != rates[i])
                continue;
            QCOMPARE(answer, basicAnswerOf(bus, bus.motors()[i]));
            QCOMPARE(quint8(answer[4]), quint8(MotorBus::bpsToBaudCode(rate))); // it reports its own rate
        }
        // A stop at another rate moves nothing, at its own it is taken.
        bus.motors()[i].target = 50;
        bus.receive(cmd(i + 1, 1, 0x0A, 0xCC), rates[(i + 1) % 4]);
        QCOMPARE(bus.motors()[i].target, 50);
        bus.receive(cmd(i + 1, 1, 0x0A, 0xCC), rates[i]);
        QCOMPARE(bus.motors()[i].target, -1);
    }
    QVERIFY(bus.receive(cmd(0, 0, ReadBasic, ReadBasic), 4800).isEmpty());
}

void MotorLineTest::baudWriteMovesOnlyTheMotorsThatTookIt()
{
    MotorBus bus;
    build(bus, {"1:1", "1:2", "2:1"});
    bus.receive(cmd(1, 0x0001, 0xDA, 3), Bd2400);
    QCOMPARE(bus.baudCode(), 1); // the bus's rate for motors without their own is kept
    QCOMPARE(bus.lineRateBpsOf(bus.motors()[0]), 9600);
    QCOMPARE(bus.lineRateBpsOf(bus.motors()[1]), 9600);
    QCOMPARE(bus.lineRateBpsOf(bus.motors()[2]), 2400);
    QCOMPARE(bus.receive(cmd(0, 0, ReadBasic, ReadBasic), Bd2400), basicAnswerOf(bus, bus.motors()[2]));
    QCOMPARE(bus.feed(cmd(1, 0x0001, ReadBasic, ReadBasic), 9600)[0].answering, 2);
    bus.receive(cmd(1, 0x0001, 0xDA, 7), 9600); // no such rate: nobody moves
    QCOMPARE(bus.lineRateBpsOf(bus.motors()[0]), 9600);
}

void MotorLineTest::motionReachesTheAddressedChannels_data()
{
    QTest::addColumn<bool>("lenient");
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QList<int>>("moving");

    for (bool lenient : {false, true}) {
        const char *mode = lenient ? "lenient" : "truthful";
        QTest::addRow("%s: up, ID 5, channels 1 and 3", mode)
            << lenient << cmd(5, 0x0005, 0x0A, 0xDD) << QList<int> {0};
        QTest::addRow("%s: to 40 %%, ID 5, channels 2 and 9", mode)
            << lenient << cmd(5, 0x0102, 0xDD, 40) << QList<int> {1};
        QTest::addRow("%s: group, channel 1", mode) << lenient << cmd(0, 0x0001, 0x0A, 0xEE) << QList<int> {0, 2};
        QTest::addRow("%s: one ID, no channel", mode) << lenient << cmd(6, 0, 0x0A, 0xEE) << QList<int> {};
        QTest::addRow("%s: unknown ID", mode) << lenient << cmd(9, 0x0001, 0x0A, 0xEE) << QList<int> {};
        // Group control with no channel selected is the panel's "everyone".
        QTest::addRow("%s: group, no channel", mode) << lenient << cmd(0, 0, 0x0A, 0xEE) << QList<int> {0, 1, 2};
    }
}

void MotorLineTest::motionReachesTheAddressedChannels()
{
    QFETCH(bool, lenient);
    QFETCH(QByteArray, frame);
    QFETCH(QList<int>, moving);
    MotorBus bus;
    bus.setLenient(lenient);
    build(bus, {"5:1,3", "5:9", "6:1"});
    QVERIFY(bus.receive(frame, Bd2400).isEmpty());
    QList<int> moved;
    for (int i = 0; i < bus.motors().size(); ++i)
        if (bus.motors()[i].target >= 0)
            moved.append(i);
    QCOMPARE(moved, moving);
}

// The one-motor bench: a stale ID still reaches the motor, and of several
// motors only the first answers.
void MotorLineTest::lenientBenchKeepsOneMotorAnswering()
{
    MotorBus bus;
    bus.setLenient(true);
    build(bus, {"12:1,3", "40:16", "12:1"});
    bus.motors()[0].jogTime = 7;

    QCOMPARE(bus.receive(cmd(99, 1, ReadBasic, ReadBasic), Bd2400), basicAnswerOf(bus, bus.motors()[0]));
    QCOMPARE(bus.receive(cmd(0, 0, ReadExtended, ReadExtended), Bd2400),
             MotorBus::responseFrame(12, 0x0005, 7, 1, 1, ReadExtended, bus.motors()[0].status()));
    QCOMPARE(bus.receive(cmd(40, 1, ReadBasic, ReadBasic), Bd2400), basicAnswerOf(bus, bus.motors()[1]));
    QCOMPARE(bus.feed(cmd(12, 1, 0xCC, 0), Bd2400)[0].answering, 1);

    // A write for an unknown ID configures the first motor; so does the ID write.
    QCOMPARE(bus.feed(cmd(77, 1, 0xD9, 90), Bd2400)[0].motorIndexes, QList<int>({0}));
    QCOMPARE(bus.motors()[0].maxSpeed, quint8(90));
    QCOMPARE(bus.feed(cmd(40, 0x0002, 0xAA, 0xAA), Bd2400)[0].motorIndexes, QList<int>({1}));
    QCOMPARE(bus.motors()[1].channels, quint16(0x0002));
    QCOMPARE(bus.motors()[0].id, 12);
    // A baud write moves the whole bench.
    bus.receive(cmd(12, 1, 0xDA, 2), Bd2400);
    QCOMPARE(bus.baudCode(), 2);
    QCOMPARE(bus.receive(cmd(40, 1, ReadBasic, ReadBasic), 4800).size(), 10);

    MotorBus empty;
    empty.setLenient(true);
    QCOMPARE(empty.receive(cmd(1, 1, ReadBasic, ReadBasic), Bd2400), QByteArray());
}

void MotorLineTest::motorTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate"); // the motor's line rate, bps

    QTest::newRow("plain") << "12:1,3" << true << 12 << 0x0005 << 2400;
    QTest::newRow("own rate") << "5:1@9600" << true << 5 << 0x0001 << 9600;
    QTest::newRow("bus code") << "7:16:4" << true << 7 << 0x8000 << 19200;
    QTest::newRow("rate not one of five") << "5:1@9601" << false << 0 << 0 << 0;
    QTest::newRow("rate and bus code") << "5:1:3@9600" << false << 0 << 0 << 0;
    QTest::newRow("two rates") << "5:1@9600@2400" << false << 0 << 0 << 0;
    QTest::newRow("channel 17") << "5:17" << false << 0 << 0 << 0;
    QTest::newRow("no channels") << "5" << false << 0 << 0 << 0;
    QTest::newRow("ID 256") << "256:1" << false << 0 << 0 << 0;
}

void MotorLineTest::motorTexts()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    MotorBus bus;
    QCOMPARE(bus.addMotor(text), valid);
    QCOMPARE(bus.motors().size(), valid ? 1 : 0);
    if (!valid)
        return;
    QTEST(bus.motors()[0].id, "id");
    QTEST(int(bus.motors()[0].channels), "channels");
    QTEST(bus.lineRateBpsOf(bus.motors()[0]), "rate");
}

QTEST_GUILESS_MAIN(MotorLineTest)
#include "tst_motorline.moc"
