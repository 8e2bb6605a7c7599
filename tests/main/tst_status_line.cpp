// The status line under the panel against the simulated motor bus: the port
// and its rate, the motor a scan found or that none answered, a lost port
// and its return, the signal bars, and what a failed write says.
#include "AppFixture.h"
#include "Contrast.h"
#include "Bench.h"
#include "ChannelNumbers.h"
#include "Frames.h"
#include "MotorSettingsWindow.h"
#include "MotorSim.h"
#include "SignalBars.h"
#include "StatusLine.h"
#include "ElidedLabel.h"
#include "PortComboBox.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// What a part of the line says (cut to its room when long: longPortNameIsCut).
QString shownText(App &a, const char *label)
{
    return a.find<ElidedLabel>(a.main.statusLine(), label)->fullText();
}

SignalBars *bars(App &a)
{
    return a.find<SignalBars>(a.main.centralWidget(), "SignalBars");
}

using Motor_ = StatusLine::Motor;

} // namespace

class StatusLineTest : public QObject {
    Q_OBJECT
private slots:
    void windowGrowsByTheLine();
    void motorFound();
    void noMotorAnswered();
    void portOpenedWithoutScan();
    void severalMotorsAnsweredTheScan();
    void scanStaysWhereSeveralAnswered_data();
    void scanStaysWhereSeveralAnswered();
    void silentMotorIsNamed_data();
    void silentMotorIsNamed();
    void lostAndBack();
    void offEndsTheWait();
    void lostPortBoxEndsWithTheWait_data();
    void lostPortBoxEndsWithTheWait();
    void barsFollowTheAnswerAge_data();
    void barsFollowTheAnswerAge();
    void failedWriteSaysWhy_data();
    void failedWriteSaysWhy();
    void barsStandApart_data();
    void barsStandApart();
    void longPortNameIsCut_data();
    void longPortNameIsCut();
};

void StatusLineTest::windowGrowsByTheLine()
{
    App a;
    QCOMPARE(a.main.centralWidget()->size(), QSize(616, 538));
    QTRY_VERIFY(a.main.statusLine()->isVisible());
    QCOMPARE(a.main.statusLine()->y(), a.main.centralWidget()->geometry().bottom() + 1);
    QCOMPARE(shownText(a, "StatusMotor"), a.texts[Message::StatusNoPort]);
    QCOMPARE(bars(a)->bars(), 0);
    QVERIFY(bars(a)->isVisibleTo(&a.main)); // unlit bars drawn over the background's
}

// Two motors on the line: the scan finds the one that answers first at the
// motor's rate; the line names the motor the panel now targets, its channels
// and the port's rate, and the bars fill while the polls are answered.
void StatusLineTest::motorFound()
{
    MotorSim sim;
    sim.bus().addMotor(7, 0x0014);
    sim.bus().setBaudCode(2);
    App a({sim.path()});
    a.choosePort(sim.path());
    QCOMPARE(a.main.statusLine()->motor(), Motor_::Scanning);
    QCOMPARE(shownText(a, "StatusMotor"), a.texts[Message::StatusScanning]);
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 8000);
    QCOMPARE(shownText(a, "StatusMotor"),
             a.texts[Message::StatusMotorAddressed].arg(7).arg(QStringLiteral("3,5")).arg(4800));
    QCOMPARE(shownText(a, "StatusPort"), a.texts[Message::StatusPort].arg(sim.path()).arg(4800));
    QVERIFY(!shownText(a, "StatusAnswer").isEmpty());
    // One channel: the motor is polled (the line names the panel's motor now), the bars fill and the percent stays shown.
    a.click("Label_ch5");
    QTRY_COMPARE_WITH_TIMEOUT(bars(a)->bars(), 5, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(a.slider().box()->isVisibleTo(&a.main), 5000);
    a.move("Image_bei_jing");
    QVERIFY(a.slider().box()->isVisibleTo(&a.main));
    // The texts follow the language.
    a.main.setLanguage(Language::English);
    QTRY_COMPARE(shownText(a, "StatusMotor"),
                 QStringLiteral("Motor 7:%1 at 4800 bit/s").arg(channelNumbersText(a.link.target().channels)));
}

