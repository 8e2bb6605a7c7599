// A line inventory paused and gone on with, and the ticks it says are left,
// against the simulated bus on a pseudo-terminal with the link's own 150 ms
// ticks: paused at any point, it gives the link back and sends nothing
// more; gone on with, it asks what it still had and finds every motor, each
// ID read once more at most; its estimate of the ticks left follows the
// ticks the run really takes.
#include "InventoryLine.h"

#include <QtTest>

class InventoryPauseTest : public QObject {
    Q_OBJECT
private slots:
    void pauseGoesOnWhereItStopped_data();
    void pauseGoesOnWhereItStopped();
    void anotherPortEndsAPausedRun();
    void ticksLeftFollowTheRun_data();
    void ticksLeftFollowTheRun();
};

namespace {

// Two rates, a shared ID at each kind of spot.
const QList<MotorAt> Line {{2, mask({1}), 20},    {3, mask({1}), 31},    {3, mask({2}), 32},
                           {3, mask({3}), 33, 3}, {5, mask({1}), 50, 3}, {6, mask({2}), -1}};
const QStringList Found {"2:0001@2400 20", "3:0001@2400 31", "3:0002@2400 32",
                         "3:0004@9600 33", "5:0001@9600 50", "6:0002@2400 ?"};
constexpr int LastId = 6;

enum class PauseAt { Start, ProbingSecondRate, AskingFirstRate, AskingSecondRate };

} // namespace

void InventoryPauseTest::pauseGoesOnWhereItStopped_data()
{
    QTest::addColumn<PauseAt>("at");
    QTest::newRow("before it begins") << PauseAt::Start;
    QTest::newRow("probing the second rate") << PauseAt::ProbingSecondRate;
    QTest::newRow("asking at the first rate") << PauseAt::AskingFirstRate;
    QTest::newRow("asking at the second rate") << PauseAt::AskingSecondRate;
}

void InventoryPauseTest::pauseGoesOnWhereItStopped()
{
    QFETCH(PauseAt, at);
    MotorSim sim;
    putOnLine(sim, Line);
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    const MotorTarget panel {9, ChannelMask::ofChannel(4)}; // no motor there
    link.setTarget(panel);
    link.tickTimer().start();
    LineInventory inventory(link);
    QSignalSpy finished(&inventory, &LineInventory::finished);
    bool pausedOnce = false; // the rate probed again after the pause is not paused again
    const auto pauseNow = [&] {
        if (!pausedOnce && inventory.running())
            QVERIFY(inventory.pause());
        pausedOnce = true;
    };
    connect(&inventory, &LineInventory::probingRate, this, [&](int rate) {
        if (at == PauseAt::ProbingSecondRate && rate == 9600)
            pauseNow();
    });
    connect(&inventory, &LineInventory::progress, this, [&](int done) {
        if ((at == PauseAt::AskingFirstRate && done == 3) || (at == PauseAt::AskingSecondRate && done == LastId + 2))
            pauseNow();
    });
    LineInventory::Scope s = scope(1, LastId, {1, 2, 3});
    s.rates = {2400, 9600};
    QVERIFY(inventory.start(s));
    if (at == PauseAt::Start)
        pauseNow();
    QTRY_VERIFY_WITH_TIMEOUT(inventory.paused(), 60000);
    QVERIFY(!inventory.running());
    QVERIFY(!inventory.pause());

    // The link is the panel's again: its target, rate and polls, and only those.
    QCOMPARE(link.target(), panel);
    QCOMPARE(link.serial().bitsPerSecond(), 2400);
    QVERIFY(link.statusPolling());
    const qsizetype before = sim.frames().size();
    QTRY_VERIFY(sim.frames().size() >= before + 4);
    for (qsizetype i = before + 1; i < sim.frames().size(); ++i) // the first may be the run's, sent before the pause
        QCOMPARE(sim.frames()[i].bytes, MotorBus::commandFrame(9, 0x0008, Frame::StatusPoll, 0));

    // The panel moves on meanwhile; the run goes on and gives that back at its end.
    const MotorTarget moved {8, ChannelMask::ofChannel(2)};
    link.setTarget(moved);
    QVERIFY(inventory.resume());
    QVERIFY(!inventory.resume());
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.first().first().toBool());
    QCOMPARE(described(inventory.found()), Found);
    QCOMPARE(link.target(), moved);
    QCOMPARE(link.serial().bitsPerSecond(), 2400);
    QVERIFY(link.statusPolling());
    // Each ID read at each rate: once, or twice when its answer was due at the pause.
    for (const int rate : s.rates)
        for (int id = 1; id <= LastId; ++id) {
            const auto reads = std::count_if(sim.frames().cbegin(), sim.frames().cend(), [&](const auto &f) {
                return f.lineRateBps == rate
                    && f.bytes == MotorBus::commandFrame(id, 0, Frame::ReadBasic, Frame::ReadBasic);
            });
            QVERIFY2(reads >= 1 && reads <= 3,
                     qPrintable(QStringLiteral("ID %1 at %2: %3").arg(id).arg(rate).arg(reads)));
        }
}

