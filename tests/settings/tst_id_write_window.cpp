// The settings window's ID tab on a line of one or two motors: an ID write
// reaches every motor that hears it, so the window writes only after the
// line said exactly one motor is there, and says so when it refuses.
#include "SettingsHarness.h"

#include <QAbstractButton>
#include <QTabWidget>
#include <QtTest>

class IdWriteWindowTest : public QObject {
    Q_OBJECT
private slots:
    void idTabWritesOnlyToALoneMotor_data();
    void idTabWritesOnlyToALoneMotor();
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

QTEST_MAIN(IdWriteWindowTest)
#include "tst_id_write_window.moc"
