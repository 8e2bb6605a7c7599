// The panel and the secondary windows driven by the keyboard alone: Tab
// walks the controls in reading order, Space and Enter press the picture
// buttons, the keys move the slider, Escape leaves a secondary window.
#include "AppFixture.h"
#include "Bench.h"
#include "Frames.h"
#include "ManualWindow.h"
#include "MotorSim.h"
#include "MotorSettingsWindow.h"
#include "PanelLayout.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

namespace {

QWidget *focused()
{
    return QApplication::focusWidget();
}

QString focusedName()
{
    return focused() ? focused()->objectName() : QStringLiteral("(none)");
}

// A key pressed and released on whatever has the focus, as a keyboard does.
void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *receiver = focused() ? focused() : QApplication::activeWindow();
    QVERIFY(receiver);
    QTest::keyClick(receiver, k, modifiers);
}

// Tab until the named control has the focus; false when a round of the
// window's controls did not reach it.
bool tabTo(const QString &name, int most = 80)
{
    for (int n = 0; n < most && focusedName() != name; ++n)
        QTest::keyClick(focused(), Qt::Key_Tab);
    return focusedName() == name;
}

void activate(QWidget *window)
{
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
}

} // namespace

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void tabWalksThePanelInReadingOrder();
    void focusMarkIsDrawn();
    void keysDriveTheMotor();
    void escapeLeavesSecondaryWindows_data();
    void escapeLeavesSecondaryWindows();
    void settingsChannelButtonsTakeTheFocus();
    void secondaryWindowStaysInFront();
};

void KeyboardTest::tabWalksThePanelInReadingOrder()
{
    App a;
    activate(&a.main);
    QStringList expected {QStringLiteral("ComboBox1"), QStringLiteral("ComboBox2")};
    for (int n = 1; n <= 16; ++n)
        expected << QStringLiteral("Label_ch%1").arg(n);
    expected << QStringLiteral("Label_quan_ping") << QStringLiteral("Label_dui_ma") << QStringLiteral("Label_shan_ma");
    for (int n = 1; n <= 4; ++n)
        expected << QStringLiteral("Label_XWD%1").arg(n);
    // The slider's pointer is not there while no position is known.
    expected << QStringLiteral("Label_shang") << QStringLiteral("Label_ting") << QStringLiteral("Label_xia");
    // The pointer over the background greys both boxes; Tab wakes them again.
    a.move("Image_bei_jing");
    QVERIFY(!a.main.idList()->isEnabled());
    a.item("Label_xia")->setFocus(Qt::TabFocusReason);
    QStringList walked;
    for (int n = 0; n <= expected.size(); ++n) {
        key(Qt::Key_Tab);
        walked << focusedName();
    }
    QCOMPARE(walked.mid(0, expected.size()), expected);
    QCOMPARE(walked.last(), expected.first()); // round and back to the start
    // Backtab walks the same way back.
    key(Qt::Key_Backtab);
    QCOMPARE(focusedName(), expected.last());
}

void KeyboardTest::focusMarkIsDrawn()
{
    App a;
    activate(&a.main);
    PanelItem *stop = a.item("Label_ting");
    const QImage without = a.main.centralWidget()->grab(stop->geometry().adjusted(-2, -2, 2, 2)).toImage();
    stop->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(stop->hasFocus());
    const QImage with = a.main.centralWidget()->grab(stop->geometry().adjusted(-2, -2, 2, 2)).toImage();
    QVERIFY(with != without);
    // The mark is the item's outline: its middle looks as before.
    const QPoint middle(with.width() / 2, with.height() / 2);
    QCOMPARE(with.pixel(middle), without.pixel(middle));
}