// The panel moved to another line while the run was paused: the run does
// not go on there, it ends, not complete, and leaves that port alone.
void InventoryPauseTest::anotherPortEndsAPausedRun()
{
    MotorSim first, second;
    putOnLine(first, {{2, mask({1}), 20}});
    putOnLine(second, {{2, mask({1}), 20}});
    MotorLink link;
    QVERIFY(link.choosePort(first.path(), false));
    link.tickTimer().start();
    LineInventory inventory(link);
    QSignalSpy finished(&inventory, &LineInventory::finished);
    QSignalSpy progress(&inventory, &LineInventory::progress);
    QVERIFY(inventory.start(scope(1, 8, {1})));
    QVERIFY(progress.wait(30000));
    QVERIFY(inventory.pause());
    QVERIFY(link.choosePort(second.path(), false));
    link.setTarget({5, ChannelMask::ofChannel(1)});
    QVERIFY(!inventory.resume());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(!inventory.paused() && !inventory.running());
    QCOMPARE(link.target(), (MotorTarget {5, ChannelMask::ofChannel(1)}));
    QTRY_VERIFY(second.frames().size() >= 3);
    for (const MotorBus::ReceivedFrame &f : second.frames()) // the panel's polls only
        QCOMPARE(f.bytes, MotorBus::commandFrame(5, 0x0001, Frame::StatusPoll, 0));
}

void InventoryPauseTest::ticksLeftFollowTheRun_data()
{
    QTest::addColumn<QList<MotorAt>>("motors");
    QTest::addColumn<QList<int>>("rates");
    QTest::addColumn<int>("silentRates"); // rates no motor answers: probed, not searched
    QTest::newRow("a motor at each of two rates")
        << QList<MotorAt> {{2, mask({1}), 20}, {7, mask({3}), 70, 3}} << QList<int> {2400, 9600} << 0;
    QTest::newRow("motors alone and shared, two rates")
        << QList<MotorAt> {{2, mask({1}), 20}, {4, mask({1}), 40}, {4, mask({2}), 41}, {7, mask({3}), 70, 3}}
        << QList<int> {2400, 9600} << 0;
    QTest::newRow("one rate of three answers")
        << QList<MotorAt> {{4, mask({1}), 40}} << QList<int> {1200, 2400, 4800} << 2;
}

// What the run still has to ask, in ticks, against the ticks it then took.
void InventoryPauseTest::ticksLeftFollowTheRun()
{
    QFETCH(QList<MotorAt>, motors);
    QFETCH(QList<int>, rates);
    QFETCH(int, silentRates);
    MotorSim sim;
    putOnLine(sim, motors);
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    link.tickTimer().start();
    LineInventory inventory(link);
    QCOMPARE(inventory.ticksLeft(), 0);
    QList<int> estimates; // at each tick of the run, after the inventory's own step
    bool asking = false; // the rates to search are known
    qsizetype firstAsking = -1;
    connect(
        &link, &MotorLink::ticked, this, [&] { estimates << inventory.ticksLeft(); }, Qt::QueuedConnection);
    connect(&inventory, &LineInventory::progress, this, [&] {
        if (!asking)
            firstAsking = estimates.size();
        asking = true;
    });
    LineInventory::Scope s = scope(1, 10, {1, 2, 3});
    s.rates = rates;
    QSignalSpy finished(&inventory, &LineInventory::finished);
    QVERIFY(inventory.start(s));
    const int atStart = inventory.ticksLeft();
    QVERIFY(finished.wait(60000));
    QVERIFY(finished.first().first().toBool());
    QCOMPARE(inventory.ticksLeft(), 0);
    const int ticks = int(estimates.size());
    qInfo("%d ticks, %d estimated at the start", ticks, atStart);
    // Margin: the estimate leaves out one position poll per motor and the
    // channel polls of a shared ID (one per channel and motor), a rate whose
    // group read is answered is listened to one tick less, and before the
    // rates are probed every rate counts as one to search (10 IDs, settling).
    const int slack = 2 * int(motors.size()) + int(rates.size()) + 3;
    QVERIFY2(atStart >= ticks - slack && atStart <= ticks + slack + silentRates * (10 + 3),
             qPrintable(QStringLiteral("%1 estimated, %2 taken").arg(atStart).arg(ticks)));
    QVERIFY(firstAsking >= 0);
    for (qsizetype i = firstAsking; i < ticks; ++i) {
        const int taken = int(ticks - i - 1);
        QVERIFY2(std::abs(estimates[i] - taken) <= slack,
                 qPrintable(QStringLiteral("tick %1: %2 estimated, %3 taken").arg(i).arg(estimates[i]).arg(taken)));
    }
}

QTEST_GUILESS_MAIN(InventoryPauseTest)
#include "tst_inventory_pause.moc"
