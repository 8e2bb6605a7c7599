// The bus monitor's rows without the window: the bound, pause and resume,
// the status filter, the time column and the counts, on a clock the test moves.
#include "MonitorLog.h"
#include "MotorBus.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTest>

namespace {

QByteArray poll(int id) { return MotorBus::commandFrame(id, 0x0001, 0xCC, 0x00); }
QByteArray statusAnswer(int percent) { return MotorBus::responseFrame(1, 1, 0, 0, 0, quint8(percent), 0x02); }

// The frames of the shown rows, in order.
QList<QByteArray> shownBytes(const MonitorLog &log)
{
    QList<QByteArray> out;
    for (int r = 0; r < log.rowCount(); ++r)
        out << log.row(r).bytes;
    return out;
}

} // namespace

class TestMonitorLog : public QObject {
    Q_OBJECT

    qint64 now = 0;
    std::function<qint64()> clock = [this] { return now; };

private slots:
    void init() { now = 0; }

    // Hours of polling: only the newest rows stay, shown or held back.
    void keepsTheLastRows_data()
    {
        QTest::addColumn<bool>("pausedWhileArriving");
        QTest::addColumn<int>("arriving");
        QTest::newRow("shown as they come") << false << MonitorLog::DefaultLimit + 50;
        QTest::newRow("held back, then shown") << true << MonitorLog::DefaultLimit + 50;
        QTest::newRow("held back, far beyond") << true << 3 * MonitorLog::DefaultLimit;
    }

    void keepsTheLastRows()
    {
        QFETCH(bool, pausedWhileArriving);
        QFETCH(int, arriving);
        MonitorLog log(clock);
        log.frameSent(poll(1));  // an older row that must drop off
        log.flush();
        log.setPaused(pausedWhileArriving);
        for (int i = 0; i < arriving; ++i) {
            now = i;
            log.frameSent(poll(1 + i % 99));
            if (!pausedWhileArriving && i % 1000 == 0)
                log.flush();
        }
        QVERIFY(log.rowCount() <= MonitorLog::DefaultLimit);
        QVERIFY(log.heldBack() <= MonitorLog::DefaultLimit);
        log.setPaused(false);
        QCOMPARE(log.rowCount(), MonitorLog::DefaultLimit);
        QCOMPARE(log.heldBack(), 0);
        QCOMPARE(log.row(log.rowCount() - 1).ms, qint64(arriving - 1));
        QCOMPARE(log.row(0).ms, qint64(arriving - MonitorLog::DefaultLimit));
        QCOMPARE(log.framesSent(), qint64(arriving + 1));  // counts are not bounded
    }

    void pauseLosesNothing()
    {
        MonitorLog log(clock);
        // Frames 0..59: paused after 20, resumed after 50.
        QList<QByteArray> frames;
        for (int i = 0; i < 60; ++i)
            frames << (i % 2 ? statusAnswer(i) : poll(i % 99 + 1));
        auto feed = [&](int from, int to) {
            for (int i = from; i < to; ++i)
                (i % 2) ? log.frameReceived(frames[i]) : log.frameSent(frames[i]);
        };
        feed(0, 20);
        log.flush();
        QCOMPARE(log.rowCount(), 20);
        QSignalSpy inserted(&log, &MonitorLog::rowsInserted);
        log.setPaused(true);
        feed(20, 50);
        log.flush();  // the timer's flush changes nothing while paused
        QCOMPARE(log.rowCount(), 20);
        QCOMPARE(log.heldBack(), 30);
        QCOMPARE(inserted.count(), 0);
        QCOMPARE(log.framesSent() + log.answersReceived(), 50);  // counted in the background
        log.setPaused(false);
        QCOMPARE(inserted.count(), 1);  // one batch
        feed(50, 60);
        QTRY_COMPARE(log.rowCount(), 60);  // the flush timer shows the rest
        QCOMPARE(shownBytes(log), frames);
    }

    void timeCountsFromThePortOpening()
    {
        MonitorLog log(clock);
        now = 500;
        log.frameSent(poll(1));  // before any opening: since recording began
        now = 1000;
        log.portEvent(MotorLink::PortEvent::Opened, QStringLiteral("COM3"), 2400);
        now = 1150;
        log.frameSent(poll(1));
        now = 1300;
        log.portEvent(MotorLink::PortEvent::Reopened, QStringLiteral("COM3"), 9600);  // a scan step: time goes on
        now = 1450;
        log.frameReceived(statusAnswer(37));
        log.flush();
        QStringList times;
        for (int r = 0; r < log.rowCount(); ++r)
            times << log.cell(log.row(r), MonitorLog::Time);
        QCOMPARE(times, (QStringList {"500", "0", "150", "300", "450"}));
    }

    void countsAndLastAnswer()
    {
        MonitorLog log(clock);
        QVERIFY(!log.sinceLastAnswer());
        log.frameSent(poll(1));
        log.frameSent(poll(1));
        now = 100;
        log.frameReceived(statusAnswer(37));
        log.bytesDiscarded(QByteArray(10, '\x55'), MotorLink::Discard::BadCheck, 10);
        log.bytesDiscarded({}, MotorLink::Discard::Flood, 3);  // a flood is not read
        now = 2600;
        QCOMPARE(log.framesSent(), 2);
        QCOMPARE(log.answersReceived(), 1);
        QCOMPARE(log.invalidBytes(), 13);
        QCOMPARE(log.sinceLastAnswer().value_or(-1), 2500);
        log.clear();
        QCOMPARE(log.rowCount() + log.heldBack(), 0);
        QCOMPARE(log.framesSent() + log.answersReceived() + log.invalidBytes(), 0);
    }

    void filterHidesPollsAndTheirAnswers()
    {
        MonitorLog log(clock);
        StatusTrafficFilter filter;
        filter.setSourceModel(&log);
        log.portEvent(MotorLink::PortEvent::Opened, QStringLiteral("COM3"), 2400);
        log.frameSent(poll(5));
        log.frameReceived(statusAnswer(37));
        log.frameSent(MotorBus::commandFrame(5, 1, 0x0A, 0xDD));  // Up
        log.frameSent(MotorBus::commandFrame(5, 1, 0x0A, 0xCC));  // Stop: data CC, still not a poll
        log.frameReceived(MotorBus::responseFrame(5, 1, 3, 0, 100, 0xCA, 0x40));
        log.bytesDiscarded(statusAnswer(1), MotorLink::Discard::BadCheck, 10);
        log.flush();
        QCOMPARE(filter.rowCount(), 7);
        filter.setHideStatus(true);
        log.setLanguage(Language::English);
        QCOMPARE(filter.rowCount(), 5);
        QCOMPARE(filter.index(1, MonitorLog::Meaning).data().toString(), QStringLiteral("Up — ID 5, channel 1"));
        QCOMPARE(filter.index(2, MonitorLog::Meaning).data().toString(), QStringLiteral("Stop — ID 5, channel 1"));
        QCOMPARE(filter.index(4, MonitorLog::Direction).data().toString(), QStringLiteral("received"));
        // New status traffic stays hidden as it arrives.
        log.frameSent(poll(5));
        log.flush();
        QCOMPARE(filter.rowCount(), 5);
        filter.setHideStatus(false);
        QCOMPARE(filter.rowCount(), 8);
    }
};

QTEST_GUILESS_MAIN(TestMonitorLog)
#include "tst_monitor_log.moc"
