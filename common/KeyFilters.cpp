#include "KeyFilters.h"

#include <QKeyEvent>

bool DigitKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString text = key->text();
        // Only typed characters are filtered; arrows, page keys and Enter keep working.
        if (key->key() != Qt::Key_Backspace && !text.isEmpty() && text.at(0).isPrint()
            && !allows(text.at(0)))
            return true;
    }
    return QObject::eventFilter(watched, event);
}
