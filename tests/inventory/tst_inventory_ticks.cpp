// The inventory's cost counted in transmit ticks on two layouts of a
// simulated line, with the link's own 150 ms ticks: IDs 1..99 at two rates
// with thirty motors, three IDs shared at one rate, and 12 IDs on all 16
// channels with one shared ID.  Every motor is found, or a collision at its
// ID and channel, within the ticks the search may take.
#include "InventoryLine.h"

#include <QtTest>

class InventoryTicksTest : public QObject {
    Q_OBJECT
private slots:
    void withinTicks_data();
    void withinTicks();
};

void InventoryTicksTest::withinTicks_data()
{
    QTest::addColumn<QList<MotorAt>>("motors");
    QTest::addColumn<int>("lastId");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("maxTicks");

    // 24 motors alone on IDs 3, 6, .., 72 at 2400 bps; at 9600 bps two
    // motors on each of IDs 80, 85 and 90, the second on 80 hidden behind
    // the first's channel 2.
    QList<MotorAt> thirty;
    QStringList thirtyFound;
    for (int k = 1; k <= 24; ++k) {
        const quint16 channels = quint16(1u << (k % 16));
        thirty.append({3 * k, channels, 4 * k});
        thirtyFound << QStringLiteral("%1:%2@2400 %3").arg(3 * k).arg(channels, 4, 16, QLatin1Char('0')).arg(4 * k);
    }
    thirty << MotorAt {80, mask({1, 2}), 81, 3} << MotorAt {80, mask({2}), 82, 3} << MotorAt {85, mask({1}), 85, 3}
           << MotorAt {85, mask({5}), 86, 3} << MotorAt {90, mask({3}), 90, 3} << MotorAt {90, mask({4, 7}), 91, 3};
    thirtyFound << "80:0003@9600 81"
                << "80:0002@9600 ? collision"
                << "85:0001@9600 85"
                << "85:0010@9600 86"
                << "90:0004@9600 90"
                << "90:0048@9600 91";
    thirtyFound.sort();
    // 50 s of 150 ms ticks
    QTest::newRow("IDs 1..99, two rates, 30 motors, 3 shared IDs") << thirty << 99 << thirtyFound << 333;

    // Eleven motors alone on IDs 1..11, two on ID 12 on other channels.
    QList<MotorAt> twelve;
    QStringList twelveFound;
    for (int id = 1; id <= 11; ++id) {
        const quint16 channels = quint16(1u << (id - 1));
        twelve.append({id, channels, 5 * id});
        twelveFound << QStringLiteral("%1:%2@2400 %3").arg(id).arg(channels, 4, 16, QLatin1Char('0')).arg(5 * id);
    }
    twelve << MotorAt {12, mask({3}), 33} << MotorAt {12, mask({8, 9}), 89};
    twelveFound << "12:0004@2400 33"
                << "12:0180@2400 89";
    twelveFound.sort();
    // 10 s of 150 ms ticks
    QTest::newRow("IDs 1..12, 16 channels, one shared ID") << twelve << 12 << twelveFound << 66;
}

void InventoryTicksTest::withinTicks()
{
    QFETCH(QList<MotorAt>, motors);
    QFETCH(int, lastId);
    QFETCH(QStringList, expected);
    QFETCH(int, maxTicks);
    MotorSim sim;
    sim.bus().setBaudCode(1);
    putOnLine(sim, motors);
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    link.tickTimer().start();
    LineInventory inventory(link);
    const InventoryRun run = runToEnd(link, inventory, scope(1, lastId, {}), 300000);
    QVERIFY(run.complete);
    QCOMPARE(described(inventory.found()), expected);
    qInfo("%d ticks, %d frames sent", run.ticks, run.frames);
    QVERIFY2(run.ticks <= maxTicks, qPrintable(QStringLiteral("%1 ticks").arg(run.ticks)));
    QVERIFY(run.frames <= run.ticks); // one frame a tick at most
}

QTEST_GUILESS_MAIN(InventoryTicksTest)
#include "tst_inventory_ticks.moc"
