// The secondary windows driven through their real controls, with the
// transmit tick and the answer handling talking to the simulated motor bus.
#include "LineRateWindow.h"
#include "SettingsHarness.h"
#include "TrackEdit.h"
#include "ManualWindow.h"

#include <QAbstractButton>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

namespace {

// Clicks a control of a window, bringing its tab page to the front first.
void click(QWidget *window, const char *name)
{
    auto *control = window->findChild<QAbstractButton *>(QLatin1String(name));
    QVERIFY2(control, name);
    for (QWidget *page = control; page; page = page->parentWidget())
        if (page->objectName().startsWith(QLatin1String("bsSkinTabSheet")))
            window->findChild<QTabWidget *>()->setCurrentWidget(page);
    // A radio box takes clicks on its circle and caption only.
    const bool radio = qobject_cast<QRadioButton *>(control);
    QTest::mouseClick(control, Qt::LeftButton, {}, radio ? QPoint(8, control->height() / 2) : QPoint());
}

bool checked(QWidget *window, const char *name)
{
    return window->findChild<QRadioButton *>(QLatin1String(name))->isChecked();
}

bool selectedLook(QWidget *window, int channel)
{
    return window->findChild<QWidget *>(QStringLiteral("bsSkinSpeedButton%1").arg(channel))
        ->property("selected")
        .toBool();
}

const char *const SetButtons[] = {"bsSkinButton1", "bsSkinButton3",  "bsSkinButton5", "bsSkinButton7",
                                  "bsSkinButton9", "bsSkinButton11", "bsSkinButton2", "bsSkinButton14"};
const char *const RestoreButtons[] = {"bsSkinButton4",  "bsSkinButton6",  "bsSkinButton8", "bsSkinButton10",
                                      "bsSkinButton15", "bsSkinButton13", "bsSkinButton12"};
const char *const CurtainBitClear[] = {"HandStartupOn", "DefaultDirection",  "SlowStartup", "Clearance",
                                       "Stop",          "PowerDownRemamber", "synchro"};
const char *const DryContactBoxes[] = {"Normal", "UpStopDownStopLoop", "UpUpStop", "SongShouTing", "RenYiTing"};

} // namespace

class SettingsWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void setButtonsSendTheirFramesAndTheDeviceConfirms();
    void withoutAUsablePortNothingIsStaged();
    void readSequenceShowsTheDevicesValuesTruthfully();
    void reboundTimeFollowsTheTrackEdit();
    void resetRestoresEveryTabButKeepsTheTarget();
    void channelEditorTogglesTheTargetsBits();
    void forcedWindowMovesTheMainListOnlyOnLeaving();
    void closingEachWindowReenablesTheMainWindow();
    void serialSettingsWindowReopensAtTheChosenRate();
    void eachRadioBoxStandsForOneValueBothWays_data();
    void eachRadioBoxStandsForOneValueBothWays();
};

