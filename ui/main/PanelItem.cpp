#include "PanelItem.h"

#include <QMouseEvent>

PanelItem::PanelItem(Role role, const QString &name, QWidget *parent)
    : PictureLabel(parent), m_role(role)
{
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    if (role == Role::Caption)
        setAttribute(Qt::WA_TransparentForMouseEvents);
}

// Every press is followed by its release on the same item: Qt keeps the
// mouse grabbed by the pressed widget until the button goes up.
void PanelItem::mousePressEvent(QMouseEvent *event)
{
    if (onPress)
        onPress(event);
    event->accept();
}

void PanelItem::mouseReleaseEvent(QMouseEvent *event)
{
    if (onRelease)
        onRelease(event);
    event->accept();
}

void PanelItem::mouseMoveEvent(QMouseEvent *event)
{
    if (onMove)
        onMove(event);
    event->accept();
}
