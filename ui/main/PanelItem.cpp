#include "PanelItem.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>

namespace {

// A screen reader sees a hit label as the button it is and can press it: a
// press and a release at its centre, as a click would bring.
class HitLabelAccessible : public QAccessibleWidget {
public:
    explicit HitLabelAccessible(QWidget *label) : QAccessibleWidget(label, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &action) override
    {
        if (action != pressAction() || !widget()->isEnabled())
            return;
        const QPointF centre = QRectF(widget()->rect()).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
            QMouseEvent event(type, centre, widget()->mapToGlobal(centre), Qt::LeftButton, held, Qt::NoModifier);
            QCoreApplication::sendEvent(widget(), &event);
        }
    }
};

QAccessibleInterface *accessibleHitLabel(const QString &, QObject *object)
{
    auto *item = qobject_cast<PanelItem *>(object);
    return item && item->role() == PanelItem::Role::HitLabel ? new HitLabelAccessible(item) : nullptr;
}

} // namespace

PanelItem::PanelItem(Role role, const QString &name, QWidget *parent) : PictureLabel(parent), m_role(role)
{
    static const bool accessible = (QAccessible::installFactory(accessibleHitLabel), true);
    Q_UNUSED(accessible);
    setObjectName(name);
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    if (role == Role::Caption)
        setAttribute(Qt::WA_TransparentForMouseEvents);
}

// Every press is followed by its release on the same item: Qt keeps the
// mouse grabbed by the pressed widget until the button goes up.
void PanelItem::setTextColour(const QColor &colour)
{
    if (colour == m_textColour)
        return;
    m_textColour = colour;
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
}

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

PanelItem *PanelItems::operator()(const QString &name) const
{
    PanelItem *found = m_items.value(name);
    Q_ASSERT_X(found, "PanelItems", qPrintable(name));
    return found;
}

PanelItem *PanelItems::operator()(const char *prefix, int n) const
{
    return (*this)(QLatin1String(prefix) + QString::number(n));
}
