// The bus monitor's rows without the window: the bound, pause and resume,
// the status filter, the time column and the counts, on a clock the test moves.
#include "MonitorLog.h"
#include "MotorBus.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray poll(int id)
{
    return MotorBus::commandFrame(id, 0x0001, 0xCC, 0x00);
}
QByteArray statusAnswer(int percent)
{
    return MotorBus::responseFrame(1, 1, 0, 0, 0, quint8(percent), 0x02);
}

} // namespace

class MonitorLogTest : public QObject {
    Q_OBJECT

    qint64 now = 0;
    std::function<qint64()> clock = [this] { return now; };

private slots:
    void init() { now = 0; }

    // Hours of polling: only the newest rows stay, whether shown as they come
    // or held back by a pause.
    void keepsTheLastRows_data()
    {
        QTest::addColumn<bool>("paused");
        QTest::addColumn<int>("arriving");
        QTest::newRow("shown as they come") << false << MonitorLog::DefaultLimit + 50;
        QTest::newRow("held back, far beyond") << true << 3 * MonitorLog::DefaultLimit;
    }

    void keepsTheLastRows()
    {
        QFETCH(bool, paused);
        QFETCH(int, arriving);
        MonitorLog log(clock);
        log.setPaused(paused);
        for (now = 0; now < arriving; ++now) {
            log.frameSent(poll(1));
            if (now % 1000 == 0)
                log.flush();
        }
        QVERIFY(log.rowCount() <= MonitorLog::DefaultLimit && log.heldBack() <= MonitorLog::DefaultLimit);
        log.setPaused(false);
        QCOMPARE(log.rowCount(), MonitorLog::DefaultLimit);
        QCOMPARE(log.row(0).ms, qint64(arriving - MonitorLog::DefaultLimit));
        QCOMPARE(log.row(log.rowCount() - 1).ms, qint64(arriving - 1));
        QCOMPARE(log.framesSent(), qint64(arriving)); // counts are not bounded
    }

    void pauseLosesNothing()
    {
        MonitorLog log(clock);
        QList<QByteArray> frames;
        for (int i = 0; i < 60; ++i)
            frames << (i % 2 ? statusAnswer(i) : poll(i % 99 + 1));
        auto feed = [&](int from, int to) {
            for (int i = from; i < to; ++i)
                (i % 2) ? log.frameReceived(frames[i]) : log.frameSent(frames[i]);
        };
        feed(0, 20);
        log.flush();
        QSignalSpy inserted(&log, &MonitorLog::rowsInserted);
        log.setPaused(true);
        feed(20, 50);
        log.flush(); // the timer's flush shows nothing while paused
        QCOMPARE(log.rowCount(), 20);
        QCOMPARE(log.framesSent() + log.answersReceived(), 50); // counted in the background
        log.setPaused(false);
        QCOMPARE(inserted.count(), 1); // one batch
        feed(50, 60);
        QTRY_COMPARE(log.rowCount(), 60); // the flush timer shows the rest
        for (int i = 0; i < 60; ++i)
            QCOMPARE(log.row(i).bytes, frames[i]);
    }

    // The time column is the link's time since the port opened (the bus
    // monitor's test checks where it counts from).
    void timeAndCounts()
    {
        MonitorLog log(clock);
        now = 500;
        log.frameSent(poll(1));
        now = 1450;
        log.frameReceived(statusAnswer(37));
        log.bytesDiscarded(statusAnswer(1), MotorLink::Discard::BadCheck, 10);
        log.bytesDiscarded({}, MotorLink::Discard::Flood, 3); // a flood is not read
        log.flush();
        QStringList times;
        for (int r = 0; r < log.rowCount(); ++r)
            times << log.cell(log.row(r), MonitorLog::Time);
        QCOMPARE(times, (QStringList {"500", "1450", "1450", "1450"}));
        now = 3950;
        QCOMPARE(log.framesSent(), 1);
        QCOMPARE(log.answersReceived(), 1);
        QCOMPARE(log.invalidBytes(), 13);
        QCOMPARE(log.sinceLastAnswer().value_or(-1), 2500);
        log.clear();
        QCOMPARE(log.rowCount() + log.framesSent() + log.answersReceived() + log.invalidBytes(), 0);
    }

    void filterHidesPollsAndTheirAnswers()
    {
        MonitorLog log(clock);
        StatusTrafficFilter filter;
        filter.setSourceModel(&log);
        log.setLanguage(Language::English);
        log.portEvent(MotorLink::PortEvent::Opened, QStringLiteral("COM3"), 2400);
        log.frameSent(poll(5));
        log.frameReceived(statusAnswer(37));
        log.frameSent(MotorBus::commandFrame(5, 1, 0x0A, 0xCC)); // Stop: data CC, not a poll
        log.frameReceived(MotorBus::responseFrame(5, 1, 3, 0, 100, 0xCA, 0x40));
        log.bytesDiscarded(statusAnswer(1), MotorLink::Discard::BadCheck, 10);
        log.flush();
        filter.setHideStatus(true);
        QCOMPARE(filter.rowCount(), 4);
        QCOMPARE(filter.index(1, MonitorLog::Meaning).data().toString(), QStringLiteral("Stop — ID 5, channel 1"));
        QCOMPARE(filter.index(3, MonitorLog::Direction).data().toString(), QStringLiteral("received"));
        log.frameSent(poll(5)); // new status traffic stays hidden as it arrives
        log.flush();
        QCOMPARE(filter.rowCount(), 4);
        filter.setHideStatus(false);
        QCOMPARE(filter.rowCount(), 7);
    }
};

QTEST_GUILESS_MAIN(MonitorLogTest)
#include "tst_monitor_log.moc"
