// The signal-bars picture in the panel's top right corner, lit as far as the
// answers earn: the panel's background draws all five bars lit; this item
// lies over them and dims the bars not earned (hidden when all five are).
#pragma once

#include <QWidget>

class SignalBars : public QWidget {
    Q_OBJECT
public:
    explicit SignalBars(QWidget *panel);

    void setBars(int bars); // 0..5
    int bars() const { return m_bars; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_bars = 5;
};