// A whole session without the mouse: the scan finds the motor, a channel is
// chosen and chosen back, the motor runs up and stops, the slider sends it
// to the end, the settings are read and one of them written.
void KeyboardTest::keysDriveTheMotor()
{
    MotorSim sim;
    Motor &m = sim.bus().addMotor(7, 0x0004);
    m.speed = 400;
    m.position = 50;
    sim.bus().setBaudCode(2);
    App a({sim.path()});
    activate(&a.main);
    a.main.idList()->setFocus(Qt::TabFocusReason);

    QVERIFY(tabTo(QStringLiteral("ComboBox2")));
    a.main.portList()->setCurrentIndex(a.main.portList()->count() - 1); // OFF, as at start
    key(Qt::Key_Up); // the simulator's port, just above OFF
    QCOMPARE(a.main.portList()->currentText(), sim.path());
    QTRY_VERIFY_WITH_TIMEOUT(a.link.isScanning(), 2000);
    // The scan's extended read goes out before any command.
    QTRY_VERIFY_WITH_TIMEOUT(!a.link.isScanning() && !a.job<LinkJob::ExtendedRead>() && !a.link.outgoing(), 8000);
    QCOMPARE(a.link.target().id, 7);

    // Channel 1 on and off again with Space and Enter: back to channel 3 alone.
    QVERIFY(tabTo(QStringLiteral("Label_ch1")));
    key(Qt::Key_Space);
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0005));
    key(Qt::Key_Return);
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0004));
    QVERIFY(!a.messages.count(a.texts[Message::SelectId]));

    QVERIFY(tabTo(QStringLiteral("Label_shang")));
    key(Qt::Key_Enter);
    QTRY_COMPARE_WITH_TIMEOUT(countFrames(sim, Frame::Motor, Frame::Up), 2, 3000);
    QVERIFY(tabTo(QStringLiteral("Label_ting")));
    key(Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(countFrames(sim, Frame::Motor, Frame::Stop), 2, 3000);
    QTRY_VERIFY_WITH_TIMEOUT(sim.bus().motors().first().target < 0, 3000);

    // The pointer joins the walk once a position is known.
    QTRY_VERIFY_WITH_TIMEOUT(a.shown("Image_Place_zhi_zhen"), 3000);
    QVERIFY(tabTo(QStringLiteral("Image_Place_zhi_zhen")));
    const int before = countFrames(sim, Frame::RunToPosition);
    // Held down, End repeats: nothing goes out until the key comes up.
    QTest::keyPress(focused(), Qt::Key_End);
    QCOMPARE(a.slider().pointerLeft(), PanelLayout::pointerLeft(100));
    QTest::keyPress(focused(), Qt::Key_PageDown); // the pointer at 90 %
    QTest::keyRelease(focused(), Qt::Key_PageDown);
    QTRY_COMPARE_WITH_TIMEOUT(countFrames(sim, Frame::RunToPosition, 90), 2, 3000);
    QCOMPARE(countFrames(sim, Frame::RunToPosition), before + 2);
    QTRY_COMPARE_WITH_TIMEOUT(a.slider().box()->text(), QStringLiteral(" 90 %"), 5000);
    key(Qt::Key_Left);
    QTRY_COMPARE_WITH_TIMEOUT(countFrames(sim, Frame::RunToPosition, 89), 2, 3000);

    // The settings: the menu's mnemonic opens the window once the read ends.
    QTest::keyClick(&a.main, Qt::Key_O, Qt::AltModifier);
    MotorSettingsWindow &settings = a.w.settingsWindow();
    QTRY_VERIFY_WITH_TIMEOUT(settings.isVisible(), 8000);
    QVERIFY(!settings.showsDefaults());
    activate(&settings);
    settings.findChild<QWidget *>(QStringLiteral("bsSkinPageControl1"))->setFocus(Qt::TabFocusReason);
    key(Qt::Key_Tab, Qt::ControlModifier); // the dry contact tab
    QVERIFY(tabTo(QStringLiteral("Normal")));
    key(Qt::Key_Down); // the next mode in the group
    QVERIFY(settings.findChild<QRadioButton *>(QStringLiteral("UpStopDownStopLoop"))->isChecked());
    QVERIFY(tabTo(QStringLiteral("bsSkinButton3")));
    key(Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(a.messages.count(a.texts[Message::SetSuccess]), 1, 8000);
    QCOMPARE(sim.bus().motors().first().dryContactMode, quint8(1));
    key(Qt::Key_Escape);
    QVERIFY(!settings.isVisible());
    QVERIFY(a.main.isEnabled());
}

void KeyboardTest::escapeLeavesSecondaryWindows_data()
{
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("greysMain"); // a secondary window; the bus monitor leaves the main window usable
    QTest::addColumn<QString>("exitButton"); // "": Escape leaves
    const struct {
        const char *row, *menuItem, *window;
        bool greysMain;
        const char *exitButton;
    } rows[] = {
        {"manual, Escape", "HelpMenu", "Form2", true, ""},
        {"forced ID, Escape", "IDSetMenu", "IDSetForm", true, ""},
        {"forced ID, exit button", "IDSetMenu", "IDSetForm", true, "bsSkinButton2"},
        {"line rate, Escape", "ComSetMenu", "Form3", true, ""},
        {"bus monitor, Escape", "MonitorMenu", "BusMonitor", false, ""},
        {"bus monitor, exit button", "MonitorMenu", "BusMonitor", false, "MonitorExitButton"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.row) << QString::fromLatin1(r.menuItem) << QString::fromLatin1(r.window) << r.greysMain
                             << QString::fromLatin1(r.exitButton);
}

// The window leaves by keys alone, and the keys go back to the main window
// (nobody else gives them back where no window manager runs).
void KeyboardTest::escapeLeavesSecondaryWindows()
{
    QFETCH(QString, menuItem);
    QFETCH(QString, window);
    QFETCH(bool, greysMain);
    QFETCH(QString, exitButton);
    MotorSim sim;
    App a({sim.path()});
    a.choosePortWithoutScan(sim.path());
    QTRY_COMPARE(QApplication::activeWindow(), &a.main); // the main window takes the keys when shown
    a.main.findChild<QAction *>(menuItem)->trigger();
    QWidget *child = nullptr;
    for (QWidget *w : a.w.builtWindows())
        if (w->objectName() == window)
            child = w;
    QVERIFY2(child && child->isVisible(), qPrintable(window));
    QCOMPARE(a.main.isEnabled(), !greysMain);
    QCOMPARE(child->windowHandle()->transientParent(), a.main.windowHandle()); // kept in front of it
    QTRY_COMPARE(QApplication::activeWindow(), child);
    if (exitButton.isEmpty()) {
        key(Qt::Key_Escape);
    } else {
        QVERIFY(tabTo(exitButton));
        key(Qt::Key_Space);
    }
    QTRY_VERIFY(!child->isVisible());
    QVERIFY(a.main.isEnabled());
    QTRY_COMPARE(QApplication::activeWindow(), &a.main);
    QVERIFY(focused() && focused()->window() == &a.main);
}

void KeyboardTest::settingsChannelButtonsTakeTheFocus()
{
    MotorSim sim;
    App a({sim.path()});
    a.choosePortWithoutScan(sim.path());
    a.main.idList()->setCurrentIndex(4);
    a.w.settingsWindow().open();
    activate(&a.w.settingsWindow());
    a.w.settingsWindow().findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setFocus(Qt::TabFocusReason);
    QVERIFY(tabTo(QStringLiteral("bsSkinSpeedButton1"), 10));
    for (int n = 2; n <= 16; ++n) {
        key(Qt::Key_Tab);
        QCOMPARE(focusedName(), QStringLiteral("bsSkinSpeedButton%1").arg(n));
    }
    key(Qt::Key_Space); // channel 16 joins channel 1
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x8001));
}

// Help open, the user clicks the greyed main window: the help window comes
// back to the front, the main window is not left alone there.
void KeyboardTest::secondaryWindowStaysInFront()
{
    App a;
    a.main.findChild<QAction *>(QStringLiteral("HelpMenu"))->trigger();
    ManualWindow &manual = a.w.manualWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &manual);
    QVERIFY(!a.main.isEnabled());
    a.main.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &manual);
    QCOMPARE(manual.windowHandle()->transientParent(), a.main.windowHandle());
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
