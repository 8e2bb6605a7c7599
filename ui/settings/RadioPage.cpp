#include "RadioPage.h"

#include "TrackEdit.h"

#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

RadioPage::RadioPage(SettingValues &values, Field field, Byte fallback, QObject *parent)
    : QObject(parent), m_values(values), m_field(field), m_fallback(fallback)
{
}

void RadioPage::addBox(QRadioButton *box, int value, Byte mask)
{
    const std::size_t index = m_boxes.size();
    m_boxes.push_back({box, value, mask});
    if (std::find(m_masks.begin(), m_masks.end(), mask) == m_masks.end())
        m_masks.push_back(mask);
    // Checking a box from code stores its value, as a click does.
    connect(box, &QRadioButton::toggled, this, [this, index](bool on) {
        if (on)
            pick(m_boxes[index]);
    });
}

void RadioPage::setFreeEdit(TrackEdit *edit)
{
    m_edit = edit;
    connect(edit, &TrackEdit::valueChanged, this, [this](int value) { store(Byte(value)); });
}

void RadioPage::setList(QComboBox *list, int firstValue)
{
    m_list = list;
    m_firstValue = firstValue;
    connect(list, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_listGuard && !m_listGuard())
            return;
        // No item: the "no item" state of an out-of-range report, whose
        // value stays what the device said.
        if (index < 0)
            return;
        store(Byte(m_firstValue + index));
        hideNote();
    });
}

void RadioPage::setNote(QLabel *note, std::function<QString(int)> text)
{
    m_note = note;
    m_noteText = std::move(text);
}

void RadioPage::show()
{
    if (m_list)
        showInList();
    for (Byte mask : m_masks)
        showBits(mask);
}

void RadioPage::restore()
{
    store(m_fallback); // the whole byte: bits no box shows are cleared too
    show();
}

void RadioPage::store(Byte value)
{
    m_values.*m_field = value;
    emit valueStored(value);
}

void RadioPage::pick(const Box &box)
{
    const bool free = box.value == FreeValue;
    if (m_edit)
        m_edit->setEnabled(free);
    const int value = free ? m_edit->value() : box.value;
    store(Byte((stored() & ~box.mask) | value));
    hideNote();
}

void RadioPage::check(const Box &box)
{
    if (box.box->isChecked())
        pick(box); // toggled would not fire again
    else
        box.box->setChecked(true);
}

// Leaves the boxes of mask with none checked (auto-exclusive boxes refuse to
// be unchecked otherwise).
void RadioPage::uncheckAll(Byte mask)
{
    for (const Box &b : m_boxes) {
        if (b.mask != mask)
            continue;
        b.box->setAutoExclusive(false);
        b.box->setChecked(false);
        b.box->setAutoExclusive(true);
    }
}

void RadioPage::showBits(Byte mask)
{
    const int value = stored() & mask;
    const auto stands = [&](const Box &b) { return b.mask == mask && b.value == value; };
    if (const auto it = std::find_if(m_boxes.begin(), m_boxes.end(), stands); it != m_boxes.end()) {
        check(*it);
        return;
    }
    const auto free = std::find_if(m_boxes.begin(), m_boxes.end(), [](const Box &b) { return b.value == FreeValue; });
    if (m_edit && free != m_boxes.end()) {
        m_edit->setEnabled(true);
        m_edit->setValue(value); // kept within the edit's range
        check(*free); // stores the kept value
        if (m_edit->value() != value)
            showNote(value);
        return;
    }
    uncheckAll(mask);
    showNote(value);
}

void RadioPage::showInList()
{
    const int value = stored();
    const int index = value - m_firstValue;
    const QSignalBlocker quiet(m_list); // the value is stored already
    if (index >= 0 && index < m_list->count()) {
        m_list->setCurrentIndex(index);
        hideNote();
    } else {
        // No item stands for it: show the number itself instead of an item.
        m_list->setPlaceholderText(QString::number(value));
        m_list->setCurrentIndex(-1);
        showNote(value);
    }
}

void RadioPage::showNote(int reported)
{
    if (!m_note)
        return;
    m_note->setText(m_noteText(reported));
    m_note->show();
}

void RadioPage::hideNote()
{
    if (m_note)
        m_note->hide();
}
