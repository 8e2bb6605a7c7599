// The device's answers: the receive path of the serial component, the checks
// of a frame, the position rules, the end of a scan and the confirmation of
// written settings, against a pseudo-terminal or the simulated motor.
#include "Bench.h"
#include "SettingsTable.h"

#include <QtTest>

namespace {

const QByteArray Status37 = hex("D8 01 01 00 00 00 00 25 02 27");

} // namespace

class ResponsesTest : public QObject {
    Q_OBJECT
private slots:
    void settingsAnswersLeaveTheLimitPointsAlone_data();
    void settingsAnswersLeaveTheLimitPointsAlone();
    void answersAmongTheWaitingBytes_data();
    void answersAmongTheWaitingBytes();
    void floodThenSilenceActsOnNothing();
    void positionKnownAndUnknown();
    void targetKeptWhileMotorReportsItsWay();
    void targetSettlesAfterFiveQuietReports();
    void scanEndsOnFirstBasicReport();
    void scanEndingWithIdOutsideTheLists();
    void oneReadIsHandledAfterAllItsReports();
    void baudCodeAboveFourFallsBackTo2400();
    void confirmedWriteShowsSuccessOnceAndStopsRetrying();
    void twoSetButtonsBeforeTheFirstIsConfirmed();
    void reportOfAnotherKindNeverConfirms();
};

void ResponsesTest::answersAmongTheWaitingBytes_data()
{
    // Each piece reaches the port in a read of its own.
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<int>("understood");
    QTest::addColumn<int>("shown");
    const QByteArray s37 = Status37;
    const QByteArray s64 = response(1, 1, 0, 0, 0, 0, 64, 0x02);
    QByteArray badCheck = Status37;
    badCheck[9] = char(0x26);
    QByteArray badLead = Status37;
    badLead[0] = char(0xD9);
    const QByteArray noise = hex("11 D8 22 D8");
    QTest::newRow("a lone answer") << QList {s37} << 1 << 37;
    QTest::newRow("an answer and a trailing byte") << QList {s37 + hex("55")} << 1 << 37;
    QTest::newRow("split across three reads") << QList {s37.left(3), s37.mid(3, 4), s37.mid(7)} << 1 << 37;
    QTest::newRow("after noise, before a trailing byte") << QList {noise + s37 + hex("D8")} << 1 << 37;
    QTest::newRow("two in one read: the newer is shown") << QList {s37 + s64} << 2 << 64;
    QTest::newRow("cut off, then a whole one") << QList {s64.left(6), s37} << 1 << 37;
    QTest::newRow("wrong check byte") << QList {badCheck + hex("00")} << 0 << -1;
    QTest::newRow("wrong lead byte") << QList {badLead + hex("00")} << 0 << -1;
    QTest::newRow("wrong check, then a good one") << QList {badCheck + s64} << 1 << 64;
}

void ResponsesTest::answersAmongTheWaitingBytes()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(int, understood);
    QFETCH(int, shown);
    Bench b;
    b.open();
    for (const QByteArray &piece : pieces) {
        const int before = b.reads;
        b.pty.write(piece);
        QTRY_COMPARE(b.reads, before + 1);
    }
    QCOMPARE(b.link.framesUnderstood(), quint64(understood));
    QCOMPARE(b.view.lastShownPercent, shown);
    QCOMPARE(b.comm.bytesWaiting(), 0);
    QCOMPARE(b.comm.receiveThreshold(), 1);
    if (shown >= 0)
        QCOMPARE(b.view.pointerPercent, shown);
}

void ResponsesTest::floodThenSilenceActsOnNothing()
{
    Bench b;
    b.open();
    // An answer read and acted on, then a backlog too large to read whose
    // bytes hold answers too: none of them, and not the earlier read, returns.
    b.pty.write(Status37);
    QTRY_COMPARE(b.view.lastShownPercent, 37);
    b.view.lastShownPercent = -1;
    QByteArray flood;
    while (flood.size() <= 4096)
        flood += response(1, 1, 0, 0, 0, 0, 64, 0x02);
    b.comm.setReceiveThreshold(0); // the backlog builds up whole before the next event
    b.pty.write(flood);
    QTRY_VERIFY(b.comm.bytesWaiting() > 4096);
    b.comm.setReceiveThreshold(1);
    QTRY_VERIFY(b.comm.discardedBytes() > 0);
    QTest::qWait(250); // two more polls over a silent line
    QCOMPARE(b.view.lastShownPercent, -1);
    QCOMPARE(b.link.framesUnderstood(), quint64(1));
}

