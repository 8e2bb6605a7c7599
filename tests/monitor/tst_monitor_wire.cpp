// The bus monitor on the real link: the program's windows talking to the
// simulated bus on a pseudo-terminal, driven through the menu and the panel.
// A scripted exchange (scan, poll and answer, a command, noise, bad check
// bytes, a lost port) must show up as rows, in order, in two languages.
#include "AppFixture.h"
#include "MotorSim.h"

#include <QAction>
#include <QTableView>

namespace {

// The shown rows as "direction | meaning".
QStringList rows(BusMonitor &monitor)
{
    monitor.log().flush();
    QAbstractItemModel *model = monitor.findChild<QTableView *>(QStringLiteral("Rows"))->model();
    QStringList out;
    for (int r = 0; r < model->rowCount(); ++r)
        out << model->index(r, MonitorLog::Direction).data().toString() + QStringLiteral(" | ")
                   + model->index(r, MonitorLog::Meaning).data().toString();
    return out;
}

// The first row at or after `from` that starts with `prefix`; -1 if none.
int find(const QStringList &rows, const QString &prefix, int from = 0)
{
    for (int i = std::max(from, 0); i < rows.size(); ++i)
        if (rows[i].startsWith(prefix))
            return i;
    return -1;
}

} // namespace

class TestMonitorWire : public QObject {
    Q_OBJECT

private slots:
    void scriptedExchange_data()
    {
        QTest::addColumn<QString>("languageItem");
        QTest::addColumn<QStringList>("expected");  // row prefixes, in this order
        QTest::newRow("english") << "English1"
                                 << QStringList {
                                        "port | port %1 opened at 2400 baud",
                                        "port | port %1 reopened at 1200 baud",
                                        "sent | read basic settings — group control, no channel",
                                        "received | basic settings: ID 5, channels 1, 3, 2400 baud, speed 130 rpm, "
                                        "dry-contact mode 0, curtain functions 40",
                                        "sent | read extended settings — ID 5, channels 1, 3",
                                        "received | extended settings: jog time 4, sensitivity 1, rebound time 1",
                                        "sent | Up — ID 5, channels 1, 3",
                                        "sent | Up — ID 5, channels 1, 3",
                                        "sent | Stop — ID 5, channel 1",
                                        "sent | status poll — ID 5, channel 1",
                                        "received | status: 37 %, position known, limit points 1 and 3",
                                        "received | invalid: bad check byte, 10 bytes",
                                        "port | port %1 lost"};
        QTest::newRow("chinese") << "Chinese"
                                 << QStringList {
                                        "串口 | 串口 %1 已打开，2400 波特",
                                        "串口 | 串口 %1 重新打开，1200 波特",
                                        "发送 | 读基本设置 — 群控，无频道",
                                        "接收 | 基本设置：ID 5，频道 1、3，2400 波特，转速 130 rpm，干接点模式 0，开合帘功能 40",
                                        "发送 | 读扩展设置 — ID 5，频道 1、3",
                                        "接收 | 扩展设置：点动时间 4，遇阻灵敏度 1，反弹时间 1",
                                        "发送 | 上行 — ID 5，频道 1、3",
                                        "发送 | 上行 — ID 5，频道 1、3",
                                        "发送 | 停止 — ID 5，频道 1",
                                        "发送 | 状态查询 — ID 5，频道 1",
                                        "接收 | 状态：37 %，位置已知，限位点 1 和 3",
                                        "接收 | 无效：校验字节错误，10 字节",
                                        "串口 | 串口 %1 已丢失"};
    }

    void scriptedExchange()
    {
        QFETCH(QString, languageItem);
        QFETCH(QStringList, expected);
        MotorSim sim;
        Motor &motor = sim.bus().addMotor(5, 0x0005);
        motor.position = 37;
        motor.limits = {20, -1, 60, -1};
        motor.speed = 0;  // it stays at 37 % whatever it is told
        App a({sim.path()});
        BusMonitor &monitor = a.w.Monitor;
        a.main.findChild<QAction *>(QStringLiteral("MonitorMenu"))->trigger();
        a.main.findChild<QAction *>(languageItem)->trigger();

        // The scan finds ID 5 on channels 1 and 3.
        a.choosePort(sim.path());
        QTRY_VERIFY_WITH_TIMEOUT(a.s.BaudScanActive == 0 && a.s.TargetId == 5 && a.s.ExtReadPending == 0, 10000);
        App::ticks(3);
        // Up to both channels, then channel 3 off (one channel: polls begin) and Stop.
        a.click("Label_shang");
        App::ticks(3);
        a.click("Label_ch3");
        a.click("Label_ting");
        QTRY_VERIFY_WITH_TIMEOUT(find(rows(monitor), expected[10]) >= 0, 5000);
        // Noise on the line, then answers with a bad check byte.
        sim.flood(7);
        App::ticks(2);
        MotorSim::Faults spoilt;
        spoilt.badCheck = true;
        sim.setFaults(spoilt);
        QTRY_VERIFY_WITH_TIMEOUT(find(rows(monitor), expected[11]) >= 0, 5000);
        sim.setFaults({});
        // The adapter is pulled.
        sim.unplug();
        for (QString &line : expected)
            line.replace(QStringLiteral("%1"), sim.path());
        QTRY_VERIFY_WITH_TIMEOUT(find(rows(monitor), expected[12]) >= 0, 5000);

        const QStringList shown = rows(monitor);
        int at = -1;
        for (const QString &line : expected) {
            const int found = find(shown, line, at + 1);
            QVERIFY2(found > at, qPrintable(QStringLiteral("\"%1\" not after row %2 of:\n%3")
                                                .arg(line).arg(at).arg(shown.join(QLatin1Char('\n')))));
            at = found;
        }
        // The noise and the spoilt answers are rows of dropped bytes, counted as such.
        int dropped = 0;
        for (int r = 0; r < monitor.log().rowCount(); ++r)
            dropped += monitor.log().row(r).kind == MonitorLog::Kind::Discarded;
        QVERIFY(dropped >= 2);
        QVERIFY(monitor.log().invalidBytes() >= 7 + 10);
        QVERIFY(monitor.log().answersReceived() >= 3);
    }
};

QTEST_MAIN(TestMonitorWire)
#include "tst_monitor_wire.moc"
