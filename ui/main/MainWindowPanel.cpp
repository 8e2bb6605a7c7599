// The main window, continued: its control panel's mouse handling (ID and
// channel choice, the motor commands, the position slider and the hover
// feedback of the pictures).  These are MainWindow's handlers, declared in
// MainWindow.h; MainWindow.cpp builds the window and its menus.
#include "MainWindow.h"

#include "Frames.h"
#include "Messages.h"
#include "PanelLayout.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWindow>

#include <functional>
#include <utility>

namespace {

// Buttons that stage a motor command with function 0A.  Up, stop and down
// also end a slider target; learn and delete leave it alone.
struct CommandButton {
    const char *label;
    const char *idle;
    const char *hover;
    const char *caption; // caption label pressed along with the hover picture
    Byte data;
    bool endsTarget;
};

constexpr CommandButton commandButtons[] = {
    {"Label_shang", "Image_shang_dis", "Image_shang_en", nullptr, Frame::Up, true},
    {"Label_ting", "Image_ting_zhi_dis", "Image_ting_zhi_en", nullptr, Frame::Stop, true},
    {"Label_xia", "Image_xia_dis", "Image_xia_en", nullptr, Frame::Down, true},
    {"Label_dui_ma", "Image_dui_ma_dis", "Image_dui_ma_en", "Label_dui_ma_b", Frame::Learn, false},
    {"Label_shan_ma", "Image_shan_ma_dis", "Image_shan_ma_en", "Label_shan_ma_b", Frame::Delete, false},
};

// Pairs of idle and hover pictures that the background restores.
constexpr const char *idleHoverPairs[][2] = {
    {"Image_quan_pin_dis", "Image_quan_pin_en"},
    {"Image_shang_dis", "Image_shang_en"},
    {"Image_ting_zhi_dis", "Image_ting_zhi_en"},
    {"Image_xia_dis", "Image_xia_en"},
    {"Image_dui_ma_dis", "Image_dui_ma_en"},
    {"Image_shan_ma_dis", "Image_shan_ma_en"},
};

QString numbered(const char *prefix, int n)
{
    return QLatin1String(prefix) + QString::number(n);
}

const QColor Grey(128, 128, 128);
const QColor Silver(192, 192, 192);
const QColor ActiveBorder(180, 180, 180); // the desktop's active-border colour

// Runs onMove for every pointer move over a box, also while the box is
// disabled: a disabled widget drops mouse events in its own event handling,
// after its event filters have seen them.
class MoveRelay : public QObject {
public:
    MoveRelay(QWidget *box, std::function<void()> onMove) : QObject(box), m_onMove(std::move(onMove))
    {
        box->setMouseTracking(true); // moves with no button held reach the box at all
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove)
            m_onMove();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onMove;
};

// Asked for on every status answer, mostly with the shape already there;
// setCursor would set it on the window system again each time.
void setCursorShape(QWidget *widget, Qt::CursorShape shape)
{
    if (widget->cursor().shape() != shape)
        widget->setCursor(shape);
}

} // namespace

