// The settings window on a line of one or several motors: an ID write
// reaches every motor that hears it, so the window writes only after the
// line said exactly one motor is there, and says so when it refuses; after a
// read that several motors answered at once, it writes nothing at all.
#include "SettingsHarness.h"

#include <QAbstractButton>
#include <QAction>
#include <QTabWidget>
#include <QtTest>

class IdWriteWindowTest : public QObject {
    Q_OBJECT
private slots:
    void idTabWritesOnlyToALoneMotor_data();
    void idTabWritesOnlyToALoneMotor();
    void noWriteAfterAReadSeveralAnswered_data();
    void noWriteAfterAReadSeveralAnswered();
};

void IdWriteWindowTest::idTabWritesOnlyToALoneMotor_data()
{
    QTest::addColumn<QList<int>>("ids"); // motors on channel 1
    QTest::addColumn<bool>("written");
    QTest::newRow("one motor: written and confirmed") << QList<int> {3} << true;
    QTest::newRow("two motors: refused, nothing written") << QList<int> {3, 8} << false;
}

void IdWriteWindowTest::idTabWritesOnlyToALoneMotor()
{
    QFETCH(QList<int>, ids);
    QFETCH(bool, written);
    Harness h;
    for (int id : ids)
        h.sim.bus().addMotor(id, 0x0001);
    h.openPort();
    h.settingsWindow.openAfterScan(); // no status polls while it is open
    QWidget *w = &h.settingsWindow;
    auto *idList = h.in<QComboBox>(w, "ComboBox1");
    idList->setFocus();
    QTest::keyClick(idList, '5');
    const int heardBefore = int(h.sim.frames().size());
    auto *set = h.in<QAbstractButton>(w, "bsSkinButton1");
    w->findChild<QTabWidget *>()->setCurrentIndex(0);
    QTest::mouseClick(set, Qt::LeftButton);

    const QStringList refusals {h.texts[Message::IdWriteNoneAnswered], h.texts[Message::IdWriteSeveral],
                                h.texts[Message::IdWriteGarbled]};
    const auto settled = [&] {
        for (const QString &text : h.messages.texts())
            if (refusals.contains(text) || text == h.texts[Message::SetSuccess] || text == h.texts[Message::SetFailure])
                return true;
        return false;
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled(), 10000);
    int idWrites = 0;
    for (int i = heardBefore; i < int(h.sim.frames().size()); ++i)
        idWrites += Byte(h.sim.frames().at(i).bytes.at(Frame::Function)) == Frame::ForceIdChannels;
    if (written) {
        QCOMPARE(h.messages.count(h.texts[Message::SetSuccess]), 1);
        QCOMPARE(idWrites, 2);
        QCOMPARE(h.sim.bus().motors().at(0).id, 5);
        return;
    }
    // The box says why: an ID write reaches every motor on the line.
    int refused = 0;
    for (const QString &text : refusals)
        refused += h.messages.count(text);
    QCOMPARE(refused, 1);
    QCOMPARE(h.messages.count(h.texts[Message::SetSuccess]), 0);
    QCOMPARE(idWrites, 0);
    for (const Motor &m : h.sim.bus().motors())
        QVERIFY(m.id != 5);
}

void IdWriteWindowTest::noWriteAfterAReadSeveralAnswered_data()
{
    QTest::addColumn<QStringList>("motors"); // "ID:CHANNELS[@BPS]" each
    QTest::addColumn<int>("readId"); // chosen in the main window, then read by the settings menu
    QTest::addColumn<QString>("setButton");
    QTest::addColumn<bool>("refused");
    const QString dryContactSet = QStringLiteral("bsSkinButton3"), idSet = QStringLiteral("bsSkinButton1");
    QTest::newRow("one motor: written") << QStringList {"4:1"} << 4 << dryContactSet << false;
    QTest::newRow("two motors share ID 4") << QStringList {"4:1", "4:2"} << 4 << dryContactSet << true;
    QTest::newRow("two motors share ID 4: the ID tab too") << QStringList {"4:1", "4:2"} << 4 << idSet << true;
    QTest::newRow("two motors share ID 4 at 9600")
        << QStringList {"4:1@9600", "4:2@9600"} << 4 << dryContactSet << true;
    QTest::newRow("ID 4 shared, ID 5 alone and read: written to 5 only")
        << QStringList {"4:1", "4:2", "5:1"} << 5 << dryContactSet << false;
}

// The dry contact tab's third choice (value 2) is set on the motor read.
void IdWriteWindowTest::noWriteAfterAReadSeveralAnswered()
{
    QFETCH(QStringList, motors);
    QFETCH(int, readId);
    QFETCH(QString, setButton);
    QFETCH(bool, refused);
    Harness h;
    for (const QString &motor : motors)
        QVERIFY(h.sim.bus().addMotor(motor));
    h.link.choosePort(h.sim.path(), false);
    h.mainIdList->setCurrentIndex(readId);
    h.mainWindow.findChild<QAction *>(QStringLiteral("SetMenu"))->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(h.settingsWindow.isVisible(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(h.link.isIdle(), 5000); // the extended read is over too
    QWidget *w = &h.settingsWindow;
    h.in<QAbstractButton>(w, "UpUpStop")->click();
    const int heardBefore = int(h.sim.frames().size());
    int ticks = 0;
    QObject::connect(&h.link, &MotorLink::ticked, [&] { ++ticks; });
    h.in<QAbstractButton>(w, qPrintable(setButton))->click();
    const QString why = h.texts[Message::SettingsWriteSeveral];
    if (!refused) {
        QTRY_COMPARE_WITH_TIMEOUT(h.messages.count(h.texts[Message::SetSuccess]), 1, 10000);
        QCOMPARE(h.messages.count(why), 0);
        for (const Motor &m : h.sim.bus().motors())
            QCOMPARE(m.dryContactMode, quint8(m.id == readId ? 2 : 0));
        return;
    }
    QCOMPARE(h.messages.count(why), 1);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 4, 5000); // time for anything staged to go out
    QCOMPARE(int(h.sim.frames().size()), heardBefore);
    QCOMPARE(h.messages.count(h.texts[Message::SetSuccess]) + h.messages.count(h.texts[Message::SetFailure]), 0);
    for (const Motor &m : h.sim.bus().motors()) {
        QCOMPARE(m.id, 4);
        QCOMPARE(m.dryContactMode, quint8(0));
    }
}

QTEST_MAIN(IdWriteWindowTest)
#include "tst_id_write_window.moc"
