// The serial settings window: reopens the port at a chosen rate.  The port
// box is shown but not applied, and the device's baud code is not changed.
#pragma once

#include "ChildWindow.h"
#include "MotorLink.h"

class QComboBox;

class LineRateWindow : public ChildWindow {
    Q_OBJECT
public:
    LineRateWindow(MotorLink &link, QWidget *mainWindow, QWidget *parent = nullptr);

    void FormCreate();
    void SetComboBoxChange(); // either box

private:
    MotorLink &m_link;
    QComboBox *m_rateList;
    QComboBox *m_portList;
};
