// The inventory of a line against the simulated bus on a pseudo-terminal,
// with the link's own 150 ms ticks: every motor found once with its ID,
// channels, rate and position, the channels a motor reported not polled
// again, and the link given back as it was.
#include "Bench.h"
#include "LineInventory.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

LineInventory::Scope scope(int firstId, int lastId, QList<int> channels)
{
    LineInventory::Scope s;
    s.firstId = firstId;
    s.lastId = lastId;
    s.channels = channels;
    return s;
}

struct MotorAt {
    int id;
    quint16 channels;
    int position = -1; // -1: the motor does not know where it is
    int baudCode = -1; // -1: the line's
};

quint16 mask(std::initializer_list<int> channels)
{
    quint16 m = 0;
    for (int c : channels)
        m |= quint16(1u << (c - 1));
    return m;
}

QString describe(const LineInventory::Entry &e)
{
    return QStringLiteral("%1:%2@%3 %4%5")
        .arg(e.id)
        .arg(e.channels.word(), 4, 16, QLatin1Char('0'))
        .arg(e.rate)
        .arg(e.position ? QString::number(*e.position) : QStringLiteral("?"))
        .arg(e.collision ? QStringLiteral(" collision") : QString());
}

// Status polls the bus received for this ID and channel.
int pollsTo(const MotorSim &sim, int id, int channel)
{
    const QByteArray poll = MotorBus::commandFrame(id, quint16(1u << (channel - 1)), Frame::StatusPoll, 0);
    return int(std::count_if(sim.frames().cbegin(), sim.frames().cend(),
                             [&](const MotorBus::ReceivedFrame &f) { return f.bytes == poll; }));
}

} // namespace

class LineInventoryTest : public QObject {
    Q_OBJECT
private slots:
    void findsEveryMotor_data();
    void findsEveryMotor();
    void reportedChannelsAreNotPolledAgain();
    void cancelGivesTheLinkBack();
    void refusesWithoutPort();
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
    for (const MotorAt &m : motors) {
        Motor &motor = sim.bus().addMotor(m.id, m.channels);
        motor.positionKnown = m.position >= 0;
        motor.baudCode = m.baudCode;
        motor.position = std::max(m.position, 0);
    }
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    link.tickTimer().start();
    LineInventory inventory(link);
    QSignalSpy finished(&inventory, &LineInventory::finished);
    QSignalSpy progress(&inventory, &LineInventory::progress);
    QVERIFY(inventory.start(scope(1, 10, {1, 2, 3})));
    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toBool(), true);

    QStringList found;
    for (const LineInventory::Entry &e : inventory.found())
        found << describe(e);
    found.sort();
    QCOMPARE(found, expected);
    const int motorCount = int(expected.size() - expected.filter(QStringLiteral("collision")).size());
    QCOMPARE(inventory.motorsFound(), motorCount);
    // Progress ends at n = N with every motor counted when there was a rate to search.
    if (!progress.isEmpty()) {
        QCOMPARE(progress.last().at(0).toInt(), progress.last().at(1).toInt());
        QCOMPARE(progress.last().at(3).toInt(), motorCount);
    }
}

void LineInventoryTest::reportedChannelsAreNotPolledAgain()
{
    MotorSim sim;
    sim.bus().addMotor(5, mask({1, 2, 3}));
    sim.bus().addMotor(6, mask({2}));
    MotorLink link;
    QVERIFY(link.choosePort(sim.path(), false));
    link.tickTimer().start();
    LineInventory inventory(link);
    QSignalSpy finished(&inventory, &LineInventory::finished);
    QVERIFY(inventory.start(scope(5, 6, {1, 2, 3})));
    QVERIFY(finished.wait(60000));
    QCOMPARE(inventory.found().size(), 2);
    QCOMPARE(pollsTo(sim, 5, 1), 1);
    QCOMPARE(pollsTo(sim, 5, 2), 0);
    QCOMPARE(pollsTo(sim, 5, 3), 0);
    for (int ch = 1; ch <= 3; ++ch)
        QCOMPARE(pollsTo(sim, 6, ch), 1); // its channel 2 spares nothing at ID 6
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

QTEST_GUILESS_MAIN(LineInventoryTest)
#include "tst_line_inventory.moc"
