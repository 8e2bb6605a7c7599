// Reports with values outside what the tabs can show, and IDs outside what
// the ID lists hold: every value of every field of the basic and extended
// reports goes through the answer handling into the real settings window,
// which must show what the motor said, or say that it cannot.
#include "FaultKit.h"

#include "ChannelEditor.h"
#include "TrackEdit.h"
#include "Pty.h"

#include <QComboBox>
#include <QLabel>
#include <QtTest>

class ReportRangesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void baudCodeByte();
    void dryContactByte();
    void maxSpeedByte();
    void curtainFunctionsByte();
    void jogTimeByte();
    void sensitivityByte();
    void reboundByte();
    void statusReportBytes();
    void idsAboveRangeEndingAScan();
    void idAboveRangeOverTheWire();

private:
    // Basic report of motor 5 (channel 3) with one byte replaced.
    Frame::Response basic(int byte, Byte value) const;
    Frame::Response extended(int byte, Byte value) const;
    bool checked(const char *radio) const { return control<QRadioButton>(form(), radio)->isChecked(); }
    QLabel *note(int n) const { return control<QLabel>(form(), qPrintable(QStringLiteral("ReportNote%1").arg(n))); }
    bool noteShows(int n, int value) const
    {
        return !note(n)->isHidden() && note(n)->text().contains(QString::number(value));
    }
    MotorSettingsWindow *form() const { return &m_app->w.settingsWindow(); }

    std::unique_ptr<Pty> m_pty;
    std::unique_ptr<App> m_app;
};

// Notes on the tabs: dry contact, speed, jog time, sensitivity.
enum { DryContactNote, SpeedNote, JogNote, SensitivityNote };

void ReportRangesTest::init()
{
    m_pty = std::make_unique<Pty>();
    m_app = std::make_unique<App>(QStringList {m_pty->slavePath()});
    m_app->choosePortWithoutScan(m_pty->slavePath()); // a port, so a bad baud code can reopen it
    m_app->main.idList()->setCurrentIndex(5);
    m_app->link.setChannels(ChannelMask {{0x04, 0x00}});
    m_app->w.settingsWindow().resetToDefaults();
}

void ReportRangesTest::cleanup()
{
    m_app.reset();
    m_pty.reset();
}

Frame::Response ReportRangesTest::basic(int byte, Byte value) const
{
    Frame::Response f = report(5, 0x04, 0x00, 1, 0, 130, 0xCA, 0x40);
    f.b[byte] = value;
    f.b[9] = Frame::xorOf(f.b.data(), 1, 8);
    return f;
}

Frame::Response ReportRangesTest::extended(int byte, Byte value) const
{
    Frame::Response f = report(5, 0x04, 0x00, 4, 1, 1, 0xCB, 0x00);
    f.b[byte] = value;
    f.b[9] = Frame::xorOf(f.b.data(), 1, 8);
    return f;
}

void ReportRangesTest::baudCodeByte()
{
    App &a = *m_app;
    QComboBox *list = control<QComboBox>(form(), "SetComboBox");
    for (int v = 0; v <= 255; ++v) {
        a.main.link().actOnAnswer(basic(Frame::BaudCodeByte, Byte(v)));
        const bool known = v <= 4;
        QCOMPARE(a.link.motorSettings().deviceBaudCode, Byte(known ? v : 1));
        QCOMPARE(list->currentIndex(), known ? v : 1);
        QVERIFY(a.main.serial().isOpen());
        if (!known)
            QCOMPARE(a.main.serial().bitsPerSecond(), 2400); // reopened at the device's default
    }
    QCoreApplication::processEvents();
    QCOMPARE(a.messages.texts(), QStringList {});
}

void ReportRangesTest::dryContactByte()
{
    App &a = *m_app;
    const char *radios[] = {"Normal", "UpStopDownStopLoop", "UpUpStop", "SongShouTing", "RenYiTing"};
    for (int v = 0; v <= 255; ++v) {
        a.main.link().actOnAnswer(basic(Frame::DryContactByte, Byte(v)));
        QCOMPARE(a.link.motorSettings().dryContactMode, Byte(v)); // stored as reported
        for (int mode = 0; mode <= 4; ++mode)
            QCOMPARE(checked(radios[mode]), mode == v);
        if (v <= 4)
            QVERIFY(note(DryContactNote)->isHidden());
        else
            QVERIFY2(noteShows(DryContactNote, v), qPrintable(note(DryContactNote)->text()));
    }
    // Choosing a mode by hand takes the note away.
    form()->openAfterScan();
    control<QRadioButton>(form(), "Normal")->click();
    QCOMPARE(form()->values().dryContactMode, Byte(0));
    QVERIFY(note(DryContactNote)->isHidden());
}

