// The bus monitor on the real link: the program's windows talking to the
// simulated bus on a pseudo-terminal, driven through the menu, the panel and
// the monitor's own buttons.  (Its captions are read back in every language
// with the other windows' captions.)
#include "AppFixture.h"
#include "MotorSim.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>

namespace {

struct Bus {
    MotorSim sim; // outlives the program
};

struct MonitorApp : Bus, App {
    BusMonitor &monitor() { return w.busMonitor(); } // built when first wanted

    MonitorApp() : App({sim.path()})
    {
        Motor &motor = sim.bus().addMotor(5, 0x0005);
        motor.position = 37;
        motor.limits = {20, -1, 60, -1};
        motor.speed = 0; // it stays at 37 % whatever it is told
    }

    void trigger(const QString &action) { main.findChild<QAction *>(action)->trigger(); }
    void clickButton(const char *name) { QTest::mouseClick(find<QAbstractButton>(&monitor(), name), Qt::LeftButton); }
    // The scan finds ID 5 on channels 1 and 3.
    void scan()
    {
        choosePort(sim.path());
        QTRY_VERIFY_WITH_TIMEOUT(!link.isScanning() && link.target().id == 5 && !job<LinkJob::ExtendedRead>(), 10000);
    }
    // The shown rows, their cells (from `column` on) joined by " | ".
    QStringList shown(int column = MonitorLog::Time)
    {
        QAbstractItemModel *model = find<QTableView>(&monitor(), "Rows")->model();
        QStringList lines;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = column; c < model->columnCount(); ++c)
                cells << model->index(r, c).data().toString();
            lines << cells.join(QStringLiteral(" | "));
        }
        return lines;
    }
    // The first row from `from` on that begins as `pattern` (? = any character).
    int firstRow(const QString &pattern, int from = 0)
    {
        const QRegularExpression begins = QRegularExpression::fromWildcard(pattern + u'*', Qt::CaseSensitive);
        const QStringList rows = shown(MonitorLog::Direction);
        for (int i = from; i < rows.size(); ++i)
            if (begins.match(rows[i]).hasMatch())
                return i;
        return -1;
    }
};

} // namespace

class BusMonitorTest : public QObject {
    Q_OBJECT

private slots:
    // Scan, command, poll and answer, noise, bad check bytes, a lost port.
    void scriptedExchange_data()
    {
        QTest::addColumn<QString>("languageItem");
        QTest::addColumn<QStringList>("expected"); // "direction | bytes | meaning" beginnings, in order
        QTest::newRow("english")
            << "English1"
            << QStringList {
                   "port |  | port %1 opened at 2400 baud",
                   "port |  | port %1 reopened at 1200 baud",
                   "sent | 9A 00 00 00 CA CA 00 | read basic settings — group control, no channel",
                   "received | D8 05 05 00 01 00 82 CA 40 09 | basic settings: ID 5, channels 1, 3, 2400 baud, speed 130 rpm",
                   "sent | 9A 05 05 00 CB CB 00 | read extended settings — ID 5, channels 1, 3",
                   "received | D8 05 05 00 04 01 01 CB 16 D9 | extended settings: jog time 4, sensitivity 1, rebound time 1",
                   "sent | 9A 05 05 00 0A DD D7 | Up — ID 5, channels 1, 3",
                   "sent | 9A 05 05 00 0A DD D7 | Up",
                   "sent | 9A 05 01 00 0A CC C2 | Stop — ID 5, channel 1",
                   "sent | 9A 05 01 00 CC 00 C8 | status poll — ID 5, channel 1",
                   "received | D8 05 05 00 00 00 00 25 16 33 | status: 37 %, position known, limit points 1 and 3",
                   "received | D8 05 05 00 00 00 00 25 16 ?? | invalid: bad check byte, 10 bytes",
                   "port |  | port %1 lost"};
        QTest::newRow("chinese")
            << "Chinese"
            << QStringList {"串口 |  | 串口 %1 已打开，2400 波特",
                            "串口 |  | 串口 %1 重新打开，1200 波特",
                            "发送 | 9A 00 00 00 CA CA 00 | 读基本设置 — 群控，无频道",
                            "接收 | D8 05 05 00 01 00 82 CA 40 09 | 基本设置：ID 5，频道 1、3，2400 波特，转速 130 rpm",
                            "发送 | 9A 05 05 00 CB CB 00 | 读扩展设置 — ID 5，频道 1、3",
                            "接收 | D8 05 05 00 04 01 01 CB 16 D9 | 扩展设置：点动时间 4，遇阻灵敏度 1，反弹时间 1",
                            "发送 | 9A 05 05 00 0A DD D7 | 上行 — ID 5，频道 1、3",
                            "发送 | 9A 05 05 00 0A DD D7 | 上行",
                            "发送 | 9A 05 01 00 0A CC C2 | 停止 — ID 5，频道 1",
                            "发送 | 9A 05 01 00 CC 00 C8 | 状态查询 — ID 5，频道 1",
                            "接收 | D8 05 05 00 00 00 00 25 16 33 | 状态：37 %，位置已知，限位点 1 和 3",
                            "接收 | D8 05 05 00 00 00 00 25 16 ?? | 无效：校验字节错误，10 字节",
                            "串口 |  | 串口 %1 已丢失"};
    }

