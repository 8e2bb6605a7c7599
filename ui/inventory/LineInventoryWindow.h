// "Motors on this line": runs the line's inventory on the panel's open port
// and lists every motor found (ID, channels, rate, position) and every spot
// where motors answer at once.  Choosing a motor hands its ID, channels and
// rate to the panel and closes the window.
//
// A dialog over the main window, modal to it: while the inventory moves the
// link's target from motor to motor, no panel button may send a command.
// Escape closes it and stops the search; the link gets back its polling,
// rate and target (LineInventory).
#pragma once

#include "LanguageTable.h"
#include "LineInventory.h"

#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;
class QTreeWidget;

class LineInventoryWindow : public QDialog {
    Q_OBJECT
public:
    LineInventoryWindow(MotorLink &link, QWidget *mainWindow);

    // Shows the window and starts a search (the list starts empty).
    void openAndSearch();
    void setLanguage(Language language);
    // Narrows the search (tests, a technician's known range).
    void setScope(const LineInventory::Scope &scope) { m_scope = scope; }
    LineInventory &inventory() { return m_inventory; }

signals:
    // A motor was chosen: the panel takes its ID, channels and rate (bps).
    void motorChosen(const MotorTarget &motor, int rate);

protected:
    void reject() override;

private:
    void search();
    void chooseSelected();
    void addEntry(const LineInventory::Entry &entry);
    void showProgress(int done, int total, int id, int motors);
    void showEnd(bool complete);
    void updateButtons();
    void applyTexts();
    QString word(Word word) const;

    MotorLink &m_link;
    LineInventory m_inventory;
    LineInventory::Scope m_scope;
    Language m_language = Language::SimplifiedChinese;
    QLabel *m_status;
    QTreeWidget *m_list;
    QPushButton *m_search;
    QPushButton *m_stop;
    QPushButton *m_choose;
    std::optional<Word> m_statusWord; // what the status shows, kept to follow a language change
    QStringList m_statusArgs;
};
