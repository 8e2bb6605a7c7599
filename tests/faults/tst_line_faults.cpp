// A line that misbehaves: noise, floods, broken check bytes, answers in
// pieces, late and doubled answers, a motor that takes only some writes, and
// message boxes left open while the line goes on.  Each test states what the
// technician sees and what went over the wire.
#include "FaultKit.h"

#include "Pty.h"
#include "StatusLine.h"

#include <QComboBox>
#include <QRandomGenerator>
#include <QtTest>

class LineFaultsTest : public QObject {
    Q_OBJECT
private slots:
    // Noise
    void megabyteOfNoiseThenARealAnswer();
    void floodIsDiscardedAndNotActedOn();
    void wrongCheckBytesAreNeverActedOn();
    // Timing
    void answersInPieces();
    void motorAnsweringOneReadOfEachPair();
    void lateScanAnswers_data();
    void lateScanAnswers();
    void duplicatedAnswersConfirmOnce();
    // Writes
    void motorTakingOnlySomeWrites();
    // Boxes left open
    void failureBoxOpenWhileStatusGoesOn();
    void successBoxOpenWhileStatusGoesOn();
    void successBoxOpenWhileTheNextConfirmationArrives();
};

namespace {

// A program that found motor 3 on channel 1 and shows its position.
struct Polled {
    Rig r;
    MotorSim &sim;
    App &a;
    Polled() : sim(r.plugIn(3, 0x0001, 1)), a(r.start()) {}
    Motor &motor() { return sim.bus().motors().first(); }
    // Scans and opens the settings window as the user would; false (the test
    // has failed) if either does not finish.
    bool readyToSet()
    {
        scan(a, r.path);
        if (!QTest::currentTestFailed())
            openSettings(a, sim);
        return !QTest::currentTestFailed();
    }
    // Presses the speed's set button and goes back to the panel while the
    // write is confirmed; returns where the bus log stood before the press.
    int setSpeedAndLeave()
    {
        const int mark = int(sim.frames().size());
        control<QPushButton>(&a.w.settingsWindow(), "bsSkinButton5")->click();
        a.w.settingsWindow().returnToMainWindow();
        return mark;
    }
    void silence(bool on)
    {
        MotorSim::Faults f = sim.faults();
        f.silent = on;
        sim.setFaults(f);
    }
};

QByteArray bytesOf(const Frame::Response &f)
{
    return QByteArray(reinterpret_cast<const char *>(f.b.data()), Frame::ResponseSize);
}

} // namespace

void LineFaultsTest::megabyteOfNoiseThenARealAnswer()
{
    Polled p;
    scan(p.a, p.r.path);
    if (QTest::currentTestFailed())
        return;
    QTRY_COMPARE_WITH_TIMEOUT(p.a.main.positionSlider()->box()->text(), QStringLiteral(" 40 %"), 10000);
    p.silence(true);
    QTRY_VERIFY_WITH_TIMEOUT(!p.a.shown("Image_Place_zhi_zhen"), 10000);
    p.motor().position = 37;
    p.sim.flood(1 << 20);
    p.silence(false); // the answers queue up behind the noise
    QTRY_COMPARE_WITH_TIMEOUT(p.a.main.positionSlider()->box()->text(), QStringLiteral(" 37 %"), 60000);
    QTRY_VERIFY_WITH_TIMEOUT(p.a.shown("Image_Place_zhi_zhen"), 10000);
    QCOMPARE(p.a.link.target().id, 3);
    QVERIFY(p.a.main.serial().isOpen());
    QCOMPARE(p.a.messages.texts(), QStringList {});
}

