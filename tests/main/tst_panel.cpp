// The main window's control panel through its real widgets: ID and channel
// choice, motor commands and their checks, the slider, the hover feedback,
// the position display and the port box.
#include "AppFixture.h"
#include "Frames.h"
#include "MotorSim.h"
#include "PortList.h"
#include "PanelLayout.h"
#include "Pty.h"

#include <QLineEdit>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A status answer from motor 1 on channel 1, as the link receives it.
void statusAnswer(App &a, Byte position, Byte status)
{
    std::array<Byte, Frame::ResponseSize> b {Frame::ResponseLead, 1, 0x01, 0x00, 0, 0, 0, position, status, 0};
    b[Frame::ResponseSize - 1] = Frame::xorOf(b.data(), 1, Frame::ResponseSize - 2);
    a.link.actOnAnswer(*Frame::Response::parse(b.data(), Frame::ResponseSize));
}

} // namespace

class PanelTest : public QObject {
    Q_OBJECT
private slots:
    void startState();
    void channelsPerTarget();
    void allChannels();
    void channelPressWithoutId();
    void commandChecksInOrder();
    void commandFramesOnTheWire();
    void pressOffsetsAreUndone();
    void limitPoints();
    void sliderDataBytes_data();
    void sliderDataBytes();
    void sliderDrag();
    void sliderReleaseAfterReport();
    void positionDisplay();
    void hoverPictures();
    void fullRangeCaptionRisesOnce();
    void backgroundDisablesBoxes();
    void limitPointLooks();
    void portBox();
    void portBoxReadAgainWhenOpened();
    void driveSimulatedMotor();
};

void PanelTest::startState()
{
    App a;
    QCOMPARE(a.main.idList()->currentText(), QStringLiteral("群控"));
    QCOMPARE(a.link.target().id, 0);
    QCOMPARE(a.link.channelMemory()[0].word(), std::uint16_t(0));
    for (int id = 1; id <= ChannelMemory::Last; ++id)
        QCOMPARE(a.link.channelMemory()[id].word(), std::uint16_t(1));
    QCOMPARE(a.main.portList()->itemText(a.main.portList()->count() - 1), QStringLiteral("OFF"));
    QCOMPARE(a.main.centralWidget()->size(), QSize(616, 538));
    QVERIFY(!a.shown("Image_Place") && !a.shown("Image_Place_zhi_zhen") && !a.slider().box()->isVisibleTo(&a.main));
    QCOMPARE(a.item("Label3")->text(), QStringLiteral(" ID 选择  "));
    QCOMPARE(a.main.windowTitle(), QStringLiteral("Tavik"));
    QCOMPARE(a.link.motorSettings().deviceBaudCode, Byte(1));
}

void PanelTest::channelsPerTarget()
{
    App a;
    a.main.idList()->setCurrentIndex(5);
    QCOMPARE(a.link.target().id, 5);
    a.click("Label_ch3");
    a.click("Label_ch12");
    QCOMPARE(a.link.target().channels.bytes, (std::array<Byte, 2> {0x05, 0x08}));
    QVERIFY(a.shown("ImageSelectCH12") && !a.shown("ImageCH12"));
    a.main.idList()->setCurrentIndex(6);
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0001));
    a.move("Image_bei_jing"); // the pictures follow at the next pass over the panel
    QVERIFY(!a.shown("ImageSelectCH12") && !a.shown("ImageSelectCH3") && a.shown("ImageSelectCH1"));
    a.main.idList()->setCurrentIndex(5);
    QCOMPARE(a.link.target().channels.bytes, (std::array<Byte, 2> {0x05, 0x08}));
    a.move("Image_id_ch");
    for (int n = 1; n <= 16; ++n)
        QCOMPARE(a.item(qPrintable(QStringLiteral("ImageSelectCH%1").arg(n)))->isVisibleTo(&a.main),
                 n == 1 || n == 3 || n == 12);
    a.main.idList()->setCurrentIndex(99);
    QCOMPARE(a.link.target().id, 99);
    // Pressing twice restores the mask.
    a.click("Label_ch16");
    a.click("Label_ch16");
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0001));
}

