// The bus monitor window among the program's windows, fed by a stand-in with
// the link's four wire signals: opened from the Tools menu without taking
// input from the main window, recording only while shown, following the
// language menu, and its buttons driven with the mouse.
#include "AppFixture.h"
#include "MotorBus.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

// Has the wire signals of MotorLink and nothing else.
class WireStandIn : public QObject {
    Q_OBJECT
signals:
    void frameSent(const QByteArray &bytes);
    void frameReceived(const QByteArray &bytes);
    void bytesDiscarded(const QByteArray &bytes, MotorLink::Discard why, qint64 count);
    void portEvent(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond);
};

namespace {

struct MonitorApp : App {
    BusMonitor &monitor = w.Monitor;
    WireStandIn wire;

    MonitorApp() { monitor.listen(&wire); }

    QTableView *table() { return find<QTableView>(&w.Monitor, "Rows"); }
    void openFromMenu() { main.findChild<QAction *>(QStringLiteral("MonitorMenu"))->trigger(); }
    void clickButton(const char *name) { QTest::mouseClick(find<QAbstractButton>(&w.Monitor, name), Qt::LeftButton); }

    // A short exchange: the port opens, Up, a poll and its answer, a bad answer.
    void exchange()
    {
        emit wire.portEvent(MotorLink::PortEvent::Opened, QStringLiteral("/dev/ttyUSB0"), 2400);
        emit wire.frameSent(MotorBus::commandFrame(5, 0x0005, 0x0A, 0xDD));
        emit wire.frameSent(MotorBus::commandFrame(5, 0x0001, 0xCC, 0x00));
        emit wire.frameReceived(MotorBus::responseFrame(5, 0x0001, 0, 0, 0, 37, 0x02 | 0x04 | 0x10));
        emit wire.bytesDiscarded(QByteArray::fromHex("D8010100000000250226"), MotorLink::Discard::BadCheck, 10);
        monitor.log().flush();
    }

    // Every shown row, its cells joined by tabs.
    QStringList shownLines()
    {
        QAbstractItemModel *model = table()->model();
        QStringList lines;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            lines << cells.join(QLatin1Char('\t'));
        }
        return lines;
    }
};

} // namespace

class TestBusMonitor : public QObject {
    Q_OBJECT

private slots:
    void companionLeavesTheMainWindowEnabled()
    {
        MonitorApp a;
        QVERIFY(!a.monitor.isVisible());
        a.openFromMenu();  // no port needed to watch the line
        QVERIFY(a.monitor.isVisible());
        QVERIFY(a.main.isEnabled());
        QVERIFY(a.messages.texts().isEmpty());
        // A secondary window takes input from the main window, not from the monitor.
        a.w.Form2.open();
        QVERIFY(!a.main.isEnabled());
        QVERIFY(a.monitor.isEnabled());
        a.w.Form2.close();
        QVERIFY(a.main.isEnabled());
    }

    void recordsOnlyWhileShown()
    {
        MonitorApp a;
        a.exchange();
        QCOMPARE(a.table()->model()->rowCount(), 0);
        a.openFromMenu();
        a.exchange();
        QCOMPARE(a.table()->model()->rowCount(), 5);
        a.monitor.close();
        a.exchange();
        QCOMPARE(a.monitor.log().rowCount() + a.monitor.log().heldBack(), 5);
        QCOMPARE(a.monitor.log().framesSent(), 2);
    }

    void captionsAndRowsFollowTheLanguageMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QStringList>("expected");  // title, pause, header, direction, meaning, counts
        QTest::newRow("english") << "English1"
                                 << QStringList {"Bus Monitor", "Pause", "Meaning", "sent",
                                                 "Up — ID 5, channels 1, 3",
                                                 "2 frames sent, 1 answers received, 10 invalid bytes"};
        QTest::newRow("traditional") << "N1"
                                     << QStringList {"總線監視", "暫停", "含義", "發送", "上行 — ID 5，頻道 1、3",
                                                     "已發送 2 幀，收到 1 個應答，無效位元組 10"};
        QTest::newRow("simplified") << "Chinese"
                                    << QStringList {"总线监视", "暂停", "含义", "发送", "上行 — ID 5，频道 1、3",
                                                    "已发送 2 帧，收到 1 个应答，无效字节 10"};
    }

    void captionsAndRowsFollowTheLanguageMenu()
    {
        QFETCH(QString, item);
        QFETCH(QStringList, expected);
        MonitorApp a;
        a.openFromMenu();
        a.exchange();
        a.main.findChild<QAction *>(QStringLiteral("English1"))->trigger();  // away from the start language first
        a.main.findChild<QAction *>(item)->trigger();
        QAbstractItemModel *rows = a.table()->model();
        const QStringList shown {a.monitor.windowTitle(), a.find<QPushButton>(&a.monitor, "PauseButton")->text(),
                                 rows->headerData(MonitorLog::Meaning, Qt::Horizontal).toString(),
                                 rows->index(1, MonitorLog::Direction).data().toString(),
                                 rows->index(1, MonitorLog::Meaning).data().toString(),
                                 a.find<QLabel>(&a.monitor, "CountsLabel")->text()};
        QCOMPARE(shown, expected);
        QCOMPARE(a.main.findChild<QAction *>(QStringLiteral("MonitorMenu"))->text(), expected[0]);
    }

    void pauseResumeAndClear()
    {
        MonitorApp a;
        a.openFromMenu();
        a.exchange();
        const QStringList before = a.shownLines();
        a.clickButton("PauseButton");
        a.exchange();
        QCOMPARE(a.shownLines(), before);  // nothing new shows while paused
        a.clickButton("PauseButton");
        QCOMPARE(a.table()->model()->rowCount(), 10);
        QCOMPARE(a.shownLines().mid(0, 5), before);
        a.clickButton("ClearButton");
        QCOMPARE(a.table()->model()->rowCount(), 0);
        QCOMPARE(a.monitor.log().framesSent(), 0);
    }

    void saveWritesWhatTheTableShows_data()
    {
        QTest::addColumn<bool>("hidePolls");
        QTest::addColumn<int>("lines");
        QTest::newRow("everything") << false << 5;
        QTest::newRow("without polls") << true << 3;
    }

    void saveWritesWhatTheTableShows()
    {
        QFETCH(bool, hidePolls);
        QFETCH(int, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bus.txt"));
        MonitorApp a;
        a.openFromMenu();
        a.exchange();
        if (hidePolls)
            a.clickButton("HidePollsBox");
        a.monitor.chooseSaveFile = [&](QWidget *) { return path; };
        a.clickButton("SaveButton");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList saved = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(saved.size(), lines);
        QCOMPARE(saved, a.shownLines());
        QVERIFY(saved.last().endsWith(QStringLiteral("\t接收\tD8 01 01 00 00 00 00 25 02 26\t无效：校验字节错误，10 字节")));

        // A place that cannot be written is told, and nothing else happens.
        a.monitor.chooseSaveFile = [&](QWidget *) { return dir.filePath(QStringLiteral("missing/bus.txt")); };
        a.clickButton("SaveButton");
        QCOMPARE(a.messages.texts().size(), 1);
        QVERIFY(a.messages.texts().first().contains(QStringLiteral("missing/bus.txt")));
        // Cancelling the dialog writes nothing.
        a.monitor.chooseSaveFile = [](QWidget *) { return QString(); };
        a.clickButton("SaveButton");
        QCOMPARE(a.messages.texts().size(), 1);
    }
};

QTEST_MAIN(TestBusMonitor)
#include "tst_bus_monitor.moc"
