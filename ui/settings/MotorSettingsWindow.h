// The feature settings window: reads and changes the values a motor keeps in
// its own memory, one tab per setting.
//
// What it shows of the link's reads (the values, the defaults note, the ID
// a scan reported) is kept by SettingsReads from the program's start, so the
// window may be built the first time it is wanted and start as it would
// have had it been built at start.
//
// The window never writes to the port.  A set button stages the write and
// its read-back with the motor link, which sends it and confirms it.  A
// restore button changes only the tab and the window's value.  The window
// edits its own copy of the values (SettingsReads::values); the link's
// reports refresh the fields each report carries and the tabs show them
// (showBasicSettings / showExtendedSettings).  The baud code it stores is also the rate the link
// opens a port at.  Each tab but the ID tab is a RadioPage built from its
// table (SettingsTabs).
//
// The window is enabled exactly while it is open: the transmit tick polls the
// motor's status only while it is disabled.
#pragma once

#include "ChildWindow.h"
#include "MessageTexts.h"
#include "MotorLink.h"
#include "SettingsReads.h"
#include "SettingsTabs.h"

#include <vector>

class ChannelEditor;
class QComboBox;
class QLabel;
class QTabWidget;

class MotorSettingsWindow : public ChildWindow {
    Q_OBJECT
public:
    // Starts from what reads has taken from the link so far.
    MotorSettingsWindow(MotorLink &link, SettingsReads &reads, const MessageTexts &texts, QWidget *mainWindow,
                        QComboBox *mainIdList, QWidget *parent = nullptr);

    // --- called by the main window and on the link's reports ----------------
    // Takes the fields a basic (extended) report carries from reported and
    // shows them; other fields keep their edits.
    void showBasicSettings(const SettingValues &reported);
    void showExtendedSettings(const SettingValues &reported);
    void selectReportedId(int id);
    void refreshChannelButtons();
    void openAfterScan();
    void returnToMainWindow() override;
    // Every tab and value back to its default before a read.
    void resetToDefaults();
    // One tab and value back to its default, as its restore button does.
    void restore(Settings::Item item);

    ChannelEditor &channelEditor() const { return *m_editor; }
    // The values the tabs stand for, as a set button writes them.
    const SettingValues &values() const { return m_reads.values(); }
    // Whether the tabs show defaults because no motor answered the read.
    bool showsDefaults() const;
    // The texts the window sets itself (the defaults note) in the language
    // chosen last; the table sets the others.
    void refreshTexts();

    // A set button: stages the write of its tab's setting, unless the last
    // read heard several motors answer at once (then it says why not).
    void writeSetting(Settings::Item item);

protected:
    void changeEvent(QEvent *event) override;

private:
    struct Setting {
        RadioPage *page;
        Settings::Item item;
    };
    void addIdTab();
    void addSettingTab(const SettingsTabs::Tab &tab);
    void addSetButton(QWidget *page, const char *name, Settings::Item item, QPoint at);
    void showReported(Settings::ReadBack carried);
    void showDefaultsNote();

    // Where the window touches the link and its state.
    void listenToLink();
    QString reportNote(int reported) const;
    bool baudChoiceAllowed();

    const MessageTexts &m_texts;
    MotorLink &m_link;
    SettingsReads &m_reads;
    QTabWidget *m_pages;
    ChannelEditor *m_editor;
    QLabel *m_defaultsNote; // under the tabs while they show defaults, not read values
    std::vector<Setting> m_settings; // in tab order
};
