// Lets only backspace and the digits through to a widget: every other
// printable key is swallowed before the widget (and a combo box's keyboard
// search) sees it.  Navigation and control keys pass.
#pragma once

class QWidget;

void acceptDigitKeysOnly(QWidget *widget);
