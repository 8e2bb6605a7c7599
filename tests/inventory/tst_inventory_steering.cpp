// "Motors on this line" steered by a technician, on the whole program's
// windows against a simulated line of several motors (two share ID 3, two
// rates): the ID range, channels and rates set in the window are all the
// search asks, the bar reaches its end with no time left, the options used
// last come back, and a motor picked while the search runs moves the panel
// and the search goes on after.
#include "AppFixture.h"
#include "LineInventoryWindow.h"
#include "MotorSim.h"

#include <QAction>
#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTreeWidget>
#include <QtTest>

class InventorySteeringTest : public QObject {
    Q_OBJECT
private slots:
    void optionsLimitWhatIsAsked_data();
    void optionsLimitWhatIsAsked();
    void pickDuringSearchPausesAndGoesOn_data();
    void pickDuringSearchPausesAndGoesOn();
};

namespace {

// ID 3 holds two motors at 2400 bps (channels 1 and 2) and one at 9600.
const char *const Line[] = {"2:1@2400", "3:1@2400", "3:2@2400", "3:3@9600", "5:1@9600"};

void putLineOn(MotorSim &sim)
{
    for (const char *motor : Line)
        QVERIFY(sim.bus().addMotor(QLatin1String(motor)));
}

LineInventoryWindow *openFromMenu(App &app)
{
    app.main.findChild<QAction *>(QStringLiteral("InventoryMenu"))->trigger();
    auto *window = app.main.findChild<LineInventoryWindow *>(QStringLiteral("LineInventoryWindow"));
    return window && window->isVisible() ? window : nullptr;
}

// "ID|CHANNELS|RATE" of each row, sorted.
QStringList rows(QTreeWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *item = list->topLevelItem(i);
        out << QStringList {item->text(0), item->text(1), item->text(2).section(u' ', 0, 0)}.join(u'|');
    }
    out.sort();
    return out;
}

QTreeWidgetItem *row(QTreeWidget *list, const QString &idAndChannels)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->text(0) + u'|' + list->topLevelItem(i)->text(1) == idAndChannels)
            return list->topLevelItem(i);
    return nullptr;
}

// Sets the window's options through its controls, as a technician would.
void setOptions(App &app, LineInventoryWindow *window, int first, int last, const QList<int> &channels,
                const QList<int> &rates)
{
    app.find<QSpinBox>(window, "InventoryLastId")->setValue(last);
    app.find<QSpinBox>(window, "InventoryFirstId")->setValue(first);
    for (int c = 1; c <= 16; ++c) {
        auto *box = app.find<QCheckBox>(window, qPrintable(QStringLiteral("InventoryChannel%1").arg(c)));
        if (box->isChecked() != channels.contains(c))
            QTest::keyClick(box, Qt::Key_Space);
    }
    for (int rate : LineInventory::allRates()) {
        auto *box = app.find<QCheckBox>(window, qPrintable(QStringLiteral("InventoryRate%1").arg(rate)));
        if (box->isChecked() != rates.contains(rate))
            QTest::keyClick(box, Qt::Key_Space);
    }
}

} // namespace

void InventorySteeringTest::optionsLimitWhatIsAsked_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QList<int>>("channels");
    QTest::addColumn<QList<int>>("rates");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QList<int>>("sharedPolls"); // channels polled at the shared ID 3 at 2400
    QTest::newRow("IDs 2-3, channels 1-2, 2400")
        << 2 << 3 << QList<int> {1, 2} << QList<int> {2400} << QStringList {"2|1|2400", "3|1|2400", "3|2|2400"}
        << QList<int> {1, 2};
    QTest::newRow("IDs 3-5, channels 1-3, 9600")
        << 3 << 5 << QList<int> {1, 2, 3} << QList<int> {9600} << QStringList {"3|3|9600", "5|1|9600"} << QList<int> {};
    // The shared ID is polled on channel 2 only: the motor on channel 1 stays unheard.
    QTest::newRow("ID 3, channel 2, both rates") << 3 << 3 << QList<int> {2} << QList<int> {2400, 9600}
                                                 << QStringList {"3|2|2400", "3|3|9600"} << QList<int> {2};
}

