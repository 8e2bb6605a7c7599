// The inventory of a line against the simulated bus on a pseudo-terminal,
// with the link's own 150 ms ticks: every motor found once with its ID,
// channels, rate and position, each ID read once and channels polled only
// where several motors share an ID, a hidden motor told, a damaged or lost
// answer asked again, and the link given back as it was.
#include "Bench.h"
#include "InventoryLine.h"

#include <QSignalSpy>
#include <QtTest>

class LineInventoryTest : public QObject {
    Q_OBJECT
private slots:
    void findsEveryMotor_data();
    void findsEveryMotor();
    void readsOnceAndPollsOnlySharedIds();
    void faultyLine_data();
    void faultyLine();
    void cancelGivesTheLinkBack();
    void refusesWithoutPort();
    void lostPortIsNotComplete();
};

void LineInventoryTest::findsEveryMotor_data()
{
    QTest::addColumn<QList<MotorAt>>("motors");
    QTest::addColumn<int>("baudCode");
    QTest::addColumn<QStringList>("expected"); // sorted descriptions
    QTest::addColumn<int>("answerDelayMs");

    // Thirty motors, IDs 1..10 on channels 1..3: three on each of IDs 1..8;
    // at ID 9 two at 9600 bps, one on channels 1 and 2, one on 3; at ID 10
    // two that share channel 1 and so always answer at once, one on 2 at
    // 9600 and one on 3.
    QList<MotorAt> thirty;
    QStringList thirtyFound;
    for (int id = 1; id <= 8; ++id)
        for (int ch = 1; ch <= 3; ++ch) {
            thirty.append({id, mask({ch}), (id * 7 + ch) % 101});
            thirtyFound << QStringLiteral("%1:%2@2400 %3")
                               .arg(id)
                               .arg(mask({ch}), 4, 16, QLatin1Char('0'))
                               .arg((id * 7 + ch) % 101);
        }
    thirty << MotorAt {9, mask({1, 2}), 90, 3} << MotorAt {9, mask({3}), -1, 3} << MotorAt {10, mask({1}), 10}
           << MotorAt {10, mask({1}), 11} << MotorAt {10, mask({2}), 12, 3} << MotorAt {10, mask({3}), 13};
    thirtyFound << QStringLiteral("9:0003@9600 90") << QStringLiteral("9:0004@9600 ?")
                << QStringLiteral("10:0001@2400 ? collision") << QStringLiteral("10:0002@9600 12")
                << QStringLiteral("10:0004@2400 13");
    thirtyFound.sort();
    QTest::newRow("thirty motors at two rates") << thirty << 1 << thirtyFound << 20;
    QTest::newRow("a shared channel explained by the motors' other channels")
        << QList<MotorAt> {{4, mask({1, 2}), 20}, {4, mask({1, 3}), 30}} << 1
        << QStringList {QStringLiteral("4:0003@2400 20"), QStringLiteral("4:0005@2400 30")} << 20;

    QTest::newRow("two motors on one ID, other channels, position unknown")
        << QList<MotorAt> {{7, mask({1, 2}), 40}, {7, mask({3}), -1}} << 3
        << QStringList {QStringLiteral("7:0003@9600 40"), QStringLiteral("7:0004@9600 ?")} << 20;
    // The second motor on ID 8 has only a channel of the first: alone on
    // channel 1 the first answers, channel 2 garbles twice.
    QTest::newRow("a motor hidden behind another on its ID")
        << QList<MotorAt> {{8, mask({1, 2}), 80}, {8, mask({2}), 82}, {9, mask({2}), 90}} << 1
        << QStringList {"8:0002@2400 ? collision", "8:0003@2400 80", "9:0002@2400 90"} << 20;
    QTest::newRow("nobody on the line") << QList<MotorAt> {} << 1 << QStringList {} << 20;
    QTest::newRow("a motor outside the IDs asked for")
        << QList<MotorAt> {{42, mask({1}), 5}} << 1 << QStringList {} << 20;
    // Answers that arrive after the next poll went out still name their
    // sender; a garble is polled again alone before it counts.
    QTest::newRow("late answers")
        << QList<MotorAt> {{1, mask({1}), 1}, {1, mask({1}), 2}, {2, mask({2, 3}), 50}, {3, mask({1}), 60}} << 1
        << QStringList {QStringLiteral("1:0001@2400 ? collision"), QStringLiteral("2:0006@2400 50"),
                        QStringLiteral("3:0001@2400 60")}
        << 200;
}