void PanelTest::allChannels()
{
    App a;
    a.main.idList()->setCurrentIndex(2);
    for (int n = 2; n <= 15; ++n)
        a.click(qPrintable(QStringLiteral("Label_ch%1").arg(n)));
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x7FFF));
    a.click("Label_quan_ping");
    QCOMPARE(a.link.target().channels.bytes, (std::array<Byte, 2> {0xFF, 0xFF}));
    a.move("Label_quan_ping");
    QVERIFY(a.shown("ImageSelectCH16"));
    a.click("Label_quan_ping");
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0000));
    // In group control the press edits the group's own entry.
    a.main.idList()->setCurrentIndex(0);
    a.click("Label_quan_ping");
    QCOMPARE(a.link.channelMemory()[0].word(), std::uint16_t(0xFFFF));
}

void PanelTest::channelPressWithoutId()
{
    App a;
    auto &messages = a.messages;
    a.main.idList()->setCurrentIndex(-1);
    const QPoint before = a.item("Label_ch4")->pos();
    a.press("Label_ch4");
    QCOMPARE(a.item("Label_ch4")->pos(), before + QPoint(1, 1));
    a.release("Label_ch4");
    QCOMPARE(a.item("Label_ch4")->pos(), before);
    QTRY_COMPARE(messages.texts(), QStringList {a.texts[Message::SelectId]});
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0));
}

void PanelTest::commandChecksInOrder()
{
    Pty pty;
    App a({pty.slavePath()});
    auto &messages = a.messages;
    // Port closed and no ID: only the port message.
    a.main.idList()->setCurrentIndex(-1);
    a.click("Label_shang");
    QTRY_COMPARE(messages.texts(), QStringList {QStringLiteral("     请选择串口号 !     ")});
    QVERIFY(!a.link.outgoing());

    a.choosePortWithoutScan(pty.slavePath()); // no motor here: no scan
    messages.clear();
    a.click("Label_xia");
    QTRY_COMPARE(messages.texts(), QStringList {QStringLiteral("      请选择 ID !      ")});
    messages.clear();
    a.main.idList()->setCurrentIndex(5);
    a.link.setChannels({});
    a.click("Label_xia");
    QTRY_COMPARE(messages.texts(), QStringList {QStringLiteral("     请选择频道 !     ")});
    QVERIFY(!a.link.outgoing());
    // Group control accepts an empty channel set.
    messages.clear();
    a.main.idList()->setCurrentIndex(0);
    a.click("Label_xia");
    QVERIFY(a.link.outgoing());
    QCOMPARE(a.link.outgoing()->function, Byte(0x0A));
    QCOMPARE(a.link.outgoing()->data, Byte(0xEE));
    QCoreApplication::processEvents();
    QCOMPARE(messages.texts(), QStringList {});
}

void PanelTest::commandFramesOnTheWire()
{
    Pty pty;
    App a({pty.slavePath()});
    a.choosePortWithoutScan(pty.slavePath()); // no motor here: no scan
    a.main.idList()->setCurrentIndex(0);
    pty.readAvailable();
    a.click("Label_xia");
    QByteArray got;
    QTRY_COMPARE(got += pty.readAvailable(),
                 QByteArray::fromHex("9A0000000AEEE4"
                                     "9A0000000AEEE4"));

    // Learn and delete leave a slider target alone; stop ends it.
    a.main.idList()->setCurrentIndex(5);
    a.click("Label_ch3");
    a.target.hold(); // a slider target, no longer held
    a.target.letGo();
    a.click("Label_dui_ma");
    QVERIFY(a.target.pending());
    got.clear();
    QTRY_VERIFY((got += pty.readAvailable()).contains(QByteArray::fromHex("9A0505000AAAA0")));
    a.click("Label_ting");
    QVERIFY(!a.target.pending());
    QTRY_VERIFY((got += pty.readAvailable()).contains(QByteArray::fromHex("9A0505000ACCC6")));
}

void PanelTest::pressOffsetsAreUndone()
{
    App a; // no port: every press fails its checks, and still moves
    const struct {
        const char *label;
        const char *moved;
        int dy;
    } rows[] = {
        {"Label_shang", "Image_shang_en", 2},     {"Label_ting", "Image_ting_zhi_en", 2},
        {"Label_xia", "Image_xia_en", 2},         {"Label_dui_ma", "Label_dui_ma_b", 2},
        {"Label_shan_ma", "Image_shan_ma_en", 2}, {"Label_quan_ping", "Label6", 2},
    };
    for (const auto &r : rows) {
        const QPoint before = a.item(r.moved)->pos();
        a.press(r.label);
        QCOMPARE(a.item(r.moved)->pos(), before + QPoint(0, r.dy));
        a.release(r.label);
        QCOMPARE(a.item(r.moved)->pos(), before);
    }
}