void InventorySteeringTest::optionsLimitWhatIsAsked()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QList<int>, channels);
    QFETCH(QList<int>, rates);
    QFETCH(QStringList, expected);
    QFETCH(QList<int>, sharedPolls);
    MotorSim sim;
    putLineOn(sim);
    App app({sim.path()});
    app.choosePortWithoutScan(sim.path());
    app.main.setLanguage(Language::English);
    constexpr int PanelId = 9; // no motor there: every frame to another ID is the search's
    app.link.setTarget({PanelId, ChannelMask::ofChannel(1)});
    LineInventoryWindow *window = openFromMenu(app);
    QVERIFY(window);
    QVERIFY(!window->inventory().running()); // it waits for its options
    setOptions(app, window, first, last, channels, rates);
    auto *bar = app.find<QProgressBar>(window, "InventoryProgress");
    QStringList timesShown;
    connect(&window->inventory(), &LineInventory::progress, this, [&] { timesShown << bar->text(); });
    QSignalSpy finished(&window->inventory(), &LineInventory::finished);
    const qsizetype before = sim.frames().size();
    app.find<QPushButton>(window, "InventorySearch")->click();
    QVERIFY(window->inventory().running());
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.first().first().toBool());

    QCOMPARE(rows(app.find<QTreeWidget>(window, "InventoryList")), expected);
    QSet<int> idsRead, channelsPolled, ratesUsed;
    for (qsizetype i = before; i < sim.frames().size(); ++i) {
        const MotorBus::ReceivedFrame &f = sim.frames()[i];
        const Byte id = Byte(f.bytes[Frame::Id]), function = Byte(f.bytes[Frame::Function]);
        if (id == PanelId)
            continue;
        ratesUsed << f.lineRateBps;
        if (function == Frame::ReadBasic && id != 0)
            idsRead << id;
        const int word = Byte(f.bytes[Frame::Mask0]) | Byte(f.bytes[Frame::Mask1]) << 8;
        if (function == Frame::StatusPoll && id == 3 && f.lineRateBps == 2400)
            for (int c = 1; c <= 16; ++c)
                if (word & (1 << (c - 1)))
                    channelsPolled << c;
    }
    QSet<int> range;
    for (int id = first; id <= last; ++id)
        range << id;
    QCOMPARE(idsRead, range);
    QCOMPARE(channelsPolled, QSet<int>(sharedPolls.begin(), sharedPolls.end()));
    QCOMPARE(ratesUsed, QSet<int>(rates.begin(), rates.end()));

    // The bar went from time left to its end.
    QVERIFY(!timesShown.isEmpty());
    QVERIFY2(timesShown.first() != QStringLiteral("About 0:00 left"), qPrintable(timesShown.first()));
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(bar->text(), QStringLiteral("About 0:00 left"));

    // Options changed but not used are not kept: reopened, the window shows the last search's.
    app.find<QSpinBox>(window, "InventoryFirstId")->setValue(1);
    QTest::keyClick(app.find<QCheckBox>(window, "InventoryRate1200"), Qt::Key_Space);
    QTest::keyClick(window, Qt::Key_Escape);
    QTRY_VERIFY(!window->isVisible());
    QCOMPARE(openFromMenu(app), window);
    QCOMPARE(app.find<QSpinBox>(window, "InventoryFirstId")->value(), first);
    QCOMPARE(app.find<QSpinBox>(window, "InventoryLastId")->value(), last);
    QVERIFY(!app.find<QCheckBox>(window, "InventoryRate1200")->isChecked());
    for (int c = 1; c <= 16; ++c)
        QCOMPARE(app.find<QCheckBox>(window, qPrintable(QStringLiteral("InventoryChannel%1").arg(c)))->isChecked(),
                 channels.contains(c));
    QTest::keyClick(window, Qt::Key_Escape);
}

