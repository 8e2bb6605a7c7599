// A line of several motors: only the motor a frame addressed counts, answers
// that collide are never taken for an answer, and an ID write asks the line
// who is on it before it goes out and is confirmed only by what the line says.
#include "Bench.h"
#include "SettingsTable.h"

#include <QtTest>

namespace {

using Refusal = MotorLink::IdWriteRefusal;

MotorTarget at(int id, quint16 channels)
{
    ChannelMask mask;
    mask.setWord(channels);
    return {id, mask};
}

// The frames the simulated line heard from index `from` on.
QList<QByteArray> heardSince(const MotorSim &sim, int from)
{
    QList<QByteArray> frames;
    for (int i = from; i < int(sim.frames().size()); ++i)
        frames << sim.frames().at(i).bytes;
    return frames;
}

// Motors with these IDs on channel 1 beside the bench's 1:1, or {-1}: none at all.
void putOnTheLine(SimBench &b, const QList<int> &motorIds)
{
    if (motorIds == QList<int> {-1})
        b.sim.bus().motors().clear();
    else
        for (int id : motorIds)
            b.sim.bus().addMotor(id, 0x0001);
}

} // namespace

class LineOfMotorsTest : public QObject {
    Q_OBJECT
private slots:
    void statusCountsOnlyFromTheMotorPolled_data();
    void statusCountsOnlyFromTheMotorPolled();
    void readBackCountsOnlyTheMotorWritten();
    void collidingAnswersAreNeverAnAnswer();
    void aScanSaysHowItEnded_data();
    void aScanSaysHowItEnded();
    void idWriteAsksTheLineFirst_data();
    void idWriteAsksTheLineFirst();
    void forcedIdWriteOntoATakenAddressIsNeverConfirmed();
};

void LineOfMotorsTest::statusCountsOnlyFromTheMotorPolled_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("mask");
    QTest::addColumn<bool>("counted");
    QTest::newRow("the motor polled") << 1 << 0x0001 << true;
    QTest::newRow("the motor polled, on more channels") << 1 << 0x0003 << true;
    QTest::newRow("another ID, same channel") << 2 << 0x0001 << false;
    QTest::newRow("the same ID, another channel") << 1 << 0x0002 << false;
}

// A poll to 1:1; the answer comes from the motor given.  Every answer is
// reported with its sender; only the polled motor's moves the pointer.
void LineOfMotorsTest::statusCountsOnlyFromTheMotorPolled()
{
    QFETCH(int, id);
    QFETCH(int, mask);
    QFETCH(bool, counted);
    Bench b;
    b.open();
    b.link.setTarget(at(1, 0x0001));
    QCOMPARE(b.runTick(), QList {hex("9A 01 01 00 CC 00 CC")});
    QSignalSpy answers(&b.link, &MotorLink::statusAnswer);
    QSignalSpy received(&b.link, &MotorLink::frameReceived);
    QVERIFY(b.pty.write(response(Byte(id), Byte(mask), Byte(mask >> 8), 0, 0, 0, 40, Frame::StatusPositionKnown)));
    QTRY_COMPARE(received.count(), 1); // the monitor sees every answer
    QCOMPARE(answers.count(), 1);
    const auto report = answers.at(0).at(0).value<StatusReport>();
    QCOMPARE(report.from, at(id, quint16(mask)));
    QCOMPARE(report.percent, std::optional<int>(40));
    QCOMPARE(report.fromAddressed, counted);
    QCOMPARE(b.view.lastShownPercent, counted ? 40 : -1);
    QCOMPARE(b.view.limitRefreshes, counted ? 1 : 0);
    QCOMPARE(b.link.deviceStatus(), counted ? Frame::StatusPositionKnown : Byte(0));
}

