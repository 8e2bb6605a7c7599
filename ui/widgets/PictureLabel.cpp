#include "PictureLabel.h"

#include "Pictures.h"

#include <QEvent>

void PictureLabel::setPicture(const QString &name)
{
    m_picture = name;
    m_ratio = 0;
    if (isVisible())
        render();
}

void PictureLabel::render()
{
    m_ratio = devicePixelRatioF();
    setPixmap(Pictures::pixmap(m_picture, m_ratio));
}

bool PictureLabel::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::ScreenChangeInternal:
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
    case QEvent::DevicePixelRatioChange:
#endif
        if (!m_picture.isEmpty() && devicePixelRatioF() != m_ratio)
            render();
        break;
    default: break;
    }
    return QLabel::event(event);
}