void InventorySteeringTest::pickDuringSearchPausesAndGoesOn_data()
{
    QTest::addColumn<QString>("picked"); // "ID|CHANNELS" as the list shows it
    QTest::addColumn<int>("rate");
    QTest::addColumn<bool>("goOn"); // false: the window goes away with the search paused
    QTest::newRow("2 on channel 1, while 2400 is searched") << QStringLiteral("2|1") << 2400 << true;
    QTest::newRow("3 on channel 3, while 9600 is searched") << QStringLiteral("3|3") << 9600 << true;
    QTest::newRow("2 on channel 1, never gone on with") << QStringLiteral("2|1") << 2400 << false;
}

void InventorySteeringTest::pickDuringSearchPausesAndGoesOn()
{
    QFETCH(QString, picked);
    QFETCH(int, rate);
    QFETCH(bool, goOn);
    MotorSim sim;
    putLineOn(sim);
    App app({sim.path()});
    app.choosePortWithoutScan(sim.path());
    LineInventoryWindow *window = openFromMenu(app);
    QVERIFY(window);
    setOptions(app, window, 2, 6, {1, 2, 3}, {2400, 9600});
    LineInventory &inventory = window->inventory();
    QSignalSpy finished(&inventory, &LineInventory::finished);
    app.find<QPushButton>(window, "InventorySearch")->click();
    auto *list = app.find<QTreeWidget>(window, "InventoryList");
    // Margin: after the picked motor is listed, at least four ticks (600 ms)
    // of asks remain, ID 6 at 9600 the last of them.
    QTRY_VERIFY_WITH_TIMEOUT(row(list, picked), 60000);
    QVERIFY(inventory.running());
    list->setFocus();
    list->setCurrentItem(row(list, picked));
    const int listed = list->topLevelItemCount();
    QTest::keyClick(list, Qt::Key_Return);

    // Paused: the panel has the motor, at its rate, and polls only it.
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(inventory.paused());
    const int id = picked.section(u'|', 0, 0).toInt();
    const MotorTarget motor {id, ChannelMask::ofChannel(picked.section(u'|', 1).toInt())};
    QCOMPARE(app.link.target(), motor);
    QCOMPARE(app.link.serial().bitsPerSecond(), rate);
    QCOMPARE(app.main.idList()->currentText(), QString::number(id));
    QVERIFY(app.link.statusPolling());
    QList<MotorTarget> answered;
    connect(&app.link, &MotorLink::answerFrom, this, [&](const MotorTarget &from) { answered << from; });
    // A late answer to the search's last frame may come first; from the
    // panel's first answer on, the line carries only the panel's polls.
    QTRY_VERIFY_WITH_TIMEOUT(answered.contains(motor), 8000);
    answered.clear();
    QTRY_VERIFY_WITH_TIMEOUT(answered.size() >= 3, 8000);
    for (const MotorTarget &from : answered)
        QCOMPARE(from, motor);
    QCOMPARE(list->topLevelItemCount(), listed);
    QVERIFY(finished.isEmpty());
    if (!goOn) { // the search ends, not complete, and leaves the panel on the motor
        delete window; // the main window is not asked for it again before the test ends
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(app.link.target(), motor);
        QCOMPARE(app.link.serial().bitsPerSecond(), rate);
        QVERIFY(app.link.statusPolling());
        return;
    }

    // Reopened, the paused search goes on from where it was, and ends.
    QCOMPARE(openFromMenu(app), window);
    auto *continueButton = app.find<QPushButton>(window, "InventoryContinue");
    QVERIFY(continueButton->isEnabled());
    QTRY_VERIFY(continueButton->hasFocus());
    QVERIFY(!app.find<QSpinBox>(window, "InventoryFirstId")->isEnabled());
    QTest::keyClick(continueButton, Qt::Key_Space);
    QVERIFY(inventory.running());
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.first().first().toBool());
    QCOMPARE(rows(list), (QStringList {"2|1|2400", "3|1|2400", "3|2|2400", "3|3|9600", "5|1|9600"}));
    // The link is given back as the pick left it.
    QCOMPARE(app.link.target(), motor);
    QCOMPARE(app.link.serial().bitsPerSecond(), rate);
    QVERIFY(app.link.statusPolling());
    QVERIFY(!continueButton->isEnabled());
    QTest::keyClick(window, Qt::Key_Escape);
}

QTEST_MAIN(InventorySteeringTest)
#include "tst_inventory_steering.moc"
