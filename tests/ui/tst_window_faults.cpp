// What a technician met in the windows in the first hour, through the real
// windows on the offscreen platform: the main window closed over another
// window, the ID lists' height and keys, greyed boxes under the pointer, a
// limit-point button held while the status changes, and the settings tabs'
// note in each language.
#include "AppFixture.h"
#include "Bench.h"
#include "ChannelEditor.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QScrollBar>
#include <QTimer>
#include <QWindow>
#include <QtTest>

namespace {

void trigger(App &a, const char *menuItem)
{
    auto *action = a.main.findChild<QAction *>(QLatin1String(menuItem));
    if (!action)
        qFatal("no menu item %s", menuItem);
    action->trigger();
}

// The three ID lists: the main window's, the settings window's and the forced
// ID window's; the window holding it is opened as the program opens it.
QComboBox *openIdList(App &a, const QString &which)
{
    if (which == QLatin1String("main"))
        return a.main.idList();
    if (which == QLatin1String("settings")) {
        // The settings menu resets the window (the group item in the current
        // language); the read selects the motor's ID, as the main list shows.
        a.w.settingsWindow().resetToDefaults();
        a.w.settingsWindow().selectReportedId(a.main.idList()->currentIndex());
        a.w.settingsWindow().openAfterScan();
        return a.w.settingsWindow().channelEditor().idList();
    }
    a.w.forceIdWindow().openWithIndex(a.main.idList()->currentIndex());
    return a.w.forceIdWindow().channelEditor().idList();
}

void addIdLists()
{
    QTest::addColumn<QString>("list");
    for (const char *list : {"main", "settings", "forced"})
        QTest::newRow(list) << list;
}

// A status answer of motor 1 on channel 1 at 37 %, with the given status byte.
QByteArray statusAnswer(Byte status)
{
    return response(1, 0x01, 0x00, 0, 0, 0, 37, status);
}

} // namespace

class WindowFaultsTest : public QObject {
    Q_OBJECT
private slots:
    void closingTheMainWindowEndsTheProgram_data();
    void closingTheMainWindowEndsTheProgram();
    void idListsShowEightRows_data() { addIdLists(); }
    void idListsShowEightRows();
    void openIdListTakesDigitsOnly_data();
    void openIdListTakesDigitsOnly();
    void pointerOverAGreyedBoxWakesIt_data();
    void pointerOverAGreyedBoxWakesIt();
    void limitPointReleaseUndoesItsPress_data();
    void limitPointReleaseUndoesItsPress();
    void outOfRangeNoteInEachLanguage_data();
    void outOfRangeNoteInEachLanguage();
};

void WindowFaultsTest::closingTheMainWindowEndsTheProgram_data()
{
    QTest::addColumn<QString>("open"); // what the user opened before closing the main window
    for (const char *open : {"nothing", "HelpMenu", "IDSetMenu", "ComSetMenu", "settings"})
        QTest::newRow(open) << open;
}

void WindowFaultsTest::closingTheMainWindowEndsTheProgram()
{
    QFETCH(QString, open);
    Pty pty;
    App a({pty.slavePath()});
    a.choosePortWithoutScan(pty.slavePath()); // the tools need a port
    if (open == QLatin1String("settings"))
        a.w.settingsWindow().openAfterScan(); // as a settings read opens it
    else if (open != QLatin1String("nothing"))
        trigger(a, qPrintable(open));
    const QList<ChildWindow *> children {&a.w.manualWindow(), &a.w.settingsWindow(), &a.w.forceIdWindow(),
                                         &a.w.lineRateWindow()};
    const bool childOpen = std::any_of(children.cbegin(), children.cend(),
                                       [](ChildWindow *c) { return c->isVisible(); });
    QCOMPARE(childOpen, open != QLatin1String("nothing"));
    QCOMPARE(a.main.isEnabled(), !childOpen);

    // The program's own event loop, ended only by the close; a loop that
    // went on would be ended by the guard, with another code.
    QTimer::singleShot(0, &a.main, [&a] { a.main.close(); });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(20000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!a.main.isVisible());
    for (ChildWindow *c : children)
        QVERIFY2(!c->isVisible(), qPrintable(c->objectName()));
}

