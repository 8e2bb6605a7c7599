// The device's answers: the receive path of the serial component, the checks
// of a frame, the position rules, the end of a scan and the confirmation of
// written settings, against a pseudo-terminal or the simulated motor.
#include "Bench.h"
#include "Messages.h"
#include "Settings.h"

#include <QtTest>

namespace {

const QByteArray Status37 = hex("D8 01 01 00 00 00 00 25 02 27");

} // namespace

class ResponsesTest : public QObject {
    Q_OBJECT
private slots:
    void moreThanTenBytesAreNeeded();
    void badLeadOrCheckChangesNothing();
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

void ResponsesTest::moreThanTenBytesAreNeeded()
{
    Bench b;
    b.open();
    b.pty.write(Status37);
    QTest::qWait(350); // three polls see exactly ten bytes
    QCOMPARE(b.view.lastShownPercent, -1);
    QCOMPARE(b.comm.DataCount(), 10);
    b.pty.write(QByteArray(1, char(0x55)));
    QTRY_COMPARE(b.view.lastShownPercent, 37);
    QCOMPARE(b.view.PointerLeft(), 413);
    QCOMPARE(b.s.DeviceStatus, Byte(0x02));
    QCOMPARE(b.s.StatusSeen, Byte(1));
    QCOMPARE(b.comm.DataCount(), 0);
    QCOMPARE(b.comm.RThreshold(), 1);
}

void ResponsesTest::badLeadOrCheckChangesNothing()
{
    Bench b;
    b.open();
    QByteArray badCheck = Status37;
    badCheck[9] = char(0x26);
    QByteArray badLead = Status37;
    badLead[0] = char(0xD9);
    for (const QByteArray &bad : {badCheck, badLead}) {
        const int before = b.reads;
        b.pty.write(bad + QByteArray(1, '\0'));
        QTRY_COMPARE(b.reads, before + 1);
    }
    QCOMPARE(b.s.StatusSeen, Byte(0));
    QCOMPARE(b.view.limitRefreshes, 0);
    // Only a frame at the first byte counts: a good frame behind garbage is lost with it.
    b.pty.write(QByteArray(3, char(0x11)) + Status37 + QByteArray(1, '\0'));
    QTRY_COMPARE(b.reads, 3);
    QCOMPARE(b.comm.DataCount(), 0);
    QCOMPARE(b.s.StatusSeen, Byte(0));
    // The next whole frame is understood again.
    b.pty.write(Status37 + QByteArray(1, '\0'));
    QTRY_COMPARE(b.view.lastShownPercent, 37);
}

void ResponsesTest::positionKnownAndUnknown()
{
    Bench b;
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 80, 0x02 | 0x10));
    QCOMPARE(b.view.lastShownPercent, 80);
    QCOMPARE(b.view.PointerLeft(), 339 + 160);
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
    b.view.SetPointerLeft(339 + 100); // the user chose 50 %
    b.s.PositionTargetActive = 1;
    for (Byte p : {46, 47}) {
        b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, p, 0x42));
        QCOMPARE(b.s.PositionTargetActive, Byte(1));
        QCOMPARE(b.view.PointerLeft(), 439); // the pointer stays where the user put it
        QCOMPARE(b.view.lastShownPercent, int(p));
    }
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 49, 0x42));
    QCOMPARE(b.s.PositionTargetActive, Byte(0));
    b.responses.handleFrame(report(1, 1, 0, 0, 0, 0, 49, 0x42));
    QCOMPARE(b.view.PointerLeft(), 339 + 98); // following the motor again

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
    b.view.SetPointerLeft(339 + 180); // 90 %, never reached
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
    QCOMPARE(b.s.Features.MaxSpeed, Byte(100));
    QCOMPARE(b.s.Features.DeviceBaudCode, Byte(3));
    // The next free ticks read the extended settings.
    QTRY_COMPARE_WITH_TIMEOUT((b.ticks(1), b.view.extendedShown), 1, 5000);
    QCOMPARE(b.s.Features.JogTime, Byte(7));
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
        QCOMPARE(b.s.Features.DryContactMode, Byte(2)); // the values still load
    }
}

void ResponsesTest::baudCodeAboveFourFallsBackTo2400()
{
    Bench b;
    b.open(br9600);
    b.responses.handleFrame(report(1, 1, 0, 7, 0, 130, 0xCA, 0x40));
    QCOMPARE(b.s.Features.DeviceBaudCode, Byte(1));
    QCOMPARE(b.comm.BaudRate(), br2400);
    QCOMPARE(b.pty.lineRateBps(), 2400);
    QCOMPARE(b.view.basicShown, 1);
}

void ResponsesTest::confirmedWriteShowsSuccessOnceAndStopsRetrying()
{
    Messages::Recorder messages;
    SimBench b;
    b.open();
    b.s.selectTarget(1);
    b.view.settingsEnabled = true; // the settings window is open: no polls
    b.s.Features.DryContactMode = 3;
    Settings::stageVerifiedWrite(b.s, Settings::DryContact);
    b.ticks(14);
    QCOMPARE(b.sim.bus().motors().first().dryContactMode, quint8(3));
    QCOMPARE(messages.texts(), QStringList {QStringLiteral("  设置成功  ")});
    QCOMPARE(b.s.VerifyBasicPending, Byte(0));
    QCOMPARE(countFrames(b.sim, Frame::WriteDryContact), 2);
    QCOMPARE(countFrames(b.sim, Frame::ReadBasic), 2); // one read-back sufficed
}

void ResponsesTest::twoSetButtonsBeforeTheFirstIsConfirmed()
{
    Messages::Recorder messages;
    SimBench b;
    b.open();
    b.s.selectTarget(1);
    b.view.settingsEnabled = true;
    b.s.Features.DryContactMode = 4;
    Settings::stageVerifiedWrite(b.s, Settings::DryContact);
    b.ticks(2); // the dry-contact write is out
    b.s.Features.JogTime = 9;
    Settings::stageVerifiedWrite(b.s, Settings::JogTime);
    b.ticks(20);
    // The motor took both, but only the jog time is compared with its report.
    QCOMPARE(b.sim.bus().motors().first().dryContactMode, quint8(4));
    QCOMPARE(b.sim.bus().motors().first().jogTime, quint8(9));
    QCOMPARE(messages.texts(), (QStringList {QStringLiteral("  设置成功  "), QStringLiteral("  设置失败  ")}));
}

void ResponsesTest::reportOfAnotherKindNeverConfirms()
{
    Messages::Recorder messages;
    Bench b;
    b.s.MsgSetSuccess = QStringLiteral("ok");
    b.s.Features.JogTime = 5;
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
    QCOMPARE(messages.texts(), QStringList {});
}

QTEST_GUILESS_MAIN(ResponsesTest)
#include "tst_responses.moc"