void ReportRangesTest::maxSpeedByte()
{
    App &a = *m_app;
    QWidget *edit = control(form(), "bsSkinTrackEdit1");
    for (int v = 0; v <= 255; ++v) {
        a.main.link().actOnAnswer(basic(Frame::MaxSpeedByte, Byte(v)));
        const bool fixed = v == 80 || v == 100 || v == 130;
        QCOMPARE(checked("RPM80"), v == 80);
        QCOMPARE(checked("RPM100"), v == 100);
        QCOMPARE(checked("RPM130"), v == 130);
        QCOMPARE(checked("ManualSetting"), !fixed);
        QCOMPARE(edit->isEnabledTo(form()), !fixed);
        // The speed that a set would write is the one the tab shows.
        QCOMPARE(int(form()->values().maxSpeed), std::clamp(v, 50, 130));
        if (v < 50 || v > 130)
            QVERIFY2(noteShows(SpeedNote, v), qPrintable(note(SpeedNote)->text()));
        else
            QVERIFY(note(SpeedNote)->isHidden());
    }
}

void ReportRangesTest::curtainFunctionsByte()
{
    App &a = *m_app;
    // Per bit: the radio box that stands for it being clear, and set.
    const struct {
        Byte mask;
        const char *clear;
        const char *set;
    } bits[] = {
        {0x01, "HandStartupOn", "HandStartupOff"},
        {0x02, "DefaultDirection", "OppositeDirection"},
        {0x08, "SlowStartup", "NoSlowStart"},
        {0x10, "Clearance", "gapless"},
        {0x20, "Stop", "MeetPlugb"},
        {0x40, "PowerDownRemamber", "NoRemamber"},
        {0x80, "synchro", "OutSync"},
    };
    for (int v = 0; v <= 255; ++v) {
        a.main.link().actOnAnswer(basic(Frame::CurtainFunctionsByte, Byte(v)));
        QCOMPARE(a.link.motorSettings().curtainFunctions, Byte(v)); // bit 2, without a control, kept too
        for (const auto &bit : bits) {
            QCOMPARE(checked(bit.set), (v & bit.mask) != 0);
            QCOMPARE(checked(bit.clear), (v & bit.mask) == 0);
        }
    }
}

void ReportRangesTest::jogTimeByte()
{
    App &a = *m_app;
    QComboBox *list = control<QComboBox>(form(), "bsSkinComboBox1");
    for (int v = 0; v <= 255; ++v) {
        a.main.link().actOnAnswer(extended(Frame::JogTimeByte, Byte(v)));
        QCOMPARE(a.link.motorSettings().jogTime, Byte(v));
        if (v >= 1 && v <= 10) {
            QCOMPARE(list->currentText(), QString::number(v));
            QVERIFY(note(JogNote)->isHidden());
        } else {
            QCOMPARE(list->currentIndex(), -1); // no item claims a value it does not have
            QVERIFY2(noteShows(JogNote, v), qPrintable(note(JogNote)->text()));
        }
    }
}

void ReportRangesTest::sensitivityByte()
{
    App &a = *m_app;
    const char *radios[] = {"bsSkinCheckRadioBox1", "bsSkinCheckRadioBox2", "bsSkinCheckRadioBox3"};
    for (int v = 0; v <= 255; ++v) {
        a.main.link().actOnAnswer(extended(Frame::SensitivityByte, Byte(v)));
        QCOMPARE(a.link.motorSettings().obstacleSensitivity, Byte(v));
        for (int level = 1; level <= 3; ++level)
            QCOMPARE(checked(radios[level - 1]), level == v);
        if (v >= 1 && v <= 3)
            QVERIFY(note(SensitivityNote)->isHidden());
        else
            QVERIFY2(noteShows(SensitivityNote, v), qPrintable(note(SensitivityNote)->text()));
    }
}

void ReportRangesTest::reboundByte()
{
    App &a = *m_app;
    auto *edit = control<TrackEdit>(form(), "bsSkinTrackEdit2");
    for (int v = 0; v <= 255; ++v) {
        a.main.link().actOnAnswer(extended(Frame::ReboundByte, Byte(v)));
        QCOMPARE(a.link.motorSettings().reboundTime, Byte(v)); // every value has a control
        QCOMPARE(checked("bsSkinCheckRadioBox4"), v == 0);
        QCOMPARE(checked("bsSkinCheckRadioBox5"), v == 255);
        QCOMPARE(checked("bsSkinCheckRadioBox6"), v != 0 && v != 255);
        QCOMPARE(edit->isEnabledTo(form()), v != 0 && v != 255);
        if (v != 0 && v != 255)
            QCOMPARE(edit->value(), v);
    }
}

