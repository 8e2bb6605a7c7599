// A write that names its motor, on a truthful line of several motors: it
// goes out only when exactly one motor answers its ID cleanly and it is the
// named one, its result carries its request, and a value becomes the
// motor's only once a read-back shows it.
#include "Bench.h"
#include "LinkRequests.h"

#include <QtTest>

namespace {

using Outcome = WriteResult::Outcome;
using Refusal = WriteResult::Refusal;

MotorTarget at(int id, quint16 channels)
{
    ChannelMask mask;
    mask.setWord(channels);
    return {id, mask};
}

// "ID:CHANNELS" with channel numbers, as the simulator's --motor has them.
MotorTarget motorAt(const QString &text)
{
    quint16 mask = 0;
    for (const QString &channel : text.section(u':', 1).split(u','))
        mask |= quint16(1u << (channel.toInt() - 1));
    return at(text.section(u':', 0, 0).toInt(), mask);
}

} // namespace

class NamedWritesTest : public QObject {
    Q_OBJECT
private slots:
    void onlyTheNamedMotorTakesTheWrite_data();
    void onlyTheNamedMotorTakesTheWrite();
    void aReadSaysWhoAnswered_data();
    void aReadSaysWhoAnswered();
    void requestsQueueAndEndCanceledWithThePort();
    void theSameGarbleTwiceIsSeveralMotors_data();
    void theSameGarbleTwiceIsSeveralMotors();
};

void NamedWritesTest::onlyTheNamedMotorTakesTheWrite_data()
{
    QTest::addColumn<QStringList>("line"); // the motors as tavik-motor-sim --motor gives them
    QTest::addColumn<int>("rate"); // the line's rate when asked
    QTest::addColumn<QString>("named"); // ID:CHANNELS
    QTest::addColumn<bool>("force");
    QTest::addColumn<bool>("ignored"); // the motors keep no speed written
    QTest::addColumn<int>("outcome");
    QTest::addColumn<int>("refusal");
    QTest::addColumn<QString>("answered"); // who answered the question, "" for none
    QTest::addColumn<QList<int>>("changed"); // indexes of the motors whose speed became 80
    const int ok = int(Outcome::Confirmed), refused = int(Outcome::Refused), not_ = int(Outcome::NotConfirmed);
    const int none = int(Refusal::None);
    QTest::newRow("the named motor alone")
        << QStringList {"1:1"} << 2400 << "1:1" << false << false << ok << none << "" << QList<int> {0};
    QTest::newRow("named on two of its three channels")
        << QStringList {"3:1,2,3"} << 2400 << "3:3" << false << false << ok << none << "" << QList<int> {0};
    QTest::newRow("another channel of the ID answers") << QStringList {"9:4"} << 2400 << "9:8" << false << false
                                                       << refused << int(Refusal::OtherMotor) << "9:4" << QList<int> {};
    QTest::newRow("no motor with the ID") << QStringList {"7:1"} << 2400 << "3:1" << false << false << refused
                                          << int(Refusal::NotOnLine) << "" << QList<int> {};
    QTest::newRow("two motors share the ID") << QStringList {"4:1", "4:2"} << 2400 << "4:1" << false << false << refused
                                             << int(Refusal::SeveralAtOnce) << "" << QList<int> {};
    // At 2400 bps an answer lasts 42 ms: 20 and 90 ms apart never overlap,
    // and both arrive long before the next tick (150 ms).
    QTest::newRow("two motors with one address one after the other")
        << QStringList {"7:3/delay=20", "7:3/delay=90"} << 2400 << "7:3" << false << false << refused
        << int(Refusal::SharedId) << "7:3" << QList<int> {};
    QTest::newRow("the named motor answers late inside the wait")
        << QStringList {"7:3/delay=90"} << 2400 << "7:3" << false << false << ok << none << "" << QList<int> {0};
    QTest::newRow("two motors share the ID, forced")
        << QStringList {"4:1", "4:2"} << 2400 << "4:1" << true << false << not_ << none << "" << QList<int> {0, 1};
    QTest::newRow("the other motor of the ID at another rate") << QStringList {"9:4@9600", "9:8@2400"} << 9600 << "9:4"
                                                               << false << false << ok << none << "" << QList<int> {0};
    QTest::newRow("the motor keeps another value")
        << QStringList {"1:1"} << 2400 << "1:1" << false << true << not_ << none << "" << QList<int> {};
}