void ResponsesTest::positionKnownAndUnknown()
{
    Bench b;
    b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 80, 0x02 | 0x10));
    QCOMPARE(b.view.lastShownPercent, 80);
    QCOMPARE(b.view.pointerPercent, 80);
    QCOMPARE(b.view.limitRefreshes, 1);
    QCOMPARE(b.link.deviceStatus(), Byte(0x12));
    b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 20, 0x10));
    QCOMPARE(b.view.hides, 1);
    QCOMPARE(b.view.lastShownPercent, 80); // not shown again
    QCOMPARE(b.view.limitRefreshes, 2); // the limit points follow every frame
}

void ResponsesTest::targetKeptWhileMotorReportsItsWay()
{
    Bench b;
    // The user put the pointer at 50 % and let go of it.
    b.view.target.setPercent(b.view.pointerPercent = 50);
    b.view.target.hold();
    b.view.target.letGo();
    for (Byte p : {46, 47}) {
        b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, p, 0x42));
        QVERIFY(b.view.target.pending());
        QCOMPARE(b.view.pointerPercent, 50); // the pointer stays where the user put it
        QCOMPARE(b.view.lastShownPercent, int(p));
    }
    b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 49, 0x42));
    QVERIFY(!b.view.target.pending());
    b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 49, 0x42));
    QCOMPARE(b.view.pointerPercent, 49); // following the motor again

    // While the pointer is held, reaching the target does not end it.
    b.view.target.hold();
    for (int i = 0; i < 6; ++i) // nor do quiet reports
        b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 49, 0x02));
    QVERIFY(b.view.target.pending());
}

void ResponsesTest::targetSettlesAfterFiveQuietReports()
{
    Bench b;
    b.view.target.setPercent(90); // never reached
    b.view.target.hold();
    b.view.target.letGo();
    for (int i = 1; i <= 4; ++i)
        b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 30, 0x02));
    QVERIFY(b.view.target.pending());
    b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 30, 0x42)); // bit 6 restarts the count
    for (int i = 1; i <= 4; ++i)
        b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 30, 0x02));
    QVERIFY(b.view.target.pending());
    b.link.actOnAnswer(report(1, 1, 0, 0, 0, 0, 30, 0x02)); // the fifth in a row
    QVERIFY(!b.view.target.pending());
}

void ResponsesTest::scanEndsOnFirstBasicReport()
{
    SimBench b;
    b.sim.bus().setBaudCode(3);
    b.sim.bus().motors().clear();
    Motor &m = b.sim.bus().addMotor(12, 0x0005);
    m.maxSpeed = 100;
    m.jogTime = 7;
    b.open();
    b.link.startSettingsRead(true);
    int n = 0;
    while (b.link.isScanning() && n++ < 30)
        b.ticks(1);
    QVERIFY(n < 18);
    QCOMPARE(b.comm.bitsPerSecond(), 9600);
    QCOMPARE(b.link.target(), (MotorTarget {12, ChannelMask {{0x05, 0x00}}}));
    QCOMPARE(b.view.selectedIds, QList<int> {12});
    QCOMPARE(b.view.settingsOpened, 1);
    QVERIFY(std::holds_alternative<LinkJob::ExtendedRead>(b.link.job()));
    QCOMPARE(b.link.motorSettings().maxSpeed, Byte(100));
    QCOMPARE(b.link.motorSettings().deviceBaudCode, Byte(3));
    // The next free ticks read the extended settings (the read goes out
    // twice, and each answer is loaded).
    QTRY_VERIFY_WITH_TIMEOUT((b.ticks(1), b.view.extendedShown >= 1), 5000);
    QCOMPARE(b.link.motorSettings().jogTime, Byte(7));
}

