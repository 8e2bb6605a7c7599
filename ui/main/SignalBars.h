// The signal-bars picture in the panel's top right corner, lit as far as the
// answers earn.  It lies over the bars the panel's background draws and
// draws all five itself, so that lit and unlit bars stand apart as clearly
// in the greyed window (a child window open) as in the working one.
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
    QColor shown(const QColor &colour) const;

    int m_bars = 0;
};
