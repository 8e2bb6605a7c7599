// The whole program with the simulated motor: the menus, reading a motor into
// the settings window, writing settings, the secondary windows and the
// languages, as a technician uses them.
#include "AppFixture.h"
#include "Bench.h"
#include "Frames.h"
#include "MotorSim.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

namespace {

QAction *menuItem(App &a, const char *name)
{
    auto *action = a.main.findChild<QAction *>(QString::fromLatin1(name));
    if (!action)
        qFatal("no menu item %s", name);
    return action;
}

bool checked(QWidget *window, const char *name)
{
    return window->findChild<QRadioButton *>(QString::fromLatin1(name))->isChecked();
}

QString shown(QWidget *window, const char *comboName)
{
    return window->findChild<QComboBox *>(QString::fromLatin1(comboName))->currentText();
}

// A motor on the simulated bus, its port chosen and the first scan over.
struct Connected {
    MotorSim sim;
    App a;
    Connected(int id, quint16 channels, int baudCode, Motor settings = {})
        : a((setUp(id, channels, baudCode, settings), QStringList {sim.path()}))
    {
        a.choosePort(sim.path());
        QTRY_VERIFY_WITH_TIMEOUT(!a.link.isScanning(), 8000);
    }
    void setUp(int id, quint16 channels, int baudCode, Motor settings)
    {
        settings.id = id;
        settings.channels = channels;
        sim.bus().motors().append(settings);
        sim.bus().setBaudCode(baudCode);
    }
    // Reads the motor through the settings menu and waits for the window.
    void readSettings()
    {
        menuItem(a, "SetMenu")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(a.w.settingsWindow().isVisible(), 8000);
    }
};

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT
private slots:
    void readSequenceShowsTheMotor();
    void readWithoutMotorOpensWithDefaults();
    void settingIgnoredByTheMotorFails();
    void baudChangeMovesPortAndMotor();
    void closingWhileVerifying();
    void menusWithoutPort();
    void childWindowsReenableTheMain();
    void forcedSetThroughTheMenu();
    void messagesFollowTheLanguage();
};

void WindowsTest::readSequenceShowsTheMotor()
{
    Motor m;
    m.dryContactMode = 3;
    m.maxSpeed = 100;
    m.curtainFunctions = 0x40 | 0x02 | 0x80; // opposite direction, hand control out of sync
    m.jogTime = 7;
    m.sensitivity = 2;
    m.rebound = 255;
    Connected c(12, 0x0005, 3, m);
    App &a = c.a;
    // Group control chosen meanwhile; the read selects the motor's own ID again.
    a.main.idList()->setCurrentIndex(0);
    c.readSettings();
    QCOMPARE(a.main.serial().bitsPerSecond(), 9600);
    QCOMPARE(a.link.target().id, 12);
    QCOMPARE(a.main.idList()->currentText(), QStringLiteral("12"));
    QCOMPARE(shown(&a.w.settingsWindow(), "ComboBox1"), QStringLiteral("12"));
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0005));
    QVERIFY(!a.main.isEnabled());
    QVERIFY(checked(&a.w.settingsWindow(), "SongShouTing"));
    QVERIFY(checked(&a.w.settingsWindow(), "RPM100"));
    QVERIFY(checked(&a.w.settingsWindow(), "OppositeDirection") && checked(&a.w.settingsWindow(), "OutSync"));
    QVERIFY(checked(&a.w.settingsWindow(), "HandStartupOn") && checked(&a.w.settingsWindow(), "NoRemamber"));
    QCOMPARE(shown(&a.w.settingsWindow(), "SetComboBox"), QStringLiteral("9600"));
    // The extended report follows while the window is open.
    QTRY_COMPARE_WITH_TIMEOUT(shown(&a.w.settingsWindow(), "bsSkinComboBox1"), QStringLiteral("7"), 5000);
    QVERIFY(checked(&a.w.settingsWindow(), "bsSkinCheckRadioBox2"));
    QVERIFY(checked(&a.w.settingsWindow(), "bsSkinCheckRadioBox5"));
    // No status polls while the settings window is open.
    const int polls = countFrames(c.sim, Frame::StatusPoll);
    App::ticks(4);
    QCOMPARE(countFrames(c.sim, Frame::StatusPoll), polls);
    a.w.settingsWindow().close();
    QVERIFY(a.main.isEnabled());
    a.click("Label_ch3"); // one channel left: the motor can be polled again
    QTRY_VERIFY(countFrames(c.sim, Frame::StatusPoll) > polls);
}