void ReportRangesTest::statusReportBytes()
{
    App &a = *m_app;
    const SettingValues before = a.link.motorSettings();
    for (int position = 0; position <= 255; ++position) {
        if (position == 0xCA || position == 0xCB)
            continue; // those make it a settings report
        for (int status = 0; status <= 255; status += 3) {
            a.main.link().actOnAnswer(report(5, 0x04, 0x00, 0, 0, 0, Byte(position), Byte(status)));
            QCOMPARE(a.link.deviceStatus(), Byte(status));
            for (int n = 1; n <= 4; ++n)
                QCOMPARE(a.item(qPrintable(QStringLiteral("ImageSelectXWD%1").arg(n)))->isVisibleTo(&a.main),
                         (status & Frame::limitPointBit(n)) != 0);
            if (status & Frame::StatusPositionKnown) {
                QCOMPARE(a.main.positionSlider()->box()->text(), QStringLiteral(" %1 %").arg(position));
                QVERIFY(a.item("Image_Place_en")->width() <= 210);
            } else {
                QVERIFY(!a.shown("Image_Place_zhi_zhen"));
            }
        }
    }
    // Status answers never touch the settings.
    QCOMPARE(a.link.motorSettings().maxSpeed, before.maxSpeed);
    QCOMPARE(a.link.motorSettings().jogTime, before.jogTime);
    QCOMPARE(a.link.target().id, 5);
}

void ReportRangesTest::idsAboveRangeEndingAScan()
{
    App &a = *m_app;
    std::array<std::uint16_t, ChannelMemory::Last + 1> table {};
    for (int id = 0; id <= ChannelMemory::Last; ++id)
        table[id] = a.link.channelMemory()[id].word();
    QComboBox *settingsList = a.w.settingsWindow().channelEditor().idList();
    const int settingsIndex = settingsList->currentIndex();
    for (int id = 100; id <= 255; ++id) {
        a.messages.clear();
        a.link.startSettingsRead(false); // a read is under way
        a.main.link().actOnAnswer(report(Byte(id), 0x3C, 0xA5, 1, 0, 130, 0xCA, 0x40));
        QVERIFY(!a.link.isScanning()); // the read ended
        QVERIFY(a.job<LinkJob::ExtendedRead>()); // and goes on with the extended settings
        a.link.skipExtendedRead();
        QCOMPARE(a.link.target().id, 5);
        QCOMPARE(a.main.idList()->currentText(), QStringLiteral("5"));
        QCOMPARE(settingsList->currentIndex(), settingsIndex);
        for (int other = 0; other <= ChannelMemory::Last; ++other)
            QCOMPARE(a.link.channelMemory()[other].word(), table[other]);
        QTRY_COMPARE(a.messages.texts(), QStringList {a.texts[Message::IdOutOfRange].arg(id)});
    }
    QVERIFY(a.messages.texts().first().contains(QStringLiteral("255")));
    // The highest ID that exists is taken.
    a.messages.clear();
    a.link.startSettingsRead(false);
    a.main.link().actOnAnswer(report(99, 0x3C, 0xA5, 1, 0, 130, 0xCA, 0x40));
    QCOMPARE(a.link.target().id, 99);
    QCOMPARE(a.link.channelMemory()[99].word(), std::uint16_t(0xA53C));
    QCOMPARE(a.main.idList()->currentText(), QStringLiteral("99"));
    QCoreApplication::processEvents();
    QCOMPARE(a.messages.texts(), QStringList {});
}

void ReportRangesTest::idAboveRangeOverTheWire()
{
    cleanup(); // this one talks to a simulated motor instead
    Rig r;
    MotorSim &sim = r.plugIn(150, 0x0003, 2);
    sim.bus().setLenient(true); // a bench motor: it answers the reads for ID 8
    App &a = r.start();
    a.main.idList()->setCurrentIndex(8);
    a.main.openSettings(); // no port: refused
    QCOMPARE(a.messages.texts(), QStringList {a.texts[Message::SelectPort]});
    a.messages.clear();
    scan(a, r.path);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(a.main.serial().bitsPerSecond(), 4800); // the rate the motor answered at is kept
    QCOMPARE(a.link.target().id, 8);
    QCOMPARE(a.main.idList()->currentText(), QStringLiteral("8"));
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0001));
    QTRY_COMPARE(a.messages.texts(), QStringList {a.texts[Message::IdOutOfRange].arg(150)});
    QCOMPARE(countFrames(sim, Frame::ReadExtended, Frame::ReadExtended), 2);
}

QTEST_MAIN(ReportRangesTest)
#include "tst_report_ranges.moc"