void LineFaultsTest::floodIsDiscardedAndNotActedOn()
{
    // Here the test is the device: 5000 bytes of noise at once, none of them
    // a lead byte, so nothing in it can pass for an answer.
    Pty pty;
    App a({pty.slavePath()});
    a.choosePortWithoutScan(pty.slavePath());
    a.main.idList()->setCurrentIndex(4); // polled, never answered
    QRandomGenerator noise(20161216);
    QByteArray flood(5000, Qt::Uninitialized);
    for (char &c : flood) {
        c = char(noise.bounded(256));
        if (Byte(c) == Frame::ResponseLead)
            c = 0;
    }
    for (qsizetype at = 0; at < flood.size();) {
        const qsizetype n = pty.writeSome(flood.mid(at));
        QVERIFY(n >= 0);
        at += n;
        QCoreApplication::processEvents(); // the program takes what the line holds
    }
    QTRY_COMPARE_WITH_TIMEOUT(a.main.serial().bytesWaiting(), 0, 10000);
    App::ticks(4);
    QCOMPARE(a.main.serial().bytesWaiting(), 0);
    QVERIFY(!a.shown("Image_Place_zhi_zhen"));
    QVERIFY(a.shown("Image_XWD1") && !a.shown("ImageSelectXWD1"));
    QCOMPARE(a.link.deviceStatus(), Byte(0));
    QCOMPARE(a.main.positionSlider()->box()->text(), QString());
    QCOMPARE(a.link.target().id, 4);
    QCOMPARE(a.messages.texts(), QStringList {});
    // The next real answer is understood.
    QVERIFY(pty.write(bytesOf(report(4, 0x01, 0x00, 0, 0, 0, 52, 0x06)) + QByteArray(1, char(0xD8))));
    QTRY_COMPARE_WITH_TIMEOUT(a.main.positionSlider()->box()->text(), QStringLiteral(" 52 %"), 10000);
    QVERIFY(a.shown("ImageSelectXWD1"));
}

void LineFaultsTest::wrongCheckBytesAreNeverActedOn()
{
    Polled p;
    MotorSim::Faults f;
    f.badCheck = true;
    p.sim.setFaults(f);
    p.motor().limits = {10, -1, -1, -1};
    // The scan hears only broken answers: it ends without choosing a motor.
    scan(p.a, p.r.path);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(p.a.link.target().id, 0);
    QCOMPARE(p.a.main.idList()->currentIndex(), 0);
    QCOMPARE(p.a.main.serial().bitsPerSecond(), 2400);
    QVERIFY(p.sim.answersSent() >= 2);

    // Polls of motor 3 get answers with broken check bytes only.
    p.a.main.idList()->setCurrentIndex(3);
    const int answered = p.sim.answersSent();
    QTRY_VERIFY_WITH_TIMEOUT(p.sim.answersSent() >= answered + 5, 10000);
    QVERIFY(!p.a.shown("Image_Place_zhi_zhen"));
    QVERIFY(!p.a.shown("ImageSelectXWD1"));
    QCOMPARE(p.a.link.deviceStatus(), Byte(0));
    QCOMPARE(p.a.main.positionSlider()->box()->text(), QString());
    QCOMPARE(p.a.messages.texts(), QStringList {});
    // The same answers with good check bytes are understood.
    p.sim.setFaults({});
    QTRY_COMPARE_WITH_TIMEOUT(p.a.main.positionSlider()->box()->text(), QStringLiteral(" 40 %"), 10000);
    QTRY_VERIFY(p.a.shown("ImageSelectXWD1"));
}

void LineFaultsTest::answersInPieces()
{
    // Here the test is the device, so it can cut its answers up.
    Pty pty;
    App a({pty.slavePath()});
    a.choosePortWithoutScan(pty.slavePath());
    a.main.idList()->setCurrentIndex(4); // channel 1: polled
    const auto piecewise = [&](const QByteArray &bytes, QList<int> cuts) {
        int at = 0;
        for (int cut : cuts) {
            QVERIFY(pty.write(bytes.mid(at, cut)));
            at += cut;
            QTest::qWait(250); // more than one receive poll apart
        }
    };

    // A status answer in three pieces: the program waits for the rest, and
    // understands it once its tenth byte is there.
    const QByteArray status = bytesOf(report(4, 0x01, 0x00, 0, 0, 0, 37, 0x06));
    piecewise(status, {3, 4});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(a.main.positionSlider()->box()->text(), QString());
    piecewise(status.mid(7), {3});
    QTRY_COMPARE_WITH_TIMEOUT(a.main.positionSlider()->box()->text(), QStringLiteral(" 37 %"), 10000);
    QTRY_VERIFY(a.shown("ImageSelectXWD1"));

    // A read-back answer in pieces still confirms the setting.
    a.w.settingsWindow().restore(Settings::JogTime); // jog time 4
    const auto cb = Frame::command(4, a.link.target().channels, Frame::ReadExtended, Frame::ReadExtended);
    const QByteArray readExtended(reinterpret_cast<const char *>(cb.data()), int(cb.size()));
    pty.readAvailable();
    a.w.settingsWindow().writeSetting(Settings::JogTime);
    QByteArray wire;
    QTRY_VERIFY_WITH_TIMEOUT((wire += pty.readAvailable()).contains(readExtended), 10000);
    piecewise(bytesOf(report(4, 0x01, 0x00, 4, 1, 1, 0xCB, 0x02)) + QByteArray(1, char(0xD8)), {2, 5, 4});
    if (QTest::currentTestFailed())
        return;
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.count(a.texts[Message::SetSuccess]), 1, 10000);
    App::ticks(12);
    QCOMPARE(a.messages.texts(), QStringList {a.texts[Message::SetSuccess]});
}