void PanelTest::limitPoints()
{
    Pty pty;
    App a({pty.slavePath()});
    auto &messages = a.messages;
    a.choosePortWithoutScan(pty.slavePath());
    a.main.idList()->setCurrentIndex(1);
    const QPoint before = a.item("Label_XWD3")->pos();
    statusAnswer(a, 0, 0x2C); // points 1, 2, 4
    QCOMPARE(a.link.deviceStatus(), Byte(0x2C));
    a.press("Label_XWD3");
    QCOMPARE(a.item("Label_XWD3")->pos(), before);
    a.release("Label_XWD3");
    QVERIFY(!a.link.outgoing());
    QCoreApplication::processEvents();
    QCOMPARE(messages.texts(), QStringList {});

    statusAnswer(a, 0, 0x10);
    QCOMPARE(a.link.deviceStatus(), Byte(0x10));
    a.press("Label_XWD3");
    QCOMPARE(a.item("Label_XWD3")->pos(), before + QPoint(1, 1));
    a.release("Label_XWD3");
    QCOMPARE(a.item("Label_XWD3")->pos(), before);
    QVERIFY(a.link.outgoing());
    QCOMPARE(a.link.outgoing()->function, Byte(0x0A));
    QCOMPARE(a.link.outgoing()->data, Byte(0x03));
}

void PanelTest::sliderDataBytes_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("expected");
    for (const char *c : {"Image_Place", "Image_Place_en"}) {
        const bool bar = QByteArray(c) == "Image_Place_en";
        QTest::addRow("%s x=0", c) << c << 0 << 0;
        QTest::addRow("%s x=3", c) << c << 3 << (bar ? 1 : 0);
        QTest::addRow("%s x=4", c) << c << 4 << 2; // the first percent neither end snaps
        QTest::addRow("%s x=196", c) << c << 196 << 98;
        QTest::addRow("%s x=150", c) << c << 150 << 75;
        QTest::addRow("%s x=198", c) << c << 198 << (bar ? 99 : 100);
        QTest::addRow("%s x=205", c) << c << 205 << 100;
    }
}

void PanelTest::sliderDataBytes()
{
    QFETCH(QString, control);
    QFETCH(int, x);
    QFETCH(int, expected);
    App a;
    a.slider().show(110); // the bar drawn at its widest, 210 pixels
    QCOMPARE(a.item("Image_Place_en")->width(), 210);
    a.press(qPrintable(control), {x, 2});
    QVERIFY(a.target.pending());
    QCOMPARE(a.slider().pointerLeft(), std::min(x, 200) + 339);
    // Held: an answer from the motor right at the target does not end it.
    const Byte target = Byte(a.target.percent());
    statusAnswer(a, target, Frame::StatusPositionKnown);
    QVERIFY(a.target.pending());
    a.release(qPrintable(control), {x, 2});
    QVERIFY(a.link.outgoing());
    QCOMPARE(a.link.outgoing()->function, Byte(0xDD));
    QCOMPARE(int(a.link.outgoing()->data), expected);
    // Let go: an answer right at the target ends it.
    statusAnswer(a, Byte(a.target.percent()), Frame::StatusPositionKnown);
    QVERIFY(!a.target.pending());
}

void PanelTest::sliderDrag()
{
    App a;
    a.slider().show(50);
    a.slider().setPointerLeft(439);
    a.press("Image_Place_zhi_zhen", {7, 8}); // taken hold of at x 7: the moves below count from there
    QCOMPARE(a.slider().pointerLeft(), 439); // a press on the pointer does not move it
    a.move("Image_Place_zhi_zhen", {7, 8}, Qt::LeftButton); // at the point it took hold: no move
    QCOMPARE(a.slider().pointerLeft(), 439);
    a.move("Image_Place_zhi_zhen", {7 + 60, 8}, Qt::LeftButton);
    QCOMPARE(a.slider().pointerLeft(), 499);
    a.move("Image_Place_zhi_zhen", {7 + 100, 8}, Qt::LeftButton); // past the end: stays
    QCOMPARE(a.slider().pointerLeft(), 499);
    a.move("Image_Place_zhi_zhen", {7 + 40, 8}, Qt::LeftButton);
    QCOMPARE(a.slider().pointerLeft(), 539);
    a.move("Image_Place_zhi_zhen", {7 - 30, 8}); // no button held: nothing
    QCOMPARE(a.slider().pointerLeft(), 539);
    a.move("Image_Place_zhi_zhen", {7 - 199, 8}, Qt::LeftButton);
    QCOMPARE(a.slider().pointerLeft(), 340); // the smallest edge a drag reaches
    a.release("Image_Place_zhi_zhen", {7, 8});
    QCOMPARE(int(a.link.outgoing()->data), 0);
}

