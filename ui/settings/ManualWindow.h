// The user-manual window: the manual is two pictures, the Chinese page lying
// over the English one; the language switch hides one of them.
#pragma once

#include "ChildWindow.h"

class ManualWindow : public ChildWindow {
    Q_OBJECT
public:
    explicit ManualWindow(QWidget *mainWindow, QWidget *parent = nullptr);
};