// A port with a motor, then one with none: the line says none answered
// instead of keeping the first port's motor, and the settings window read
// from it says it shows defaults.
void StatusLineTest::noMotorAnswered()
{
    MotorSim withMotor, silent;
    withMotor.bus().addMotor(7, 0x0004);
    MotorSim::Faults f;
    f.silent = true;
    silent.setFaults(f);
    App a({withMotor.path(), silent.path()});
    a.choosePort(withMotor.path());
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 8000);
    a.choosePort(silent.path());
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::NoAnswer, 8000);
    QCOMPARE(shownText(a, "StatusMotor"), a.texts[Message::StatusNoAnswer]);
    QVERIFY(!shownText(a, "StatusMotor").contains(QLatin1String("7")));
    a.main.findChild<QAction *>(QStringLiteral("SetMenu"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(a.w.settingsWindow().isVisible(), 8000);
    QVERIFY(a.w.settingsWindow().showsDefaults());
    QCOMPARE(a.find<QLabel>(&a.w.settingsWindow(), "DefaultsNote")->text(), a.texts[Message::SettingsDefaultsNote]);
    // Read again from the motor's port: the values are the motor's.
    a.w.settingsWindow().close();
    a.choosePort(withMotor.path());
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 8000);
    a.main.findChild<QAction *>(QStringLiteral("SetMenu"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(a.w.settingsWindow().isVisible(), 8000);
    QVERIFY(!a.w.settingsWindow().showsDefaults());
}

// A port opened without a scan names no motor from the moment it opens,
// and the first answer from the line names the motor that gave it.
void StatusLineTest::portOpenedWithoutScan()
{
    MotorSim sim;
    sim.bus().addMotor(7, 0x0001);
    sim.bus().setBaudCode(MotorSettings::DefaultBaudCode);
    App a({sim.path()});
    a.choosePortWithoutScan(sim.path());
    QCOMPARE(a.main.statusLine()->motor(), Motor_::NotAsked);
    QCOMPARE(shownText(a, "StatusMotor"), QString());
    a.main.idList()->setCurrentIndex(7); // polls motor 7 on its first channel
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 8000);
    QCOMPARE(shownText(a, "StatusMotor"),
             a.texts[Message::StatusMotorAddressed].arg(7).arg(QStringLiteral("1")).arg(2400));
}

// Two motors that hear the scan's group read answer it at once, and their
// answers collide at every try: the line and the settings window say several
// motors answered, not that none did, until the technician picks one of them
// by its ID.
void StatusLineTest::severalMotorsAnsweredTheScan()
{
    MotorSim sim;
    sim.bus().addMotor(3, 0x0001);
    sim.bus().addMotor(5, 0x0001);
    sim.bus().setBaudCode(MotorSettings::DefaultBaudCode);
    App a({sim.path()});
    a.choosePort(sim.path());
    QTRY_VERIFY_WITH_TIMEOUT(!a.link.isScanning(), 15000);
    QCOMPARE(a.main.statusLine()->motor(), Motor_::SeveralAnswered);
    QCOMPARE(shownText(a, "StatusMotor"), a.texts[Message::StatusSeveralAnswered]);
    a.main.setLanguage(Language::English);
    QCOMPARE(shownText(a, "StatusMotor"), QStringLiteral("Several motors answered at once: choose a motor's ID"));
    // The settings window read from the whole line says why it shows defaults.
    a.main.findChild<QAction *>(QStringLiteral("SetMenu"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(a.w.settingsWindow().isVisible(), 15000);
    QVERIFY(a.w.settingsWindow().showsDefaults());
    QCOMPARE(a.find<QLabel>(&a.w.settingsWindow(), "DefaultsNote")->text(), a.texts[Message::SettingsDefaultsSeveral]);
    a.main.setLanguage(Language::TraditionalChinese); // the note follows the language
    QCOMPARE(a.find<QLabel>(&a.w.settingsWindow(), "DefaultsNote")->text(),
             QStringLiteral("多個電機同時應答：顯示的是預設值。請選擇一個電機 ID 再讀取。"));
    a.main.setLanguage(Language::English);
    a.w.settingsWindow().close();
    a.main.idList()->setCurrentIndex(5); // polls motor 5 alone
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 8000);
    QCOMPARE(shownText(a, "StatusMotor"), QStringLiteral("Motor 5:1 at 2400 bit/s"));
}

void StatusLineTest::scanStaysWhereSeveralAnswered_data()
{
    QTest::addColumn<QStringList>("motors"); // "ID:CHANNELS@BPS" each
    QTest::addColumn<int>("end");
    QTest::addColumn<int>("rate"); // the port's after the scan
    QTest::addColumn<int>("chosenId"); // then polled on channel 1; 0: none
    using End = MotorLink::ScanEnd;
    QTest::newRow("two motors share ID 4 at 9600")
        << QStringList {"4:1@9600", "4:2@9600"} << int(End::SeveralAnswered) << 9600 << 4;
    QTest::newRow("two IDs at 19200") << QStringList {"3:1@19200", "5:1@19200"} << int(End::SeveralAnswered) << 19200
                                      << 5;
    QTest::newRow("several at 1200, then several at 9600: the last")
        << QStringList {"2:1@1200", "6:1@1200", "4:1@9600", "4:2@9600"} << int(End::SeveralAnswered) << 9600 << 4;
    QTest::newRow("one motor at 9600: found there") << QStringList {"4:1@9600"} << int(End::MotorAnswered) << 9600 << 4;
    QTest::newRow("no motor: back at 2400") << QStringList {} << int(End::NoneAnswered) << 2400 << 0;
}

// A scan that heard only answers that collided stays at the last rate where
// they did: choosing one of their IDs then reaches the motor at its rate.
void StatusLineTest::scanStaysWhereSeveralAnswered()
{
    QFETCH(QStringList, motors);
    QFETCH(int, end);
    QFETCH(int, rate);
    QFETCH(int, chosenId);
    MotorSim sim;
    for (const QString &motor : motors)
        QVERIFY(sim.bus().addMotor(motor));
    App a({sim.path()});
    QList<MotorLink::ScanEnd> ends;
    QList<MotorTarget> polled; // the motors whose status answers count as the panel's
    QObject::connect(&a.link, &MotorLink::scanEnded, [&](MotorLink::ScanEnd e) { ends << e; });
    QObject::connect(&a.link, &MotorLink::statusAnswer, [&](const StatusReport &r) {
        if (r.fromAddressed)
            polled << r.from;
    });
    a.choosePort(sim.path());
    QTRY_COMPARE_WITH_TIMEOUT(ends.size(), 1, 15000);
    QCOMPARE(int(ends.first()), end);
    QCOMPARE(a.link.serial().bitsPerSecond(), rate);
    QCOMPARE(shownText(a, "StatusPort"), a.texts[Message::StatusPort].arg(sim.path()).arg(rate));
    if (chosenId == 0)
        return;
    polled.clear();
    a.main.idList()->setCurrentIndex(chosenId);
    QTRY_VERIFY_WITH_TIMEOUT(polled.size() >= 2, 8000);
    for (const MotorTarget &from : polled)
        QCOMPARE(from.id, chosenId);
    QCOMPARE(a.link.serial().bitsPerSecond(), rate);
    QTRY_COMPARE(shownText(a, "StatusMotor"),
                 a.texts[Message::StatusMotorAddressed].arg(chosenId).arg(QStringLiteral("1")).arg(rate));
}

void StatusLineTest::silentMotorIsNamed_data()
{
    QTest::addColumn<QStringList>("motors"); // "ID:CHANNELS@BPS" each; the scan finds the first
    QTest::addColumn<int>("silentId"); // chosen next, polled on channel 1 at the first one's rate
    QTest::newRow("no motor has the ID") << QStringList {"4:1@9600"} << 9;
    QTest::newRow("the ID's motor speaks another rate") << QStringList {"4:1@9600", "6:1@19200"} << 6;
}

// The line names the motor the panel addresses now, at the rate its frames
// go out at, and says when it stays silent; back on the scan's motor, it
// names that one again.
void StatusLineTest::silentMotorIsNamed()
{
    QFETCH(QStringList, motors);
    QFETCH(int, silentId);
    MotorSim sim;
    for (const QString &motor : motors)
        QVERIFY(sim.bus().addMotor(motor));
    App a({sim.path()});
    a.choosePort(sim.path());
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 15000);
    QCOMPARE(a.link.serial().bitsPerSecond(), 9600);
    const QString named = a.texts[Message::StatusMotorAddressed].arg(4).arg(QStringLiteral("1")).arg(9600);
    QCOMPARE(shownText(a, "StatusMotor"), named);
    a.main.idList()->setCurrentIndex(silentId);
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Silent, 8000);
    QCOMPARE(shownText(a, "StatusMotor"),
             a.texts[Message::StatusMotorSilent].arg(silentId).arg(QStringLiteral("1")).arg(9600));
    a.main.setLanguage(Language::English);
    QCOMPARE(shownText(a, "StatusMotor"), QStringLiteral("Motor %1:1 at 9600 bit/s: no answer").arg(silentId));
    a.main.setLanguage(Language::SimplifiedChinese);
    a.main.idList()->setCurrentIndex(4);
    QTRY_COMPARE_WITH_TIMEOUT(shownText(a, "StatusMotor"), named, 8000);
    QCOMPARE(a.main.statusLine()->motor(), Motor_::Addressed);
}

