#include "TrackEdit.h"

#include "DigitKeys.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>

TrackEdit::TrackEdit(int minimum, int maximum, QWidget *parent) : QWidget(parent)
{
    m_field = new QSpinBox(this);
    m_field->setObjectName(QStringLiteral("field"));
    m_field->setRange(minimum, maximum);
    m_field->setButtonSymbols(QAbstractSpinBox::NoButtons);
    m_field->setAlignment(Qt::AlignRight);
    acceptDigitKeysOnly(m_field); // keys reach the spin box, which hands them to its line edit

    m_drop = new QToolButton(this);
    m_drop->setObjectName(QStringLiteral("drop"));
    m_drop->setArrowType(Qt::RightArrow);
    m_drop->setFocusPolicy(Qt::NoFocus);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(m_field, 1);
    row->addWidget(m_drop);

    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setObjectName(QStringLiteral("sliderPopup"));
    m_popup->setFrameShape(QFrame::StyledPanel);
    m_slider = new QSlider(Qt::Horizontal, m_popup);
    m_slider->setObjectName(QStringLiteral("slider"));
    m_slider->setRange(minimum, maximum);
    m_slider->setFixedWidth(180);
    auto *popupRow = new QHBoxLayout(m_popup);
    popupRow->setContentsMargins(6, 4, 6, 4);
    popupRow->addWidget(m_slider);

    connect(m_drop, &QToolButton::clicked, this, &TrackEdit::showSlider);
    connect(m_slider, &QSlider::valueChanged, m_field, &QSpinBox::setValue);
    connect(m_field, &QSpinBox::valueChanged, this, [this](int v) {
        const QSignalBlocker quiet(m_slider);
        m_slider->setValue(v);
        emit valueChanged(v);
    });
    m_slider->setValue(minimum);
}

int TrackEdit::value() const
{
    return m_field->value();
}

void TrackEdit::setValue(int value)
{
    m_field->setValue(value); // the field keeps it within its range
}

void TrackEdit::setTyping(int maxLength)
{
    m_field->setReadOnly(maxLength == 0);
    if (maxLength > 0)
        m_field->findChild<QLineEdit *>()->setMaxLength(maxLength);
}

void TrackEdit::showSlider()
{
    m_popup->adjustSize();
    m_popup->move(mapToGlobal(QPoint(width() + 2, (height() - m_popup->height()) / 2)));
    m_popup->show();
    m_slider->setFocus();
}
