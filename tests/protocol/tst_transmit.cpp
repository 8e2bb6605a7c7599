// Frames on the wire and the transmit tick's schedule, through the real
// serial component on a pseudo-terminal.
#include "Bench.h"
#include "WrittenSettings.h"

#include <QtTest>

class TransmitTest : public QObject {
    Q_OBJECT
private slots:
    void frameExamples_data();
    void frameExamples();
    void responseCheckByte();
    void stagedCommandGoesOutTwice();
    void motorCommandBetweenSendsReplacesIt();
    void settingsWriteAlwaysGoesOutTwice();
    void commandAfterAConfirmationGoesOutTwice();
    void priorityOrder();
    void statusPollRules();
    void statusTimeoutAfterSixSilentTicks();
    void closedPortSendsNothing();
    void scanWithoutDeviceVisitsEveryRate();
    void unansweredWriteFailsOnTwelfthTick();
    void baudWriteMovesThePortBeforeReadingBack();
};

void TransmitTest::frameExamples_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("function");
    QTest::addColumn<int>("data");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("stop ID 1 ch1") << 1 << 0x0001 << 0x0A << 0xCC << hex("9A 01 01 00 0A CC C6");
    QTest::newRow("up ID 5 ch1+3") << 5 << 0x0005 << 0x0A << 0xDD << hex("9A 05 05 00 0A DD D7");
    QTest::newRow("force ID 5 ch1+10") << 5 << 0x0201 << 0xAA << 0xAA << hex("9A 05 01 02 AA AA 06");
    QTest::newRow("baud 9600") << 3 << 0x0001 << 0xDA << 0x03 << hex("9A 03 01 00 DA 03 DB");
    QTest::newRow("flags C0") << 3 << 0x0001 << 0xD5 << 0xC0 << hex("9A 03 01 00 D5 C0 17");
    QTest::newRow("jog 4") << 3 << 0x0001 << 0xD6 << 0x04 << hex("9A 03 01 00 D6 04 D0");
    QTest::newRow("rebound FF") << 3 << 0x0001 << 0xD8 << 0xFF << hex("9A 03 01 00 D8 FF 25");
    QTest::newRow("sensitivity 3") << 3 << 0x0001 << 0xD7 << 0x03 << hex("9A 03 01 00 D7 03 D6");
    QTest::newRow("group down, no channel") << 0 << 0x0000 << 0x0A << 0xEE << hex("9A 00 00 00 0A EE E4");
}

void TransmitTest::frameExamples()
{
    QFETCH(int, id);
    QFETCH(int, mask);
    QFETCH(int, function);
    QFETCH(int, data);
    QFETCH(QByteArray, expected);

    // Built directly...
    ChannelMask m;
    m.setWord(std::uint16_t(mask));
    const auto built = Frame::command(Byte(id), m, Byte(function), Byte(data));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(built.data()), 7), expected);

    // ...and as the tick sends it, addressed at the moment of sending.
    Bench b;
    b.open();
    b.s.selectTarget(id);
    b.s.currentMask().setWord(std::uint16_t(mask));
    b.link.stageMotorCommand(Byte(function), Byte(data));
    QCOMPARE(b.runTick(), QList<QByteArray> {expected});
}

void TransmitTest::responseCheckByte()
{
    const QByteArray f = hex("D8 01 01 00 00 00 00 25 02 27");
    const auto r = Frame::Response::parse(reinterpret_cast<const Byte *>(f.constData()), 10);
    QVERIFY(r && r->valid());
    QByteArray bad = f;
    bad[9] = char(0x28);
    QVERIFY(!Frame::Response::parse(reinterpret_cast<const Byte *>(bad.constData()), 10)->valid());
    QVERIFY(!Frame::Response::parse(reinterpret_cast<const Byte *>(f.constData()), 9));
}

void TransmitTest::stagedCommandGoesOutTwice()
{
    Bench b;
    b.open();
    b.link.stageMotorCommand(Frame::Motor, Frame::Down); // group control, no poll
    const QByteArray down = hex("9A 00 00 00 0A EE E4");
    QCOMPARE(b.runTick(), QList<QByteArray> {down});
    QCOMPARE(b.runTick(), QList<QByteArray> {down});
    for (int i = 0; i < 4; ++i)
        QCOMPARE(b.runTick().size(), 0);
    QCOMPARE(b.s.SendPending, Byte(0));
    QCOMPARE(b.s.SendCount, Byte(0));
}

