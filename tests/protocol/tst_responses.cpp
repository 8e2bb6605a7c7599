// The device's answers: the receive path of the serial component, the checks
// of a frame, the position rules, the end of a scan and the confirmation of
// written settings, against a pseudo-terminal or the simulated motor.
#include "Bench.h"
#include "WrittenSettings.h"

#include <QtTest>

namespace {

const QByteArray Status37 = hex("D8 01 01 00 00 00 00 25 02 27");

} // namespace

class ResponsesTest : public QObject {
    Q_OBJECT
private slots:
    void answersAmongTheWaitingBytes_data();
    void answersAmongTheWaitingBytes();
    void floodThenSilenceActsOnNothing();
    void positionKnownAndUnknown();
    void targetKeptWhileMotorReportsItsWay();
    void targetSettlesAfterFiveQuietReports();
    void scanEndsOnFirstBasicReport();
    void scanEndingWithIdOutsideTheLists();
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
    QCOMPARE(b.responses.framesUnderstood(), quint64(understood));
    QCOMPARE(b.view.lastShownPercent, shown);
    QCOMPARE(b.s.StatusSeen, Byte(understood > 0));
    QCOMPARE(b.comm.DataCount(), 0);
    QCOMPARE(b.comm.RThreshold(), 1);
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
    b.comm.setRThreshold(0); // the backlog builds up whole before the next event
    b.pty.write(flood);
    QTRY_VERIFY(b.comm.DataCount() > 4096);
    b.comm.setRThreshold(1);
    QTRY_VERIFY(b.comm.discardedBytes() > 0);
    QTest::qWait(250); // two more polls over a silent line
    QCOMPARE(b.view.lastShownPercent, -1);
    QCOMPARE(b.responses.framesUnderstood(), quint64(1));
}

void ResponsesTest::positionKnownAndUnknown()
{
    Bench b;
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 80, 0x02 | 0x10));
    QCOMPARE(b.view.lastShownPercent, 80);
    QCOMPARE(b.view.pointerPercent, 80);
    QCOMPARE(b.view.limitRefreshes, 1);
    QCOMPARE(b.s.DeviceStatus, Byte(0x12));
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 20, 0x10));
    QCOMPARE(b.view.hides, 1);
    QCOMPARE(b.view.lastShownPercent, 80); // not shown again
    QCOMPARE(b.view.limitRefreshes, 2);    // the limit points follow every frame
}

void ResponsesTest::targetKeptWhileMotorReportsItsWay()
{
    Bench b;
    b.s.PositionTargetPercent = b.view.pointerPercent = 50; // the user put the pointer at 50 %
    b.s.PositionTargetActive = 1;
    for (Byte p : {46, 47}) {
        b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, p, 0x42));
        QCOMPARE(b.s.PositionTargetActive, Byte(1));
        QCOMPARE(b.view.pointerPercent, 50); // the pointer stays where the user put it
        QCOMPARE(b.view.lastShownPercent, int(p));
    }
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 49, 0x42));
    QCOMPARE(b.s.PositionTargetActive, Byte(0));
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 49, 0x42));
    QCOMPARE(b.view.pointerPercent, 49); // following the motor again

    // While the pointer is held, reaching the target does not end it.
    b.s.PositionTargetActive = 1;
    b.s.PositionDragging = 1;
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 49, 0x02));
    QCOMPARE(b.s.PositionTargetActive, Byte(1));
    QCOMPARE(b.s.PositionSettleCount, Byte(0));
}

void ResponsesTest::targetSettlesAfterFiveQuietReports()
{
    Bench b;
    b.s.PositionTargetPercent = 90; // never reached
    b.s.PositionTargetActive = 1;
    for (int i = 1; i <= 4; ++i) {
        b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 30, 0x02));
        QCOMPARE(b.s.PositionSettleCount, Byte(i));
    }
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 30, 0x42)); // bit 6 restarts the count
    QCOMPARE(b.s.PositionSettleCount, Byte(0));
    for (int i = 1; i <= 5; ++i)
        b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 30, 0x02));
    QCOMPARE(b.s.PositionTargetActive, Byte(0));
    QCOMPARE(b.s.PositionSettleCount, Byte(0));
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
    b.s.OpenSettingsAfterScan = 1;
    QVERIFY(b.runScan(30) < 18);
    QCOMPARE(b.comm.BaudRate(), br9600);
    QCOMPARE(b.s.TargetId, 12);
    QCOMPARE(b.s.SelectedIdIndex, Byte(13));
    QCOMPARE(b.s.currentMask().word(), std::uint16_t(0x0005));
    QCOMPARE(b.view.selectedIds, QList<int> {12});
    QCOMPARE(b.view.settingsOpened, 1);
    QCOMPARE(b.s.OpenSettingsAfterScan, Byte(0));
    QCOMPARE(b.s.Features.maxSpeed, Byte(100));
    QCOMPARE(b.s.Features.deviceBaudCode, Byte(3));
    // The next free ticks read the extended settings (the read goes out
    // twice, and each answer is loaded).
    QTRY_VERIFY_WITH_TIMEOUT((b.ticks(1), b.view.extendedShown >= 1), 5000);
    QCOMPARE(b.s.Features.jogTime, Byte(7));
}