// Speed 80 written to the motor named; the motors' own memory says who took it.
void NamedWritesTest::onlyTheNamedMotorTakesTheWrite()
{
    QFETCH(QStringList, line);
    QFETCH(int, rate);
    QFETCH(QString, named);
    QFETCH(bool, force);
    QFETCH(bool, ignored);
    QFETCH(int, outcome);
    QFETCH(int, refusal);
    QFETCH(QString, answered);
    QFETCH(QList<int>, changed);
    SimBench b;
    b.sim.bus().motors().clear();
    for (const QString &motor : line)
        QVERIFY(b.sim.bus().addMotor(motor));
    if (ignored) {
        MotorSim::Faults faults;
        faults.ignoredWrites = {Frame::WriteMaxSpeed};
        b.sim.setFaults(faults);
    }
    b.open(rate);
    b.link.setStatusPolling(false);
    const Byte speedBefore = b.link.motorSettings().maxSpeed;
    QSignalSpy done(&b.link, &MotorLink::writeDone);
    const MotorTarget motor = motorAt(named);
    b.link.write({motor, Settings::MaxSpeed, 80, force});
    QVERIFY(!b.link.isIdle()); // a queued request is work under way
    b.runUntilIdle();
    QCOMPARE(done.count(), 1);
    const auto result = done.at(0).at(0).value<WriteResult>();
    QCOMPARE(result.request.motor, motor); // the result carries its request
    QCOMPARE(result.request.force, force);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(int(result.refusal), refusal);
    QCOMPARE(result.rateBps, rate);
    if (!answered.isEmpty())
        QCOMPARE(result.answered, std::optional(motorAt(answered)));
    QList<int> took;
    for (int i = 0; i < b.sim.bus().motors().size(); ++i)
        if (b.sim.bus().motors().at(i).maxSpeed == 80)
            took << i;
    QCOMPARE(took, changed);
    // Refused: not a single write frame went out.
    if (outcome == int(Outcome::Refused))
        QCOMPARE(countFrames(b.sim, Frame::WriteMaxSpeed), 0);
    // The link holds the value only once a read-back showed it.
    QCOMPARE(b.link.motorSettings().maxSpeed, outcome == int(Outcome::Confirmed) ? Byte(80) : speedBefore);
}

void NamedWritesTest::aReadSaysWhoAnswered_data()
{
    QTest::addColumn<QStringList>("line"); // motor i has max speed 60 + 10 i, sensitivity 1 + i
    QTest::addColumn<int>("asked"); // the rate the read names, 0 for the line's (2400)
    QTest::addColumn<QString>("named");
    QTest::addColumn<bool>("extended");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("answered"); // "" for none
    QTest::addColumn<int>("value"); // max speed or sensitivity read, -1 for none
    using O = ReadResult::Outcome;
    const int read = int(O::Read), several = int(O::SeveralAnswered);
    QTest::newRow("the named motor alone") << QStringList {"1:1"} << 0 << "1:1" << false << read << "1:1" << 60;
    QTest::newRow("extended, on one of its channels")
        << QStringList {"2:1", "3:1,2"} << 0 << "3:2" << true << read << "3:1,2" << 2;
    QTest::newRow("shared ID, the named one's rate")
        << QStringList {"9:8@2400", "9:4@9600"} << 9600 << "9:4" << false << read << "9:4" << 70;
    QTest::newRow("shared ID, the other one's rate")
        << QStringList {"9:8@2400", "9:4@9600"} << 2400 << "9:4" << false << int(O::OtherMotor) << "9:8" << -1;
    QTest::newRow("another channel of the ID")
        << QStringList {"7:5"} << 0 << "7:3" << false << int(O::OtherMotor) << "7:5" << -1;
    QTest::newRow("no motor with the ID") << QStringList {"7:5"} << 0 << "8:3" << false << int(O::Silent) << "" << -1;
    QTest::newRow("two motors answer at once")
        << QStringList {"4:1", "4:2"} << 0 << "4:1" << false << several << "" << -1;
    // Margins: the late answers come 200 and 300 ms after the first asking,
    // the result 450 ms after it (two sends and two waiting ticks).
    QTest::newRow("the named motor answers late")
        << QStringList {"5:1/delay=200"} << 0 << "5:1" << false << read << "5:1" << 60;
    QTest::newRow("two motors with one address one after the other")
        << QStringList {"7:3/delay=20", "7:3/delay=90"} << 0 << "7:3" << false << several << "7:3" << -1;
    QTest::newRow("another motor of the ID answers late")
        << QStringList {"6:1", "6:2/delay=300"} << 0 << "6:1" << false << several << "6:1" << -1;
}

// One read of the motor named; its values come with the result and the
// link's own settings stay as they were.
void NamedWritesTest::aReadSaysWhoAnswered()
{
    QFETCH(QStringList, line);
    QFETCH(int, asked);
    QFETCH(QString, named);
    QFETCH(bool, extended);
    QFETCH(int, outcome);
    QFETCH(QString, answered);
    QFETCH(int, value);
    SimBench b;
    b.sim.bus().motors().clear();
    for (const QString &motor : line)
        QVERIFY(b.sim.bus().addMotor(motor));
    for (int i = 0; i < b.sim.bus().motors().size(); ++i) {
        b.sim.bus().motors()[i].maxSpeed = quint8(60 + 10 * i);
        b.sim.bus().motors()[i].sensitivity = quint8(1 + i);
    }
    b.open();
    b.link.setStatusPolling(false);
    const SettingValues before = b.link.motorSettings();
    QSignalSpy done(&b.link, &MotorLink::readDone);
    const NamedRead request {motorAt(named), extended ? Frame::ReadExtended : Frame::ReadBasic, asked};
    b.link.read(request);
    QVERIFY(!b.link.isIdle());
    b.runUntilIdle();
    QCOMPARE(done.count(), 1);
    const auto result = done.at(0).at(0).value<ReadResult>();
    QCOMPARE(result.request.motor, request.motor);
    QCOMPARE(int(result.outcome), outcome);
    QCOMPARE(result.rateBps, asked ? asked : 2400);
    QCOMPARE(result.answered, answered.isEmpty() ? std::nullopt : std::optional(motorAt(answered)));
    QCOMPARE(result.values.has_value(), value >= 0);
    if (result.values)
        QCOMPARE(int(extended ? result.values->obstacleSensitivity : result.values->maxSpeed), value);
    // Late answers too stay out of the link's settings.
    if (line.join(u' ').contains(u"delay="))
        b.ticks(3);
    QCOMPARE(b.link.motorSettings().maxSpeed, before.maxSpeed);
    QCOMPARE(b.link.motorSettings().obstacleSensitivity, before.obstacleSensitivity);
    QCOMPARE(countFrames(b.sim, extended ? Frame::ReadExtended : Frame::ReadBasic) % 2, 0); // each asking twice
}