void PanelTest::sliderReleaseAfterReport()
{
    App a;
    const struct {
        int reported;
        int sent;
    } rows[] = {{0, 0}, {1, 0}, {2, 2}, {37, 37}, {98, 98}, {99, 100}};
    for (const auto &r : rows) {
        a.target.drop();
        a.slider().setPointerLeft(339 + 2 * r.reported);
        a.press("Image_Place_zhi_zhen");
        a.release("Image_Place_zhi_zhen");
        QCOMPARE(int(a.link.outgoing()->data), r.sent);
    }
}

void PanelTest::positionDisplay()
{
    Pty pty;
    App a({pty.slavePath()});
    a.choosePortWithoutScan(pty.slavePath());
    pty.write(QByteArray::fromHex("D8010100000000250227") + QByteArray(1, '\0'));
    QTRY_VERIFY(a.shown("Image_Place_zhi_zhen"));
    QCOMPARE(a.slider().pointerLeft(), 413);
    QCOMPARE(a.item("Image_Place_en")->width(), 74);
    QCOMPARE(a.slider().box()->text(), QStringLiteral(" 37 %"));
    QVERIFY(a.shown("Label4") && a.shown("Label8") && a.shown("Image_Place"));
    QVERIFY(!a.slider().box()->isVisibleTo(&a.main)); // only once the mouse is over the track
    a.move("Image_Place");
    QVERIFY(a.slider().box()->isVisibleTo(&a.main));
    a.move("Image_bei_jing");
    QVERIFY(!a.slider().box()->isVisibleTo(&a.main));
    // A report without a known position hides it all.
    pty.write(QByteArray::fromHex("D8010100000000250025") + QByteArray(1, '\0'));
    QTRY_VERIFY(!a.shown("Image_Place_zhi_zhen"));
    QVERIFY(!a.shown("Label4") && !a.shown("Image_Place_en"));
}

void PanelTest::hoverPictures()
{
    App a;
    a.main.idList()->setCurrentIndex(1); // channel 1 selected
    a.move("Image_bei_jing");
    a.move("Label_ch1");
    QVERIFY(a.shown("ImageSelectCH1"));
    QVERIFY(a.item("ImageSelectCH1")->geometry().intersects(a.item("ImageEnCH1")->geometry()));
    // The selected picture lies above the hover picture of its cell.
    QWidget *panel = a.main.centralWidget();
    QVERIFY(panel->children().indexOf(a.item("ImageSelectCH1")) > panel->children().indexOf(a.item("ImageEnCH1")));
    a.move("Label_ch2");
    QVERIFY(a.shown("ImageEnCH2") && !a.shown("ImageCH2"));
    QVERIFY(!a.shown("ImageEnCH1"));
    a.move("Label_ch5");
    QVERIFY(!a.shown("ImageEnCH2") && a.shown("ImageCH2") && a.shown("ImageEnCH5"));
    // Command buttons swap idle and hover pictures; the background restores them.
    a.move("Label_shang");
    QVERIFY(a.shown("Image_shang_en") && !a.shown("Image_shang_dis"));
    a.move("Image_bei_jing");
    QVERIFY(!a.shown("Image_shang_en") && a.shown("Image_shang_dis"));
    QVERIFY(!a.shown("ImageEnCH5"));
    // Hovering a limit point changes no picture.
    a.move("Label_XWD2");
    QVERIFY(a.shown("Image_XWD2") && !a.shown("ImageEnXWD2"));
}

void PanelTest::fullRangeCaptionRisesOnce()
{
    App a;
    const int top = a.item("Label6")->y();
    for (int i = 0; i < 5; ++i)
        a.move("Label_quan_ping", {10 + i, 5});
    QCOMPARE(a.item("Label6")->y(), top - 1);
    QVERIFY(a.shown("Image_quan_pin_en"));
    a.move("Label_ch3"); // straight onto a channel: still raised
    QCOMPARE(a.item("Label6")->y(), top - 1);
    a.move("Image_bei_jing");
    QCOMPARE(a.item("Label6")->y(), top);
    a.move("Image_bei_jing");
    QCOMPARE(a.item("Label6")->y(), top);
}