void StatusLineTest::lostAndBack()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyTAVIK0"));
    MotorSim sim;
    sim.bus().addMotor(4, 0x0001);
    QVERIFY(sim.link(path));
    App a({path});
    a.choosePort(path);
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 8000);
    QTRY_COMPARE_WITH_TIMEOUT(bars(a)->bars(), 5, 5000);
    sim.unplug();
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::PortLost, 8000);
    QCOMPARE(shownText(a, "StatusMotor"), a.texts[Message::StatusPortLost].arg(path));
    // The box tells the same wait, and stays while it lasts.
    QTRY_COMPARE(a.messages.texts(), QStringList {a.texts[Message::PortLost]});
    QVERIFY(a.messages.dismissed().isEmpty());
    QCOMPARE(shownText(a, "StatusAnswer"), QString());
    QCOMPARE(bars(a)->bars(), 0);
    QVERIFY(a.main.portReturnWatch().watching());
    QVERIFY(sim.replug());
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::PortBack, 8000);
    QCOMPARE(shownText(a, "StatusMotor"), a.texts[Message::StatusPortBack].arg(path));
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 8000);
    QCOMPARE(a.link.target().id, 4);
    QTRY_COMPARE_WITH_TIMEOUT(bars(a)->bars(), 5, 5000);
    QCOMPARE(a.messages.texts(), QStringList {a.texts[Message::PortLost]});
    QCOMPARE(a.messages.dismissed(), QStringList {a.texts[Message::PortLost]}); // closed once the port was back
}