// A listener that starts new work on a report (tavik-cli does) waits for
// answersHandled: by then the link has acted on every answer of the read, and
// a scan's end has moved the target to the motor found.
void ResponsesTest::oneReadIsHandledAfterAllItsReports()
{
    Bench b;
    b.open();
    b.link.chooseId(3);
    b.link.startSettingsRead(false);
    QStringList heard;
    QObject::connect(&b.link, &MotorLink::basicReport,
                     [&](const SettingsReport &r) { heard << QStringLiteral("basic %1").arg(r.from.id); });
    QObject::connect(&b.link, &MotorLink::statusAnswer,
                     [&](const StatusReport &r) { heard << QStringLiteral("status %1").arg(r.from.id); });
    QObject::connect(&b.link, &MotorLink::reportedChannels, [&] { heard << QStringLiteral("channels"); });
    QObject::connect(&b.link, &MotorLink::answersHandled, [&] {
        heard << QStringLiteral("handled, target %1, %2")
                     .arg(b.link.target().id)
                     .arg(b.link.isScanning() ? QStringLiteral("scanning") : QStringLiteral("scan over"));
    });
    b.link.examineBytes(response(12, 0x05, 0, 3, 1, 100, 0xCA, 0x40) + response(7, 1, 0, 0, 0, 0, 40, 0x02));
    QCOMPARE(heard,
             (QStringList {QStringLiteral("basic 12"), QStringLiteral("channels"), QStringLiteral("status 7"),
                           QStringLiteral("handled, target 12, scan over")}));
    heard.clear();
    b.link.actOnAnswer(report(12, 0x05, 0, 0, 0, 0, 55, 0x02));
    QCOMPARE(heard, (QStringList {QStringLiteral("status 12"), QStringLiteral("handled, target 12, scan over")}));
}

void ResponsesTest::scanEndingWithIdOutsideTheLists()
{
    for (int id : {100, 255}) {
        Bench b;
        b.open();
        const MotorTarget before {4, ChannelMask {{0x09, 0x00}}};
        b.link.setTarget(before);
        b.link.startSettingsRead(false);
        b.link.actOnAnswer(report(Byte(id), 0xFF, 0xFF, 1, 2, 100, 0xCA, 0x40));
        QVERIFY(std::holds_alternative<LinkJob::ExtendedRead>(b.link.job()));
        QCOMPARE(b.link.target(), before); // the target and its channels stay as they were
        QCOMPARE(b.link.channelMemory()[99].word(), std::uint16_t(0x0001));
        QCOMPARE(b.view.selectedIds, QList<int> {});
        QCOMPARE(b.view.outOfRangeId, id);
        QCOMPARE(b.link.motorSettings().dryContactMode, Byte(2)); // the values still load
    }
}

void ResponsesTest::baudCodeAboveFourFallsBackTo2400()
{
    Bench b;
    b.open(9600);
    b.link.actOnAnswer(report(1, 1, 0, 7, 0, 130, 0xCA, 0x40));
    QCOMPARE(b.link.motorSettings().deviceBaudCode, Byte(1));
    QCOMPARE(b.comm.bitsPerSecond(), 2400);
    QCOMPARE(b.pty.lineRateBps(), 2400);
    QCOMPARE(b.view.basicShown, 1);
}

void ResponsesTest::confirmedWriteShowsSuccessOnceAndStopsRetrying()
{
    SimBench b;
    b.open();
    b.link.chooseId(1);
    b.link.setStatusPolling(false); // the settings window is open: no polls
    b.link.writeSetting(Settings::DryContact, 3);
    b.ticks(14);
    QCOMPARE(b.sim.bus().motors().first().dryContactMode, quint8(3));
    QCOMPARE(b.view.messages, QStringList {QStringLiteral("  设置成功  ")});
    QVERIFY(b.link.isIdle());
    QCOMPARE(countFrames(b.sim, Frame::WriteDryContact), 2);
    // One read-back sufficed; its first answer may confirm before the second
    // copy of the read goes out.
    const int reads = countFrames(b.sim, Frame::ReadBasic);
    QVERIFY(reads >= 1 && reads <= 2);
}

