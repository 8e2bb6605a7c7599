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

QByteArray answer(quint16 mask, quint8 v4, quint8 v5, quint8 v6, quint8 type, quint8 status, int id = 1)
{
    return MotorBus::responseFrame(id, mask, v4, v5, v6, type, status);
}

QByteArray spoilt(QByteArray frame)
{
    frame[frame.size() - 1] = char(frame.back() ^ 0x01);
    return frame;
}

} // namespace

class FrameTextTest : public QObject {
    Q_OBJECT

private slots:
    void frames_data()
    {
        QTest::addColumn<bool>("sent");
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("chinese");
        auto row = [](const char *name, bool sent, const QByteArray &frame, const char *en, const char *zh) {
            QTest::newRow(name) << sent << frame << QString::fromUtf8(en) << QString::fromUtf8(zh);
        };
        row("up", true, cmd(5, 0x0005, 0x0A, 0xDD), "Up — ID 5, channels 1, 3", "上行 — ID 5，频道 1、3");
        row("stop, channel 16", true, cmd(99, 0x8000, 0x0A, 0xCC), "Stop — ID 99, channel 16", "停止 — ID 99，频道 16");
        row("limit point", true, cmd(7, 0xFFFF, 0x0A, 0x02), "run to limit point 2 — ID 7, all channels",
            "运行到中间限位点 2 — ID 7，全频");
        row("other motor command", true, cmd(7, 1, 0x0A, 0x33), "motor command 33 — ID 7, channel 1",
            "电机命令 33 — ID 7，频道 1");
        row("run to", true, cmd(1, 0x0100, 0xDD, 50), "run to 50 % — ID 1, channel 9", "运行到 50 % — ID 1，频道 9");
        row("poll", true, cmd(5, 1, 0xCC, 0), "status poll — ID 5, channel 1", "状态查询 — ID 5，频道 1");
        row("read, group", true, cmd(0, 0, 0xCA, 0xCA), "read basic settings — group control, no channel",
            "读基本设置 — 群控，无频道");
        row("force id", true, cmd(4, 3, 0xAA, 0xAA), "force ID and channels — ID 4, channels 1, 2",
            "强制设置 ID 与频道 — ID 4，频道 1、2");
        row("speed", true, cmd(3, 1, 0xD9, 100), "write speed 100 rpm — ID 3, channel 1",
            "写转速 100 rpm — ID 3，频道 1");
        row("flags", true, cmd(3, 1, 0xD5, 0xC0), "write curtain functions C0 — ID 3, channel 1",
            "写开合帘功能 C0 — ID 3，频道 1");
        row("rebound", true, cmd(3, 1, 0xD8, 0xFF), "write rebound: rebound, time not limited — ID 3, channel 1",
            "写遇阻反弹：反弹，不限时间 — ID 3，频道 1");
        row("baud", true, cmd(3, 1, 0xDA, 3), "write baud rate 9600 baud — ID 3, channel 1",
            "写波特率 9600 波特 — ID 3，频道 1");
        row("unknown function", true, cmd(3, 1, 0x55, 1), "unknown function 55, data 01 — ID 3, channel 1",
            "未知功能 55，数据 01 — ID 3，频道 1");
        row("bad command", true, spoilt(cmd(3, 1, 0xD9, 100)), "not a command frame", "不是命令帧");
        row("status", false, answer(1, 0, 0, 0, 37, 0x02 | 0x04 | 0x10),
            "status: 37 %, position known, limit points 1 and 3", "状态：37 %，位置已知，限位点 1 和 3");
        row("running", false, answer(1, 0, 0, 0, 80, 0x02 | 0x04 | 0x08 | 0x20 | 0x40),
            "status: 80 %, position known, limit points 1, 2 and 4, running",
            "状态：80 %，位置已知，限位点 1、2 和 4，运行中");
        row("position unknown", false, answer(1, 0, 0, 0, 0, 0x08), "status: position unknown, limit point 2",
            "状态：位置未知，限位点 2");
        row("basic", false, answer(0x0004, 3, 0, 100, 0xCA, 0x40, 12),
            "basic settings: ID 12, channel 3, 9600 baud, speed 100 rpm, dry-contact mode 0, curtain functions 40",
            "基本设置：ID 12，频道 3，9600 波特，转速 100 rpm，干接点模式 0，开合帘功能 40");
        row("basic, no rate", false, answer(0, 7, 2, 130, 0xCA, 0xC4, 5),
            "basic settings: ID 5, no channel, baud code 7 (no rate), speed 130 rpm, dry-contact mode 2, "
            "curtain functions C4",
            "基本设置：ID 5，无频道，波特率代码 7（无效），转速 130 rpm，干接点模式 2，开合帘功能 C4");
        row("extended", false, answer(1, 10, 3, 0, 0xCB, 0x02),
            "extended settings: jog time 10, sensitivity 3, no rebound", "扩展设置：点动时间 10，遇阻灵敏度 3，不反弹");
        row("bad answer", false, spoilt(answer(1, 0, 0, 0, 37, 0x02)), "not a valid answer", "不是有效应答");
    }

