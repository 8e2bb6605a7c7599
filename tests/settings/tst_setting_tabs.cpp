// The settings tabs built from their tables: each restore button, the lists
// whose items stand for values, and the ID lists' items carrying their IDs.
#include "LineRateWindow.h"
#include "MotorSettings.h"
#include "SettingsHarness.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {

namespace MS = MotorSettings;
// The stored values in the order of the tabs.
constexpr Byte SettingValues::*Fields[] = {&SettingValues::dryContactMode,      &SettingValues::maxSpeed,
                                           &SettingValues::curtainFunctions,    &SettingValues::jogTime,
                                           &SettingValues::obstacleSensitivity, &SettingValues::reboundTime,
                                           &SettingValues::deviceBaudCode};

void press(QWidget *window, const QString &name)
{
    auto *button = window->findChild<QPushButton *>(name);
    QVERIFY2(button, qPrintable(name));
    button->click();
}

bool noteShown(QWidget *window, int note)
{
    auto *label = window->findChild<QLabel *>(QStringLiteral("ReportNote%1").arg(note));
    return label && !label->isHidden();
}

} // namespace

class SettingTabsTest : public QObject {
    Q_OBJECT
private slots:
    void eachRestoreButtonStoresItsDefaultAlone_data();
    void eachRestoreButtonStoresItsDefaultAlone();
    void jogReportsAtAndPastTheRangeEnds_data();
    void jogReportsAtAndPastTheRangeEnds();
    void listItemsAreTheRatesOfTheBaudCodes();
    void aReportKeepsTheEditsOfFieldsItDoesNotCarry_data();
    void aReportKeepsTheEditsOfFieldsItDoesNotCarry();
    void restoringTheBaudCodeRestoresTheLinesOpeningRate();
    void idItemsCarryTheirIdWhateverTheGroupCaption_data();
    void idItemsCarryTheirIdWhateverTheGroupCaption();
};

void SettingTabsTest::eachRestoreButtonStoresItsDefaultAlone_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("field"); // index into Fields
    QTest::addColumn<int>("fallback");
    QTest::newRow("dry contact") << QStringLiteral("bsSkinButton4") << 0 << int(MS::DryContactRange.fallback);
    QTest::newRow("speed") << QStringLiteral("bsSkinButton6") << 1 << int(MS::MaxSpeedRange.fallback);
    QTest::newRow("curtain") << QStringLiteral("bsSkinButton8") << 2 << int(MS::DefaultCurtainFunctions);
    QTest::newRow("jog") << QStringLiteral("bsSkinButton10") << 3 << int(MS::JogTimeRange.fallback);
    QTest::newRow("sensitivity") << QStringLiteral("bsSkinButton15") << 4 << int(MS::SensitivityRange.fallback);
    QTest::newRow("rebound") << QStringLiteral("bsSkinButton13") << 5 << int(MS::ReboundRange.fallback);
    QTest::newRow("baud") << QStringLiteral("bsSkinButton12") << 6 << MS::DefaultBaudCode;
}

// From a report where every value differs from its default, a restore
// button changes its own value only.
void SettingTabsTest::eachRestoreButtonStoresItsDefaultAlone()
{
    QFETCH(QString, button);
    QFETCH(int, field);
    QFETCH(int, fallback);
    Harness h;
    h.settingsWindow.openAfterScan(); // a closed window takes no clicks
    const SettingValues reported {3, 80, 0xBF, 7, 3, 0xFF, 3};
    h.settingsWindow.showBasicSettings(reported);
    h.settingsWindow.showExtendedSettings(reported);
    press(&h.settingsWindow, button);

    SettingValues expected = reported;
    expected.*Fields[field] = Byte(fallback);
    const SettingValues &v = h.settingsWindow.values();
    QCOMPARE((std::array {v.dryContactMode, v.maxSpeed, v.curtainFunctions, v.jogTime, v.obstacleSensitivity,
                          v.reboundTime, v.deviceBaudCode}),
             (std::array {expected.dryContactMode, expected.maxSpeed, expected.curtainFunctions, expected.jogTime,
                          expected.obstacleSensitivity, expected.reboundTime, expected.deviceBaudCode}));
    // Showing the stored values again changes nothing: the controls already
    // stood for them.
    const SettingValues stored = h.settingsWindow.values();
    h.settingsWindow.showBasicSettings(stored);
    h.settingsWindow.showExtendedSettings(stored);
    QCOMPARE(h.settingsWindow.values().*Fields[field], Byte(fallback));
    QVERIFY(h.messages.texts().isEmpty());
}

void SettingTabsTest::jogReportsAtAndPastTheRangeEnds_data()
{
    QTest::addColumn<int>("reported");
    QTest::addColumn<QString>("shown"); // the list's item, or its placeholder
    QTest::addColumn<bool>("note");
    QTest::newRow("below") << MS::JogTimeRange.min - 1 << QString::number(MS::JogTimeRange.min - 1) << true;
    QTest::newRow("lowest") << MS::JogTimeRange.min << QString::number(MS::JogTimeRange.min) << false;
    QTest::newRow("highest") << MS::JogTimeRange.max << QString::number(MS::JogTimeRange.max) << false;
    QTest::newRow("above") << MS::JogTimeRange.max + 1 << QString::number(MS::JogTimeRange.max + 1) << true;
}