void LineInventoryTest::findsEveryMotor()
{
    QFETCH(QList<MotorAt>, motors);
    QFETCH(int, baudCode);
    QFETCH(QStringList, expected);
    QFETCH(int, answerDelayMs);
    MotorSim sim;
    sim.setAnswerDelayMs(answerDelayMs);
    sim.bus().setBaudCode(baudCode);
    putOnLine(sim, motors);
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    link.tickTimer().start();
    LineInventory inventory(link);
    QSignalSpy progress(&inventory, &LineInventory::progress);
    QVERIFY(runToEnd(link, inventory, scope(1, 10, {1, 2, 3})).complete);

    QCOMPARE(described(inventory.found()), expected);
    const int motorCount = int(expected.size() - expected.filter(QStringLiteral("collision")).size());
    QCOMPARE(inventory.motorsFound(), motorCount);
    // Progress ends at n = N with every motor counted when there was a rate to search.
    if (!progress.isEmpty()) {
        QCOMPARE(progress.last().at(0).toInt(), progress.last().at(1).toInt());
        QCOMPARE(progress.last().at(3).toInt(), motorCount);
    }
    // A prompt truthful line loses nothing; answers later than a tick are
    // not told from a loss and only cost another round.
    if (answerDelayMs < MotorLink::TickMs)
        QVERIFY(!inventory.lossesSeen());
}

// IDs 5..8: one motor on three channels, one on one, two sharing ID 7, none
// at 8.  The lone motors' IDs are read once and polled once for their
// position; ID 7 is read twice (its answers garble) and then polled on
// every channel; no poll goes to the silent ID.
void LineInventoryTest::readsOnceAndPollsOnlySharedIds()
{
    MotorSim sim;
    putOnLine(sim, {{5, mask({1, 2, 3}), 50}, {6, mask({2}), 60}, {7, mask({1}), 71}, {7, mask({3}), 73}});
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    link.tickTimer().start();
    LineInventory inventory(link);
    QVERIFY(runToEnd(link, inventory, scope(5, 8, {1, 2, 3})).complete);
    QCOMPARE(described(inventory.found()),
             (QStringList {"5:0007@2400 50", "6:0002@2400 60", "7:0001@2400 71", "7:0004@2400 73"}));
    for (const auto &[id, reads] : {std::pair {5, 1}, {6, 1}, {7, 2}, {8, 1}})
        QCOMPARE(framesTo(sim, id, Frame::ReadBasic), reads);
    QCOMPARE(framesTo(sim, 5, Frame::StatusPoll), 1);
    QCOMPARE(framesTo(sim, 6, Frame::StatusPoll, 2), 1);
    QCOMPARE(framesTo(sim, 8, Frame::StatusPoll), 0);
    for (int ch = 1; ch <= 3; ++ch)
        QVERIFY(framesTo(sim, 7, Frame::StatusPoll, ch) >= 1); // none skipped
}

void LineInventoryTest::faultyLine_data()
{
    QTest::addColumn<QList<MotorAt>>("motors");
    QTest::addColumn<int>("dropEvery"); // 0: one answer damaged instead
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<bool>("losses"); // the run saw answers lost or damaged

    const QList<MotorAt> six {{2, mask({1}), 20}, {3, mask({2}), 30}, {5, mask({1, 2}), 50},
                              {7, mask({3}), 70}, {8, mask({1}), 80}, {10, mask({2}), 100}};
    const QStringList sixFound {"10:0002@2400 100", "2:0001@2400 20", "3:0002@2400 30",
                                "5:0003@2400 50",   "7:0004@2400 70", "8:0001@2400 80"};
    QTest::newRow("every third answer lost") << six << 3 << sixFound << true;
    QTest::newRow("every fourth answer lost") << six << 4 << sixFound << true;
    QTest::newRow("one motor's answer damaged once") << six << 0 << sixFound << true;
    QTest::newRow("one damaged answer at a shared ID")
        << QList<MotorAt> {{4, mask({1, 2}), 40}, {4, mask({2}), 42}} << 0
        << QStringList {"4:0002@2400 ? collision", "4:0003@2400 40"} << false;
}

