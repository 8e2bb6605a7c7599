// The main window's port box: says when its list is about to open, so the
// list can be read from the system again and show an adapter plugged in
// after the start.
#pragma once

#include <QComboBox>

class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    using QComboBox::QComboBox;

    void showPopup() override
    {
        emit aboutToShowPopup();
        QComboBox::showPopup();
    }

signals:
    void aboutToShowPopup();
};
