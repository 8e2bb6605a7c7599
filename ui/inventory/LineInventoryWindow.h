// "Motors on this line": runs the line's inventory on the panel's open port
// and lists every motor found (ID, channels, rate, position) and every spot
// where motors answer at once.  Before a search the window takes its ID
// range, channels and rates (the last ones used stay for the session);
// while it runs a bar shows how far it is and about how long is left.
// Choosing a motor hands its ID, channels and rate to the panel and closes
// the window; chosen while the search runs, the search pauses first and
// "continue" later goes on from where it paused.
//
// A dialog over the main window, modal to it: while the inventory moves the
// link's target from motor to motor, no panel button may send a command.
// Escape closes it and stops a running search (a paused one stays paused);
// the link gets back its polling, rate and target (LineInventory).
#pragma once

#include "LanguageTable.h"
#include "LineInventory.h"

#include <QDialog>

#include <optional>

class InventoryOptions;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

class LineInventoryWindow : public QDialog {
    Q_OBJECT
public:
    LineInventoryWindow(MotorLink &link, QWidget *mainWindow);
    ~LineInventoryWindow() override;

    // Shows the window with the last search's options, or the paused
    // search to go on with; a search starts from the window's buttons.
    void showForSearch();
    void setLanguage(Language language);
    // The options a search starts with (tests, a technician's known range).
    void setScope(const LineInventory::Scope &scope);
    LineInventory &inventory() { return m_inventory; }

signals:
    // A motor was chosen: the panel takes its ID, channels and rate (bps).
    void motorChosen(const MotorTarget &motor, int rate);

protected:
    void reject() override;

private:
    void search();
    void goOn();
    void chooseSelected();
    void addEntry(const LineInventory::Entry &entry);
    void showProgress(int done, int total, int id, int motors);
    void showTimeLeft();
    void showEnd(bool complete);
    void showCounts(Word word);
    void updateButtons();
    void applyTexts();
    QString word(Word word) const;

    LineInventory m_inventory;
    LineInventory::Scope m_scope; // the last search's
    Language m_language = Language::SimplifiedChinese;
    InventoryOptions *m_options;
    QLabel *m_status;
    QProgressBar *m_progress;
    QTreeWidget *m_list;
    QPushButton *m_search;
    QPushButton *m_stop;
    QPushButton *m_continue;
    QPushButton *m_choose;
    bool m_searched = false; // a search was started this session
    std::optional<Word> m_statusWord; // what the status shows, kept to follow a language change
    QStringList m_statusArgs;
    std::optional<Word> m_wordBeforePause; // the status a search that goes on shows again
    QStringList m_argsBeforePause;
};