void WindowsTest::readWithoutMotorOpensWithDefaults()
{
    MotorSim sim;
    MotorSim::Faults silent;
    silent.silent = true;
    sim.setFaults(silent);
    App a({sim.path()});
    a.choosePort(sim.path());
    QTRY_VERIFY_WITH_TIMEOUT(!a.link.isScanning(), 8000);
    menuItem(a, "SetMenu")->trigger();
    QVERIFY(a.scanAnnouncesEnd());
    QVERIFY(!a.w.settingsWindow().isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(a.w.settingsWindow().isVisible(), 8000);
    QCOMPARE(a.main.serial().bitsPerSecond(), 2400);
    for (const char *box : {"Normal", "RPM130", "HandStartupOn", "DefaultDirection", "SlowStartup", "Clearance", "Stop",
                            "NoRemamber", "synchro", "bsSkinCheckRadioBox1", "bsSkinCheckRadioBox6"})
        QVERIFY2(checked(&a.w.settingsWindow(), box), box);
    QCOMPARE(shown(&a.w.settingsWindow(), "bsSkinComboBox1"), QStringLiteral("4"));
    QCOMPARE(shown(&a.w.settingsWindow(), "SetComboBox"), QStringLiteral("2400"));
    const SettingValues &v = a.w.settingsWindow().values();
    QCOMPARE((std::array<int, 7> {v.dryContactMode, v.maxSpeed, v.curtainFunctions, v.jogTime, v.obstacleSensitivity,
                                  v.reboundTime, v.deviceBaudCode}),
             (std::array<int, 7> {0, 130, 0x40, 4, 1, 1, 1}));
}

void WindowsTest::settingIgnoredByTheMotorFails()
{
    Connected c(3, 0x0001, 1);
    App &a = c.a;
    c.sim.setFaults({.ignoredWrites = {Frame::WriteMaxSpeed}});
    c.readSettings();
    const int reads = countFrames(c.sim, Frame::ReadBasic);
    QTest::mouseClick(a.w.settingsWindow().findChild<QRadioButton *>("RPM80"), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(a.w.settingsWindow().findChild<QWidget *>("bsSkinButton5"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.count(a.texts.setFailureText(true)), 1, 8000);
    QCOMPARE(a.messages.count(a.texts[Message::SetSuccess]), 0);
    QCOMPARE(countFrames(c.sim, Frame::WriteMaxSpeed), 2);
    QCOMPARE(countFrames(c.sim, Frame::ReadBasic) - reads, 6);
    QCOMPARE(c.sim.bus().motors().first().maxSpeed, quint8(130));
    QCOMPARE(a.w.settingsWindow().values().maxSpeed, Byte(80)); // the user's choice stays
}

void WindowsTest::baudChangeMovesPortAndMotor()
{
    Connected c(3, 0x0001, 1);
    App &a = c.a;
    c.readSettings();
    a.w.settingsWindow().findChild<QComboBox *>("SetComboBox")->setCurrentIndex(4);
    QTest::mouseClick(a.w.settingsWindow().findChild<QWidget *>("bsSkinButton14"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.count(a.texts[Message::SetSuccess]), 1, 8000);
    QCOMPARE(a.main.serial().bitsPerSecond(), 19200);
    QCOMPARE(c.sim.bus().baudCodeOf(c.sim.bus().motors().first()), 4);
    // A later read scans from 1200 again and finds the motor at 19200.
    a.w.settingsWindow().close();
    c.readSettings();
    QCOMPARE(a.main.serial().bitsPerSecond(), 19200);
    QCOMPARE(a.link.motorSettings().deviceBaudCode, Byte(4));
    QCOMPARE(shown(&a.w.settingsWindow(), "SetComboBox"), QStringLiteral("19200"));
}

void WindowsTest::closingWhileVerifying()
{
    Connected c(3, 0x0001, 1);
    App &a = c.a;
    c.readSettings();
    QTest::mouseClick(a.w.settingsWindow().findChild<QRadioButton *>("RenYiTing"), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(a.w.settingsWindow().values().dryContactMode, Byte(4));
    QTest::mouseClick(a.w.settingsWindow().findChild<QWidget *>("bsSkinButton3"), Qt::LeftButton);
    a.w.settingsWindow().close(); // the verification runs on
    QVERIFY(a.main.isEnabled() && !a.w.settingsWindow().isEnabled());
    QVERIFY(!a.scanAnnouncesEnd());
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.count(a.texts[Message::SetSuccess]), 1, 8000);
    QCOMPARE(c.sim.bus().motors().first().dryContactMode, quint8(4));
}

void WindowsTest::menusWithoutPort()
{
    App a;
    menuItem(a, "SetMenu")->trigger();
    QCOMPARE(a.messages.texts(), QStringList {QStringLiteral("     请选择串口号 !     ")});
    QVERIFY(!a.link.isScanning());
    QVERIFY(!a.scanAnnouncesEnd());
    for (const char *item : {"IDSetMenu", "ComSetMenu"})
        menuItem(a, item)->trigger();
    QCOMPARE(a.messages.texts().size(), 3);
    QVERIFY(a.main.isEnabled() && !a.w.forceIdWindow().isVisible() && !a.w.lineRateWindow().isVisible());
    // Help and About need no port.
    a.messages.clear();
    menuItem(a, "About")->trigger();
    QCOMPARE(a.messages.texts(), QStringList {QStringLiteral("Version:2.5    UpData:2016-12-16")});
    menuItem(a, "HelpMenu")->trigger();
    QVERIFY(a.w.manualWindow().isVisible() && a.w.manualWindow().isEnabled() && !a.main.isEnabled());
    for (const char *page : {"Image_cn", "Image_en"})
        QCOMPARE(a.w.manualWindow().findChild<QLabel *>(page)->pixmap().size(), QSize(610, 400));
    QVERIFY(a.w.manualWindow().findChild<QLabel *>("Image_cn")->isVisible());
}

void WindowsTest::childWindowsReenableTheMain()
{
    Pty pty;
    App a({pty.slavePath()});
    a.choosePort(pty.slavePath());
    const struct {
        const char *item;
        ChildWindow *window;
    } rows[] = {
        {"HelpMenu", &a.w.manualWindow()}, {"IDSetMenu", &a.w.forceIdWindow()}, {"ComSetMenu", &a.w.lineRateWindow()}};
    for (int round = 0; round < 2; ++round) {
        for (const auto &r : rows) {
            menuItem(a, r.item)->trigger();
            QVERIFY2(r.window->isVisible() && !a.main.isEnabled(), r.item);
            r.window->close();
            QVERIFY2(a.main.isEnabled() && a.main.isVisible(), r.item);
            QVERIFY2(!r.window->isVisible() && !r.window->isEnabled(), r.item);
        }
    }
}

void WindowsTest::forcedSetThroughTheMenu()
{
    Connected c(1, 0x0001, 1);
    App &a = c.a;
    menuItem(a, "IDSetMenu")->trigger();
    QVERIFY(a.w.forceIdWindow().isVisible());
    auto *ids = a.w.forceIdWindow().findChild<QComboBox *>("ComboBox1");
    ids->setCurrentIndex(7);
    QCOMPARE(a.link.target().id, 7);
    QCOMPARE(a.main.idList()->currentText(), QStringLiteral("1")); // moves only on leaving
    QTest::mouseClick(a.w.forceIdWindow().findChild<QWidget *>("bsSkinSpeedButton33"), Qt::LeftButton);
    QTest::mouseClick(a.w.forceIdWindow().findChild<QWidget *>("bsSkinButton1"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.count(a.texts[Message::SetSuccess]), 1, 8000);
    const QByteArray forced = QByteArray::fromHex("9A07FFFFAAAA07");
    int sent = 0;
    for (const auto &f : c.sim.frames())
        sent += f.bytes == forced;
    QCOMPARE(sent, 2);
    QCOMPARE(c.sim.bus().motors().first().id, 7);
    QCOMPARE(c.sim.bus().motors().first().channels, quint16(0xFFFF));
    QTest::mouseClick(a.w.forceIdWindow().findChild<QWidget *>("bsSkinButton2"), Qt::LeftButton);
    QCOMPARE(a.main.idList()->currentText(), QStringLiteral("7"));
    QVERIFY(a.main.isEnabled());
}

void WindowsTest::messagesFollowTheLanguage()
{
    Connected c(2, 0x0001, 1);
    App &a = c.a;
    a.main.idList()->setCurrentIndex(0);
    menuItem(a, "English1")->trigger();
    QCOMPARE(a.main.idList()->currentText(), QStringLiteral("Group"));
    QCOMPARE(a.link.target().id, 0);
    c.readSettings();
    QTest::mouseClick(a.w.settingsWindow().findChild<QWidget *>("bsSkinButton9"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.count(QStringLiteral("  Set successfully   ")), 1, 8000);
    a.w.settingsWindow().close();
    a.choosePort(QStringLiteral("OFF"));
    a.messages.clear();
    a.click("Label_shang");
    QTRY_COMPARE(a.messages.texts(), QStringList {QStringLiteral("    Please Select CommPort !    ")});
    menuItem(a, "N1")->trigger();
    menuItem(a, "HelpMenu")->trigger();
    QVERIFY(a.w.manualWindow().findChild<QLabel *>("Image_cn")->isVisible());
    QVERIFY(!a.w.manualWindow().findChild<QLabel *>("Image_en")->isVisible());
}

QTEST_MAIN(WindowsTest)
#include "tst_windows.moc"