// A write to 1:1 is read back; a late answer of motor 2 that happens to
// carry the written value neither confirms it nor lands in the settings.
void LineOfMotorsTest::readBackCountsOnlyTheMotorWritten()
{
    Bench b;
    b.open();
    b.link.setTarget(at(1, 0x0001));
    b.link.setStatusPolling(false);
    b.link.writeSetting(Settings::DryContact, 3);
    for (int i = 0; i < 3; ++i)
        b.runTick(); // the write twice, then the first read-back
    QSignalSpy confirmed(&b.link, &MotorLink::writeConfirmed);
    QSignalSpy failed(&b.link, &MotorLink::writeFailed);
    QSignalSpy received(&b.link, &MotorLink::frameReceived);
    QVERIFY(b.pty.write(response(2, 1, 0, 1, 3, 77, 0xCA, 0x40)));
    QTRY_COMPARE(received.count(), 1);
    QCOMPARE(confirmed.count(), 0);
    QCOMPARE(failed.count(), 0);
    QCOMPARE(b.view.basicShown, 0);
    QVERIFY(b.link.motorSettings().maxSpeed != 77);
    QVERIFY(std::holds_alternative<LinkJob::ReadBack>(b.link.job()));
    // The motor written answers: that confirms it.
    QVERIFY(b.pty.write(response(1, 1, 0, 1, 3, 100, 0xCA, 0x40)));
    QTRY_COMPARE(confirmed.count(), 1);
    QCOMPARE(failed.count(), 0);
}

// Two motors answer one group read at once: what the line carries is
// reported as a collision, and nothing of it is taken for an answer.
void LineOfMotorsTest::collidingAnswersAreNeverAnAnswer()
{
    SimBench b;
    b.sim.bus().addMotor(2, 0x0002);
    b.open();
    b.link.setStatusPolling(false);
    QList<MotorLink::Discard> kinds;
    QObject::connect(&b.link, &MotorLink::bytesDiscarded,
                     [&](const QByteArray &, MotorLink::Discard why, qint64) { kinds << why; });
    QSignalSpy received(&b.link, &MotorLink::frameReceived);
    b.link.setTarget(at(0, 0x0001));
    b.link.readSettings(Frame::ReadBasic);
    b.ticks(2);
    QTRY_VERIFY(kinds.contains(MotorLink::Discard::Collision));
    b.ticks(2);
    QCOMPARE(received.count(), 0);
    QCOMPARE(b.view.basicShown, 0);
    QCOMPARE(b.link.framesUnderstood(), quint64(0));
}

void LineOfMotorsTest::aScanSaysHowItEnded_data()
{
    QTest::addColumn<QList<int>>("motorIds"); // each on channel 1, besides the bench's 1:1
    QTest::addColumn<int>("end");
    using End = MotorLink::ScanEnd;
    QTest::newRow("one motor") << QList<int> {} << int(End::MotorAnswered);
    QTest::newRow("two motors, every answer garbled") << QList<int> {7} << int(End::SeveralAnswered);
    QTest::newRow("three motors") << QList<int> {7, 9} << int(End::SeveralAnswered);
    QTest::newRow("no motor") << QList<int> {-1} << int(End::NoneAnswered);
}

// A scan to the whole line that several motors answer finds none of them,
// and says it was not silence.
void LineOfMotorsTest::aScanSaysHowItEnded()
{
    QFETCH(QList<int>, motorIds);
    QFETCH(int, end);
    SimBench b;
    putOnTheLine(b, motorIds);
    b.open();
    b.link.setStatusPolling(false);
    b.link.setTarget(at(0, 0x0001));
    QList<MotorLink::ScanEnd> ends;
    QObject::connect(&b.link, &MotorLink::scanEnded, [&](MotorLink::ScanEnd e) { ends << e; });
    b.link.startSettingsRead(false);
    for (int n = 0; n < 30 && ends.isEmpty(); ++n)
        b.ticks(1);
    QCOMPARE(ends.size(), 1);
    QCOMPARE(int(ends.first()), end);
}