void WindowFaultsTest::idListsShowEightRows()
{
    QFETCH(QString, list);
    App a;
    QComboBox *ids = openIdList(a, list);
    QCOMPARE(ids->count(), 100);
    ids->setCurrentIndex(0); // the list opens at its top
    ids->showPopup();
    QAbstractItemView *view = ids->view();
    QTRY_VERIFY(view->isVisible());
    // Rows seen whole; the group item is taller than the numbers.
    int whole = 0, partly = 0;
    for (int row = 0; row < ids->count(); ++row) {
        const QRect r = view->visualRect(view->model()->index(row, 0));
        const int height = view->viewport()->height();
        whole += r.top() >= 0 && r.bottom() < height;
        partly += r.bottom() >= 0 && r.top() < height;
    }
    QCOMPARE(whole, 8);
    QCOMPARE(partly, 8);
    QVERIFY(view->verticalScrollBar()->isVisible());
    ids->hidePopup();
}

void WindowFaultsTest::openIdListTakesDigitsOnly_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("chosen"); // after Return
    for (const char *list : {"main", "settings", "forced"}) {
        QTest::addRow("%s g", list) << list << "g"
                                    << "5";
        QTest::addRow("%s Group", list) << list << "Group"
                                        << "5";
        QTest::addRow("%s 12", list) << list << "12"
                                     << "12";
        QTest::addRow("%s 9", list) << list << "9"
                                    << "9";
    }
}

void WindowFaultsTest::openIdListTakesDigitsOnly()
{
    QFETCH(QString, list);
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    App a;
    trigger(a, "English1"); // the group item reads "Group": a "g" would find it
    a.main.idList()->setCurrentIndex(5);
    QComboBox *ids = openIdList(a, list);
    QCOMPARE(ids->currentText(), QStringLiteral("5"));
    ids->showPopup();
    QAbstractItemView *view = ids->view();
    QTRY_VERIFY(view->isVisible());
    QTest::keyClicks(view, typed);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QCOMPARE(ids->currentText(), chosen);
    QCOMPARE(a.link.target().id, chosen.toInt());
}

void WindowFaultsTest::pointerOverAGreyedBoxWakesIt_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QPoint>("at"); // in the panel
    QTest::addColumn<QString>("area"); // the area's hover picture
    // ComboBox1 stands at 98, 69 (168 x 20) in its frame Label_id_select at
    // 91, 55; ComboBox2 at 402, 70 (169 x 20) in Label_COM_SELECTE at 395, 55.
    QTest::newRow("ID box") << "ComboBox1" << QPoint(180, 79) << "Image_id_select";
    QTest::newRow("ID box edge") << "ComboBox1" << QPoint(99, 70) << "Image_id_select";
    QTest::newRow("ID frame") << "ComboBox1" << QPoint(93, 60) << "Image_id_select";
    QTest::newRow("port box") << "ComboBox2" << QPoint(480, 80) << "Image_COM_EN";
    QTest::newRow("port box edge") << "ComboBox2" << QPoint(570, 89) << "Image_COM_EN";
    QTest::newRow("port frame") << "ComboBox2" << QPoint(397, 100) << "Image_COM_EN";
}

void WindowFaultsTest::pointerOverAGreyedBoxWakesIt()
{
    QFETCH(QString, box);
    QFETCH(QPoint, at);
    QFETCH(QString, area);
    App a;
    QVERIFY(QTest::qWaitForWindowExposed(&a.main));
    QWidget *panel = a.main.centralWidget();
    auto *combo = panel->findChild<QComboBox *>(box);
    QWindow *window = a.main.windowHandle();
    // Over the background first: both boxes grey.
    QTest::mouseMove(window, panel->mapTo(&a.main, QPoint(300, 20)));
    QVERIFY(!a.main.idList()->isEnabled() && !a.main.portList()->isEnabled());
    QVERIFY(!a.shown(qPrintable(area)));
    // Then straight onto the point, as a pointer moves.
    QTest::mouseMove(window, panel->mapTo(&a.main, at));
    QVERIFY(combo->isEnabled());
    QVERIFY(a.shown(qPrintable(area)));
    // Awake, the box opens on a click.
    QTest::mouseClick(combo, Qt::LeftButton, {}, combo->rect().center());
    QTRY_VERIFY(combo->view()->isVisible());
    combo->hidePopup();
}