void MainWindow::wirePanel()
{
    auto on = [this](const QString &name) { return item(name); };

    for (int n = 1; n <= 16; ++n) {
        PanelItem *label = on(numbered("Label_ch", n));
        label->onPress = [this, n](QMouseEvent *) { channelPress(n); };
        label->onRelease = [this, n](QMouseEvent *) { channelRelease(n); };
        label->onMove = [this, n](QMouseEvent *) { channelHover(n); };
    }
    for (int b = 0; b < int(std::size(commandButtons)); ++b) {
        PanelItem *label = on(QLatin1String(commandButtons[b].label));
        label->onPress = [this, b](QMouseEvent *) { commandPress(b); };
        label->onRelease = [this, b](QMouseEvent *) { commandRelease(b); };
        label->onMove = [this, b](QMouseEvent *) { commandHover(b); };
    }
    for (int n = 1; n <= 4; ++n) {
        PanelItem *label = on(numbered("Label_XWD", n));
        m_limitPoints[n - 1] = {label, on(numbered("Image_XWD", n)), on(numbered("ImageEnXWD", n)),
                                on(numbered("ImageSelectXWD", n))};
        label->onPress = [this, n](QMouseEvent *) { limitPointPress(n); };
        label->onRelease = [this, n](QMouseEvent *) { limitPointRelease(n); };
        label->onMove = [this, label](QMouseEvent *) { bringToFront(label); };
    }
    PanelItem *fullRange = on("Label_quan_ping");
    fullRange->onPress = [this](QMouseEvent *) { Label_quan_pingMouseDown(); };
    fullRange->onRelease = [this](QMouseEvent *) { Label_quan_pingMouseUp(); };
    fullRange->onMove = [this](QMouseEvent *) { Label_quan_pingMouseMove(); };

    PanelItem *track = on("Image_Place");
    track->onPress = [this](QMouseEvent *e) { Image_PlaceMouseDown(int(e->position().x())); };
    track->onRelease = [this](QMouseEvent *) { slideRelease(false); };
    track->onMove = [this](QMouseEvent *) { m_edit4->show(); };
    PanelItem *bar = on("Image_Place_en");
    bar->onPress = [this](QMouseEvent *e) { Image_PlaceMouseDown(int(e->position().x())); };
    bar->onRelease = [this](QMouseEvent *) { slideRelease(true); };
    PanelItem *pointer = on("Image_Place_zhi_zhen");
    pointer->onPress = [this](QMouseEvent *e) {
        Image_Place_zhi_zhenMouseDown(int(e->position().x()), int(e->position().y()));
    };
    pointer->onMove = [this](QMouseEvent *e) { Image_Place_zhi_zhenMouseMove(e->buttons(), int(e->position().x())); };
    pointer->onRelease = [this](QMouseEvent *) { slideRelease(false); };
    m_position = {on("Label4"), on("Label8"), track, bar, pointer};

    PanelItem *background = on("Image_bei_jing");
    background->onPress = [this](QMouseEvent *) { Image_bei_jingMouseDown(); };
    background->onMove = [this](QMouseEvent *) { Image_bei_jingMouseMove(); };
    on("Image_id_ch")->onMove = [this](QMouseEvent *) { Image_id_chMouseMove(); };
    on("Image2")->onMove = [this](QMouseEvent *) { Image2MouseMove(); };
    on("Label_id_select")->onMove = [this](QMouseEvent *) { Label_id_selectMouseMove(); };
    on("Label_COM_SELECTE")->onMove = [this](QMouseEvent *) { Label_COM_SELECTEMouseMove(); };
    // The pointer over a box wakes it as over the frame around it: a user
    // who moves straight onto a greyed box must not have to find its frame.
    new MoveRelay(m_idList, [this] { Label_id_selectMouseMove(); });
    new MoveRelay(m_portList, [this] { Label_COM_SELECTEMouseMove(); });
}

// --- messages of a press ---------------------------------------------------------

void MainWindow::tellOnRelease(const QString &text)
{
    m_releaseMessage = text;
}

void MainWindow::flushReleaseMessage()
{
    if (m_releaseMessage.isEmpty())
        return;
    Messages::post(m_releaseMessage);
    m_releaseMessage.clear();
}

// --- ID and channels ---------------------------------------------------------------

void MainWindow::ComboBox1Change()
{
    const QString itemText = m_idList->itemText(m_idList->currentIndex());
    const QString shown = m_idList->currentText();
    int id = s.TargetId;
    if (!shown.isEmpty())
        id = itemText == s.GroupCaption ? 0 : shown.toInt();
    s.selectTarget(id);
    // The channel pictures follow at the next pass over the panel.
}

void MainWindow::channelPress(int n)
{
    moveBy(numbered("Label_ch", n), 1, 1);
    if (m_idList->currentText().isEmpty()) {
        tellOnRelease(s.MsgSelectId);
        return;
    }
    ChannelMask &mask = s.currentMask();
    mask.toggle(n);
    const bool selected = mask.channel(n);
    setShown(numbered("ImageSelectCH", n), selected);
    setShown(numbered("ImageCH", n), !selected);
}

void MainWindow::channelRelease(int n)
{
    moveBy(numbered("Label_ch", n), -1, -1);
    flushReleaseMessage();
}

void MainWindow::Label_quan_pingMouseDown()
{
    moveBy(QStringLiteral("Image_quan_pin_en"), 0, 2);
    moveBy(QStringLiteral("Label6"), 0, 2);
    if (m_idList->currentText().isEmpty()) {
        tellOnRelease(s.MsgSelectId);
        return;
    }
    ChannelMask &mask = s.currentMask();
    mask.setWord(mask.word() == 0xFFFF ? 0x0000 : 0xFFFF);
    // The hover over this button redraws the channels.
}