void TransmitTest::motorCommandBetweenSendsReplacesIt()
{
    Bench b;
    b.open();
    b.link.stageMotorCommand(Frame::Motor, Frame::Up);
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 00 00 00 0A DD D7")});
    b.link.stageMotorCommand(Frame::Motor, Frame::Stop);
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 00 00 00 0A CC C6")});
    QCOMPARE(b.runTick().size(), 0);
}

void TransmitTest::settingsWriteAlwaysGoesOutTwice()
{
    Bench b;
    b.open();
    b.s.selectTarget(3);
    b.link.stageMotorCommand(Frame::Motor, Frame::Up);
    b.runTick();
    b.s.Features.jogTime = 4;
    b.link.stageWrite(Settings::JogTime);
    const QByteArray jog = hex("9A 03 01 00 D6 04 D0");
    QCOMPARE(b.runTick(), QList<QByteArray> {jog});
    QCOMPARE(b.runTick(), QList<QByteArray> {jog});
}

void TransmitTest::commandAfterAConfirmationGoesOutTwice()
{
    // The first answer to a read-back confirms the write between the read's
    // two sends; the command staged next still goes out twice.
    Bench b;
    b.open();
    b.s.selectTarget(3);
    b.link.setSettingsWindowOpen(true);
    b.s.Features.jogTime = 4;
    b.link.stageWrite(Settings::JogTime);
    for (int tick = 1; tick <= 3; ++tick) // the write twice, then the read-back is staged
        b.runTick();
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 03 01 00 CB CB 02")}); // the read-back's first send
    b.responses.handleFrame(report(3, 1, 0, 4, 0, 0, 0xCB, 0x02));
    QCOMPARE(b.view.messages.size(), 1);
    b.link.stageMotorCommand(Frame::Motor, Frame::Up);
    const QByteArray up = hex("9A 03 01 00 0A DD D5");
    QCOMPARE(b.runTick(), QList<QByteArray> {up});
    QCOMPARE(b.runTick(), QList<QByteArray> {up});
}

void TransmitTest::priorityOrder()
{
    Bench b;
    b.open();
    b.s.selectTarget(3);
    b.s.Features.deviceBaudCode = 3;
    b.s.Features.jogTime = 7;
    b.s.BaudScanActive = 1;
    b.s.ExtReadPending = 1;
    b.s.BaudApplyPending = 1;
    b.s.VerifyExtPending = 1;
    b.s.VerifyBasicPending = 1;
    b.s.VerifyIdPending = 1;
    b.link.stageMotorCommand(Frame::Motor, Frame::Stop);

    auto functions = [&](int ticks) {
        QList<int> f;
        for (int i = 0; i < ticks; ++i)
            for (const QByteArray &frame : b.runTick())
                f << Byte(frame[Frame::Function]);
        return f;
    };
    // The pending command first, then the scan's first step (its read goes out twice).
    QCOMPARE(functions(2), (QList<int> {0x0A, 0x0A}));
    QCOMPARE(functions(1), QList<int> {});
    QCOMPARE(b.pty.lineRateBps(), 1200);
    QCOMPARE(functions(2), (QList<int> {0xCA, 0xCA}));
    b.s.BaudScanActive = 0;
    // Then the extended read request...
    QCOMPARE(functions(3), (QList<int> {0xCB, 0xCB}));
    QCOMPARE(b.s.ExtReadPending, Byte(0));
    // ...the baud apply (no frame, the port moves)...
    QCOMPARE(functions(1), QList<int> {});
    QCOMPARE(b.pty.lineRateBps(), 9600);
    QCOMPARE(b.s.BaudApplyPending, Byte(0));
    // ...then the read-backs: extended first, basic next, the ID last.
    b.s.RetryCount = 0;
    QCOMPARE(functions(3), (QList<int> {0xCB, 0xCB}));
    b.s.VerifyExtPending = 0;
    b.s.RetryCount = 0;
    QCOMPARE(functions(3), (QList<int> {0xCA, 0xCA}));
    b.s.VerifyBasicPending = 0;
    b.s.RetryCount = 0;
    QCOMPARE(functions(3), (QList<int> {0xCA, 0xCA}));
    b.s.VerifyIdPending = 0;
    // Finally the idle poll of ID 3 on channel 1.
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 03 01 00 CC 00 CE")});
}

void TransmitTest::statusPollRules()
{
    Bench b;
    b.open();
    QCOMPARE(b.runTick().size(), 0); // group control
    b.s.selectTarget(5);
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 05 01 00 CC 00 C8")});
    QCOMPARE(b.runTick().size(), 1); // every idle tick
    b.s.currentMask().setWord(0x0000);
    QCOMPARE(b.runTick().size(), 0);
    b.s.currentMask().setWord(0x0101);
    QCOMPARE(b.runTick().size(), 0);
    b.s.currentMask().setWord(0x8000);
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 05 00 80 CC 00 49")});
    b.link.setSettingsWindowOpen(true);
    QCOMPARE(b.runTick().size(), 0);
}