void SettingsWindowsTest::setButtonsSendTheirFramesAndTheDeviceConfirms()
{
    Harness h;
    h.sim.bus().addMotor(3, 0x0001);
    h.openPort();
    h.settingsWindow.resetToDefaults();
    h.settingsWindow.openAfterScan(); // no status polls while it is open
    h.mainIdList->setCurrentIndex(3);
    QWidget *w = &h.settingsWindow;

    struct Case {
        const char *what;
        std::function<void()> choose;
        const char *setButton;
        QByteArray frame;
    };
    const Case cases[] = {
        {"hand control out of sync", [&] { click(w, "OutSync"); }, "bsSkinButton7",
         bytes({0x9A, 0x03, 0x01, 0x00, 0xD5, 0xC0, 0x17})},
        {"jog time 4 (default)", [] {}, "bsSkinButton9", bytes({0x9A, 0x03, 0x01, 0x00, 0xD6, 0x04, 0xD0})},
        {"unlimited rebound", [&] { click(w, "bsSkinCheckRadioBox5"); }, "bsSkinButton2",
         bytes({0x9A, 0x03, 0x01, 0x00, 0xD8, 0xFF, 0x25})},
        {"high sensitivity", [&] { click(w, "bsSkinCheckRadioBox3"); }, "bsSkinButton11",
         bytes({0x9A, 0x03, 0x01, 0x00, 0xD7, 0x03, 0xD6})},
        {"manual speed typed as 9x5",
         [&] {
             click(w, "ManualSetting");
             auto *field = w->findChild<TrackEdit *>("bsSkinTrackEdit1")->findChild<QSpinBox *>("field");
             field->selectAll();
             QTest::keyClicks(field, "9x5"); // the letter is dropped
         },
         "bsSkinButton5", bytes({0x9A, 0x03, 0x01, 0x00, 0xD9, 0x5F, 0x84})},
        {"baud 9600", [&] { h.in<QComboBox>(w, "SetComboBox")->setCurrentIndex(3); }, "bsSkinButton14",
         bytes({0x9A, 0x03, 0x01, 0x00, 0xDA, 0x03, 0xDB})},
        {"ID 5 with channels 1 and 10",
         [&] {
             auto *ids = h.in<QComboBox>(w, "ComboBox1");
             ids->setFocus();
             QTest::keyClick(ids, '5'); // keyboard search
             click(w, "bsSkinSpeedButton10");
         },
         "bsSkinButton1", bytes({0x9A, 0x05, 0x01, 0x02, 0xAA, 0xAA, 0x06})},
    };
    for (const Case &c : cases) {
        h.messages.clear();
        c.choose();
        click(w, c.setButton);
        QTRY_VERIFY2(h.deviceReceived(c.frame), c.what);
        QTRY_COMPARE(h.messages.count(h.texts[Message::SetSuccess]), 1);
        QCOMPARE(h.messages.count(h.texts[Message::SetFailure]), 0);
    }
    // The baud write moved the line (and the device) to 9600 baud.
    QCOMPARE(h.comm.bitsPerSecond(), 9600);
    QCOMPARE(h.sim.bus().baudCodeOf(h.sim.bus().motors().first()), 3);
    // The new ID went to the main window's list as soon as it was chosen.
    QCOMPARE(h.mainIdList->currentIndex(), 5);
}

void SettingsWindowsTest::withoutAUsablePortNothingIsStaged()
{
    Harness h;
    h.settingsWindow.resetToDefaults();
    h.settingsWindow.openAfterScan();
    auto staged = [&] { return !h.link.isIdle(); };
    for (const char *name : SetButtons) {
        h.messages.clear();
        click(&h.settingsWindow, name);
        QCOMPARE(h.messages.texts(), QStringList {QStringLiteral("     请选择串口号 !     ")});
    }
    click(&h.forceIdWindow, "bsSkinButton1");
    QCOMPARE(h.messages.count(h.texts[Message::SelectPort]), 2);
    QVERIFY(!staged());

    // Restoring needs no port and says nothing.
    h.messages.clear();
    for (const char *name : RestoreButtons)
        click(&h.settingsWindow, name);
    QVERIFY(h.messages.texts().isEmpty());

    // The baud list shows the new item but keeps the old code.
    h.in<QComboBox>(&h.settingsWindow, "SetComboBox")->setCurrentIndex(3);
    QCOMPARE(h.messages.count(h.texts[Message::SelectPort]), 1);
    QCOMPARE(h.link.motorSettings().deviceBaudCode, Byte(1));

    // An open port that was not chosen in the port box does not count.
    h.comm.setPortName(h.sim.path());
    h.comm.setOpen(true);
    QVERIFY(h.comm.isOpen());
    h.messages.clear();
    click(&h.settingsWindow, "bsSkinButton3");
    QCOMPARE(h.messages.count(h.texts[Message::SelectPort]), 1);
    QVERIFY(!staged());
}