void WindowFaultsTest::limitPointReleaseUndoesItsPress_data()
{
    QTest::addColumn<int>("atPress"); // status byte while the button goes down
    QTest::addColumn<int>("atRelease"); // and while it comes up
    // Limit point 3 is bit 0x10; bit 0x02 keeps the position known.
    QTest::newRow("point all along") << 0x12 << 0x12;
    QTest::newRow("point lost while held") << 0x12 << 0x02;
    QTest::newRow("point came while held") << 0x02 << 0x12;
    QTest::newRow("no point") << 0x02 << 0x02;
    QTest::newRow("other points came") << 0x12 << 0x3E;
}

void WindowFaultsTest::limitPointReleaseUndoesItsPress()
{
    QFETCH(int, atPress);
    QFETCH(int, atRelease);
    Pty pty;
    App a({pty.slavePath()});
    a.choosePortWithoutScan(pty.slavePath());
    a.main.idList()->setCurrentIndex(1);
    const char *moved[] = {"Label_XWD3", "ImageSelectXWD3"};
    const QPoint home[] = {a.item(moved[0])->pos(), a.item(moved[1])->pos()};
    const bool pointAtPress = atPress & 0x10;
    // The status comes as the motor's answer; a trailing byte lets the
    // answer handling see it at once.
    auto answer = [&](int status) {
        QVERIFY(pty.write(statusAnswer(Byte(status)) + QByteArray(1, '\0')));
        QTRY_COMPARE(int(a.link.deviceStatus()), status);
    };
    for (int round = 0; round < 3; ++round) { // an offset left behind would grow each round
        answer(atPress);
        a.press("Label_XWD3");
        for (int i = 0; i < 2; ++i)
            QCOMPARE(a.item(moved[i])->pos(), home[i] + (pointAtPress ? QPoint(1, 1) : QPoint()));
        answer(atRelease);
        a.release("Label_XWD3");
        for (int i = 0; i < 2; ++i)
            QCOMPARE(a.item(moved[i])->pos(), home[i]);
    }
}

void WindowFaultsTest::outOfRangeNoteInEachLanguage_data()
{
    QTest::addColumn<QString>("menuItem");
    QTest::addColumn<QString>("note");
    QTest::newRow("Simplified Chinese") << "Chinese"
                                        << "设备报告值: 9 (超出范围)";
    QTest::newRow("English") << "English1"
                             << "Reported by the device: 9 (out of range)";
    QTest::newRow("Traditional Chinese") << "N1"
                                         << "設備報告值: 9 (超出範圍)";
}

void WindowFaultsTest::outOfRangeNoteInEachLanguage()
{
    QFETCH(QString, menuItem);
    QFETCH(QString, note);
    Pty pty;
    App a({pty.slavePath()});
    a.choosePortWithoutScan(pty.slavePath());
    trigger(a, "English1"); // a language other than the one under test first
    trigger(a, qPrintable(menuItem));
    // A basic report of motor 5 with a dry-contact mode no radio box stands for.
    QVERIFY(pty.write(response(5, 0x04, 0x00, 1, 9, 130, 0xCA, 0x40) + QByteArray(1, '\0')));
    auto *label = a.w.settingsWindow().findChild<QLabel *>(QStringLiteral("ReportNote0"));
    QVERIFY(label);
    QTRY_VERIFY(!label->isHidden());
    QCOMPARE(a.link.motorSettings().dryContactMode, Byte(9));
    QCOMPARE(label->text(), note);
}

QTEST_MAIN(WindowFaultsTest)
#include "tst_window_faults.moc"