void LineFaultsTest::motorAnsweringOneReadOfEachPair()
{
    // A radio link that loses every other answer: each lone answer is
    // understood, so the scan finds the motor at its own rate, and the
    // position follows the newest status.
    Rig r;
    MotorSim &sim = r.plugIn(7, 0x0004, 3);
    MotorSim::Faults f;
    f.dropEvery = 2;
    sim.setFaults(f);
    App &a = r.start();
    scan(a, r.path);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(a.main.serial().bitsPerSecond(), 9600);
    QCOMPARE(a.link.target().id, 7);
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0004));
    QTRY_COMPARE_WITH_TIMEOUT(a.main.positionSlider()->box()->text(), QStringLiteral(" 40 %"), 10000);
    sim.bus().motors().first().position = 71;
    QTRY_COMPARE_WITH_TIMEOUT(a.main.positionSlider()->box()->text(), QStringLiteral(" 71 %"), 10000);
}

void LineFaultsTest::lateScanAnswers_data()
{
    QTest::addColumn<int>("delayMs");
    QTest::newRow("after one tick") << 170;
    QTest::newRow("within a scan step") << 300;
    QTest::newRow("after the scan step") << 600;
    QTest::newRow("after two scan steps") << 1000;
}

void LineFaultsTest::lateScanAnswers()
{
    // A late answer is sent at the rate its question came at; by then the
    // program may listen at another rate and hears noise.  Whatever happens,
    // the scan ends either with the motor's own ID, channels and rate, or with
    // the selection untouched: never with a wrong ID.
    QFETCH(int, delayMs);
    Rig r;
    MotorSim &sim = r.plugIn(12, 0x0005, 2);
    sim.bus().setLenient(true); // a bench motor: it answers the reads for ID 7
    sim.setAnswerDelayMs(delayMs);
    App &a = r.start();
    a.main.idList()->setCurrentIndex(7);
    scan(a, r.path);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(sim.answersSent() >= 1);
    if (a.link.target().id == 12) {
        QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0005));
        QCOMPARE(a.main.idList()->currentText(), QStringLiteral("12"));
        QCOMPARE(a.main.serial().bitsPerSecond(), 4800);
    } else {
        QCOMPARE(a.link.target().id, 7);
        QCOMPARE(a.main.idList()->currentText(), QStringLiteral("7"));
        QCOMPARE(a.link.channelMemory()[12].word(), std::uint16_t(0x0001));
        // Answers heard at a later rate than their question's garble the
        // same way each time, as answers that collide do: the scan may stay
        // at that rate and say several answered, but never at the motor's.
        if (a.main.statusLine()->motor() == StatusLine::Motor::SeveralAnswered)
            QVERIFY(a.main.serial().bitsPerSecond() > 4800);
        else
            QCOMPARE(a.main.serial().bitsPerSecond(), 2400);
        // It asked at every rate, twice each, before giving up.
        QCOMPARE(countFrames(sim, Frame::ReadBasic, Frame::ReadBasic), 10);
    }
    if (delayMs >= 600) // its answers always came after the port had moved on
        QCOMPARE(a.link.target().id, 7);
    QCOMPARE(a.messages.texts(), QStringList {});
}

void LineFaultsTest::duplicatedAnswersConfirmOnce()
{
    Polled p;
    MotorSim::Faults f;
    f.duplicate = true;
    p.sim.setFaults(f);
    if (!p.readyToSet())
        return;
    QCOMPARE(p.a.link.target().id, 3);
    control<QRadioButton>(&p.a.w.settingsWindow(), "RPM80")->click();
    const int mark = int(p.sim.frames().size());
    control<QPushButton>(&p.a.w.settingsWindow(), "bsSkinButton5")->click();
    QTRY_COMPARE_WITH_TIMEOUT(p.a.messages.count(p.a.texts[Message::SetSuccess]), 1, 10000);
    App::ticks(14); // past the point where a failure would be reported
    QCOMPARE(p.a.messages.texts(), QStringList {p.a.texts[Message::SetSuccess]});
    QCOMPARE(countFrames(p.sim, Frame::WriteMaxSpeed, 80, mark), 2);
    QCOMPARE(p.motor().maxSpeed, quint8(80));
    QVERIFY(countFrames(p.sim, Frame::ReadBasic, Frame::ReadBasic, mark) <= 2);
}