    void frames()
    {
        QFETCH(bool, sent);
        QFETCH(QByteArray, frame);
        QFETCH(QString, english);
        QFETCH(QString, chinese);
        auto decode = sent ? &FrameText::sent : &FrameText::received;
        QCOMPARE(decode(frame, Language::English), english);
        QCOMPARE(decode(frame, Language::SimplifiedChinese), chinese);
    }

    void droppedBytesAndPortEvents()
    {
        using D = MotorLink::Discard;
        using P = MotorLink::PortEvent;
        const auto both = [](auto words) {
            return words(Language::English) + u'|' + words(Language::SimplifiedChinese);
        };
        QCOMPARE(both([](Language l) { return FrameText::discarded(D::BadCheck, 10, l); }),
                 QStringLiteral("invalid: bad check byte, 10 bytes|无效：校验字节错误，10 字节"));
        QCOMPARE(both([](Language l) { return FrameText::discarded(D::Flood, 5000, l); }),
                 QStringLiteral("invalid: flood, dropped, 5000 bytes|无效：字节过多，已丢弃，5000 字节"));
        QCOMPARE(both([](Language l) { return FrameText::port(P::Reopened, QStringLiteral("COM3"), 19200, l); }),
                 QStringLiteral("port COM3 reopened at 19200 baud|串口 COM3 重新打开，19200 波特"));
        QCOMPARE(both([](Language l) { return FrameText::port(P::Lost, QStringLiteral("COM3"), 0, l); }),
                 QStringLiteral("port COM3 lost|串口 COM3 已丢失"));
        QCOMPARE(FrameText::hex(cmd(5, 0x0005, 0x0A, 0xDD)), QStringLiteral("9A 05 05 00 0A DD D7"));
    }

    void statusTraffic()
    {
        QVERIFY(FrameText::isStatusTraffic(cmd(5, 1, 0xCC, 0)));
        QVERIFY(FrameText::isStatusTraffic(answer(1, 0, 0, 0, 37, 0x02)));
        QVERIFY(!FrameText::isStatusTraffic(cmd(5, 1, 0x0A, 0xCC))); // Stop, not a poll
        QVERIFY(!FrameText::isStatusTraffic(answer(1, 3, 0, 100, 0xCA, 0x40)));
        QVERIFY(!FrameText::isStatusTraffic(answer(1, 4, 1, 1, 0xCB, 0x02)));
    }

    // Every phrase exists in the other languages, with the same blanks to fill.
    void everyLanguageHasEveryWord()
    {
        for (const LanguageRow &row : languageRows()) {
            if (row.property != Property::Word)
                continue;
            const QString simplified = QString::fromUtf8(row.value(Language::SimplifiedChinese));
            for (Language lang : {Language::English, Language::TraditionalChinese}) {
                const QString other = QString::fromUtf8(row.value(lang));
                QVERIFY2(!other.isEmpty(), row.objectName);
                for (const char *blank : {"%1", "%2", "%3"})
                    QVERIFY2(simplified.contains(QLatin1String(blank)) == other.contains(QLatin1String(blank)),
                             row.objectName);
            }
        }
    }
};

QTEST_GUILESS_MAIN(FrameTextTest)
#include "tst_frame_text.moc"