void StatusLineTest::offEndsTheWait()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyTAVIK0"));
    MotorSim sim;
    sim.bus().addMotor(4, 0x0001);
    QVERIFY(sim.link(path));
    App a({path});
    a.choosePort(path);
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::Addressed, 8000);
    sim.unplug();
    QTRY_VERIFY_WITH_TIMEOUT(a.main.portReturnWatch().watching(), 8000);
    QTRY_COMPARE(a.messages.texts(), QStringList {a.texts[Message::PortLost]});
    QVERIFY(a.messages.dismissed().isEmpty());
    a.choosePort(QStringLiteral("OFF"));
    QVERIFY(!a.main.portReturnWatch().watching());
    QCOMPARE(a.messages.dismissed(), QStringList {a.texts[Message::PortLost]}); // the wait is over
    QCOMPARE(shownText(a, "StatusMotor"), a.texts[Message::StatusNoPort]);
    const int framesBefore = int(sim.frames().size());
    QVERIFY(sim.replug());
    App::ticks(6); // longer than the watch takes to see a device back
    QVERIFY(!a.main.serial().isOpen());
    QCOMPARE(int(sim.frames().size()), framesBefore);
}

void StatusLineTest::lostPortBoxEndsWithTheWait_data()
{
    QTest::addColumn<QStringList>("motors");
    QTest::addColumn<int>("found"); // what the scan after the return finds (StatusLine::Motor)
    QTest::newRow("one motor") << QStringList {"4:1"} << int(Motor_::Addressed);
    QTest::newRow("two motors share ID 4") << QStringList {"4:1", "4:2"} << int(Motor_::SeveralAnswered);
    QTest::newRow("three motors") << QStringList {"2:1", "4:1", "9:3"} << int(Motor_::SeveralAnswered);
    QTest::newRow("no motor") << QStringList {} << int(Motor_::NoAnswer);
}

