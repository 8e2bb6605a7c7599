// Keyboard filters shared by the windows.
#pragma once

#include <QObject>

// Lets only backspace and the digits 0..9 through to the watched widget (an
// ID list's keyboard search, a numeric edit); every other character is
// dropped before the widget sees it.  Navigation keys pass.
class DigitKeyFilter : public QObject {
public:
    using QObject::QObject;
    static bool allows(QChar c) { return c == QChar(0x08) || (c >= u'0' && c <= u'9'); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