    void scriptedExchange()
    {
        QFETCH(QString, languageItem);
        QFETCH(QStringList, expected);
        MonitorApp a;
        for (QString &line : expected)
            line.replace(QStringLiteral("%1"), a.sim.path());
        a.trigger(QStringLiteral("MonitorMenu"));
        a.trigger(languageItem);
        a.scan();
        QTRY_VERIFY_WITH_TIMEOUT(a.firstRow(expected[5]) >= 0, 5000); // the extended report
        a.click("Label_shang"); // to both channels: no polls
        App::ticks(3);
        a.click("Label_ch3"); // one channel: polls begin
        a.click("Label_ting");
        QTRY_VERIFY_WITH_TIMEOUT(a.firstRow(expected[10]) >= 0, 5000);
        a.sim.flood(7);
        App::ticks(2);
        MotorSim::Faults spoilt;
        spoilt.badCheck = true;
        a.sim.setFaults(spoilt);
        QTRY_VERIFY_WITH_TIMEOUT(a.firstRow(expected[11]) >= 0, 5000);
        a.sim.unplug();
        QTRY_VERIFY_WITH_TIMEOUT(a.firstRow(expected[12]) >= 0, 5000);

        int at = -1;
        for (const QString &line : expected) {
            const int found = a.firstRow(line, at + 1);
            QVERIFY2(found > at,
                     qPrintable(line + QStringLiteral("\nnot found after row %1 of:\n").arg(at)
                                + a.shown().join(QLatin1Char('\n'))));
            at = found;
        }
        QVERIFY(a.monitor().log().invalidBytes() >= 7 + 10); // the noise and the spoilt answer
    }

    // Opened for the first time after a scan and a language choice: it speaks
    // that language, and its time counts from the port's opening, not from
    // its own building (the scan alone takes more than three ticks).
    void openedLateCountsFromThePortOpening()
    {
        MonitorApp a;
        a.trigger(QStringLiteral("English1"));
        a.scan();
        a.click("Label_ch3"); // one channel: polls begin
        a.trigger(QStringLiteral("MonitorMenu"));
        QTRY_VERIFY_WITH_TIMEOUT(
            a.firstRow(QStringLiteral("received | D8 05 05 00 00 00 00 25 16 33 | status: 37 %")) >= 0, 5000);
        QVERIFY2(a.monitor().log().row(0).ms > 3 * 150, qPrintable(a.shown().join(u'\n')));
    }

    void companionPausesFiltersAndSaves()
    {
        QTemporaryDir dir;
        MonitorApp a;
        a.trigger(QStringLiteral("MonitorMenu"));
        a.scan();
        QVERIFY(a.main.isEnabled());
        a.w.manualWindow().open(); // a secondary window takes input from the main window only
        QVERIFY(!a.main.isEnabled() && a.monitor().isEnabled());
        a.w.manualWindow().close();

        // Paused, rows keep arriving in the background and appear on resume.
        a.clickButton("PauseButton");
        const QStringList before = a.shown();
        App::ticks(4);
        QCOMPARE(a.shown(), before);
        const int held = a.monitor().log().heldBack();
        QVERIFY(held >= 4);
        a.clickButton("PauseButton");
        QCOMPARE(a.shown().size(), before.size() + held);
        QCOMPARE(a.shown().mid(0, before.size()), before);

        // Saved: what the table shows, polls hidden.
        a.clickButton("HidePollsBox");
        const QString path = dir.filePath(QStringLiteral("bus.txt"));
        a.monitor().chooseSaveFile = [&](QWidget *) { return path; };
        a.clickButton("SaveButton");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList saved = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        saved.replaceInStrings(QStringLiteral("\t"), QStringLiteral(" | "));
        QCOMPARE(saved, a.shown());
        QVERIFY(saved.size() >= 8 && saved.filter(QStringLiteral("状态")).isEmpty());
        a.monitor().chooseSaveFile = [&](QWidget *) { return dir.filePath(QStringLiteral("missing/bus.txt")); };
        a.clickButton("SaveButton");
        QCOMPARE(a.messages.texts().size(), 1);

        // Closed, it records nothing; Clear empties it.
        a.monitor().close();
        const int rows = a.monitor().log().rowCount() + a.monitor().log().heldBack();
        App::ticks(3);
        QCOMPARE(a.monitor().log().rowCount() + a.monitor().log().heldBack(), rows);
        a.clickButton("ClearButton");
        QCOMPARE(a.monitor().log().rowCount() + a.monitor().log().framesSent(), 0);
    }
};

QTEST_MAIN(BusMonitorTest)
#include "tst_bus_monitor.moc"