void ResponsesTest::twoSetButtonsBeforeTheFirstIsConfirmed()
{
    SimBench b;
    b.open();
    b.link.chooseId(1);
    b.link.setStatusPolling(false);
    b.link.writeSetting(Settings::DryContact, 4);
    b.ticks(2); // the dry-contact write is out
    b.link.writeSetting(Settings::JogTime, 9);
    b.ticks(20);
    // The motor took both; the second write's read-back replaced the first's,
    // so only the jog time is read back and confirmed, and no failure is
    // reported for a write the motor took.
    QCOMPARE(b.sim.bus().motors().first().dryContactMode, quint8(4));
    QCOMPARE(b.sim.bus().motors().first().jogTime, quint8(9));
    QCOMPARE(b.view.messages, QStringList {QStringLiteral("  设置成功  ")});
    QCOMPARE(countFrames(b.sim, Frame::ReadBasic), 0);
}

void ResponsesTest::reportOfAnotherKindNeverConfirms()
{
    Bench b;
    b.link.writeSetting(Settings::JogTime, 5);
    // A basic report whose byte 4 happens to equal the jog time.
    b.link.actOnAnswer(report(1, 1, 0, 5, 5, 5, 0xCA, 5));
    QVERIFY(std::holds_alternative<LinkJob::ReadBack>(b.link.job()));
    // An extended report whose byte 5 happens to equal the dry-contact mode.
    b.link.writeSetting(Settings::DryContact, 5);
    b.link.actOnAnswer(report(0, 0, 0, 5, 5, 5, 0xCB, 5));
    QVERIFY(std::holds_alternative<LinkJob::ReadBack>(b.link.job()));
    // And the ID write is read back by ID and channels only.
    b.link.setTarget({7, ChannelMask {{0x01, 0x00}}});
    b.link.writeId(MotorLink::IdWrite::Forced);
    b.link.actOnAnswer(report(0, 1, 0, 5, 5, 5, 0xCA, 5));
    QVERIFY(std::holds_alternative<LinkJob::ReadBack>(b.link.job()));
    QCoreApplication::processEvents();
    QCOMPARE(b.view.messages, QStringList {});
}

// A basic settings answer carries the curtain functions where other answers
// carry the status: the limit points must not take those bits for theirs.
void ResponsesTest::settingsAnswersLeaveTheLimitPointsAlone_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("limitBits"); // of limit points 1 and 3 (0x04 | 0x10), or none
    QTest::newRow("factory flags, points 1 and 3") << 0x40 << 0x14;
    QTest::newRow("every flag, no point") << 0xFF << 0x00;
    QTest::newRow("flags that look like points 2 and 4, point 1") << 0x28 << 0x04;
}

void ResponsesTest::settingsAnswersLeaveTheLimitPointsAlone()
{
    QFETCH(int, flags);
    QFETCH(int, limitBits);
    SimBench b;
    b.sim.bus().setBaudCode(1);
    Motor &m = b.sim.bus().motors().first();
    m.curtainFunctions = quint8(flags);
    if (limitBits & 0x04)
        m.limits[0] = 20;
    if (limitBits & 0x10)
        m.limits[2] = 60;
    b.open();
    b.link.chooseId(1);
    b.ticks(3); // status polls
    const Byte status = b.link.deviceStatus();
    QCOMPARE(status & 0x3C, limitBits);
    QList<Byte> reported;
    QObject::connect(&b.link, &MotorLink::statusReported, [&](Byte s) { reported << s; });
    b.link.setStatusPolling(false); // the settings window is open
    b.link.startSettingsRead(true);
    for (int n = 0; n < 12 && b.view.extendedShown == 0; ++n)
        b.ticks(1);
    QVERIFY(b.view.basicShown > 0 && b.view.extendedShown > 0);
    QCOMPARE(b.link.motorSettings().curtainFunctions, Byte(flags));
    for (Byte s : reported) // only the extended answers said anything, and the same
        QCOMPARE(s & 0x3C, limitBits);
    QCOMPARE(b.link.deviceStatus() & 0x3C, limitBits);
}

QTEST_GUILESS_MAIN(ResponsesTest)
#include "tst_responses.moc"
