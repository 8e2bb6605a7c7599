// One setting of the motor on a settings tab, driven by its table: radio
// boxes that each stand for a value of one stored byte (or of some of its
// bits), optionally a track edit or a list for a value no box stands for,
// and a note for a reported value no control can show.
//
// A click on a box (or a choice in the list) stores its value; show() puts
// the stored value onto the controls as a report does; restore() stores the
// setting's default and shows it.
#pragma once

#include "SettingsTable.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QComboBox;
class QLabel;
class QRadioButton;
class TrackEdit;

class RadioPage : public QObject {
    Q_OBJECT
public:
    // The value of the box that stands for its track edit's value.
    static constexpr int FreeValue = -1;

    using Field = Byte SettingValues::*;
    RadioPage(SettingValues &values, Field field, Byte fallback, QObject *parent);

    // A box standing for value within the bits of mask.
    void addBox(QRadioButton *box, int value, Byte mask = 0xFF);
    // The track edit whose value the FreeValue box stands for.
    void setFreeEdit(TrackEdit *edit);
    // A list whose item i stands for firstValue + i.
    void setList(QComboBox *list, int firstValue);
    // Asked before a choice in the list is stored; false keeps the store.
    void setListGuard(std::function<bool()> guard) { m_listGuard = std::move(guard); }
    // The label that tells a reported value no control can show.
    void setNote(QLabel *note, std::function<QString(int)> text);

    void show();
    void restore();

signals:
    // A value was stored, by a control or by restore().
    void valueStored(Byte value);

private:
    struct Box {
        QRadioButton *box;
        int value;
        Byte mask;
    };
    Byte stored() const { return m_values.*m_field; }
    void store(Byte value);
    void pick(const Box &box);
    // Checks a box and stores its value, also when it was checked already.
    void check(const Box &box);
    void uncheckAll(Byte mask);
    void showBits(Byte mask);
    void showInList();
    void showNote(int reported);
    void hideNote();

    SettingValues &m_values;
    const Field m_field;
    const Byte m_fallback;
    std::vector<Box> m_boxes;
    std::vector<Byte> m_masks; // each once, in the order their boxes came
    TrackEdit *m_edit = nullptr;
    QComboBox *m_list = nullptr;
    int m_firstValue = 0;
    std::function<bool()> m_listGuard;
    QLabel *m_note = nullptr;
    std::function<QString(int)> m_noteText;
};