void LineOfMotorsTest::idWriteAsksTheLineFirst_data()
{
    QTest::addColumn<QList<int>>("motorIds"); // each on channel 1, besides the bench's 1:1
    QTest::addColumn<bool>("writeIgnored");
    QTest::addColumn<int>("refusal"); // -1: written
    QTest::addColumn<bool>("confirmed");
    QTest::newRow("one motor: written and confirmed") << QList<int> {} << false << -1 << true;
    QTest::newRow("one motor that ignores the write: never confirmed") << QList<int> {} << true << -1 << false;
    QTest::newRow("two motors: refused") << QList<int> {7} << false << int(Refusal::Garbled) << false;
    QTest::newRow("three motors: refused") << QList<int> {7, 9} << false << int(Refusal::Garbled) << false;
    QTest::newRow("no motor: refused") << QList<int> {-1} << false << int(Refusal::NoneAnswered) << false;
}

// The window's ID write: motor 1:1 is to become 5 on channels 1 and 10.
void LineOfMotorsTest::idWriteAsksTheLineFirst()
{
    QFETCH(QList<int>, motorIds);
    QFETCH(bool, writeIgnored);
    QFETCH(int, refusal);
    QFETCH(bool, confirmed);
    SimBench b;
    putOnTheLine(b, motorIds);
    if (writeIgnored) {
        MotorSim::Faults faults;
        faults.ignoredWrites = {Frame::ForceIdChannels};
        b.sim.setFaults(faults);
    }
    b.open();
    b.link.setStatusPolling(false);
    QSignalSpy refused(&b.link, &MotorLink::idWriteRefused);
    QSignalSpy done(&b.link, &MotorLink::writeConfirmed);
    QSignalSpy failed(&b.link, &MotorLink::writeFailed);
    const int heardBefore = int(b.sim.frames().size());
    b.link.setTarget(at(5, 0x0201));
    b.link.writeId(MotorLink::IdWrite::AskLineFirst);
    b.runUntilIdle();
    const QList<QByteArray> heard = heardSince(b.sim, heardBefore);
    const QByteArray groupRead = MotorBus::commandFrame(0, 0x0201, Frame::ReadBasic, Frame::ReadBasic);
    QCOMPARE(heard.mid(0, 2), (QList {groupRead, groupRead}));
    if (refusal >= 0) {
        QCOMPARE(refused.count(), 1);
        QCOMPARE(refused.at(0).at(0).value<Refusal>(), Refusal(refusal));
        QCOMPARE(heard.size(), 2); // nothing but the question went out
        QCOMPARE(done.count() + failed.count(), 0);
        for (const Motor &m : b.sim.bus().motors())
            QVERIFY(m.id != 5);
        return;
    }
    QCOMPARE(refused.count(), 0);
    QCOMPARE(countFrames(b.sim, Frame::ForceIdChannels, 0xAA, heardBefore), 2);
    QCOMPARE(done.count(), confirmed ? 1 : 0);
    QCOMPARE(failed.count(), confirmed ? 0 : 1);
    if (confirmed) {
        // The old address was asked and stayed silent.
        QVERIFY(heard.contains(MotorBus::commandFrame(1, 0x0001, Frame::ReadBasic, Frame::ReadBasic)));
        QCOMPARE(b.sim.bus().motors().at(0).id, 5);
    }
}

// Without asking, both motors of the line take the ID: reading it back
// collides, so the write is never reported confirmed.
void LineOfMotorsTest::forcedIdWriteOntoATakenAddressIsNeverConfirmed()
{
    SimBench b;
    b.sim.bus().addMotor(5, 0x0001);
    b.open();
    b.link.setStatusPolling(false);
    QSignalSpy done(&b.link, &MotorLink::writeConfirmed);
    QSignalSpy failed(&b.link, &MotorLink::writeFailed);
    const int heardBefore = int(b.sim.frames().size());
    b.link.setTarget(at(5, 0x0001));
    b.link.writeId(MotorLink::IdWrite::Forced);
    b.runUntilIdle();
    QCOMPARE(countFrames(b.sim, Frame::ReadBasic, 0xAA, heardBefore), 0); // no question first
    QCOMPARE(countFrames(b.sim, Frame::ForceIdChannels, 0xAA, heardBefore), 2);
    QCOMPARE(done.count(), 0);
    QCOMPARE(failed.count(), 1);
}

QTEST_GUILESS_MAIN(LineOfMotorsTest)
#include "tst_line_of_motors.moc"