void PanelTest::backgroundDisablesBoxes()
{
    App a;
    QVERIFY(a.main.idList()->isEnabled() && a.main.portList()->isEnabled());
    a.move("Image_bei_jing");
    QVERIFY(!a.main.idList()->isEnabled() && !a.main.portList()->isEnabled());
    a.move("Label_COM_SELECTE");
    QVERIFY(a.main.portList()->isEnabled() && !a.main.idList()->isEnabled());
    QVERIFY(a.shown("Image_COM_EN"));
    a.move("Label_id_select");
    QVERIFY(a.main.idList()->isEnabled());
    // The boxes stay above their hit labels, so they can still be clicked.
    QWidget *panel = a.main.centralWidget();
    QCOMPARE(panel->childAt(PanelLayout::PortBox.center()), static_cast<QWidget *>(a.main.portList()));
    QCOMPARE(panel->childAt(PanelLayout::IdBox.center()), static_cast<QWidget *>(a.main.idList()));
}

void PanelTest::limitPointLooks()
{
    App a;
    statusAnswer(a, 0, 0x08); // point 2 only
    a.main.limitPoints()->refresh();
    for (int n = 1; n <= 4; ++n) {
        const bool on = n == 2;
        PanelItem *label = a.item(qPrintable(QStringLiteral("Label_XWD%1").arg(n)));
        QCOMPARE(a.item(qPrintable(QStringLiteral("ImageSelectXWD%1").arg(n)))->isVisibleTo(&a.main), on);
        QCOMPARE(a.item(qPrintable(QStringLiteral("Image_XWD%1").arg(n)))->isVisibleTo(&a.main), !on);
        QCOMPARE(label->palette().color(QPalette::WindowText) == Qt::white, on);
        QCOMPARE(label->cursor().shape(), on ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }

    // Every status answer refreshes them, six times a second: the same
    // status must not set their colour or cursor again.
    struct Changes : QObject {
        int count = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            count += e->type() == QEvent::PaletteChange || e->type() == QEvent::CursorChange;
            return false;
        }
    } changes;
    for (int n = 1; n <= 4; ++n)
        a.item(qPrintable(QStringLiteral("Label_XWD%1").arg(n)))->installEventFilter(&changes);
    a.main.limitPoints()->refresh();
    QCOMPARE(changes.count, 0);
    statusAnswer(a, 0, 0x0C); // point 1 comes on: its colour and cursor change
    a.main.limitPoints()->refresh();
    QCOMPARE(changes.count, 2);
}

void PanelTest::portBox()
{
    Pty pty;
    App a({pty.slavePath()});
    QComboBox *box = a.main.portList();
    QCOMPARE(box->itemText(box->count() - 2), pty.slavePath()); // right before OFF
    a.choosePort(pty.slavePath());
    QVERIFY(a.main.serial().isOpen());
    QVERIFY(a.link.portUsable());
    QVERIFY(a.link.isScanning());
    QCOMPARE(pty.lineRateBps(), 2400); // the device's rate from before, then the scan
    QTRY_VERIFY(a.scanStep() >= 2);
    // Choosing it again restarts the scan.
    a.choosePort(pty.slavePath());
    QCOMPARE(a.scanStep(), 0);
    QVERIFY(a.main.serial().isOpen());
    a.choosePort(QStringLiteral("OFF"));
    QVERIFY(!a.main.serial().isOpen());
    QVERIFY(!a.link.portUsable());
    pty.readAvailable();
    App::ticks(3);
    QCOMPARE(pty.readAvailable(), QByteArray());
}