// Whatever answers on the line, the box about a lost port is shown once, says
// what the status line says, and is closed once the port is back.
void StatusLineTest::lostPortBoxEndsWithTheWait()
{
    QFETCH(QStringList, motors);
    QFETCH(int, found);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ttyTAVIK0"));
    MotorSim sim;
    for (const QString &motor : motors)
        QVERIFY(sim.bus().addMotor(motor));
    QVERIFY(sim.link(path));
    App a({path});
    a.choosePort(path);
    QTRY_COMPARE_WITH_TIMEOUT(int(a.main.statusLine()->motor()), found, 15000);
    sim.unplug();
    QTRY_COMPARE_WITH_TIMEOUT(a.main.statusLine()->motor(), Motor_::PortLost, 8000);
    QTRY_COMPARE(a.messages.texts(), QStringList {a.texts[Message::PortLost]});
    QVERIFY(a.messages.dismissed().isEmpty());
    QVERIFY(sim.replug());
    QTRY_COMPARE_WITH_TIMEOUT(int(a.main.statusLine()->motor()), found, 15000);
    QCOMPARE(a.messages.dismissed(), QStringList {a.texts[Message::PortLost]});
    QCOMPARE(a.messages.texts(), QStringList {a.texts[Message::PortLost]}); // one box for one loss
}

void StatusLineTest::barsFollowTheAnswerAge_data()
{
    QTest::addColumn<int>("ageMs");
    QTest::addColumn<int>("bars");
    QTest::newRow("no answer yet") << -1 << 0;
    QTest::newRow("just now") << 0 << 5;
    QTest::newRow("within the second") << 999 << 5;
    QTest::newRow("a second") << 1000 << 4;
    QTest::newRow("three seconds") << 3999 << 3;
    QTest::newRow("seven seconds") << 7999 << 2;
    QTest::newRow("fourteen seconds") << 14999 << 1;
    QTest::newRow("fifteen seconds") << 15000 << 0;
}

void StatusLineTest::barsFollowTheAnswerAge()
{
    QFETCH(int, ageMs);
    QFETCH(int, bars);
    QCOMPARE(StatusLine::barsFor(ageMs), bars);
}

void StatusLineTest::failedWriteSaysWhy_data()
{
    QTest::addColumn<bool>("motorAnswers");
    QTest::newRow("motor silent") << false;
    QTest::newRow("motor keeps its value") << true;
}

