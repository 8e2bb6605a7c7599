// Tools -> "Motors on this line" on the whole program's windows, against the
// simulated line on a pseudo-terminal: the window lists the motors while the
// panel's polling rests, Enter hands the chosen motor to the panel, Escape
// stops the search and closes, and the texts follow the language menu.
#include "AppFixture.h"
#include "LineInventoryWindow.h"
#include "MotorSim.h"

#include <QAction>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

class InventoryWindowTest : public QObject {
    Q_OBJECT
private slots:
    void listsTheMotorsAndHandsOneToThePanel();
    void escapeStopsAndGivesThePanelBack();
    void textsFollowTheLanguage();
};

namespace {

LineInventoryWindow *openFromMenu(App &app)
{
    app.main.findChild<QAction *>(QStringLiteral("InventoryMenu"))->trigger();
    return app.main.findChild<LineInventoryWindow *>(QStringLiteral("LineInventoryWindow"));
}

LineInventory::Scope scope(int firstId, int lastId, QList<int> channels)
{
    LineInventory::Scope s;
    s.firstId = firstId;
    s.lastId = lastId;
    s.channels = channels;
    s.rates = {2400};
    return s;
}

} // namespace

void InventoryWindowTest::listsTheMotorsAndHandsOneToThePanel()
{
    MotorSim sim;
    sim.bus().addMotor(2, 0x0001).position = 25;
    sim.bus().addMotor(3, 0x0006).position = 60; // channels 2 and 3
    sim.bus().addMotor(3, 0x0001).position = 75;
    App app({sim.path()});
    app.choosePortWithoutScan(sim.path());
    LineInventoryWindow *window = openFromMenu(app);
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->parentWidget(), &app.main);
    // Narrow the search that opening started, and search again.
    app.find<QPushButton>(window, "InventoryStop")->click();
    QVERIFY(!window->inventory().running());
    window->setScope(scope(1, 4, {1, 2, 3}));
    app.find<QPushButton>(window, "InventorySearch")->click();
    QVERIFY(window->inventory().running());
    QSignalSpy finished(&window->inventory(), &LineInventory::finished);
    QVERIFY(finished.wait(30000));
    QVERIFY(app.link.statusPolling()); // the panel polls again

    auto *list = app.find<QTreeWidget>(window, "InventoryList");
    QCOMPARE(list->topLevelItemCount(), 3);
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        rows << QStringList {item->text(0), item->text(1), item->text(2), item->text(3)}.join(u'|');
    }
    rows.sort();
    QCOMPARE(rows, (QStringList {"2|1|2400 bps|25 %", "3|1|2400 bps|75 %", "3|2,3|2400 bps|60 %"}));

    // Arrow keys to the motor on channels 2 and 3, Enter chooses it.
    list->setFocus();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(1) == QLatin1String("2,3"))
            list->setCurrentItem(list->topLevelItem(i));
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(app.link.target(), (MotorTarget {3, ChannelMask {{0x06, 0}}}));
    QCOMPARE(app.main.idList()->currentText(), QStringLiteral("3"));
    QVERIFY(app.shown("ImageSelectCH2"));
    QVERIFY(app.shown("ImageSelectCH3"));
    QVERIFY(!app.shown("ImageSelectCH1"));
}

void InventoryWindowTest::escapeStopsAndGivesThePanelBack()
{
    MotorSim sim;
    sim.bus().addMotor(9, 0x0001);
    App app({sim.path()});
    app.choosePortWithoutScan(sim.path());
    app.link.setTarget({5, ChannelMask {{0x04, 0}}});
    LineInventoryWindow *window = openFromMenu(app);
    QVERIFY(window->inventory().running());
    QSignalSpy progress(&window->inventory(), &LineInventory::progress);
    QVERIFY(progress.wait(30000)); // polling other motors by now
    QTest::keyClick(window, Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QVERIFY(!window->inventory().running());
    QCOMPARE(app.link.target(), (MotorTarget {5, ChannelMask {{0x04, 0}}}));
    QVERIFY(app.link.statusPolling());
}

void InventoryWindowTest::textsFollowTheLanguage()
{
    MotorSim sim;
    App app({sim.path()});
    app.choosePortWithoutScan(sim.path());
    auto *action = app.main.findChild<QAction *>(QStringLiteral("InventoryMenu"));
    LineInventoryWindow *window = openFromMenu(app);
    QCOMPARE(window->windowTitle(), QStringLiteral("线路上的电机"));
    QCOMPARE(action->text(), QStringLiteral("线路上的电机"));
    app.main.setLanguage(Language::English);
    QCOMPARE(window->windowTitle(), QStringLiteral("Motors on this line"));
    QCOMPARE(action->text(), QStringLiteral("Motors on this line"));
    QCOMPARE(app.find<QPushButton>(window, "InventoryChoose")->text(), QStringLiteral("Select in the panel"));
    app.main.setLanguage(Language::TraditionalChinese);
    QCOMPARE(window->windowTitle(), QStringLiteral("線路上的電機"));
    QTest::keyClick(window, Qt::Key_Escape);
}

QTEST_MAIN(InventoryWindowTest)
#include "tst_inventory_window.moc"