namespace {

QStringList itemsOf(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

} // namespace

// An adapter plugged in after the start shows up when the list is opened;
// the chosen port stays chosen and open, and no change handling runs.
void PanelTest::portBoxReadAgainWhenOpened()
{
    Pty pty; // the adapter in use: it opens for real
    const QString builtIn = QStringLiteral("/dev/ttyS0");
    const QString given = QStringLiteral("/tmp/tavik-given-port");
    QList<PortInfo> present {{builtIn, QString(), QString(), builtIn},
                             {pty.slavePath(), QStringLiteral("CP2102 USB to UART Bridge Controller"),
                              QStringLiteral("Silicon Labs"), pty.slavePath()}};
    PortList::setSource([&] { return present; });
    const auto restore = qScopeGuard([] { PortList::setSource({}); });

    App a({given, builtIn});
    QComboBox *box = a.main.portList();
    // The system's ports join the list once the window is drawn.
    QCOMPARE(itemsOf(box), (QStringList {given, builtIn, QStringLiteral("OFF")}));
    QTRY_COMPARE(itemsOf(box), (QStringList {pty.slavePath(), builtIn, given, QStringLiteral("OFF")}));
    QCOMPARE(box->currentText(), QStringLiteral("OFF"));
    QCOMPARE(box->itemData(0, Qt::ToolTipRole).toString(),
             QStringLiteral("CP2102 USB to UART Bridge Controller\nSilicon Labs\n") + pty.slavePath());
    QCOMPARE(box->itemData(1, Qt::ToolTipRole).toString(), builtIn);
    QCOMPARE(box->itemData(2, Qt::ToolTipRole).toString(), given);

    a.choosePort(pty.slavePath());
    QVERIFY(a.main.serial().isOpen());
    QSignalSpy activated(box, &QComboBox::activated);
    QSignalSpy indexChanged(box, &QComboBox::currentIndexChanged);
    QSignalSpy textChanged(box, &QComboBox::currentTextChanged);

    const QString plugged = QStringLiteral("/dev/ttyUSB0");
    present.append({plugged, QStringLiteral("USB Serial"), QStringLiteral("QinHeng Electronics"), plugged});
    box->showPopup();
    box->hidePopup();
    QCOMPARE(itemsOf(box), (QStringList {pty.slavePath(), builtIn, plugged, given, QStringLiteral("OFF")}));
    QCOMPARE(box->itemData(2, Qt::ToolTipRole).toString(),
             QStringLiteral("USB Serial\nQinHeng Electronics\n") + plugged);
    QCOMPARE(box->currentText(), pty.slavePath());

    // The adapter in use is pulled out: it stays shown, the list does not jump to another port.
    present.removeAt(1);
    box->showPopup();
    box->hidePopup();
    QCOMPARE(itemsOf(box), (QStringList {builtIn, plugged, given, pty.slavePath(), QStringLiteral("OFF")}));
    QCOMPARE(box->currentText(), pty.slavePath());
    QCOMPARE(box->itemData(box->currentIndex(), Qt::ToolTipRole).toString(),
             QStringLiteral("CP2102 USB to UART Bridge Controller\nSilicon Labs\n") + pty.slavePath());

    QCOMPARE(activated.count() + indexChanged.count() + textChanged.count(), 0);
    QVERIFY(a.main.serial().isOpen());
    QCOMPARE(a.main.serial().portName(), pty.slavePath());
    QVERIFY(a.link.portUsable());
    QVERIFY(a.messages.texts().isEmpty());
}

void PanelTest::driveSimulatedMotor()
{
    MotorSim sim;
    Motor &m = sim.bus().addMotor(7, 0x0004);
    m.speed = 200; // percent per second: quick enough for a test
    m.limits = {20, -1, -1, -1};
    sim.bus().setBaudCode(2);
    App a({sim.path()});
    a.choosePort(sim.path());
    QTRY_VERIFY_WITH_TIMEOUT(!a.link.isScanning(), 5000);
    QCOMPARE(a.main.serial().bitsPerSecond(), 4800);
    QCOMPARE(a.link.target().id, 7);
    QCOMPARE(a.main.idList()->currentText(), QStringLiteral("7"));
    QCOMPARE(a.link.target().channels.word(), std::uint16_t(0x0004));
    // The status poll shows the motor's position and its limit point.
    QTRY_VERIFY_WITH_TIMEOUT(a.shown("Image_Place_zhi_zhen"), 3000);
    QTRY_VERIFY(a.shown("ImageSelectXWD1"));
    a.click("Label_xia");
    QTRY_COMPARE_WITH_TIMEOUT(a.slider().box()->text(), QStringLiteral(" 100 %"), 5000);
    QTRY_COMPARE(a.slider().pointerLeft(), 539);
    a.click("Label_shang");
    QTRY_COMPARE_WITH_TIMEOUT(a.slider().box()->text(), QStringLiteral(" 0 %"), 5000);
    QCOMPARE(sim.bus().motors().first().position, 0.0);
}

QTEST_MAIN(PanelTest)
#include "tst_panel.moc"
