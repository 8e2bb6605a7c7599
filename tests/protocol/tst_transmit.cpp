// Frames on the wire and the transmit tick's schedule, through the real
// serial component on a pseudo-terminal.
#include "Bench.h"
#include "SettingsTable.h"

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
    void jobTransitions();
    void statusPollRules();
    void statusTimeoutAfterSixSilentTicks();
    void tickedComesAfterWhatTheTickDid();
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
    b.link.setTarget({id, m});
    b.link.sendMotorCommand(Byte(function), Byte(data));
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
    b.link.sendMotorCommand(Frame::Motor, Frame::Down); // group control, no poll
    const QByteArray down = hex("9A 00 00 00 0A EE E4");
    QCOMPARE(b.runTick(), QList<QByteArray> {down});
    QCOMPARE(b.runTick(), QList<QByteArray> {down});
    for (int i = 0; i < 4; ++i)
        QCOMPARE(b.runTick().size(), 0);
    QVERIFY(!b.link.outgoing());
    QVERIFY(b.link.isIdle());
}

void TransmitTest::motorCommandBetweenSendsReplacesIt()
{
    Bench b;
    b.open();
    b.link.sendMotorCommand(Frame::Motor, Frame::Up);
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 00 00 00 0A DD D7")});
    b.link.sendMotorCommand(Frame::Motor, Frame::Stop);
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 00 00 00 0A CC C6")});
    QCOMPARE(b.runTick().size(), 0);
}

void TransmitTest::settingsWriteAlwaysGoesOutTwice()
{
    Bench b;
    b.open();
    b.link.chooseId(3);
    b.link.sendMotorCommand(Frame::Motor, Frame::Up);
    b.runTick();
    b.link.writeSetting(Settings::JogTime, 4);
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
    b.link.chooseId(3);
    b.link.setStatusPolling(false);
    b.link.writeSetting(Settings::JogTime, 4);
    for (int tick = 1; tick <= 3; ++tick) // the write twice, then the read-back is staged
        b.runTick();
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 03 01 00 CB CB 02")}); // the read-back's first send
    b.link.actOnAnswer(report(3, 1, 0, 4, 0, 0, 0xCB, 0x02));
    QCOMPARE(b.view.messages.size(), 1);
    b.link.sendMotorCommand(Frame::Motor, Frame::Up);
    const QByteArray up = hex("9A 03 01 00 0A DD D5");
    QCOMPARE(b.runTick(), QList<QByteArray> {up});
    QCOMPARE(b.runTick(), QList<QByteArray> {up});
}

// One job at a time, each step on its own tick, and a frame waiting to go
// out goes ahead of the job: a scan that finds the motor leads to the
// extended read, a baud code write to the reopening and then the read-back.
void TransmitTest::jobTransitions()
{
    Bench b;
    b.open();
    b.link.chooseId(3);
    auto functions = [&](int ticks) {
        QList<int> f;
        for (int i = 0; i < ticks; ++i)
            for (const QByteArray &frame : b.runTick())
                f << Byte(frame[Frame::Function]);
        return f;
    };
    b.link.startSettingsRead(false);
    b.link.sendMotorCommand(Frame::Motor, Frame::Stop);
    QVERIFY(b.link.isScanning());
    QCOMPARE(functions(2), (QList<int> {0x0A, 0x0A})); // the command first
    QCOMPARE(functions(1), QList<int> {}); // the scan's first step moves the port...
    QCOMPARE(b.pty.lineRateBps(), 1200);
    QCOMPARE(functions(2), (QList<int> {0xCA, 0xCA})); // ...and reads there
    QCOMPARE(std::get<LinkJob::BaudScan>(b.link.job()).step, 1);
    b.link.actOnAnswer(report(3, 1, 0, 0, 0, 100, 0xCA, 0x40)); // found at code 0
    QVERIFY(std::holds_alternative<LinkJob::ExtendedRead>(b.link.job()));
    QCOMPARE(functions(3), (QList<int> {0xCB, 0xCB}));
    QVERIFY(b.link.isIdle());

    b.link.writeSetting(Settings::BaudCode, 3);
    QCOMPARE(std::get<LinkJob::BaudApply>(b.link.job()).item, Settings::BaudCode);
    QCOMPARE(functions(2), (QList<int> {0xDA, 0xDA}));
    QCOMPARE(functions(1), QList<int> {}); // the port moves to 9600...
    QCOMPARE(b.pty.lineRateBps(), 9600);
    const auto *readBack = std::get_if<LinkJob::ReadBack>(&b.link.job());
    QVERIFY(readBack && readBack->item == Settings::BaudCode && readBack->attempt == 0);
    QCOMPARE(functions(3), (QList<int> {0xCA, 0xCA})); // ...then reads the code back
    QCOMPARE(std::get<LinkJob::ReadBack>(b.link.job()).attempt, 1);
    b.link.actOnAnswer(report(3, 1, 0, 3, 0, 100, 0xCA, 0x40));
    QVERIFY(b.link.isIdle());
    // Finally the idle poll of ID 3 on channel 1.
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 03 01 00 CC 00 CE")});
    // A new port drops the job under way.
    b.link.writeSetting(Settings::JogTime, b.link.motorSettings().jogTime);
    b.open();
    QVERIFY(b.link.isIdle());
}

