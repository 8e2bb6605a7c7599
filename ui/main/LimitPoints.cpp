#include "LimitPoints.h"

#include "PanelLink.h"

#include <utility>

namespace {

const QColor ActiveBorder(180, 180, 180); // the desktop's active-border colour

// Asked for on every status answer, mostly with the shape already there;
// setCursor would set it on the window system again each time.
void setCursorShape(QWidget *widget, Qt::CursorShape shape)
{
    if (widget->cursor().shape() != shape)
        widget->setCursor(shape);
}

} // namespace

LimitPoints::LimitPoints(const PanelItems &items, PanelLink &link, BringToFront bringToFront)
    : m_areaCaption(items(QStringLiteral("Label10"))), m_link(link)
{
    for (int n = 1; n <= 4; ++n) {
        Point &p = m_points[n - 1];
        p = {items("Label_XWD", n), items("Image_XWD", n), items("ImageEnXWD", n), items("ImageSelectXWD", n)};
        p.label->onPress = [this, n](QMouseEvent *) { pressed(n); };
        p.label->onRelease = [this, n](QMouseEvent *) { released(n); };
        p.label->onMove = [label = p.label, bringToFront](QMouseEvent *) { bringToFront(label); };
    }
}

void LimitPoints::refresh()
{
    int stored = 0;
    for (int n = 1; n <= 4; ++n)
        stored |= m_link.hasLimitPoint(n) ? 1 << n : 0;
    if (std::exchange(m_drawn, stored) == stored)
        return;
    for (int n = 1; n <= 4; ++n) {
        const bool available = stored & (1 << n);
        const Point &p = m_points[n - 1];
        p.label->setTextColour(available ? QColor(Qt::white) : ActiveBorder);
        setCursorShape(p.label, available ? Qt::PointingHandCursor : Qt::ArrowCursor);
        p.idle->setVisible(!available);
        p.hover->setVisible(false);
        p.selected->setVisible(available);
    }
}

void LimitPoints::enterArea()
{
    m_areaCaption->setTextColour(Qt::white);
}

void LimitPoints::leave()
{
    refresh();
    m_areaCaption->setTextColour(QColor(128, 128, 128));
}

void LimitPoints::pressed(int n)
{
    if (!m_link.hasLimitPoint(n))
        return; // a point the motor does not have: no offset, no message
    const Point &p = m_points[n - 1];
    p.label->moveBy(1, 1);
    p.selected->moveBy(1, 1);
    p.label->pressMoved = true;
    m_link.sendCheckedCommand(Frame::Motor, Byte(n));
}

void LimitPoints::released(int n)
{
    // A status answer may come or go while the button is held: the release
    // undoes what the press did, not what the status says now.
    const Point &p = m_points[n - 1];
    if (std::exchange(p.label->pressMoved, false)) {
        p.label->moveBy(-1, -1);
        p.selected->moveBy(-1, -1);
    }
    m_link.flushReleaseMessage();
}