void SettingsWindowsTest::readSequenceShowsTheDevicesValuesTruthfully()
{
    Harness h;
    Motor &m = h.sim.bus().addMotor(7, 0x0201);
    m.dryContactMode = 9;
    m.maxSpeed = 40;
    m.curtainFunctions = 0x04;
    m.jogTime = 12;
    m.sensitivity = 0;
    m.rebound = 20;
    h.openPort();
    // The settings menu: a scan that opens the window at its end.
    h.mainWindow.openSettings();
    QWidget *w = &h.settingsWindow;

    QTRY_VERIFY(h.settingsWindow.isVisible());
    QVERIFY(h.settingsWindow.isEnabled());
    QVERIFY(!h.mainWindow.isEnabled());
    // The device's ID and channels, in both ID lists.
    QCOMPARE(h.in<QComboBox>(w, "ComboBox1")->currentText(), QStringLiteral("7"));
    QCOMPARE(h.mainIdList->currentIndex(), 7);
    QCOMPARE(h.link.target().id, 7);
    for (int ch = 1; ch <= 16; ++ch)
        QCOMPARE(selectedLook(w, ch), ch == 1 || ch == 10);
    // Speed 40: the track edit keeps its minimum, which is what will be sent;
    // the note tells what the device said.
    QVERIFY(checked(w, "ManualSetting"));
    QCOMPARE(w->findChild<TrackEdit *>("bsSkinTrackEdit1")->value(), 50);
    QCOMPARE(h.settingsWindow.values().maxSpeed, Byte(50));
    // Dry-contact mode 9: no box claims it, the stored value stays 9.
    for (const char *box : DryContactBoxes)
        QVERIFY2(!checked(w, box), box);
    QCOMPARE(h.settingsWindow.values().dryContactMode, Byte(9));
    QStringList notes;
    for (QLabel *note : w->findChildren<QLabel *>(QRegularExpression("^ReportNote")))
        if (!note->isHidden())
            notes << note->text();
    QVERIFY(notes.contains(QStringLiteral("设备报告值: 40 (超出范围)")));
    QVERIFY(notes.contains(QStringLiteral("设备报告值: 9 (超出范围)")));
    // Flags 0x04: every pair at its bit-0 box, the unknown bit kept.
    for (const char *box : CurtainBitClear)
        QVERIFY2(checked(w, box), box);
    QCOMPARE(h.settingsWindow.values().curtainFunctions, Byte(0x04));

    // The extended read follows on its own.
    QTRY_COMPARE(h.settingsWindow.values().reboundTime, Byte(20));
    QVERIFY(checked(w, "bsSkinCheckRadioBox6"));
    QCOMPARE(w->findChild<TrackEdit *>("bsSkinTrackEdit2")->value(), 20);
    auto *jog = h.in<QComboBox>(w, "bsSkinComboBox1");
    QCOMPARE(jog->currentIndex(), -1);
    QCOMPARE(jog->placeholderText(), QStringLiteral("12"));
    QCOMPARE(h.settingsWindow.values().jogTime, Byte(12));
    for (const char *box : {"bsSkinCheckRadioBox1", "bsSkinCheckRadioBox2", "bsSkinCheckRadioBox3"})
        QVERIFY2(!checked(w, box), box);
    QCOMPARE(h.settingsWindow.values().obstacleSensitivity, Byte(0));

    // One click changes one bit; the restore clears the unknown bit too.
    click(w, "OutSync");
    QCOMPARE(h.settingsWindow.values().curtainFunctions, Byte(0x84));
    click(w, "bsSkinButton8");
    QCOMPARE(h.settingsWindow.values().curtainFunctions, Byte(0x40));
    QVERIFY(checked(w, "NoRemamber"));
    // A user's choice replaces the out-of-range value and its note.
    click(w, "UpUpStop");
    QCOMPARE(h.settingsWindow.values().dryContactMode, Byte(2));
    QVERIFY(w->findChild<QLabel *>("ReportNote0")->isHidden());
}

void SettingsWindowsTest::reboundTimeFollowsTheTrackEdit()
{
    Harness h;
    QWidget *w = &h.settingsWindow;
    h.settingsWindow.openAfterScan();
    auto *edit = w->findChild<TrackEdit *>("bsSkinTrackEdit2");
    QVERIFY(!edit->isEnabled());
    click(w, "bsSkinCheckRadioBox6");
    QVERIFY(edit->isEnabled());
    edit->slider()->setValue(20);
    QCOMPARE(h.settingsWindow.values().reboundTime, Byte(20));
    QTest::keyClick(edit->slider(), Qt::Key_Right);
    QCOMPARE(h.settingsWindow.values().reboundTime, Byte(21));
    click(w, "bsSkinCheckRadioBox4");
    QCOMPARE(h.settingsWindow.values().reboundTime, Byte(0));
    QVERIFY(!edit->isEnabled());
    QCOMPARE(edit->value(), 21);

    // The field cannot be typed into, and code cannot leave the range.
    click(w, "bsSkinCheckRadioBox6");
    QTest::keyClicks(edit->findChild<QSpinBox *>("field"), "7");
    QCOMPARE(edit->value(), 21);
    edit->setValue(300);
    QCOMPARE(edit->value(), 254);
    QCOMPARE(h.settingsWindow.values().reboundTime, Byte(254));
}

