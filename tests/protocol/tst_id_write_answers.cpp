// An ID write on a line whose motors answer at their own pace: clean answers
// arriving one after the other still mean several motors, and a motor that
// missed the write and still answers at the old address leaves it unconfirmed.
#include "Bench.h"

#include <QtTest>

namespace {

using Refusal = MotorLink::IdWriteRefusal;
constexpr int Written = -1; // a row's refusal when the write goes out and is confirmed
const QByteArray Question = MotorBus::commandFrame(0, 0x0201, Frame::ReadBasic, Frame::ReadBasic);

// The bench's line replaced by motors given as tavik-motor-sim's --motor texts.
void putOnTheLine(SimBench &b, const QStringList &motors)
{
    b.sim.bus().motors().clear();
    for (const QString &m : motors)
        QVERIFY2(b.sim.bus().addMotor(m), qPrintable(m));
}

// The motor 1:1 of the line is to become 5 on channels 1 and 10.
void writeIdAskingFirst(SimBench &b)
{
    b.link.setTarget({5, ChannelMask::ofWord(0x0201)});
    b.link.writeId(MotorLink::IdWrite::AskLineFirst);
    b.runUntilIdle(40);
    QVERIFY(b.link.isIdle());
}

QList<int> idsOnTheLine(const SimBench &b)
{
    QList<int> ids;
    for (const Motor &m : b.sim.bus().motors())
        ids << m.id;
    return ids;
}

} // namespace

class IdWriteAnswersTest : public QObject {
    Q_OBJECT
private slots:
    void answersOneAfterTheOther_data();
    void answersOneAfterTheOther();
    void aMotorThatMissedTheWrite_data();
    void aMotorThatMissedTheWrite();
};

void IdWriteAnswersTest::answersOneAfterTheOther_data()
{
    QTest::addColumn<QStringList>("line");
    QTest::addColumn<int>("answersPerQuestion"); // what the line carries back to each copy
    QTest::addColumn<int>("refusal"); // a Refusal, or Written
    // At 2400 bps an answer lasts 42 ms: 20 and 90 ms apart never overlap,
    // and both arrive long before the next tick (150 ms).
    QTest::newRow("one motor, late inside the wait: written") << QStringList {"1:1/delay=90"} << 1 << Written;
    QTest::newRow("two motors one after the other")
        << QStringList {"1:1/delay=20", "7:1/delay=90"} << 2 << int(Refusal::SeveralAnswered);
    QTest::newRow("two motors with one address one after the other")
        << QStringList {"1:1/delay=20", "1:1/delay=90"} << 2 << int(Refusal::SeveralAnswered);
    QTest::newRow("three motors with one address one after the other")
        << QStringList {"1:1/delay=10", "1:1/delay=60", "1:1/delay=110"} << 3 << int(Refusal::SeveralAnswered);
    QTest::newRow("the second motor's answer inside the first's: garbled")
        << QStringList {"1:1/delay=20", "1:1/delay=40"} << 1 << int(Refusal::Garbled);
}

// The question's copies are answered by every motor; the write goes out only
// when no more clean answers came than copies went out, all from one address.
void IdWriteAnswersTest::answersOneAfterTheOther()
{
    QFETCH(QStringList, line);
    QFETCH(int, answersPerQuestion);
    QFETCH(int, refusal);
    SimBench b;
    putOnTheLine(b, line);
    b.open();
    b.link.setStatusPolling(false);
    QSignalSpy refused(&b.link, &MotorLink::idWriteRefused);
    QSignalSpy confirmed(&b.link, &MotorLink::writeConfirmed);
    const int heardBefore = int(b.sim.frames().size());
    writeIdAskingFirst(b);

    // The line really carried what the row says, to both copies of the question.
    const auto &log = b.sim.frames();
    QVERIFY(log.size() >= heardBefore + 2);
    for (int i = heardBefore; i < heardBefore + 2; ++i) {
        QCOMPARE(log.at(i).bytes, Question);
        QCOMPARE(int(log.at(i).answers.size()), answersPerQuestion);
        QCOMPARE(log.at(i).answering, int(line.size()));
    }
    if (refusal == Written) {
        QCOMPARE(refused.count(), 0);
        QCOMPARE(confirmed.count(), 1);
        QCOMPARE(idsOnTheLine(b), QList<int> {5});
        return;
    }
    QCOMPARE(refused.count(), 1);
    QCOMPARE(refused.at(0).at(0).value<Refusal>(), Refusal(refusal));
    QCOMPARE(int(log.size()), heardBefore + 2); // nothing but the question went out
    QVERIFY(!idsOnTheLine(b).contains(5));
}

void IdWriteAnswersTest::aMotorThatMissedTheWrite_data()
{
    QTest::addColumn<QStringList>("line"); // the first motor is the one written
    QTest::addColumn<int>("secondDeafFrames"); // the second motor misses these many frames
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<bool>("motorAnswered"); // the failure's word: a motor answered at the new address
    QTest::addColumn<QList<int>>("idsAfter");
    // The question and the write go out twice each: four frames.
    QTest::newRow("deaf to question and write, at the old address: not confirmed")
        << QStringList {"1:1", "1:1"} << 4 << false << true << QList<int> {5, 1};
    QTest::newRow("deaf to question and write, at another address: confirmed")
        << QStringList {"1:1", "7:1"} << 4 << true << true << QList<int> {5, 7};
    QTest::newRow("deaf to the question only: both took the address, never confirmed")
        << QStringList {"1:1", "1:1"} << 2 << false << false << QList<int> {5, 5};
}

void IdWriteAnswersTest::aMotorThatMissedTheWrite()
{
    QFETCH(QStringList, line);
    QFETCH(int, secondDeafFrames);
    QFETCH(bool, confirmed);
    QFETCH(bool, motorAnswered);
    QFETCH(QList<int>, idsAfter);
    SimBench b;
    putOnTheLine(b, line);
    b.open();
    b.link.setStatusPolling(false);
    b.sim.bus().motors()[1].deafFrames = secondDeafFrames;
    QSignalSpy refused(&b.link, &MotorLink::idWriteRefused);
    QSignalSpy done(&b.link, &MotorLink::writeConfirmed);
    QSignalSpy failed(&b.link, &MotorLink::writeFailed);
    const int heardBefore = int(b.sim.frames().size());
    writeIdAskingFirst(b);

    QCOMPARE(refused.count(), 0);
    QCOMPARE(countFrames(b.sim, Frame::ForceIdChannels, 0xAA, heardBefore), 2);
    QCOMPARE(idsOnTheLine(b), idsAfter);
    QCOMPARE(done.count(), confirmed ? 1 : 0);
    QCOMPARE(failed.count(), confirmed ? 0 : 1);
    if (!confirmed)
        QCOMPARE(failed.at(0).at(1).toBool(), motorAnswered);
    // The old address is asked once the new one answered, and only then.
    const QByteArray oldRead = MotorBus::commandFrame(1, 0x0001, Frame::ReadBasic, Frame::ReadBasic);
    bool oldAsked = false;
    for (int i = heardBefore; i < int(b.sim.frames().size()); ++i)
        oldAsked = oldAsked || b.sim.frames().at(i).bytes == oldRead;
    QCOMPARE(oldAsked, motorAnswered);
}

QTEST_GUILESS_MAIN(IdWriteAnswersTest)
#include "tst_id_write_answers.moc"
