// Frames in words: frames built by the simulated bus's own encoder, read
// back by the decoder in English and in Simplified Chinese.
#include "FrameText.h"
#include "MotorBus.h"

#include <QTest>

namespace {

QByteArray cmd(int id, quint16 mask, quint8 function, quint8 data)
{
    return MotorBus::commandFrame(id, mask, function, data);
}

QByteArray answer(int id, quint16 mask, quint8 v4, quint8 v5, quint8 v6, quint8 type, quint8 status)
{
    return MotorBus::responseFrame(id, mask, v4, v5, v6, type, status);
}

QByteArray spoilt(QByteArray frame)
{
    frame[frame.size() - 1] = char(frame.back() ^ 0x01);
    return frame;
}

} // namespace

Q_DECLARE_METATYPE(MotorLink::Discard)
Q_DECLARE_METATYPE(MotorLink::PortEvent)

class TestFrameText : public QObject {
    Q_OBJECT

private slots:
    void sentFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("chinese");
        QTest::newRow("up") << cmd(5, 0x0005, 0x0A, 0xDD) << "Up — ID 5, channels 1, 3" << "上行 — ID 5，频道 1、3";
        QTest::newRow("stop") << cmd(1, 0x0001, 0x0A, 0xCC) << "Stop — ID 1, channel 1" << "停止 — ID 1，频道 1";
        QTest::newRow("down, channel 16") << cmd(99, 0x8000, 0x0A, 0xEE) << "Down — ID 99, channel 16"
                                          << "下行 — ID 99，频道 16";
        QTest::newRow("learn") << cmd(2, 0x0002, 0x0A, 0xAA) << "Learn — ID 2, channel 2" << "对码 — ID 2，频道 2";
        QTest::newRow("delete") << cmd(2, 0x0002, 0x0A, 0xA6) << "Delete — ID 2, channel 2" << "删码 — ID 2，频道 2";
        QTest::newRow("limit point, all channels")
            << cmd(7, 0xFFFF, 0x0A, 0x02) << "run to limit point 2 — ID 7, all channels"
            << "运行到中间限位点 2 — ID 7，全频";
        QTest::newRow("unknown motor command") << cmd(7, 0x0001, 0x0A, 0x33) << "motor command 33 — ID 7, channel 1"
                                               << "电机命令 33 — ID 7，频道 1";
        QTest::newRow("run to position, channel 9") << cmd(1, 0x0100, 0xDD, 50) << "run to 50 % — ID 1, channel 9"
                                                    << "运行到 50 % — ID 1，频道 9";
        QTest::newRow("poll") << cmd(5, 0x0001, 0xCC, 0x00) << "status poll — ID 5, channel 1"
                              << "状态查询 — ID 5，频道 1";
        QTest::newRow("read basic, group") << cmd(0, 0x0000, 0xCA, 0xCA)
                                           << "read basic settings — group control, no channel"
                                           << "读基本设置 — 群控，无频道";
        QTest::newRow("read extended") << cmd(12, 0x0005, 0xCB, 0xCB)
                                       << "read extended settings — ID 12, channels 1, 3"
                                       << "读扩展设置 — ID 12，频道 1、3";
        QTest::newRow("force id") << cmd(4, 0x0003, 0xAA, 0xAA) << "force ID and channels — ID 4, channels 1, 2"
                                  << "强制设置 ID 与频道 — ID 4，频道 1、2";
        QTest::newRow("speed") << cmd(3, 0x0001, 0xD9, 100) << "write speed 100 rpm — ID 3, channel 1"
                               << "写转速 100 rpm — ID 3，频道 1";
        QTest::newRow("dry contact") << cmd(3, 0x0001, 0xD2, 4) << "write dry-contact mode 4 — ID 3, channel 1"
                                     << "写干接点模式 4 — ID 3，频道 1";
        QTest::newRow("flags") << cmd(3, 0x0001, 0xD5, 0xC0) << "write curtain functions C0 — ID 3, channel 1"
                               << "写开合帘功能 C0 — ID 3，频道 1";
        QTest::newRow("jog") << cmd(3, 0x0001, 0xD6, 4) << "write jog time 4 — ID 3, channel 1"
                             << "写点动时间 4 — ID 3，频道 1";
        QTest::newRow("sensitivity") << cmd(3, 0x0001, 0xD7, 3) << "write sensitivity 3 — ID 3, channel 1"
                                     << "写遇阻灵敏度 3 — ID 3，频道 1";
        QTest::newRow("rebound none") << cmd(3, 0x0001, 0xD8, 0) << "write rebound: no rebound — ID 3, channel 1"
                                      << "写遇阻反弹：不反弹 — ID 3，频道 1";
        QTest::newRow("rebound unlimited") << cmd(3, 0x0001, 0xD8, 0xFF)
                                           << "write rebound: rebound, time not limited — ID 3, channel 1"
                                           << "写遇阻反弹：反弹，不限时间 — ID 3，频道 1";
        QTest::newRow("rebound time") << cmd(3, 0x0001, 0xD8, 20) << "write rebound: rebound time 20 — ID 3, channel 1"
                                      << "写遇阻反弹：反弹时间 20 — ID 3，频道 1";
        QTest::newRow("baud") << cmd(3, 0x0001, 0xDA, 3) << "write baud rate 9600 baud — ID 3, channel 1"
                              << "写波特率 9600 波特 — ID 3，频道 1";
        QTest::newRow("baud code without rate") << cmd(3, 0x0001, 0xDA, 9)
                                                << "write baud rate baud code 9 (no rate) — ID 3, channel 1"
                                                << "写波特率 波特率代码 9（无效） — ID 3，频道 1";
        QTest::newRow("unknown function") << cmd(3, 0x0001, 0x55, 0x01) << "unknown function 55, data 01 — ID 3, channel 1"
                                          << "未知功能 55，数据 01 — ID 3，频道 1";
        QTest::newRow("bad check") << spoilt(cmd(3, 0x0001, 0xD9, 100)) << "not a command frame" << "不是命令帧";
        QTest::newRow("too short") << cmd(3, 0x0001, 0xD9, 100).left(6) << "not a command frame" << "不是命令帧";
    }

    void sentFrames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QString, english);
        QFETCH(QString, chinese);
        QCOMPARE(FrameText::sent(frame, Language::English), english);
        QCOMPARE(FrameText::sent(frame, Language::SimplifiedChinese), chinese);
    }

    void receivedFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("chinese");
        QTest::newRow("status") << answer(1, 1, 0, 0, 0, 37, 0x02 | 0x04 | 0x10)
                                << "status: 37 %, position known, limit points 1 and 3"
                                << "状态：37 %，位置已知，限位点 1 和 3";
        QTest::newRow("three limit points") << answer(1, 1, 0, 0, 0, 100, 0x02 | 0x04 | 0x08 | 0x20)
                                            << "status: 100 %, position known, limit points 1, 2 and 4"
                                            << "状态：100 %，位置已知，限位点 1、2 和 4";
        QTest::newRow("position unknown") << answer(1, 1, 0, 0, 0, 0, 0x00)
                                          << "status: position unknown, no limit points" << "状态：位置未知，无限位点";
        QTest::newRow("running") << answer(1, 1, 0, 0, 0, 80, 0x02 | 0x08 | 0x40)
                                 << "status: 80 %, position known, limit point 2, running"
                                 << "状态：80 %，位置已知，限位点 2，运行中";
        QTest::newRow("basic") << answer(12, 0x0004, 3, 0, 100, 0xCA, 0x40)
                               << "basic settings: ID 12, channel 3, 9600 baud, speed 100 rpm, dry-contact mode 0, "
                                  "curtain functions 40"
                               << "基本设置：ID 12，频道 3，9600 波特，转速 100 rpm，干接点模式 0，开合帘功能 40";
        QTest::newRow("basic, baud code 7") << answer(5, 0x0003, 7, 2, 130, 0xCA, 0xC4)
                                            << "basic settings: ID 5, channels 1, 2, baud code 7 (no rate), "
                                               "speed 130 rpm, dry-contact mode 2, curtain functions C4"
                                            << "基本设置：ID 5，频道 1、2，波特率代码 7（无效），转速 130 rpm，"
                                               "干接点模式 2，开合帘功能 C4";
        QTest::newRow("extended") << answer(1, 1, 4, 1, 0, 0xCB, 0x02)
                                  << "extended settings: jog time 4, sensitivity 1, no rebound"
                                  << "扩展设置：点动时间 4，遇阻灵敏度 1，不反弹";
        QTest::newRow("extended, rebound time") << answer(1, 1, 10, 3, 254, 0xCB, 0x02)
                                                << "extended settings: jog time 10, sensitivity 3, rebound time 254"
                                                << "扩展设置：点动时间 10，遇阻灵敏度 3，反弹时间 254";
        QTest::newRow("bad check") << spoilt(answer(1, 1, 0, 0, 0, 37, 0x02)) << "not a valid answer" << "不是有效应答";
        QTest::newRow("command frame") << cmd(1, 1, 0xCC, 0) << "not a valid answer" << "不是有效应答";
    }

    void receivedFrames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QString, english);
        QFETCH(QString, chinese);
        QCOMPARE(FrameText::received(frame, Language::English), english);
        QCOMPARE(FrameText::received(frame, Language::SimplifiedChinese), chinese);
    }

    void discardsAndPortEvents()
    {
        using D = MotorLink::Discard;
        using P = MotorLink::PortEvent;
        const std::tuple<QString, QString, QString> cases[] = {
            {FrameText::discarded(D::Noise, 3, Language::English),
             FrameText::discarded(D::Noise, 3, Language::SimplifiedChinese), "invalid: noise, 3 bytes|无效：噪声，3 字节"},
            {FrameText::discarded(D::BadCheck, 10, Language::English),
             FrameText::discarded(D::BadCheck, 10, Language::SimplifiedChinese),
             "invalid: bad check byte, 10 bytes|无效：校验字节错误，10 字节"},
            {FrameText::discarded(D::CutOff, 3, Language::English),
             FrameText::discarded(D::CutOff, 3, Language::SimplifiedChinese),
             "invalid: cut-off answer, 3 bytes|无效：应答不完整，3 字节"},
            {FrameText::discarded(D::Flood, 5000, Language::English),
             FrameText::discarded(D::Flood, 5000, Language::SimplifiedChinese),
             "invalid: flood, dropped, 5000 bytes|无效：字节过多，已丢弃，5000 字节"},
            {FrameText::port(P::Opened, "/dev/ttyUSB0", 2400, Language::English),
             FrameText::port(P::Opened, "/dev/ttyUSB0", 2400, Language::SimplifiedChinese),
             "port /dev/ttyUSB0 opened at 2400 baud|串口 /dev/ttyUSB0 已打开，2400 波特"},
            {FrameText::port(P::Reopened, "COM3", 19200, Language::English),
             FrameText::port(P::Reopened, "COM3", 19200, Language::SimplifiedChinese),
             "port COM3 reopened at 19200 baud|串口 COM3 重新打开，19200 波特"},
            {FrameText::port(P::Closed, "COM3", 0, Language::English),
             FrameText::port(P::Closed, "COM3", 0, Language::SimplifiedChinese), "port COM3 closed|串口 COM3 已关闭"},
            {FrameText::port(P::Lost, "COM3", 0, Language::English),
             FrameText::port(P::Lost, "COM3", 0, Language::SimplifiedChinese), "port COM3 lost|串口 COM3 已丢失"},
        };
        for (const auto &[english, chinese, expected] : cases)
            QCOMPARE(english + QLatin1Char('|') + chinese, expected);
    }

    void hexAndStatusTraffic()
    {
        QCOMPARE(FrameText::hex(cmd(5, 0x0005, 0x0A, 0xDD)), QStringLiteral("9A 05 05 00 0A DD D7"));
        QCOMPARE(FrameText::hex({}), QString());
        QVERIFY(FrameText::isStatusTraffic(cmd(5, 1, 0xCC, 0)));
        QVERIFY(FrameText::isStatusTraffic(answer(5, 1, 0, 0, 0, 37, 0x02)));
        QVERIFY(!FrameText::isStatusTraffic(cmd(5, 1, 0x0A, 0xCC)));  // Stop, not a poll
        QVERIFY(!FrameText::isStatusTraffic(cmd(5, 1, 0xCA, 0xCA)));
        QVERIFY(!FrameText::isStatusTraffic(answer(5, 1, 3, 0, 100, 0xCA, 0x40)));
        QVERIFY(!FrameText::isStatusTraffic(answer(5, 1, 4, 1, 1, 0xCB, 0x02)));
        QVERIFY(!FrameText::isStatusTraffic(QByteArray("\xD8\x01", 2)));
    }

    // Every phrase exists in the third language too, with the same blanks to fill.
    void traditionalChineseHasEveryWord()
    {
        for (const LanguageRow &row : LanguageTable()) {
            if (row.window != Window::Monitor || row.property != Property::Word)
                continue;
            const QString simplified = QString::fromUtf8(row.value(Language::SimplifiedChinese));
            for (Language lang : {Language::English, Language::TraditionalChinese}) {
                const QString other = QString::fromUtf8(row.value(lang));
                QVERIFY2(!other.isEmpty(), row.objectName);
                for (int n = 1; n <= 3; ++n)
                    QVERIFY2(simplified.contains(QStringLiteral("%%1").arg(n)) == other.contains(QStringLiteral("%%1").arg(n)),
                             row.objectName);
            }
        }
        QCOMPARE(FrameText::received(answer(1, 1, 0, 0, 0, 37, 0x02 | 0x04 | 0x10), Language::TraditionalChinese),
                 QStringLiteral("狀態：37 %，位置已知，限位點 1 和 3"));
    }
};

QTEST_GUILESS_MAIN(TestFrameText)
#include "tst_frame_text.moc"
