// Tools -> "Motors on this line" on the whole program's windows, against the
// simulated line on a pseudo-terminal: the window lists the motors while the
// panel's polling rests, Enter hands the chosen motor to the panel, Escape
// stops the search and closes, and the texts follow the language menu.  A
// motor chosen at another rate than the panel's moves the port to its rate.
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
    void choosingAMotorTakesItsRate_data();
    void choosingAMotorTakesItsRate();
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
    QVERIFY(!window->inventory().running()); // opening waits for the options
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

void InventoryWindowTest::choosingAMotorTakesItsRate_data()
{
    QTest::addColumn<int>("panelRate"); // the port's before the search
    QTest::addColumn<QString>("chosen"); // "ID|CHANNELS" as the list shows them
    QTest::addColumn<int>("rate");
    QTest::newRow("3 on channel 3 at 9600, panel at 2400") << 2400 << QStringLiteral("3|3") << 9600;
    QTest::newRow("3 on channel 1 at 2400, panel at 9600") << 9600 << QStringLiteral("3|1") << 2400;
    QTest::newRow("2 at 2400, panel at 2400") << 2400 << QStringLiteral("2|1") << 2400;
}

// Two motors share ID 3 at two rates: the one chosen is polled at its own
// rate on its own channel, and only it answers the panel's polls.
void InventoryWindowTest::choosingAMotorTakesItsRate()
{
    QFETCH(int, panelRate);
    QFETCH(QString, chosen);
    QFETCH(int, rate);
    MotorSim sim;
    for (const char *motor : {"2:1@2400", "3:1@2400", "3:3@9600"})
        QVERIFY(sim.bus().addMotor(QLatin1String(motor)));
    App app({sim.path()});
    app.choosePortWithoutScan(sim.path());
    if (panelRate != app.link.serial().bitsPerSecond())
        QVERIFY(app.link.reopenAt(panelRate));
    LineInventoryWindow *window = openFromMenu(app);
    LineInventory::Scope s = scope(2, 3, {1, 3});
    s.rates = {2400, 9600};
    window->setScope(s);
    QSignalSpy finished(&window->inventory(), &LineInventory::finished);
    app.find<QPushButton>(window, "InventorySearch")->click();
    QVERIFY(finished.wait(60000));
    QCOMPARE(app.link.serial().bitsPerSecond(), panelRate); // given back as it was

    auto *list = app.find<QTreeWidget>(window, "InventoryList");
    QCOMPARE(list->topLevelItemCount(), 3);
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = list->topLevelItem(i);
        if (item->text(0) + u'|' + item->text(1) == chosen)
            list->setCurrentItem(item);
    }
    QCOMPARE(list->currentItem()->text(2), QStringLiteral("%1 bps").arg(rate));
    QList<MotorTarget> polled; // senders of the answers that count as the panel's
    QObject::connect(&app.link, &MotorLink::statusAnswer, [&](const StatusReport &r) {
        if (r.fromAddressed)
            polled << r.from;
    });
    app.find<QPushButton>(window, "InventoryChoose")->click();
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(app.link.serial().bitsPerSecond(), rate);
    QCOMPARE(app.link.motorSettings().deviceBaudCode, Byte(*MotorSettings::baudCodeOfBps(rate)));
    const int id = chosen.section(u'|', 0, 0).toInt(), channel = chosen.section(u'|', 1).toInt();
    ChannelMask mask;
    mask.select(channel);
    QCOMPARE(app.link.target(), (MotorTarget {id, mask}));
    QCOMPARE(app.main.idList()->currentText(), QString::number(id));
    QTRY_VERIFY_WITH_TIMEOUT(polled.size() >= 2, 8000);
    for (const MotorTarget &from : polled)
        QCOMPARE(from, (MotorTarget {id, mask}));
}

void InventoryWindowTest::escapeStopsAndGivesThePanelBack()
{
    MotorSim sim;
    sim.bus().addMotor(9, 0x0001);
    App app({sim.path()});
    app.choosePortWithoutScan(sim.path());
    app.link.setTarget({5, ChannelMask {{0x04, 0}}});
    LineInventoryWindow *window = openFromMenu(app);
    app.find<QPushButton>(window, "InventorySearch")->click();
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