void MainWindow::Label_quan_pingMouseUp()
{
    moveBy(QStringLiteral("Image_quan_pin_en"), 0, -2);
    moveBy(QStringLiteral("Label6"), 0, -2);
    flushReleaseMessage();
}

// --- motor commands -----------------------------------------------------------------

bool MainWindow::commandChecks(Byte function, Byte data)
{
    if (!portUsable()) {
        tellOnRelease(s.MsgSelectPort);
        return false;
    }
    if (m_idList->currentText().isEmpty()) {
        tellOnRelease(s.MsgSelectId);
        return false;
    }
    // Group control may address no channel at all; an ID needs one.
    if (s.currentMask().word() == 0 && s.SelectedIdIndex != 1) {
        tellOnRelease(s.MsgSelectChannel);
        return false;
    }
    m_link.stageMotorCommand(function, data);
    return true;
}

void MainWindow::commandPress(int button)
{
    const CommandButton &b = commandButtons[button];
    moveBy(QLatin1String(b.hover), 0, 2);
    if (b.caption)
        moveBy(QLatin1String(b.caption), 0, 2);
    if (commandChecks(Frame::Motor, b.data) && b.endsTarget) {
        s.PositionTargetActive = 0;
        s.PositionDragging = 0;
    }
}

void MainWindow::commandRelease(int button)
{
    const CommandButton &b = commandButtons[button];
    moveBy(QLatin1String(b.hover), 0, -2);
    if (b.caption)
        moveBy(QLatin1String(b.caption), 0, -2);
    flushReleaseMessage();
}

void MainWindow::limitPointPress(int n)
{
    if (!(s.DeviceStatus & Frame::limitPointBit(n)))
        return; // a point the motor does not have: no offset, no message
    moveBy(numbered("Label_XWD", n), 1, 1);
    moveBy(numbered("ImageSelectXWD", n), 1, 1);
    item(numbered("Label_XWD", n))->pressMoved = true;
    commandChecks(Frame::Motor, Byte(n));
}

void MainWindow::limitPointRelease(int n)
{
    // A status answer may come or go while the button is held: the release
    // undoes what the press did, not what the status says now.
    PanelItem *label = item(numbered("Label_XWD", n));
    if (label->pressMoved) {
        moveBy(numbered("Label_XWD", n), -1, -1);
        moveBy(numbered("ImageSelectXWD", n), -1, -1);
        label->pressMoved = false;
    }
    flushReleaseMessage();
}

// --- position slider ------------------------------------------------------------------

void MainWindow::Image_PlaceMouseDown(int x)
{
    SetPointerLeft(std::min(x, PanelLayout::TrackWidth) + PanelLayout::PointerZero);
    s.PositionTargetActive = 1;
    s.PositionDragging = 1;
}

void MainWindow::Image_Place_zhi_zhenMouseDown(int x, int y)
{
    s.DragAnchorX = x;
    s.DragAnchorY = y;
    s.PositionTargetActive = 1;
    s.PositionDragging = 1;
}

void MainWindow::Image_Place_zhi_zhenMouseMove(Qt::MouseButtons buttons, int x)
{
    if (!(buttons & Qt::LeftButton) || x == s.DragAnchorX || s.PositionTargetActive == 0)
        return;
    const int left = PointerLeft() + (x - s.DragAnchorX);
    // Past either end the pointer stays where it was; it is not pinned to the end.
    if (left >= PanelLayout::DragMin && left <= PanelLayout::DragMax)
        SetPointerLeft(left);
}

void MainWindow::slideRelease(bool fromBar)
{
    if (s.PositionTargetActive == 0)
        return;
    s.PositionDragging = 0;
    Byte data = Byte(PanelLayout::pointerPercent(PointerLeft()));
    // Track and pointer snap the last percent at either end; the bar does not.
    if (!fromBar) {
        if (data < 2)
            data = 0;
        else if (data > 98)
            data = 100;
    }
    m_link.stageMotorCommand(Frame::RunToPosition, data);
}

// --- window and hover -------------------------------------------------------------------

void MainWindow::Image_bei_jingMouseDown()
{
    // Dragging the background moves the window, as its caption would.
    if (QWindow *window = windowHandle())
        window->startSystemMove();
}

