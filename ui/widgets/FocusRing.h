// The focus mark of the secondary windows and the bus monitor: a 2-px white
// band between two 1-px dark lines around whatever control has the keyboard
// focus.  One of the two colours stands out from any control or background
// the skin draws (navy panels, slate or green channel buttons, cyan borders),
// so the mark is seen on every control alike.  It is drawn by a mouse-
// transparent layer over the whole window, kept on top of the controls.
#pragma once

#include <QList>
#include <QRgb>
#include <QPointer>
#include <QWidget>

class FocusRing : public QWidget {
    Q_OBJECT
public:
    static constexpr QRgb Band = 0xffffffff;
    static constexpr QRgb Edge = 0xff0b1220;
    static constexpr int BandWidth = 2;

    // A layer over window, following the focus while it is in that window;
    // given `only`, it marks just those controls (the others in the window
    // draw a mark of their own).
    explicit FocusRing(QWidget *window, const QList<QWidget *> &only = {});

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void follow(QWidget *now);
    QRect ringArea() const; // in this layer's coordinates; empty without a target

    QPointer<QWidget> m_target;
    const QList<QWidget *> m_only;
};