// Lost answers are asked again, and a single damaged answer is asked again
// instead of being listed as a collision.
void LineInventoryTest::faultyLine()
{
    QFETCH(QList<MotorAt>, motors);
    QFETCH(int, dropEvery);
    QFETCH(QStringList, expected);
    QFETCH(bool, losses);
    MotorSim sim;
    putOnLine(sim, motors);
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    link.tickTimer().start();
    MotorSim::Faults faults;
    faults.dropEvery = dropEvery;
    faults.badCheck = dropEvery == 0;
    // The group reads of the rate search go out before the faults begin.
    LineInventory inventory(link);
    QObject::connect(&inventory, &LineInventory::progress, &sim, [&sim, faults](int done) {
        if (done == 1)
            sim.setFaults(faults);
    });
    // One damaged answer only: the fault ends with the first bytes it spoilt.
    QObject::connect(&link, &MotorLink::bytesDiscarded, &sim, [&sim, dropEvery] {
        if (dropEvery == 0)
            sim.setFaults({});
    });
    const InventoryRun run = runToEnd(link, inventory, scope(1, 10, {1, 2, 3}));
    QVERIFY(run.complete);
    QCOMPARE(described(inventory.found()), expected);
    QCOMPARE(inventory.lossesSeen(), losses);
    for (int id = 1; id <= 10; ++id)
        QVERIFY2(framesTo(sim, id, Frame::ReadBasic) >= 1, qPrintable(QString::number(id))); // every ID asked
    // ID 9 has no motor: read again only on a line that showed losses.
    QCOMPARE(framesTo(sim, 9, Frame::ReadBasic) > 1, losses);
}

void LineInventoryTest::cancelGivesTheLinkBack()
{
    MotorSim sim;
    sim.bus().setBaudCode(4);
    sim.bus().addMotor(3, mask({1}));
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    QVERIFY(link.reopenAt(19200));
    link.setTarget({3, ChannelMask {{0x01, 0}}});
    link.chooseId(9);
    link.setChannels(ChannelMask {{0x00, 0x80}});
    link.setTarget({3, ChannelMask {{0x01, 0}}});
    link.tickTimer().start();

    LineInventory inventory(link);
    QSignalSpy finished(&inventory, &LineInventory::finished);
    QSignalSpy found(&inventory, &LineInventory::entryFound);
    QVERIFY(inventory.start(scope(1, 99, {})));
    QVERIFY(found.wait(60000)); // well under way at 19200
    inventory.cancel();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(!inventory.running());
    QCOMPARE(link.target(), (MotorTarget {3, ChannelMask {{0x01, 0}}}));
    QCOMPARE(link.channelMemory()[9].word(), std::uint16_t(0x8000));
    QCOMPARE(link.channelMemory()[4].word(), std::uint16_t(0x0001));
    QVERIFY(link.statusPolling());
    QCOMPARE(link.serial().bitsPerSecond(), 19200);
    // Nothing more goes out for the inventory: the panel's polls to 3:1 only.
    const qsizetype before = sim.frames().size();
    QSignalSpy sent(&link, &MotorLink::frameSent);
    QTRY_VERIFY(sent.count() >= 3);
    for (qsizetype i = before; i < sim.frames().size(); ++i)
        QCOMPARE(sim.frames()[i].bytes, MotorBus::commandFrame(3, 0x0001, Frame::StatusPoll, 0));
}

void LineInventoryTest::refusesWithoutPort()
{
    MotorLink link;
    LineInventory inventory(link);
    QVERIFY(!inventory.start({}));
    QVERIFY(!inventory.running());
}

// An adapter pulled out during the search ends it, not complete.
void LineInventoryTest::lostPortIsNotComplete()
{
    MotorSim sim;
    putOnLine(sim, {{2, mask({1}), 20}, {30, mask({1}), 30}});
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    link.tickTimer().start();
    LineInventory inventory(link);
    QObject::connect(&inventory, &LineInventory::entryFound, &sim, [&sim] { sim.unplug(); });
    const InventoryRun run = runToEnd(link, inventory, scope(1, 40, {1}));
    QVERIFY(!run.complete);
    QVERIFY(!inventory.running());
    QCOMPARE(described(inventory.found()), QStringList {"2:0001@2400 20"});
    QCOMPARE(framesTo(sim, 30, Frame::ReadBasic), 0);
}

QTEST_GUILESS_MAIN(LineInventoryTest)
#include "tst_line_inventory.moc"