void TransmitTest::statusTimeoutAfterSixSilentTicks()
{
    Bench b; // the time-out runs whatever the port state: here it is closed
    b.s.DeviceStatus = 0x3E;
    for (int i = 0; i < 5; ++i)
        b.tick.run();
    QCOMPARE(b.view.hides, 0);
    b.s.StatusSeen = 1; // an answer restarts the count
    b.tick.run();
    for (int i = 0; i < 5; ++i)
        b.tick.run();
    QCOMPARE(b.view.hides, 0);
    QCOMPARE(b.s.DeviceStatus, Byte(0x3E));
    b.tick.run();
    QCOMPARE(b.view.hides, 1);
    QCOMPARE(b.view.limitRefreshes, 1);
    QCOMPARE(b.s.DeviceStatus, Byte(0));
    QCOMPARE(b.s.StatusSilenceTicks, Byte(0));
}

void TransmitTest::closedPortSendsNothing()
{
    Bench b;
    b.open();
    b.s.PortReady = 0;
    b.link.stageMotorCommand(Frame::Motor, Frame::Up);
    QCOMPARE(b.runTick().size(), 0);
    b.s.PortReady = 1;
    b.comm.setPortOpen(false);
    QCOMPARE(b.runTick().size(), 0);
    QCOMPARE(b.s.SendPending, Byte(1)); // still waiting for a port
}

void TransmitTest::scanWithoutDeviceVisitsEveryRate()
{
    SimBench b; // the simulated bus logs every frame with the rate it arrived at
    b.sim.setFaults({.silent = true});
    b.open(br9600);
    QCOMPARE(b.runScan(40), 18);
    QList<QPair<QByteArray, int>> sent;
    for (const auto &f : b.sim.frames())
        sent << qMakePair(f.bytes, f.lineRateBps);
    const QByteArray read = hex("9A 00 00 00 CA CA 00");
    QList<QPair<QByteArray, int>> expected;
    for (int rate : {1200, 2400, 4800, 9600, 19200})
        expected << qMakePair(read, rate) << qMakePair(read, rate);
    QCOMPARE(sent, expected);
    QCOMPARE(b.comm.BaudRate(), br2400);
    QCOMPARE(b.view.settingsOpened, 0); // nobody asked for the settings window
}

void TransmitTest::unansweredWriteFailsOnTwelfthTick()
{
    Bench b;
    b.open();
    b.s.MsgSetFailure = QStringLiteral("  设置失败  ");
    b.s.selectTarget(3);
    b.s.Features.dryContactMode = 2;
    b.link.stageWrite(Settings::DryContact);
    QList<int> perTick;
    for (int tick = 1; tick <= 12; ++tick) {
        const auto frames = b.runTick();
        perTick << (frames.isEmpty() ? 0 : Byte(frames.first()[Frame::Function]));
        QCoreApplication::processEvents();
        if (tick < 12)
            QCOMPARE(b.view.messages.size(), 0);
    }
    QCOMPARE(perTick, (QList<int> {0xD2, 0xD2, 0, 0xCA, 0xCA, 0, 0xCA, 0xCA, 0, 0xCA, 0xCA, 0}));
    QTRY_COMPARE(b.view.messages, QStringList {QStringLiteral("  设置失败  ")});
    QCOMPARE(b.s.VerifyBasicPending, Byte(0));
}

void TransmitTest::baudWriteMovesThePortBeforeReadingBack()
{
    Bench b;
    b.open();
    b.s.selectTarget(3);
    b.s.Features.deviceBaudCode = 4;
    b.link.stageWrite(Settings::BaudCode);
    QCOMPARE(b.runTick().size(), 1);
    QCOMPARE(b.runTick().size(), 1);
    QCOMPARE(b.pty.lineRateBps(), 2400);
    QCOMPARE(b.runTick().size(), 0); // the reopening tick
    QCOMPARE(b.pty.lineRateBps(), 19200);
    int ticks = 3;
    while (b.s.VerifyBasicPending == 1 && ticks < 30) {
        b.runTick();
        ++ticks;
    }
    QCOMPARE(ticks, 13); // one tick later than the other settings
    QCOMPARE(b.pty.lineRateBps(), 19200); // not switched back
}

QTEST_GUILESS_MAIN(TransmitTest)
#include "tst_transmit.moc"