void SettingsWindowsTest::resetRestoresEveryTabButKeepsTheTarget()
{
    Harness h;
    QWidget *w = &h.settingsWindow;
    const SettingValues reported {3, 80, 0xFF, 7, 3, 0xFF, 3};
    h.settingsWindow.showBasicSettings(reported);
    h.settingsWindow.showExtendedSettings(reported);
    QCOMPARE(h.in<QComboBox>(w, "bsSkinComboBox1")->currentText(), QStringLiteral("7"));
    QVERIFY(checked(w, "RPM80") && checked(w, "OutSync") && checked(w, "bsSkinCheckRadioBox5"));
    h.mainIdList->setCurrentIndex(5);
    h.texts[Message::GroupCaption] = QStringLiteral("Group");

    h.settingsWindow.resetToDefaults();
    const SettingValues &v = h.settingsWindow.values();
    QCOMPARE((std::array {v.dryContactMode, v.maxSpeed, v.curtainFunctions, v.jogTime, v.obstacleSensitivity,
                          v.reboundTime, v.deviceBaudCode}),
             (std::array<Byte, 7> {0, 130, 0x40, 4, 1, 1, 1}));
    for (const char *box : {"Normal", "RPM130", "HandStartupOn", "DefaultDirection", "SlowStartup", "Clearance", "Stop",
                            "NoRemamber", "synchro", "bsSkinCheckRadioBox1", "bsSkinCheckRadioBox6"})
        QVERIFY2(checked(w, box), box);
    // The window itself is still closed (disabled): ask for the controls' own state.
    QVERIFY(!w->findChild<TrackEdit *>("bsSkinTrackEdit1")->isEnabledTo(w));
    auto *rebound = w->findChild<TrackEdit *>("bsSkinTrackEdit2");
    QVERIFY(rebound->isEnabledTo(w));
    QCOMPARE(rebound->value(), 1);
    QCOMPARE(h.in<QComboBox>(w, "bsSkinComboBox1")->currentText(), QStringLiteral("4"));
    QCOMPARE(h.in<QComboBox>(w, "SetComboBox")->currentText(), QStringLiteral("2400"));
    QCOMPARE(h.in<QComboBox>(w, "ComboBox1")->itemText(0), QStringLiteral("Group"));
    // A new caption for the group item selects no target; the closed port
    // was never asked about.
    QCOMPARE(h.link.target().id, 5);
    QVERIFY(h.messages.texts().isEmpty());
}

void SettingsWindowsTest::channelEditorTogglesTheTargetsBits()
{
    Harness h;
    QWidget *w = &h.forceIdWindow;
    auto *ids = h.in<QComboBox>(w, "ComboBox1");
    ids->setFocus();
    QTest::keyClick(ids, 'a'); // no letters reach the list's search
    QCOMPARE(ids->currentIndex(), 0);
    QTest::keyClick(ids, '5');
    QCOMPARE(h.link.target().id, 5);
    const ChannelMask &mask = h.link.channelMemory()[5];
    click(w, "bsSkinSpeedButton9");
    QCOMPARE(mask.bytes, (std::array<Byte, 2> {0x01, 0x01}));
    QVERIFY(selectedLook(w, 9));
    click(w, "bsSkinSpeedButton8");
    click(w, "bsSkinSpeedButton9");
    QCOMPARE(mask.bytes, (std::array<Byte, 2> {0x81, 0x00}));
    QVERIFY(!selectedLook(w, 9) && selectedLook(w, 8));
    click(w, "bsSkinSpeedButton33");
    QCOMPARE(mask.word(), 0xFFFF);
    click(w, "bsSkinSpeedButton33");
    QCOMPARE(mask.word(), 0x0000);
    for (int ch = 1; ch <= 16; ++ch)
        QVERIFY(!selectedLook(w, ch));

    // Without an ID text nothing is toggled.
    ids->setCurrentIndex(-1);
    click(w, "bsSkinSpeedButton3");
    QCOMPARE(h.messages.count(h.texts[Message::SelectId]), 1);
    QCOMPARE(mask.word(), 0x0000);
    QCOMPARE(h.link.target().id, 5);
}

