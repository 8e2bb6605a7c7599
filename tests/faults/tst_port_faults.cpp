// The serial port failing under the program: the adapter pulled out in every
// phase of the protocol, a port another program holds, and a port the user
// may not open.  What the technician sees (the messages, the port state) and
// what goes out on the wire.
#include "FaultKit.h"

#include <QFileInfo>
#include <QProcess>
#include <QtTest>

class PortFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void lostDuringBaudScan();
    void lostDuringReadBack();
    void lostDuringStatusPolling();
    void lostBetweenTheTwoSends();
    // Choosing a port drops what was under way, as a lost port does
    void portChosenWhileWorkIsUnderWay_data();
    void portChosenWhileWorkIsUnderWay();
    void portHeldByAnotherProgram();
    void portWithoutPermission_data();
    void portWithoutPermission();
    void portNotThere();

private:
    // After the loss: the port released, one message, an idle process, and
    // the port open again with a scan once a device is plugged in again
    // under its name.  Leaves the new bus in `bus` (null on failure).
    void expectLossHandled(Rig &r, int id, quint16 channels, int baudCode, MotorSim *&bus);
    // Choosing the port again finds the motor on the new bus and polls it.
    void expectResumes(Rig &r, MotorSim &bus, int id, quint16 channels, int rate);
};