void SettingTabsTest::jogReportsAtAndPastTheRangeEnds()
{
    QFETCH(int, reported);
    QFETCH(QString, shown);
    QFETCH(bool, note);
    Harness h;
    h.settingsWindow.resetToDefaults();
    SettingValues report = h.settingsWindow.values();
    report.jogTime = Byte(reported);
    h.settingsWindow.showExtendedSettings(report);
    auto *jog = h.in<QComboBox>(&h.settingsWindow, "bsSkinComboBox1");
    QCOMPARE(jog->currentIndex() < 0 ? jog->placeholderText() : jog->currentText(), shown);
    QCOMPARE(noteShown(&h.settingsWindow, 2), note);
    QCOMPARE(h.settingsWindow.values().jogTime, Byte(reported));
    // Choosing an item stores it and drops the note.
    jog->setCurrentIndex(0);
    QCOMPARE(h.settingsWindow.values().jogTime, Byte(MS::JogTimeRange.min));
    QVERIFY(!noteShown(&h.settingsWindow, 2));
}

void SettingTabsTest::aReportKeepsTheEditsOfFieldsItDoesNotCarry_data()
{
    QTest::addColumn<bool>("basic");
    QTest::newRow("basic") << true;
    QTest::newRow("extended") << false;
}

// The window edits its own copy: a report replaces the fields it carries
// (dry contact, speed, curtain functions, baud code in a basic one; jog,
// sensitivity, rebound in an extended one) and leaves the others as edited.
void SettingTabsTest::aReportKeepsTheEditsOfFieldsItDoesNotCarry()
{
    QFETCH(bool, basic);
    Harness h;
    h.settingsWindow.openAfterScan();
    const SettingValues edited {3, 80, 0xBF, 7, 3, 0xFF, 3};
    h.settingsWindow.showBasicSettings(edited);
    h.settingsWindow.showExtendedSettings(edited);
    const SettingValues reported {1, 100, 0x40, 5, 2, 0, 2};
    if (basic)
        h.settingsWindow.showBasicSettings(reported);
    else
        h.settingsWindow.showExtendedSettings(reported);
    constexpr bool CarriedByBasic[] = {true, true, true, false, false, false, true};
    for (int field = 0; field < int(std::size(Fields)); ++field) {
        const SettingValues &expected = CarriedByBasic[field] == basic ? reported : edited;
        QCOMPARE(h.settingsWindow.values().*Fields[field], expected.*Fields[field]);
    }
}

// The baud code the window stores is the one the link opens a port at,
// also when its restore button stores it.
void SettingTabsTest::restoringTheBaudCodeRestoresTheLinesOpeningRate()
{
    Harness h;
    h.openPort();
    h.in<QComboBox>(&h.settingsWindow, "SetComboBox")->setCurrentIndex(4);
    QVERIFY(h.link.choosePort(h.sim.path(), false));
    QCOMPARE(h.comm.bitsPerSecond(), *MS::baudCodeBps(4));
    h.settingsWindow.openAfterScan();
    press(&h.settingsWindow, QStringLiteral("bsSkinButton12"));
    QCOMPARE(h.link.motorSettings().deviceBaudCode, Byte(MS::DefaultBaudCode));
    QVERIFY(h.link.choosePort(h.sim.path(), false));
    QCOMPARE(h.comm.bitsPerSecond(), *MS::baudCodeBps(MS::DefaultBaudCode));
}

// Each item of the settings window's baud list writes its own code; the
// serial settings window reopens the line at the same items' rates.
void SettingTabsTest::listItemsAreTheRatesOfTheBaudCodes()
{
    Harness h;
    h.openPort();
    auto *codes = h.in<QComboBox>(&h.settingsWindow, "SetComboBox");
    auto *rates = h.in<QComboBox>(&h.serial, "SetComboBox");
    QCOMPARE(codes->count(), int(MS::BaudRates.size()));
    for (int code = int(MS::BaudRates.size()) - 1; code >= 0; --code) {
        QCOMPARE(codes->itemText(code).toInt(), *MS::baudCodeBps(code));
        codes->setCurrentIndex(code);
        QCOMPARE(h.link.motorSettings().deviceBaudCode, Byte(code));
        if (code >= rates->count())
            continue;
        rates->setCurrentIndex(code);
        QCOMPARE(h.comm.bitsPerSecond(), *MS::baudCodeBps(code));
    }
    QCOMPARE(rates->count(), 4);
    QVERIFY(h.messages.texts().isEmpty());
}

void SettingTabsTest::idItemsCarryTheirIdWhateverTheGroupCaption_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::newRow("group, caption as built") << 0 << QString();
    QTest::newRow("group, caption changed") << 0 << QStringLiteral("Group");
    QTest::newRow("group, caption like an ID") << 0 << QStringLiteral("12");
    QTest::newRow("first ID") << 1 << QStringLiteral("Group");
    QTest::newRow("last ID") << 99 << QStringLiteral("Group");
}

// The target comes from the chosen item's ID, never from its caption.
void SettingTabsTest::idItemsCarryTheirIdWhateverTheGroupCaption()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    Harness h;
    for (ChannelEditor *editor : {&h.settingsWindow.channelEditor(), &h.forceIdWindow.channelEditor()}) {
        QComboBox *ids = editor->idList();
        ids->setCurrentIndex(50);
        if (!caption.isNull())
            editor->setGroupCaption(caption);
        ids->setCurrentIndex(index);
        QCOMPARE(h.link.target().id, index);
    }
}

QTEST_MAIN(SettingTabsTest)
#include "tst_setting_tabs.moc"