// Two requests queue behind each other; closing the port ends the one under
// way and the one waiting as canceled, in order, and nothing more goes out.
void NamedWritesTest::requestsQueueAndEndCanceledWithThePort()
{
    SimBench b;
    b.open();
    b.link.setStatusPolling(false);
    QSignalSpy done(&b.link, &MotorLink::writeDone);
    b.link.write({at(1, 1), Settings::JogTime, 9, false});
    b.link.write({at(1, 1), Settings::MaxSpeed, 80, false});
    QSignalSpy readDone(&b.link, &MotorLink::readDone);
    b.link.read({at(1, 1)});
    b.ticks(2); // the first request's question is on the line
    QCOMPARE(countFrames(b.sim, Frame::ReadBasic), 1);
    b.link.closePort();
    QCOMPARE(done.count(), 2);
    QCOMPARE(done.at(0).at(0).value<WriteResult>().request.item, Settings::JogTime);
    QCOMPARE(done.at(1).at(0).value<WriteResult>().request.item, Settings::MaxSpeed);
    for (const auto &args : done)
        QCOMPARE(args.at(0).value<WriteResult>().outcome, Outcome::Canceled);
    QCOMPARE(readDone.count(), 1);
    QCOMPARE(readDone.at(0).at(0).value<ReadResult>().outcome, ReadResult::Outcome::Canceled);
    QVERIFY(b.link.isIdle());
    QCOMPARE(countFrames(b.sim, Frame::WriteJogTime) + countFrames(b.sim, Frame::WriteMaxSpeed), 0);
}

void NamedWritesTest::theSameGarbleTwiceIsSeveralMotors_data()
{
    QTest::addColumn<QList<QByteArray>>("arrivals"); // each arrives on its own after a read went out
    QTest::addColumn<QString>("discarded"); // reasons, in order
    const QByteArray a = response(4, 1, 0, 1, 0, 130, 0xCA, 0x40);
    const QByteArray b = response(4, 2, 0, 1, 0, 130, 0xCA, 0x40);
    const QByteArray c = response(4, 4, 0, 1, 0, 90, 0xCA, 0x40);
    const QByteArray ab = MotorBus::collision({a, b});
    const QByteArray ac = MotorBus::collision({a, c});
    QByteArray badCheck = a;
    badCheck[9] = char(badCheck[9] ^ 1);
    QTest::newRow("the same garble twice") << QList {ab, ab} << "Noise,Collision";
    QTest::newRow("two different garbles") << QList {ab, ac} << "Noise,Noise";
    QTest::newRow("a clean answer between") << QList {ab, a, ab} << "Noise,Noise";
    QTest::newRow("a wrong check byte twice") << QList {badCheck, badCheck} << "BadCheck,BadCheck";
}

// A read to ID 4 went out; what comes back arrives piece by piece.
void NamedWritesTest::theSameGarbleTwiceIsSeveralMotors()
{
    QFETCH(QList<QByteArray>, arrivals);
    QFETCH(QString, discarded);
    Bench b;
    b.open();
    b.link.setStatusPolling(false);
    b.link.setTarget(at(4, 1));
    b.link.readSettings(Frame::ReadBasic);
    QCOMPARE(b.runTick().size(), 1);
    QStringList reasons;
    QObject::connect(&b.link, &MotorLink::bytesDiscarded, [&](const QByteArray &, MotorLink::Discard why, qint64) {
        reasons << QString::fromLatin1(QMetaEnum::fromType<MotorLink::Discard>().valueToKey(int(why)));
    });
    QSignalSpy received(&b.link, &MotorLink::frameReceived);
    int heard = 0;
    for (const QByteArray &bytes : arrivals) {
        QVERIFY(b.pty.write(bytes));
        ++heard;
        QTRY_COMPARE(reasons.size() + received.count(), heard);
    }
    QCOMPARE(reasons.join(u','), discarded);
}

QTEST_GUILESS_MAIN(NamedWritesTest)
#include "tst_named_writes.moc"