void SettingsWindowsTest::forcedWindowMovesTheMainListOnlyOnLeaving()
{
    Harness h;
    h.sim.bus().addMotor(3, 0x0001);
    h.openPort();
    QWidget *w = &h.forceIdWindow;
    h.forceIdWindow.openWithIndex(h.mainIdList->currentIndex()); // group control
    QVERIFY(h.forceIdWindow.isVisible() && !h.mainWindow.isEnabled());
    QCOMPARE(h.link.target().id, 0);

    click(w, "bsSkinButton1");
    QTRY_VERIFY(h.deviceReceived(bytes({0x9A, 0x00, 0x00, 0x00, 0xAA, 0xAA, 0x00})));
    click(w, "bsSkinSpeedButton33");
    click(w, "bsSkinButton1");
    QTRY_VERIFY(h.deviceReceived(bytes({0x9A, 0x00, 0xFF, 0xFF, 0xAA, 0xAA, 0x00})));

    auto *ids = h.in<QComboBox>(w, "ComboBox1");
    ids->setFocus();
    QTest::keyClick(ids, '7');
    QCOMPARE(h.link.target().id, 7);
    QCOMPARE(h.mainIdList->currentIndex(), 0);
    click(w, "bsSkinButton2");
    QCOMPARE(h.mainIdList->currentIndex(), 7);
    QVERIFY(h.mainWindow.isEnabled() && h.mainWindow.isVisible());
    QVERIFY(!h.forceIdWindow.isVisible() && !h.forceIdWindow.isEnabled());
}

void SettingsWindowsTest::closingEachWindowReenablesTheMainWindow()
{
    Harness h;
    LineRateWindow &serial = h.serial;
    ManualWindow &manual = h.manual;
    QVERIFY(!h.settingsWindow.isEnabled() && h.forceIdWindow.isEnabled() && serial.isEnabled() && manual.isEnabled());

    const std::pair<ChildWindow *, std::function<void()>> windows[] = {
        {&h.settingsWindow,
         [&] {
             h.link.startSettingsRead(true);
             h.settingsWindow.openAfterScan();
         }},
        {&h.forceIdWindow, [&] { h.forceIdWindow.openWithIndex(3); }},
        {&serial, [&] { serial.open(); }},
        {&manual, [&] { manual.open(); }},
    };
    for (int round = 0; round < 2; ++round) {
        for (const auto &[window, open] : windows) {
            open();
            QVERIFY(window->isVisible() && window->isEnabled());
            QVERIFY(!h.mainWindow.isEnabled());
            window->close();
            QVERIFY(h.mainWindow.isEnabled() && h.mainWindow.isVisible());
            QVERIFY2(!window->isVisible() && !window->isEnabled(), qPrintable(window->objectName()));
        }
    }
    // Closed, the window no longer waits for the scan's end (no port: the scan never ran).
    QVERIFY(h.app.job<LinkJob::BaudScan>() && !h.app.scanAnnouncesEnd());

    // The Chinese page lies over the English one; both are drawn.
    auto *cn = manual.findChild<QLabel *>("Image_cn");
    auto *en = manual.findChild<QLabel *>("Image_en");
    QVERIFY(manual.children().indexOf(cn) > manual.children().indexOf(en));
    QVERIFY(!cn->pixmap().isNull() && !en->pixmap().isNull());
}

void SettingsWindowsTest::serialSettingsWindowReopensAtTheChosenRate()
{
    Harness h;
    LineRateWindow &serial = h.serial;
    auto *rates = h.in<QComboBox>(&serial, "SetComboBox");
    QCOMPARE(rates->currentText(), QStringLiteral("2400"));
    QCOMPARE(h.in<QComboBox>(&serial, "bsSkinComboBox1")->currentText(), QStringLiteral("OFF"));

    rates->setCurrentIndex(3); // closed port: nothing happens
    QVERIFY(!h.comm.isOpen());
    QVERIFY(h.messages.texts().isEmpty());

    h.openPort();
    rates->setCurrentIndex(2);
    QVERIFY(h.comm.isOpen());
    QCOMPARE(h.comm.bitsPerSecond(), 4800);
    QCOMPARE(h.link.motorSettings().deviceBaudCode, Byte(1));

    // The adapter's name no longer opens: the component's error is shown with
    // what to do about it, and does not escape the handler.
    h.comm.setPortName(QStringLiteral("/nonexistent/tty"));
    rates->setCurrentIndex(1);
    QCOMPARE(h.messages.texts(),
             QStringList {QString::fromLatin1(CommText::OpenFailed) + QStringLiteral("\n\n")
                          + h.texts[Message::PortMissing].arg(QStringLiteral("/nonexistent/tty"))});
    QVERIFY(!h.comm.isOpen());
}