void PortFaultsTest::expectLossHandled(Rig &r, int id, quint16 channels, int baudCode, MotorSim *&bus)
{
    bus = nullptr;
    App &a = *r.app;
    QTRY_VERIFY_WITH_TIMEOUT(!a.main.serial().isOpen(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.count(a.texts[Message::PortLost]), 1, 10000);

    const double share = cpuShareWhileIdle(2000);
    QVERIFY2(share < 0.25, qPrintable(QStringLiteral("CPU share after the loss: %1").arg(share)));
    // The adapter comes back at the same name: the port opens again by
    // itself and the first frame on the new line is a scan's first read.
    MotorSim &replugged = r.plugIn(id, channels, baudCode);
    QTRY_VERIFY_WITH_TIMEOUT(!replugged.frames().isEmpty(), 10000);
    QVERIFY(a.main.serial().isOpen());
    QCOMPARE(replugged.frames().first().bytes.mid(Frame::Function, 2), QByteArray("\xCA\xCA"));
    QCOMPARE(a.messages.texts(), QStringList {a.texts[Message::PortLost]});
    bus = &replugged;
}

void PortFaultsTest::expectResumes(Rig &r, MotorSim &bus, int id, quint16 channels, int rate)
{
    App &a = *r.app;
    a.messages.clear();
    scan(a, r.path);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(a.link.target().id, id);
    QCOMPARE(a.link.target().channels.word(), channels);
    QCOMPARE(a.main.serial().bitsPerSecond(), rate);
    // The first frame on the new line is the scan's first read: nothing left
    // over from before the loss goes out to the motor.
    QVERIFY(!bus.frames().isEmpty());
    QCOMPARE(bus.frames().first().bytes.mid(Frame::Function, 2), QByteArray("\xCA\xCA"));
    QTRY_VERIFY_WITH_TIMEOUT(a.shown("Image_Place_zhi_zhen"), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(a.slider().box()->text(), QStringLiteral(" 40 %"), 10000);
    QVERIFY2(a.messages.texts().isEmpty(), qPrintable(a.messages.texts().join(QLatin1Char('|'))));
}

void PortFaultsTest::lostDuringBaudScan()
{
    Rig r;
    MotorSim &first = r.plugIn(9, 0x0002, 4); // found only at the fifth rate
    App &a = r.start();
    afterTick(
        a.main, &first, [&] { return a.scanStep() == 2; }, [&] { first.unplug(); });
    a.choosePort(r.path);
    MotorSim *bus = nullptr;
    expectLossHandled(r, 9, 0x0002, 4, bus);
    if (!bus)
        return;
    QCOMPARE(a.link.target().id, 0); // the interrupted scan chose nothing
    expectResumes(r, *bus, 9, 0x0002, 19200);
}

void PortFaultsTest::lostDuringReadBack()
{
    Rig r;
    MotorSim &first = r.plugIn(3, 0x0001, 1);
    MotorSim::Faults faults;
    faults.ignoredWrites = {Frame::WriteMaxSpeed}; // the read-backs go on
    first.setFaults(faults);
    App &a = r.start();
    scan(a, r.path);
    if (QTest::currentTestFailed())
        return;
    openSettings(a, first);
    if (QTest::currentTestFailed())
        return;
    control<QRadioButton>(&a.w.settingsWindow(), "RPM100")->click();
    afterTick(
        a.main, &first, [&] { return a.readingBack(2); }, [&] { first.unplug(); });
    const int mark = int(first.frames().size());
    control<QPushButton>(&a.w.settingsWindow(), "bsSkinButton5")->click();
    MotorSim *bus = nullptr;
    expectLossHandled(r, 3, 0x0001, 1, bus);
    if (!bus)
        return;
    QCOMPARE(countFrames(first, Frame::WriteMaxSpeed, 100, mark), 2);
    // Longer than the read-backs would have taken: the lost port is the one
    // message, no failure of a setting that could not be read back.
    QCOMPARE(a.messages.count(a.texts[Message::SetFailure]), 0);
    a.w.settingsWindow().returnToMainWindow();
    expectResumes(r, *bus, 3, 0x0001, 2400);
}

void PortFaultsTest::lostDuringStatusPolling()
{
    Rig r;
    MotorSim &first = r.plugIn(5, 0x0010, 3);
    App &a = r.start();
    scan(a, r.path);
    if (QTest::currentTestFailed())
        return;
    QTRY_COMPARE_WITH_TIMEOUT(a.slider().box()->text(), QStringLiteral(" 40 %"), 10000);
    afterTick(
        a.main, &first, [&] { return countFrames(first, Frame::StatusPoll) >= 3; }, [&] { first.unplug(); });
    MotorSim *bus = nullptr;
    expectLossHandled(r, 5, 0x0010, 3, bus);
    if (!bus)
        return;
    QVERIFY(!a.shown("Image_Place_zhi_zhen")); // a silent line hides the position
    expectResumes(r, *bus, 5, 0x0010, 9600);
}

void PortFaultsTest::lostBetweenTheTwoSends()
{
    Rig r;
    MotorSim &first = r.plugIn(6, 0x0001, 1);
    App &a = r.start();
    scan(a, r.path);
    if (QTest::currentTestFailed())
        return;
    // Pulled out once the first send has reached the line, before the second.
    connect(&first, &MotorSim::frameReceived, &first, [&](const QByteArray &bytes) {
        if (Byte(bytes.at(Frame::Function)) == Frame::Motor && a.outgoingSent(1))
            QTimer::singleShot(0, &first, &MotorSim::unplug);
    });
    a.click("Label_xia");
    MotorSim *bus = nullptr;
    expectLossHandled(r, 6, 0x0001, 1, bus);
    if (!bus)
        return;
    QCOMPARE(countFrames(first, Frame::Motor, Frame::Down), 1);
    expectResumes(r, *bus, 6, 0x0001, 2400);
    if (QTest::currentTestFailed())
        return;
    // The half-sent command never reaches the motor on the new line.
    App::ticks(3);
    QCOMPARE(countFrames(*bus, Frame::Motor), 0);
    QCOMPARE(bus->bus().motors().first().target, -1);
}

void PortFaultsTest::portHeldByAnotherProgram()
{
    MotorSim sim;
    sim.bus().addMotor(4, 0x0001);
    QProcess holder;
    holder.start(QStringLiteral(TAVIK_PORT_PROBE), {QStringLiteral("hold"), sim.path()});
    QVERIFY2(holder.waitForStarted(10000), qPrintable(holder.errorString()));
    QVERIFY(holder.waitForReadyRead(10000));
    const QByteArray said = holder.readLine().trimmed();
    QVERIFY2(said == "held", said.constData());

    {
        App a({sim.path()});
        a.choosePort(sim.path());
        if (a.main.serial().isOpen()) {
            holder.closeWriteChannel();
            holder.waitForFinished(10000);
            QSKIP("a port held by another process still opens here: no usable lock directory");
        }
        QCoreApplication::processEvents();
        QCOMPARE(
            a.messages.texts(),
            QStringList {QStringLiteral("Error opening serial port\n\n") + a.texts[Message::PortBusy].arg(sim.path())});
        QVERIFY(a.texts[Message::PortBusy].contains(QStringLiteral("ModemManager")));
        QCOMPARE(a.main.serial().lastOpenFailure(), SerialLine::OpenFailure::InUse);
        QVERIFY(!a.link.isScanning());
        App::ticks(4);
        QCOMPARE(sim.frames().size(), 0);

        // The other program ends; choosing the port again works.
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitCode(), 0);
        a.messages.clear();
        scan(a, sim.path());
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(a.link.target().id, 4);
        QCOMPARE(a.messages.texts(), QStringList {});
    }
}

// The device's owner is root; either no group may open it, or only members
// of its group, which the message names with the command that joins it.
void PortFaultsTest::portWithoutPermission_data()
{
    QTest::addColumn<QString>("group");
    QTest::newRow("owner only") << QString();
    QTest::newRow("group tty") << QStringLiteral("tty");
}

void PortFaultsTest::portWithoutPermission()
{
    QFETCH(QString, group);
    MotorSim sim;
    const QString device = QFileInfo(sim.path()).canonicalFilePath();
    QStringList arguments {QStringLiteral("open-as-nobody"), sim.path()};
    if (!group.isEmpty())
        arguments << group;
    QProcess probe;
    probe.start(QStringLiteral(TAVIK_PORT_PROBE), arguments);
    QVERIFY(probe.waitForFinished(30000));
    const QList<QByteArray> lines = probe.readAllStandardOutput().split('\n');
    if (probe.exitCode() == 3)
        QSKIP(lines.value(0).constData());
    QVERIFY2(probe.exitCode() == 0, probe.readAllStandardError().constData());

    QStringList messages;
    QByteArray open, failure;
    for (const QByteArray &line : lines) {
        if (line.startsWith("message:"))
            messages << QString::fromUtf8(QByteArray::fromBase64(line.mid(8)));
        else if (line.startsWith("open:"))
            open = line.mid(5);
        else if (line.startsWith("failure:"))
            failure = line.mid(8);
    }
    App a;
    const QString advice = group.isEmpty() ? a.texts[Message::PortOwnerOnly].arg(device, QStringLiteral("root"))
                                           : a.texts[Message::PortDenied].arg(device, group);
    QCOMPARE(messages, QStringList {QStringLiteral("Error opening serial port\n\n") + advice});
    if (!group.isEmpty())
        QVERIFY(advice.contains(QStringLiteral("sudo usermod -aG tty $USER")));
    QCOMPARE(open, QByteArray("0"));
    QCOMPARE(failure, QByteArray::number(int(SerialLine::OpenFailure::NoPermission)));
}

// A port given on the command line whose adapter is gone by the time it is chosen.
void PortFaultsTest::portNotThere()
{
    Rig r;
    r.plugIn(2, 0x0001, 1);
    App &a = r.start();
    r.bus().unplug();
    a.choosePort(r.path);
    QCOMPARE(a.messages.texts(),
             QStringList {QStringLiteral("Error opening serial port\n\n") + a.texts[Message::PortMissing].arg(r.path)});
    QCOMPARE(a.main.serial().lastOpenFailure(), SerialLine::OpenFailure::NotFound);
    QVERIFY(!a.main.serial().isOpen());
}

void PortFaultsTest::portChosenWhileWorkIsUnderWay_data()
{
    QTest::addColumn<QString>("work");
    QTest::addColumn<bool>("toOther"); // the other port, or "OFF" and the same port again
    QTest::newRow("a command between its two sends, another port") << "command" << true;
    QTest::newRow("a command between its two sends, OFF and back") << "command" << false;
    QTest::newRow("a settings read, OFF and back") << "settings read" << false;
    QTest::newRow("a settings read, another port") << "settings read" << true;
    QTest::newRow("a read-back, the same port again") << "read-back" << false;
}

void PortFaultsTest::portChosenWhileWorkIsUnderWay()
{
    QFETCH(QString, work);
    QFETCH(bool, toOther);
    Rig r;
    MotorSim &first = r.plugIn(3, 0x0001, 1);
    MotorSim other;
    other.bus().addMotor(3, 0x0001);
    other.bus().setBaudCode(1);
    r.app = std::make_unique<App>(QStringList {r.path, other.path()});
    App &a = *r.app;
    scan(a, r.path);
    if (QTest::currentTestFailed())
        return;
    if (work == QLatin1String("read-back")) {
        openSettings(a, first);
        if (QTest::currentTestFailed())
            return;
        MotorSim::Faults f;
        f.ignoredWrites = {Frame::WriteMaxSpeed}; // the read-backs would go on and fail
        first.setFaults(f);
        control<QRadioButton>(&a.w.settingsWindow(), "RPM100")->click();
        control<QPushButton>(&a.w.settingsWindow(), "bsSkinButton5")->click();
        a.w.settingsWindow().returnToMainWindow();
    }
    const int mark = int(first.frames().size());
    bool switched = false;
    const auto switchPorts = [&] {
        switched = true;
        if (!toOther)
            a.choosePort(QStringLiteral("OFF"));
        a.choosePort(toOther ? other.path() : r.path);
    };
    if (work == QLatin1String("command")) {
        afterTick(
            a.main, &first, [&] { return a.outgoingSent(1); }, switchPorts);
        a.click("Label_shang");
    } else if (work == QLatin1String("settings read")) {
        a.main.openSettings();
        switchPorts();
    } else {
        afterTick(
            a.main, &first, [&] { return a.readingBack(1); }, switchPorts);
    }
    QTRY_VERIFY_WITH_TIMEOUT(switched, 10000);
    // The new port's own scan runs to its end; then some polling.
    QTRY_VERIFY_WITH_TIMEOUT(!a.link.isScanning() && !a.job<LinkJob::ExtendedRead>() && !a.link.outgoing(), 10000);
    App::ticks(10);
    // Nothing of the old work on either line after the switch.
    QCOMPARE(countFrames(first, Frame::Motor, Frame::Up, mark), work == QLatin1String("command") ? 1 : 0);
    QCOMPARE(countFrames(other, Frame::Motor, Frame::Up), 0);
    QVERIFY(!a.w.settingsWindow().isVisible());
    QVERIFY(a.main.isEnabled());
    QCOMPARE(a.messages.count(a.texts[Message::SetFailure]), 0);
    QCOMPARE(a.messages.count(a.texts[Message::SetSuccess]), 0);
}

QTEST_MAIN(PortFaultsTest)
#include "tst_port_faults.moc"
