#include "FocusRing.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace {

// The band's outer edge from the control's edge, outward.
constexpr int Reach = FocusRing::BandWidth + 1;

} // namespace

FocusRing::FocusRing(QWidget *window, const QList<QWidget *> &only) : QWidget(window), m_only(only)
{
    setObjectName(QStringLiteral("FocusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setGeometry(window->rect());
    window->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
}

void FocusRing::follow(QWidget *now)
{
    // A window being closed or destroyed hands the focus around among controls
    // on their way out: only a shown control in a shown window is followed.
    const bool shown = now && now->isVisible() && window()->isVisible();
    const bool marked = m_only.isEmpty() || m_only.contains(now);
    QWidget *target = shown && marked && now != window() && now->window() == window() ? now : nullptr;
    if (target == m_target)
        return;
    if (m_target)
        m_target->removeEventFilter(this);
    update(ringArea());
    m_target = target;
    if (m_target) {
        m_target->installEventFilter(this);
        raise(); // above controls raised or built since
        update(ringArea());
    }
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == window() && type == QEvent::Resize) {
        setGeometry(window()->rect());
    } else if (watched == m_target && m_target) {
        if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide)
            update(); // where it was and where it is now
    }
    return QWidget::eventFilter(watched, event);
}

QRect FocusRing::ringArea() const
{
    if (!m_target || !m_target->isVisible())
        return {};
    const QRect control(m_target->mapTo(window(), QPoint(0, 0)), m_target->size());
    return control.adjusted(-Reach, -Reach, Reach, Reach);
}

void FocusRing::paintEvent(QPaintEvent *)
{
    const QRect outer = ringArea();
    if (outer.isEmpty())
        return;
    const QRect control = outer.adjusted(Reach, Reach, -Reach, -Reach);
    const auto grown = [&](int by) { return QRegion(control.adjusted(-by, -by, by, by)); };
    QPainter painter(this);
    // The space between the control grown by `from` and grown by `to` pixels.
    const auto band = [&](int from, int to, QRgb colour) {
        for (const QRect &r : grown(to).subtracted(grown(from)))
            painter.fillRect(r, QColor(colour));
    };
    band(BandWidth, Reach, Edge);
    band(0, BandWidth, Band);
    band(-1, 0, Edge);
}
