// The serial settings window: reopens the port at a chosen rate.  The port
// box is shown but not applied, and the device's baud code is not changed.
#pragma once

#include "ChildWindow.h"
#include "SharedState.h"

class QComboBox;
class TComm;

class TForm3 : public ChildWindow {
    Q_OBJECT
public:
    TForm3(SharedState &state, TComm &comm, QWidget *mainWindow, QWidget *parent = nullptr);

    void FormCreate();
    void SetComboBoxChange(); // either box

private:
    SharedState &s;
    TComm &m_comm;
    QComboBox *m_rateList;
    QComboBox *m_portList;
};
