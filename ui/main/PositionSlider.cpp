#include "PositionSlider.h"

#include "PanelLayout.h"
#include "PanelLink.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>

PositionSlider::PositionSlider(const PanelItems &items, QWidget *panel, PanelLink &link)
    : m_caption0(items(QStringLiteral("Label4"))), m_caption100(items(QStringLiteral("Label8"))),
      m_track(items(QStringLiteral("Image_Place"))), m_bar(items(QStringLiteral("Image_Place_en"))),
      m_pointer(items(QStringLiteral("Image_Place_zhi_zhen"))), m_box(new QLineEdit(panel)), m_link(link),
      m_target(link.positionTarget())
{
    m_box->setObjectName(QStringLiteral("Edit4"));
    m_box->setGeometry(PanelLayout::PercentBox);
    m_box->setReadOnly(true);
    m_box->setFocusPolicy(Qt::NoFocus);
    m_box->setAlignment(Qt::AlignCenter);
    m_box->setFrame(false);
    m_box->setStyleSheet(QStringLiteral(
        "QLineEdit { background: #0f2233; color: #e8f4ff; border: 1px solid #3d6b8f; border-radius: 3px; font-size: 8pt; }"));

    const auto x = [](QMouseEvent *e) { return int(e->position().x()); };
    m_track->onPress = [this, x](QMouseEvent *e) { trackPressed(x(e)); };
    m_track->onRelease = [this](QMouseEvent *) { released(false); };
    m_track->onMove = [this](QMouseEvent *) { m_box->show(); };
    m_bar->onPress = [this, x](QMouseEvent *e) { trackPressed(x(e)); };
    m_bar->onRelease = [this](QMouseEvent *) { released(true); };
    m_pointer->onPress = [this, x](QMouseEvent *e) { pointerPressed(x(e)); };
    m_pointer->onMove = [this, x](QMouseEvent *e) { pointerDragged(e->buttons(), x(e)); };
    m_pointer->onRelease = [this](QMouseEvent *) { released(false); };
    // The keys move the pointer as a drag does; its release sends the percent.
    m_pointer->setFocusPolicy(Qt::StrongFocus);
    m_pointer->onKeyPress = [this](QKeyEvent *e) { return keyMoved(e->key()); };
    m_pointer->onKeyRelease = [this](QKeyEvent *e) {
        if (!keyTarget(e->key(), 0))
            return false;
        if (!e->isAutoRepeat())
            released(false);
        return true;
    };
}

// Arrows move by one percent, page keys by ten, Home and End to either end.
std::optional<int> PositionSlider::keyTarget(int key, int percent)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Down: return percent - 1;
    case Qt::Key_Right:
    case Qt::Key_Up: return percent + 1;
    case Qt::Key_PageDown: return percent - 10;
    case Qt::Key_PageUp: return percent + 10;
    case Qt::Key_Home: return 0;
    case Qt::Key_End: return 100;
    default: return std::nullopt;
    }
}

bool PositionSlider::keyMoved(int key)
{
    const std::optional<int> target = keyTarget(key, PanelLayout::pointerPercent(pointerLeft()));
    if (!target)
        return false;
    if (!m_target.pending())
        m_target.hold();
    setPointerLeft(PanelLayout::pointerLeft(std::clamp(*target, 0, 100)));
    return true;
}

void PositionSlider::hide()
{
    for (PanelItem *part : parts())
        part->hide();
    m_box->hide();
}

void PositionSlider::show(int percent)
{
    // Every status answer comes here, mostly with the same percent: only what
    // changed is touched (an equal text would still reset the edit's cursor).
    if (percent != m_shownPercent) {
        m_shownPercent = percent;
        m_box->setText(QStringLiteral(" %1 %").arg(percent));
        m_bar->resize(std::min(2 * percent, PanelLayout::BarMaxWidth), PanelLayout::BarHeight);
    }
    for (PanelItem *part : parts())
        if (part->isHidden())
            part->show();
}

void PositionSlider::follow(int percent, Byte status)
{
    if (!m_target.keepsPointer(percent, status))
        setPointerLeft(PanelLayout::pointerLeft(percent));
    show(percent);
}

void PositionSlider::hideBox()
{
    m_box->hide();
}

int PositionSlider::pointerLeft() const
{
    return m_pointer->x();
}

void PositionSlider::setPointerLeft(int left)
{
    if (m_pointer->x() != left)
        m_pointer->move(left, m_pointer->y());
    m_target.setPercent(PanelLayout::pointerPercent(left));
}

void PositionSlider::trackPressed(int x)
{
    setPointerLeft(std::min(x, PanelLayout::TrackWidth) + PanelLayout::PointerZero);
    m_target.hold();
}

void PositionSlider::pointerPressed(int x)
{
    m_dragAnchorX = x;
    m_target.hold();
}

void PositionSlider::pointerDragged(Qt::MouseButtons buttons, int x)
{
    if (!(buttons & Qt::LeftButton) || x == m_dragAnchorX || !m_target.pending())
        return;
    const int left = pointerLeft() + (x - m_dragAnchorX);
    // Past either end the pointer stays where it was; it is not pinned to the end.
    if (left >= PanelLayout::DragMin && left <= PanelLayout::DragMax)
        setPointerLeft(left);
}

void PositionSlider::released(bool fromBar)
{
    if (!m_target.pending())
        return;
    m_target.letGo();
    Byte data = Byte(PanelLayout::pointerPercent(pointerLeft()));
    // Track and pointer snap the last percent at either end; the bar does not.
    if (!fromBar) {
        if (data < 2)
            data = 0;
        else if (data > 98)
            data = 100;
    }
    m_link.sendMotorCommand(Frame::RunToPosition, data);
}
