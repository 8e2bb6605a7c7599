// The focus mark of every child window, the bus monitor and the motor search,
// driven by keys alone: Tab reaches the control, the window is grabbed with
// the focus on it and again after Tab moved the focus on.  Around the
// control, at least as many pixels as a 2-px ring around it holds must
// change by a contrast of 3 : 1 or more, whatever the control (boxes, channel
// buttons selected or not, buttons, the frame table).
#include "AppFixture.h"
#include "Contrast.h"
#include "MotorSim.h"

#include <QAction>
#include <QApplication>
#include <QtTest>

namespace {

QString focusedName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QStringLiteral("(none)");
}

void key(Qt::Key k)
{
    QWidget *receiver = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
    QVERIFY(receiver);
    QTest::keyClick(receiver, k);
}

bool tabTo(const QString &name)
{
    for (int n = 0; n < 80 && focusedName() != name; ++n)
        key(Qt::Key_Tab);
    return focusedName() == name;
}

// Pixels of area whose colour changed between the two images by at least 3 : 1.
int stronglyChanged(const QImage &before, const QImage &after, const QRect &area)
{
    int changed = 0;
    const QRect inside = area.intersected(before.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            changed += contrast(before.pixel(x, y), after.pixel(x, y)) >= 3.0;
    return changed;
}

} // namespace

class FocusMarksTest : public QObject {
    Q_OBJECT
private slots:
    void markStandsOut_data();
    void markStandsOut();
};

void FocusMarksTest::markStandsOut_data()
{
    QTest::addColumn<QString>(
        "menuItem"); // "" : the settings window, opened as after a settings read, or the main window
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("pressFirst"); // Space on the control before it is looked at (a channel selected)
    const struct {
        const char *row, *menuItem, *window, *control;
        bool press;
    } rows[] = {
        {"main ID box", "", "Form1", "ComboBox1", false},
        {"main port box", "", "Form1", "ComboBox2", false},
        {"settings ID box", "", "SetForm", "ComboBox1", false},
        {"settings channel unselected", "", "SetForm", "bsSkinSpeedButton1", false},
        {"settings channel selected", "", "SetForm", "bsSkinSpeedButton2", true},
        {"settings full range", "", "SetForm", "bsSkinSpeedButton33", false},
        {"forced ID box", "IDSetMenu", "IDSetForm", "ComboBox1", false},
        {"forced ID channel unselected", "IDSetMenu", "IDSetForm", "bsSkinSpeedButton9", false},
        {"forced ID channel selected", "IDSetMenu", "IDSetForm", "bsSkinSpeedButton10", true},
        {"forced ID exit button", "IDSetMenu", "IDSetForm", "bsSkinButton2", false},
        {"line rate box", "ComSetMenu", "Form3", "SetComboBox", false},
        {"line rate port box", "ComSetMenu", "Form3", "bsSkinComboBox1", false},
        {"monitor pause", "MonitorMenu", "BusMonitor", "PauseButton", false},
        {"monitor hide polls", "MonitorMenu", "BusMonitor", "HidePollsBox", false},
        {"monitor rows", "MonitorMenu", "BusMonitor", "Rows", false},
        {"monitor exit", "MonitorMenu", "BusMonitor", "MonitorExitButton", false},
        {"search list", "InventoryMenu", "LineInventoryWindow", "InventoryList", false},
        {"search start", "InventoryMenu", "LineInventoryWindow", "InventorySearch", false},
        {"search first ID", "InventoryMenu", "LineInventoryWindow", "InventoryFirstId", false},
        {"search channel", "InventoryMenu", "LineInventoryWindow", "InventoryChannel5", false},
        {"search rate", "InventoryMenu", "LineInventoryWindow", "InventoryRate9600", false},
    };
    for (const auto &r : rows)
        QTest::newRow(r.row) << r.menuItem << r.window << r.control << r.press;
}

void FocusMarksTest::markStandsOut()
{
    QFETCH(QString, menuItem);
    QFETCH(QString, window);
    QFETCH(QString, control);
    QFETCH(bool, pressFirst);
    MotorSim sim;
    sim.bus().addMotor(4, 0x0001);
    App a({sim.path()});
    a.choosePortWithoutScan(sim.path());
    a.main.idList()->setCurrentIndex(4);
    if (window == QLatin1String("Form1"))
        QVERIFY(QTest::qWaitForWindowActive(&a.main));
    else if (menuItem.isEmpty())
        a.w.settingsWindow().open();
    else
        a.main.findChild<QAction *>(menuItem)->trigger();
    QWidget *shown = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == window && w->isVisible())
            shown = w;
    if (!shown) // the search window is the main window's dialog
        shown = a.main.findChild<QWidget *>(window);
    QVERIFY2(shown && shown->isVisible(), qPrintable(window));
    QTRY_COMPARE(QApplication::activeWindow(), shown);
    QVERIFY(tabTo(control));
    QWidget *target = QApplication::focusWidget();
    if (pressFirst)
        key(Qt::Key_Space);
    if (target->property("selected").isValid()) // a channel button, selected or not as the row says
        QCOMPARE(target->property("selected").toBool(), pressFirst);
    const QImage focused = shown->grab().toImage();
    key(Qt::Key_Tab);
    QVERIFY(!target->hasFocus());
    const QImage unfocused = shown->grab().toImage();

    const QRect area = QRect(target->mapTo(shown, QPoint(0, 0)), target->size()).adjusted(-4, -4, 4, 4);
    const int ring = 2 * 2 * (target->width() + target->height()); // a 2-px ring along its edges
    const int changed = stronglyChanged(focused, unfocused, area);
    QVERIFY2(changed >= ring, qPrintable(QStringLiteral("%1 of %2").arg(changed).arg(ring)));
}

QTEST_MAIN(FocusMarksTest)
#include "tst_focus_marks.moc"