void LineFaultsTest::motorTakingOnlySomeWrites()
{
    Polled p;
    MotorSim::Faults f;
    f.ignoredWrites = {Frame::WriteMaxSpeed, Frame::WriteJogTime};
    p.sim.setFaults(f);
    if (!p.readyToSet())
        return;
    MotorSettingsWindow &form = p.a.w.settingsWindow();

    struct Step {
        const char *what;
        std::function<void()> choose;
        const char *button;
        Byte function;
        Byte value;
        Byte readBack;
        bool taken;
    };
    const Step steps[] = {
        {"dry contact 2", [&] { control<QRadioButton>(&form, "UpUpStop")->click(); }, "bsSkinButton3",
         Frame::WriteDryContact, 2, Frame::ReadBasic, true},
        {"speed 100", [&] { control<QRadioButton>(&form, "RPM100")->click(); }, "bsSkinButton5", Frame::WriteMaxSpeed,
         100, Frame::ReadBasic, false},
        {"jog time 7", [&] { control<QComboBox>(&form, "bsSkinComboBox1")->setCurrentIndex(6); }, "bsSkinButton9",
         Frame::WriteJogTime, 7, Frame::ReadExtended, false},
        {"sensitivity 3", [&] { control<QRadioButton>(&form, "bsSkinCheckRadioBox3")->click(); }, "bsSkinButton11",
         Frame::WriteSensitivity, 3, Frame::ReadExtended, true},
        {"no rebound", [&] { control<QRadioButton>(&form, "bsSkinCheckRadioBox4")->click(); }, "bsSkinButton2",
         Frame::WriteRebound, 0, Frame::ReadExtended, true},
    };
    for (const Step &step : steps) {
        p.a.messages.clear();
        step.choose();
        const int mark = int(p.sim.frames().size());
        control<QPushButton>(&form, step.button)->click();
        QTRY_VERIFY2_WITH_TIMEOUT(!p.a.messages.texts().isEmpty(), step.what, 10000);
        App::ticks(3); // nothing else follows the outcome
        const QString outcome = step.taken ? p.a.texts[Message::SetSuccess] : p.a.texts.setFailureText(true);
        QVERIFY2(p.a.messages.texts() == QStringList {outcome}, step.what);
        QVERIFY2(countFrames(p.sim, step.function, step.value, mark) == 2, step.what);
        const int reads = countFrames(p.sim, step.readBack, step.readBack, mark);
        if (step.taken)
            QVERIFY2(reads >= 1 && reads <= 2, step.what);
        else
            QVERIFY2(reads == 6, step.what); // three attempts, each sent twice
    }
    const Motor &m = p.motor();
    QCOMPARE(m.dryContactMode, quint8(2));
    QCOMPARE(m.maxSpeed, quint8(130));
    QCOMPARE(m.jogTime, quint8(4));
    QCOMPARE(m.sensitivity, quint8(3));
    QCOMPARE(m.rebound, quint8(0));
}