void ResponsesTest::scanEndingWithIdOutsideTheLists()
{
    for (int id : {100, 255}) {
        Bench b;
        b.open();
        b.s.selectTarget(4);
        b.s.currentMask().setWord(0x0009);
        b.s.BaudScanActive = 1;
        b.responses.handleFrame(report(Byte(id), 0xFF, 0xFF, 1, 2, 100, 0xCA, 0x40));
        QCOMPARE(b.s.BaudScanActive, Byte(0));
        QCOMPARE(b.s.ExtReadPending, Byte(1));
        QCOMPARE(b.s.TargetId, 4); // the target and its channels stay as they were
        QCOMPARE(b.s.currentMask().word(), std::uint16_t(0x0009));
        QCOMPARE(b.s.ChannelMaskTable[100].word(), std::uint16_t(0x0001));
        QCOMPARE(b.view.selectedIds, QList<int> {});
        QCOMPARE(b.view.outOfRangeId, id);
        QCOMPARE(b.s.Features.dryContactMode, Byte(2)); // the values still load
    }
}

void ResponsesTest::baudCodeAboveFourFallsBackTo2400()
{
    Bench b;
    b.open(br9600);
    b.responses.handleFrame(report(1, 1, 0, 7, 0, 130, 0xCA, 0x40));
    QCOMPARE(b.s.Features.deviceBaudCode, Byte(1));
    QCOMPARE(b.comm.BaudRate(), br2400);
    QCOMPARE(b.pty.lineRateBps(), 2400);
    QCOMPARE(b.view.basicShown, 1);
}

void ResponsesTest::confirmedWriteShowsSuccessOnceAndStopsRetrying()
{
    SimBench b;
    b.open();
    b.s.selectTarget(1);
    b.link.setSettingsWindowOpen(true); // the settings window is open: no polls
    b.s.Features.dryContactMode = 3;
    b.link.stageWrite(Settings::DryContact);
    b.ticks(14);
    QCOMPARE(b.sim.bus().motors().first().dryContactMode, quint8(3));
    QCOMPARE(b.view.messages, QStringList {QStringLiteral("  设置成功  ")});
    QCOMPARE(b.s.VerifyBasicPending, Byte(0));
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
    b.s.selectTarget(1);
    b.link.setSettingsWindowOpen(true);
    b.s.Features.dryContactMode = 4;
    b.link.stageWrite(Settings::DryContact);
    b.ticks(2); // the dry-contact write is out
    b.s.Features.jogTime = 9;
    b.link.stageWrite(Settings::JogTime);
    b.ticks(20);
    // The motor took both, but only the jog time is compared with its report.
    QCOMPARE(b.sim.bus().motors().first().dryContactMode, quint8(4));
    QCOMPARE(b.sim.bus().motors().first().jogTime, quint8(9));
    QCOMPARE(b.view.messages, (QStringList {QStringLiteral("  设置成功  "), QStringLiteral("  设置失败  ")}));
}

void ResponsesTest::reportOfAnotherKindNeverConfirms()
{
    Bench b;
    b.s.MsgSetSuccess = QStringLiteral("ok");
    b.s.Features.jogTime = 5;
    b.s.VerifyBasicPending = 1;
    b.s.VerifyItem = Settings::JogTime;
    // A basic report whose byte 4 happens to equal the jog time.
    b.responses.handleFrame(report(1, 1, 0, 5, 5, 5, 0xCA, 5));
    QCOMPARE(b.s.VerifyBasicPending, Byte(1));
    b.s.VerifyBasicPending = 0;
    b.s.VerifyIdPending = 1;
    b.s.VerifyItem = Settings::DryContact;
    b.responses.handleFrame(report(0, 0, 0, 5, 5, 5, 0xCA, 5));
    QCOMPARE(b.s.VerifyIdPending, Byte(1));
    QCoreApplication::processEvents();
    QCOMPARE(b.view.messages, QStringList {});
}

QTEST_GUILESS_MAIN(ResponsesTest)
#include "tst_responses.moc"
