// A numeric field with a slider that pops up at its right.
//
// Values set from code or with the slider stay within the range; every change
// of the value emits valueChanged.  The field can be typed into (digits and
// backspace only, a limited number of characters) or be read-only, in which
// case only the slider changes it.
#pragma once

#include <QWidget>

class QFrame;
class QSlider;
class QSpinBox;
class QToolButton;

class TrackEdit : public QWidget {
    Q_OBJECT
public:
    TrackEdit(int minimum, int maximum, QWidget *parent = nullptr);

    int value() const;
    void setValue(int value);
    // maxLength 0 makes the field read-only.
    void setTyping(int maxLength);

    QSlider *slider() const { return m_slider; }
    void showSlider();

signals:
    void valueChanged(int value);

private:
    QSpinBox *m_field;
    QToolButton *m_drop;
    QFrame *m_popup;
    QSlider *m_slider;
};