void TransmitTest::statusPollRules()
{
    Bench b;
    b.open();
    QCOMPARE(b.runTick().size(), 0); // group control
    b.link.chooseId(5);
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 05 01 00 CC 00 C8")});
    QCOMPARE(b.runTick().size(), 1); // every idle tick
    b.link.setChannels(ChannelMask {{0x00, 0x00}});
    QCOMPARE(b.runTick().size(), 0);
    b.link.setChannels(ChannelMask {{0x01, 0x01}});
    QCOMPARE(b.runTick().size(), 0);
    b.link.setChannels(ChannelMask {{0x00, 0x80}});
    QCOMPARE(b.runTick(), QList<QByteArray> {hex("9A 05 00 80 CC 00 49")});
    b.link.setStatusPolling(false);
    QCOMPARE(b.runTick().size(), 0);
}

void TransmitTest::statusTimeoutAfterSixSilentTicks()
{
    Bench b; // the time-out runs whatever the port state: here it is closed
    b.link.actOnAnswer(report(5, 1, 0, 0, 0, 0, 40, 0x3E)); // an answer restarts the count
    for (int i = 0; i < 6; ++i)
        b.link.tick();
    QCOMPARE(b.view.hides, 0);
    QCOMPARE(b.link.deviceStatus(), Byte(0x3E));
    b.link.tick();
    QCOMPARE(b.view.hides, 1);
    QCOMPARE(b.view.limitRefreshes, 2); // the answer's, then the time-out's
    QCOMPARE(b.link.deviceStatus(), Byte(0));
    for (int i = 0; i < 5; ++i)
        b.link.tick();
    QCOMPARE(b.view.hides, 1); // the count started again
}

// Clients that count ticks (tavik-cli, the line inventory) count ticked:
// the tick's frame and its silence time-out come before it, on every tick.
void TransmitTest::tickedComesAfterWhatTheTickDid()
{
    Bench b;
    b.open();
    b.link.chooseId(5);
    QStringList heard;
    QObject::connect(&b.link, &MotorLink::frameSent, [&] { heard << QStringLiteral("sent"); });
    QObject::connect(&b.link, &MotorLink::motorSilent, [&] { heard << QStringLiteral("silent"); });
    QObject::connect(&b.link, &MotorLink::ticked, [&] { heard << QStringLiteral("ticked"); });
    b.link.tick();
    QCOMPARE(heard, (QStringList {QStringLiteral("sent"), QStringLiteral("ticked")}));
    b.link.setStatusPolling(false);
    heard.clear();
    for (int i = 0; i < 6; ++i)
        b.link.tick();
    QCOMPARE(heard.count(QStringLiteral("ticked")), 6);
    QCOMPARE(heard.count(QStringLiteral("sent")), 0);
    // The sixth silent tick in all (the first one polled) gives up on the motor, then ticked.
    QCOMPARE(heard.mid(4, 2), (QStringList {QStringLiteral("silent"), QStringLiteral("ticked")}));
}

void TransmitTest::closedPortSendsNothing()
{
    Bench b;
    b.comm.setOpen(true); // open, but not chosen in the port box
    b.link.sendMotorCommand(Frame::Motor, Frame::Up);
    QCOMPARE(b.runTick().size(), 0);
    b.open();
    b.link.sendMotorCommand(Frame::Motor, Frame::Up);
    b.comm.setOpen(false);
    QCOMPARE(b.runTick().size(), 0);
    QVERIFY(b.link.outgoing()); // still waiting for a port
}

void TransmitTest::scanWithoutDeviceVisitsEveryRate()
{
    SimBench b; // the simulated bus logs every frame with the rate it arrived at
    MotorSim::Faults silent;
    silent.silent = true;
    b.sim.setFaults(silent);
    b.open(9600);
    QCOMPARE(b.runScan(40), 18);
    QList<QPair<QByteArray, int>> sent;
    for (const auto &f : b.sim.frames())
        sent << qMakePair(f.bytes, f.lineRateBps);
    const QByteArray read = hex("9A 00 00 00 CA CA 00");
    QList<QPair<QByteArray, int>> expected;
    for (int rate : {1200, 2400, 4800, 9600, 19200})
        expected << qMakePair(read, rate) << qMakePair(read, rate);
    QCOMPARE(sent, expected);
    QCOMPARE(b.comm.bitsPerSecond(), 2400);
    QCOMPARE(b.view.settingsOpened, 0); // nobody asked for the settings window
}

void TransmitTest::unansweredWriteFailsOnTwelfthTick()
{
    Bench b;
    b.open();
    b.link.chooseId(3);
    b.link.writeSetting(Settings::DryContact, 2);
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
    QVERIFY(b.link.isIdle());
}

void TransmitTest::baudWriteMovesThePortBeforeReadingBack()
{
    Bench b;
    b.open();
    b.link.chooseId(3);
    b.link.writeSetting(Settings::BaudCode, 4);
    QCOMPARE(b.runTick().size(), 1);
    QCOMPARE(b.runTick().size(), 1);
    QCOMPARE(b.pty.lineRateBps(), 2400);
    QCOMPARE(b.runTick().size(), 0); // the reopening tick
    QCOMPARE(b.pty.lineRateBps(), 19200);
    int ticks = 3;
    while (!b.link.isIdle() && ticks < 30) {
        b.runTick();
        ++ticks;
    }
    QCOMPARE(ticks, 13); // one tick later than the other settings
    QCOMPARE(b.pty.lineRateBps(), 19200); // not switched back
}

QTEST_GUILESS_MAIN(TransmitTest)
#include "tst_transmit.moc"