void MainWindow::Image_bei_jingMouseMove()
{
    RefreshLimitPointButtons();
    m_edit4->hide();
    setShown(QStringLiteral("Image_id_select"), false);
    setShown(QStringLiteral("Image_COM_EN"), false);
    if (s.PanelHoverLatch == 1) {
        moveBy(QStringLiteral("Label6"), 0, 1);
        s.PanelHoverLatch = 0;
    }
    item(QStringLiteral("Label10"))->setTextColour(Grey);
    item(QStringLiteral("Label9"))->setTextColour(Silver);
    m_portList->setEnabled(false);
    m_idList->setEnabled(false);
    for (const auto &pair : idleHoverPairs) {
        setShown(QLatin1String(pair[0]), true);
        setShown(QLatin1String(pair[1]), false);
    }
    RefreshChannelImages();
}

void MainWindow::Image_id_chMouseMove()
{
    item(QStringLiteral("Label9"))->setTextColour(Qt::white);
    for (const char *name : {"Image_dui_ma", "Image_shan_ma"}) {
        setShown(QLatin1String(name) + QLatin1String("_en"), false);
        setShown(QLatin1String(name) + QLatin1String("_dis"), true);
    }
    setShown(QStringLiteral("Image_quan_pin_dis"), true);
    setShown(QStringLiteral("Image_quan_pin_en"), false);
    if (s.PanelHoverLatch == 1) {
        moveBy(QStringLiteral("Label6"), 0, 1);
        s.PanelHoverLatch = 0;
    }
    RefreshChannelImages();
}

void MainWindow::Image2MouseMove()
{
    item(QStringLiteral("Label10"))->setTextColour(Qt::white);
}

void MainWindow::Label_id_selectMouseMove()
{
    bringToFront(item(QStringLiteral("Label_id_select")));
    setShown(QStringLiteral("Image_id_select"), true);
    m_idList->setEnabled(true);
}

void MainWindow::Label_COM_SELECTEMouseMove()
{
    bringToFront(item(QStringLiteral("Label_COM_SELECTE")));
    setShown(QStringLiteral("Image_COM_EN"), true);
    m_portList->setEnabled(true);
}

void MainWindow::Label_quan_pingMouseMove()
{
    bringToFront(item(QStringLiteral("Label_quan_ping")));
    setShown(QStringLiteral("Image_quan_pin_dis"), false);
    setShown(QStringLiteral("Image_quan_pin_en"), true);
    // The caption rises once, however many move events arrive.
    if (s.PanelHoverLatch == 0) {
        moveBy(QStringLiteral("Label6"), 0, -1);
        s.PanelHoverLatch = 1;
    }
    RefreshChannelImages();
}

void MainWindow::commandHover(int button)
{
    const CommandButton &b = commandButtons[button];
    bringToFront(item(QLatin1String(b.label)));
    setShown(QLatin1String(b.hover), true);
    setShown(QLatin1String(b.idle), false);
}

void MainWindow::channelHover(int n)
{
    for (int k = 1; k <= 16; ++k) {
        setShown(numbered("ImageEnCH", k), false);
        setShown(numbered("ImageCH", k), true);
    }
    setShown(numbered("ImageEnCH", n), true);
    setShown(numbered("ImageCH", n), false);
    if (s.currentMask().channel(n)) {
        setShown(numbered("ImageCH", n), false);
        setShown(numbered("ImageSelectCH", n), true);
    }
}

void MainWindow::RefreshChannelImages()
{
    const ChannelMask &mask = s.currentMask();
    for (int n = 1; n <= 16; ++n) {
        const bool selected = mask.channel(n);
        setShown(numbered("ImageCH", n), !selected);
        setShown(numbered("ImageSelectCH", n), selected);
        if (!selected)
            setShown(numbered("ImageEnCH", n), false);
    }
}

// The points' looks follow the stored-point bits alone, and every status
// answer asks: they are redrawn only when the motor stores or clears one.
void MainWindow::RefreshLimitPointButtons()
{
    int stored = 0;
    for (int n = 1; n <= 4; ++n)
        stored |= (s.DeviceStatus & Frame::limitPointBit(n)) ? 1 << n : 0;
    if (std::exchange(m_limitPointsDrawn, stored) == stored)
        return;
    for (int n = 1; n <= 4; ++n) {
        const bool available = stored & (1 << n);
        const LimitPointItems &point = m_limitPoints[n - 1];
        point.label->setTextColour(available ? QColor(Qt::white) : ActiveBorder);
        setCursorShape(point.label, available ? Qt::PointingHandCursor : Qt::ArrowCursor);
        point.idle->setVisible(!available);
        point.hover->setVisible(false);
        point.selected->setVisible(available);
    }
}