QTEST_MAIN(SettingsWindowsTest)
#include "tst_settings_windows.moc"

void SettingsWindowsTest::eachRadioBoxStandsForOneValueBothWays_data()
{
    QTest::addColumn<QByteArray>("box");
    QTest::addColumn<int>("field"); // index into the Fields table below
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("value");
    const struct {
        const char *box;
        int field, mask, value;
    } rows[] = {
        {"Normal", 0, 0xFF, 0},
        {"UpStopDownStopLoop", 0, 0xFF, 1},
        {"UpUpStop", 0, 0xFF, 2},
        {"SongShouTing", 0, 0xFF, 3},
        {"RenYiTing", 0, 0xFF, 4},
        {"RPM80", 1, 0xFF, 80},
        {"RPM100", 1, 0xFF, 100},
        {"RPM130", 1, 0xFF, 130},
        {"HandStartupOn", 2, 0x01, 0},
        {"HandStartupOff", 2, 0x01, 0x01},
        {"DefaultDirection", 2, 0x02, 0},
        {"OppositeDirection", 2, 0x02, 0x02},
        {"SlowStartup", 2, 0x08, 0},
        {"NoSlowStart", 2, 0x08, 0x08},
        {"Clearance", 2, 0x10, 0},
        {"gapless", 2, 0x10, 0x10},
        {"Stop", 2, 0x20, 0},
        {"MeetPlugb", 2, 0x20, 0x20},
        {"PowerDownRemamber", 2, 0x40, 0},
        {"NoRemamber", 2, 0x40, 0x40},
        {"synchro", 2, 0x80, 0},
        {"OutSync", 2, 0x80, 0x80},
        {"bsSkinCheckRadioBox1", 3, 0xFF, 1},
        {"bsSkinCheckRadioBox2", 3, 0xFF, 2},
        {"bsSkinCheckRadioBox3", 3, 0xFF, 3},
        {"bsSkinCheckRadioBox4", 4, 0xFF, 0},
        {"bsSkinCheckRadioBox5", 4, 0xFF, 0xFF},
    };
    for (const auto &r : rows)
        QTest::newRow(r.box) << QByteArray(r.box) << r.field << r.mask << r.value;
}

// A click stores the box's value; a report of that value checks the box,
// starting from the opposite state each way.
void SettingsWindowsTest::eachRadioBoxStandsForOneValueBothWays()
{
    QFETCH(QByteArray, box);
    QFETCH(int, field);
    QFETCH(int, mask);
    QFETCH(int, value);
    Byte SettingValues::*const Fields[] = {&SettingValues::dryContactMode, &SettingValues::maxSpeed,
                                           &SettingValues::curtainFunctions, &SettingValues::obstacleSensitivity,
                                           &SettingValues::reboundTime};
    Harness h;
    h.settingsWindow.resetToDefaults();
    h.settingsWindow.openAfterScan();
    QWidget *w = &h.settingsWindow;
    const char *name = box.constData();
    auto stored = [&] { return h.settingsWindow.values().*Fields[field]; };
    const int other = value ^ (mask == 0xFF ? 1 : mask); // a value of another box, or of none
    auto report = [&](int v) {
        SettingValues reported = h.settingsWindow.values();
        reported.*Fields[field] = Byte((stored() & ~mask) | v);
        field >= 3 ? h.settingsWindow.showExtendedSettings(reported) : h.settingsWindow.showBasicSettings(reported);
    };

    report(other);
    QVERIFY(!checked(w, name));
    click(w, name);
    QVERIFY(checked(w, name));
    QCOMPARE(stored() & mask, value);

    report(other);
    QVERIFY(!checked(w, name));
    report(value);
    QVERIFY(checked(w, name));
    QCOMPARE(stored() & mask, value);
}
