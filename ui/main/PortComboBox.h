// The main window's port box: says when its list is about to open, so the
// list can be read from the system again and show an adapter plugged in
// after the start.  A port name too long for the box is shown cut at its
// start ("…A50285BI-if00-port0": the end tells adapters apart); the whole
// name is its tool tip, and what a screen reader reads as its value.
#pragma once

#include <QComboBox>

class PortComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit PortComboBox(QWidget *parent = nullptr);

    void showPopup() override;
    // The text the box shows for the chosen port.
    QString shownText() const;

signals:
    void aboutToShowPopup();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect textArea() const;
};
