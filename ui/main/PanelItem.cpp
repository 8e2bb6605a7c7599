#include "PanelItem.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

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
        auto *item = static_cast<PanelItem *>(widget());
        item->sendButton(QEvent::MouseButtonPress);
        item->sendButton(QEvent::MouseButtonRelease);
    }
};

bool isPressKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

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
    if (role == Role::HitLabel) {
        setFocusPolicy(Qt::StrongFocus);
        // A key held down repeats: one press, and its release, as a button.
        onKeyPress = [this](QKeyEvent *e) {
            if (!isPressKey(e))
                return false;
            if (!e->isAutoRepeat())
                sendButton(QEvent::MouseButtonPress);
            return true;
        };
        onKeyRelease = [this](QKeyEvent *e) {
            if (!isPressKey(e))
                return false;
            if (!e->isAutoRepeat())
                sendButton(QEvent::MouseButtonRelease);
            return true;
        };
    }
}

void PanelItem::sendButton(QEvent::Type pressOrRelease)
{
    const QPointF centre = QRectF(rect()).center();
    const Qt::MouseButtons held = pressOrRelease == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(pressOrRelease, centre, mapToGlobal(centre), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(this, &event);
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

void PanelItem::keyPressEvent(QKeyEvent *event)
{
    if (!onKeyPress || !onKeyPress(event))
        PictureLabel::keyPressEvent(event);
}

void PanelItem::keyReleaseEvent(QKeyEvent *event)
{
    if (!onKeyRelease || !onKeyRelease(event))
        PictureLabel::keyReleaseEvent(event);
}

void PanelItem::setCaption(const QString &text)
{
    if (m_role != Role::HitLabel) {
        setText(text);
        return;
    }
    m_hitText = text;
    update();
}

// A hit label's text, greyed in a disabled window as a label's text is; the
// focus mark: a dotted frame in the panel's light text colour, drawn over
// the item's picture or over what lies beneath a transparent hit label.
void PanelItem::paintEvent(QPaintEvent *event)
{
    PictureLabel::paintEvent(event);
    if (m_hitText.isEmpty() && !hasFocus())
        return;
    QPainter painter(this);
    if (!m_hitText.isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? foregroundRole() : QPalette::Text));
        // One line, its top on a whole pixel, where QLabel would lay it out.
        const QRectF area = contentsRect();
        const qreal height = QFontMetricsF(font()).height();
        const qreal top = std::floor(area.top() + (area.height() - height) / 2);
        painter.drawText(QRectF(area.left(), top, area.width(), height), Qt::AlignHCenter | Qt::AlignTop, m_hitText);
    }
    if (!hasFocus())
        return;
    painter.setPen(QPen(QColor(232, 244, 255), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
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
