// The motor link on its own, under a QCoreApplication with no window: a
// whole baud scan, both reports, a verified write and the wire it puts out,
// against the simulated motor bus with the link's own timers running.
#include "Bench.h"

#include <QSignalSpy>
#include <QtTest>

class CoreLinkTest : public QObject {
    Q_OBJECT
private slots:
    void scanReadAndVerifiedWrite();
    void wireSignalsTellEveryByte_data();
    void wireSignalsTellEveryByte();
    void closePortDropsWorkAndCloses();
};

void CoreLinkTest::scanReadAndVerifiedWrite()
{
    MotorSim sim;
    sim.bus().setBaudCode(3);
    Motor &motor = sim.bus().addMotor(12, 0x0005);
    motor.maxSpeed = 100;
    motor.jogTime = 7;
    MotorLink link;
    LinkRecorder seen(link);
    QList<int> rates;
    QObject::connect(&link, &MotorLink::portEvent,
                     [&](MotorLink::PortEvent, const QString &, int bps) { rates << bps; });
    QSignalSpy sent(&link, &MotorLink::frameSent);
    link.tickTimer().start();

    QVERIFY(link.choosePort(sim.path()));
    QTRY_COMPARE_WITH_TIMEOUT(seen.extendedShown >= 1, true, 10000);
    QCOMPARE(rates.mid(0, 5), (QList<int> {2400, 1200, 2400, 4800, 9600}));
    QCOMPARE(link.serial().bitsPerSecond(), 9600);
    QCOMPARE(seen.selectedIds, QList<int> {12});
    QCOMPARE(link.target().id, 12);
    QCOMPARE(link.target().channels.word(), std::uint16_t(0x0005));
    QCOMPARE(link.motorSettings().maxSpeed, Byte(100));
    QCOMPARE(link.motorSettings().jogTime, Byte(7));
    QCOMPARE(seen.settingsOpened, 0); // nobody asked for a window

    link.setStatusPolling(false); // no status polls in between
    QSignalSpy confirmed(&link, &MotorLink::writeConfirmed);
    link.writeSetting(Settings::MaxSpeed, 130);
    QTRY_COMPARE_WITH_TIMEOUT(confirmed.count(), 1, 10000);
    QCOMPARE(confirmed.first().first().value<Settings::Item>(), Settings::MaxSpeed);
    QCOMPARE(motor.maxSpeed, quint8(130));
    const auto speedWrite = Frame::command(12, link.target().channels, Frame::WriteMaxSpeed, 130);
    const QByteArray speedBytes(reinterpret_cast<const char *>(speedWrite.data()), Frame::CommandSize);
    QCOMPARE(std::count_if(sent.cbegin(), sent.cend(),
                           [&](const QList<QVariant> &args) { return args.first().toByteArray() == speedBytes; }),
             2);
}

void CoreLinkTest::wireSignalsTellEveryByte_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("answers");
    QTest::addColumn<QString>("discarded"); // reasons, in order
    const QByteArray status = response(1, 1, 0, 0, 0, 0, 37, 0x02);
    QByteArray badCheck = status;
    badCheck[9] = char(badCheck[9] ^ 1);
    QTest::newRow("an answer") << status << 1 << "";
    QTest::newRow("noise, an answer") << hex("01 02 03") + status << 1 << "Noise";
    QTest::newRow("a wrong check byte, an answer") << badCheck + status << 1 << "BadCheck";
    QTest::newRow("cut off, an answer") << status.left(4) + status << 1 << "CutOff";
    QTest::newRow("an answer, noise") << status + hex("77 66") << 1 << "Noise";
}

void CoreLinkTest::wireSignalsTellEveryByte()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, answers);
    QFETCH(QString, discarded);
    MotorLink link;
    QStringList reasons;
    qint64 discardedBytes = 0;
    QObject::connect(&link, &MotorLink::bytesDiscarded, [&](const QByteArray &b, MotorLink::Discard why, qint64 n) {
        reasons << QString::fromLatin1(QMetaEnum::fromType<MotorLink::Discard>().valueToKey(int(why)));
        QCOMPARE(n, b.size());
        discardedBytes += n;
    });
    QSignalSpy received(&link, &MotorLink::frameReceived);
    link.examineBytes(bytes);
    QCOMPARE(received.count(), answers);
    QCOMPARE(reasons.join(QLatin1Char(',')), discarded);
    // Every byte is either in an answer or told as discarded.
    QCOMPARE(discardedBytes + answers * Frame::ResponseSize, bytes.size());
}

// Closing mid-scan leaves nothing for the next tick and no port in use;
// the port closes once, and a chosen port opens again afterwards.
void CoreLinkTest::closePortDropsWorkAndCloses()
{
    MotorSim sim;
    sim.bus().addMotor(3, 0x0001);
    MotorLink link;
    QList<MotorLink::PortEvent> events;
    QObject::connect(&link, &MotorLink::portEvent,
                     [&](MotorLink::PortEvent event, const QString &, int) { events << event; });
    QVERIFY(link.choosePort(sim.path()));
    link.sendMotorCommand(Frame::Motor, Frame::Up);
    QVERIFY(link.isScanning());
    QVERIFY(link.outgoing());
    QVERIFY(link.portUsable());

    events.clear();
    link.closePort();
    QVERIFY(!link.serial().isOpen());
    QVERIFY(!link.portUsable());
    QVERIFY(link.isIdle()); // neither the scan nor the staged command is left
    QCOMPARE(events, QList<MotorLink::PortEvent> {MotorLink::PortEvent::Closed});
    QSignalSpy sent(&link, &MotorLink::frameSent);
    link.tick();
    QCOMPARE(sent.count(), 0);

    link.closePort(); // already closed: no second event
    QCOMPARE(events.size(), 1);
    QVERIFY(link.choosePort(sim.path(), false));
    QVERIFY(link.portUsable());
    QCOMPARE(events.last(), MotorLink::PortEvent::Opened);
}

QTEST_GUILESS_MAIN(CoreLinkTest)
#include "tst_core_link.moc"