void StatusLineTest::failedWriteSaysWhy()
{
    QFETCH(bool, motorAnswers);
    MotorSim sim;
    sim.bus().addMotor(3, 0x0001);
    App a({sim.path()});
    a.choosePort(sim.path());
    QTRY_VERIFY_WITH_TIMEOUT(!a.link.isScanning(), 8000);
    a.main.findChild<QAction *>(QStringLiteral("SetMenu"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(a.w.settingsWindow().isVisible(), 8000);
    MotorSim::Faults f;
    if (motorAnswers)
        f.ignoredWrites = {Frame::WriteMaxSpeed};
    else
        f.silent = true;
    sim.setFaults(f);
    a.w.settingsWindow().findChild<QRadioButton *>(QStringLiteral("RPM80"))->click();
    a.w.settingsWindow().findChild<QPushButton *>(QStringLiteral("bsSkinButton5"))->click();
    QTRY_VERIFY_WITH_TIMEOUT(!a.messages.texts().isEmpty(), 10000);
    QCOMPARE(a.messages.texts(), QStringList {a.texts.setFailureText(motorAnswers)});
    QVERIFY(a.texts.setFailureText(true) != a.texts.setFailureText(false));
}

QTEST_MAIN(StatusLineTest)
#include "tst_status_line.moc"

void StatusLineTest::barsStandApart_data()
{
    QTest::addColumn<bool>("greyed"); // a child window is open over the main window
    QTest::addColumn<int>("bar"); // 1 (the shortest) .. 5
    for (bool greyed : {false, true})
        for (int bar = 1; bar <= 5; ++bar)
            QTest::addRow("%s, bar %d", greyed ? "greyed" : "working", bar) << greyed << bar;
}

// Each bar lit and unlit, read from the drawn panel: at least 3 : 1 apart,
// in the working window and in the one greyed under the manual.
void StatusLineTest::barsStandApart()
{
    QFETCH(bool, greyed);
    QFETCH(int, bar);
    App a;
    if (greyed)
        a.main.findChild<QAction *>(QStringLiteral("HelpMenu"))->trigger();
    QCOMPARE(a.main.isEnabled(), !greyed);
    constexpr int Lefts[5] = {560, 567, 574, 581, 588};
    constexpr int Heights[5] = {4, 7, 10, 13, 16};
    const QPoint middle(Lefts[bar - 1] + 2, 30 - Heights[bar - 1] / 2);
    const auto pixelWith = [&](int lit) {
        bars(a)->setBars(lit);
        return a.main.centralWidget()->grab().toImage().pixel(middle);
    };
    const QRgb unlit = pixelWith(bar - 1);
    const QRgb lit = pixelWith(bar);
    const double ratio = contrast(lit, unlit);
    QVERIFY2(ratio >= 3.0, qPrintable(QStringLiteral("%1 : 1").arg(ratio, 0, 'f', 2)));
    // A bar not earned looks the same however many are lit, and stands out
    // from the panel less than a lit one: dark slots are no strong bars.
    QCOMPARE(pixelWith(0), unlit);
    const QRgb beside = a.main.centralWidget()->grab().toImage().pixel(555, 22);
    QVERIFY(contrast(unlit, beside) < contrast(lit, beside));
}

void StatusLineTest::longPortNameIsCut_data()
{
    QTest::addColumn<Language>("lang");
    QTest::addColumn<QStringList>("motors");
    QTest::addColumn<int>("outcome"); // StatusLine::Motor
    const std::pair<Language, const char *> languages[] = {
        {Language::SimplifiedChinese, "zh_CN"}, {Language::English, "en"}, {Language::TraditionalChinese, "zh_TW"}};
    for (const auto &[lang, code] : languages) {
        QTest::addRow("%s, one motor", code) << lang << QStringList {"6:2"} << int(Motor_::Addressed);
        QTest::addRow("%s, two motors answer together", code)
            << lang << QStringList {"3:1", "5:1"} << int(Motor_::SeveralAnswered);
        QTest::addRow("%s, no motor", code) << lang << QStringList {} << int(Motor_::NoAnswer);
    }
}

// The name a USB adapter gets from the system, as long as they come: the box
// and the status line cut it at its start, the whole name is in the tool tip
// and the accessible name, and the window keeps the panel's width.
void StatusLineTest::longPortNameIsCut()
{
    QFETCH(Language, lang);
    QFETCH(QStringList, motors);
    QFETCH(int, outcome);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("serial/by-id/usb-XYZ_USB_UART_A50285BI-if00-port0"));
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    MotorSim sim;
    for (const QString &motor : motors)
        QVERIFY(sim.bus().addMotor(motor));
    QVERIFY(sim.link(path));
    App a({path});
    a.main.setLanguage(lang);
    QTRY_VERIFY(a.main.statusLine()->isVisible());
    const QSize before = a.main.size();
    a.choosePort(path);
    QTRY_COMPARE_WITH_TIMEOUT(int(a.main.statusLine()->motor()), outcome, 15000);
    QCoreApplication::processEvents();
    QCOMPARE(a.main.size(), before);
    QCOMPARE(a.main.width(), a.main.centralWidget()->width());

    auto *port = a.find<ElidedLabel>(a.main.statusLine(), "StatusPort");
    const QString whole = a.texts[Message::StatusPort].arg(path).arg(a.link.serial().bitsPerSecond());
    QCOMPARE(port->toolTip(), whole);
    QCOMPARE(QAccessible::queryAccessibleInterface(port)->text(QAccessible::Name), whole);
    QVERIFY2(port->text().startsWith(QChar(0x2026)) && port->text().size() < whole.size(), qPrintable(port->text()));
    QVERIFY(port->fontMetrics().horizontalAdvance(port->text()) <= port->contentsRect().width());
    // The motor's text is short: it stays whole beside the cut name, inside the line.
    auto *motor = a.find<ElidedLabel>(a.main.statusLine(), "StatusMotor");
    QCOMPARE(motor->text(), motor->fullText());
    QVERIFY(!motor->text().isEmpty());
    for (QWidget *label : a.main.statusLine()->findChildren<ElidedLabel *>())
        QVERIFY2(a.main.statusLine()->rect().contains(label->geometry().translated(label->parentWidget()->pos())),
                 qPrintable(label->objectName()));

    auto *box = static_cast<PortComboBox *>(a.main.portList());
    QCOMPARE(box->currentText(), path);
    QCOMPARE(box->toolTip(), path);
    QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Value), path);
    QVERIFY2(box->shownText().startsWith(QChar(0x2026)), qPrintable(box->shownText()));
    QVERIFY(box->shownText().endsWith(QLatin1String("-if00-port0")));
}