void LineFaultsTest::failureBoxOpenWhileStatusGoesOn()
{
    Polled p;
    MotorSim::Faults f;
    f.ignoredWrites = {Frame::WriteMaxSpeed};
    p.sim.setFaults(f);
    if (!p.readyToSet())
        return;
    control<QRadioButton>(&p.a.w.settingsWindow(), "RPM100")->click();

    ModalBoxes boxes(1500);
    int pollsAtOpen = -1, pollsAtClose = -1;
    QString positionAtClose;
    boxes.onOpen = [&](const QString &) {
        pollsAtOpen = countFrames(p.sim, Frame::StatusPoll);
        p.motor().position = 63; // the curtain moves while the box is read
    };
    boxes.onClose = [&](const QString &) {
        pollsAtClose = countFrames(p.sim, Frame::StatusPoll);
        positionAtClose = p.a.main.positionSlider()->box()->text();
    };
    const int mark = p.setSpeedAndLeave(); // the read-backs go on after closing
    QTRY_VERIFY_WITH_TIMEOUT(boxes.shown.size() == 1 && boxes.open == 0, 15000);
    App::ticks(4);
    QCOMPARE(boxes.shown, QStringList {p.a.texts.setFailureText(true)});
    QCOMPARE(countFrames(p.sim, Frame::WriteMaxSpeed, 100, mark), 2);
    QCOMPARE(countFrames(p.sim, Frame::ReadBasic, Frame::ReadBasic, mark), 6);
    QVERIFY2(pollsAtClose - pollsAtOpen >= 4, qPrintable(QStringLiteral("%1 polls").arg(pollsAtClose - pollsAtOpen)));
    QCOMPARE(positionAtClose, QStringLiteral(" 63 %"));
    QVERIFY(p.a.shown("Image_Place_zhi_zhen"));
}

void LineFaultsTest::successBoxOpenWhileStatusGoesOn()
{
    Polled p;
    if (!p.readyToSet())
        return;
    control<QRadioButton>(&p.a.w.settingsWindow(), "RPM80")->click();

    ModalBoxes boxes(1500);
    QString positionAtClose;
    bool shownAtClose = false;
    boxes.onOpen = [&](const QString &) { p.motor().position = 71; };
    boxes.onClose = [&](const QString &) {
        positionAtClose = p.a.main.positionSlider()->box()->text();
        shownAtClose = p.a.shown("Image_Place_zhi_zhen");
    };
    const int mark = p.setSpeedAndLeave();
    QTRY_VERIFY_WITH_TIMEOUT(boxes.shown.size() == 1 && boxes.open == 0, 15000);
    App::ticks(12);
    QCOMPARE(boxes.shown, QStringList {p.a.texts[Message::SetSuccess]});
    QCOMPARE(countFrames(p.sim, Frame::WriteMaxSpeed, 80, mark), 2);
    const int reads = countFrames(p.sim, Frame::ReadBasic, Frame::ReadBasic, mark);
    QVERIFY(reads >= 1 && reads <= 2);
    // Under the open box the panel followed the motor.
    QCOMPARE(positionAtClose, QStringLiteral(" 71 %"));
    QVERIFY(shownAtClose);
}

void LineFaultsTest::successBoxOpenWhileTheNextConfirmationArrives()
{
    Polled p;
    if (!p.readyToSet())
        return;
    MotorSettingsWindow &form = p.a.w.settingsWindow();
    control<QRadioButton>(&form, "UpUpStop")->click();

    // While the first success box is open, the jog time is set: its
    // confirmation arrives and is shown while the first box is still open.
    ModalBoxes boxes(1500);
    int markJog = -1;
    boxes.onOpen = [&](const QString &) {
        if (boxes.shown.size() != 1)
            return;
        control<QComboBox>(&form, "bsSkinComboBox1")->setCurrentIndex(6);
        markJog = int(p.sim.frames().size());
        control<QPushButton>(&form, "bsSkinButton9")->click();
    };
    const int mark = int(p.sim.frames().size());
    control<QPushButton>(&form, "bsSkinButton3")->click();
    QTRY_VERIFY_WITH_TIMEOUT(boxes.shown.size() == 2 && boxes.open == 0, 15000);
    App::ticks(14);
    QCOMPARE(boxes.shown, (QStringList {p.a.texts[Message::SetSuccess], p.a.texts[Message::SetSuccess]}));
    QCOMPARE(boxes.openAbove, (QList<int> {0, 1}));
    QCOMPARE(countFrames(p.sim, Frame::WriteDryContact, 2, mark), 2);
    QCOMPARE(countFrames(p.sim, Frame::WriteJogTime, 7, mark), 2);
    const int basicReads = countFrames(p.sim, Frame::ReadBasic, Frame::ReadBasic, mark);
    const int extendedReads = countFrames(p.sim, Frame::ReadExtended, Frame::ReadExtended, markJog);
    QVERIFY(basicReads >= 1 && basicReads <= 2);
    QVERIFY(extendedReads >= 1 && extendedReads <= 2);
    QCOMPARE(p.motor().dryContactMode, quint8(2));
    QCOMPARE(p.motor().jogTime, quint8(7));
}

QTEST_MAIN(LineFaultsTest)
#include "tst_line_faults.moc"
