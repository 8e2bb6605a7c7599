#include "DigitKeys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QWidget>

namespace {

class DigitKeyFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const QString text = static_cast<QKeyEvent *>(event)->text();
            // Backspace and the control keys carry no printable text.
            const bool digit = text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9';
            if (!text.isEmpty() && text.at(0).isPrint() && !digit)
                return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void acceptDigitKeysOnly(QWidget *widget)
{
    widget->installEventFilter(new DigitKeyFilter(widget));
}
