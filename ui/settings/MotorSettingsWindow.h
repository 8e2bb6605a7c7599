// The feature settings window: reads and changes the values a motor keeps in
// its own memory, one tab per setting.
//
// The window never writes to the port.  A set button stages the write and
// its read-back with the motor link, which sends it and confirms it.  A
// restore button changes only the tab and the stored value.  The link stores
// the device's reports and announces them; the window then puts them on the
// tabs (ShowBasicSettings / ShowExtendedSettings).
//
// The window is enabled exactly while it is open: the transmit tick polls the
// motor's status only while it is disabled.
#pragma once

#include "ChildWindow.h"
#include "MotorLink.h"
#include "SharedState.h"
#include "WrittenSettings.h"

#include <QHash>

#include <array>
#include <functional>

class ChannelEditor;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TrackEdit;

class MotorSettingsWindow : public ChildWindow {
    Q_OBJECT
public:
    MotorSettingsWindow(MotorLink &link, QWidget *mainWindow, QComboBox *mainIdList, QWidget *parent = nullptr);

    // --- called by the main window and on the link's reports ----------------
    void ShowBasicSettings();
    void ShowExtendedSettings();
    void SelectReportedId(int id);
    void RefreshChannelButtons();
    void OpenAfterScan();
    void FormClose() override;
    // Every tab and value back to its default before a read.
    void ResetToDefaults();

    ChannelEditor &channelEditor() const { return *m_editor; }

    // --- handlers --------------------------------------------------------
    // The radio boxes are handled per group, from one table of box and value
    // each (see MotorSettingsWindow.cpp); the track edits store what they show.
    void bsSkinTrackEdit1Change(int value);
    void bsSkinTrackEdit2Change(int value);
    // Jog time list.
    void bsSkinComboBox1Change();
    // Device baud rate list.
    void SetComboBoxChange(int index);
    // The eight set buttons (bsSkinButton1, 3, 5, 7, 9, 11, 2, 14).
    void SetButtonClick(Settings::Item item);
    // The seven restore buttons.
    void bsSkinButton4Click();  // dry contact
    void bsSkinButton6Click();  // speed
    void bsSkinButton8Click();  // curtain functions
    void bsSkinButton10Click(); // jog time
    void bsSkinButton15Click(); // sensitivity
    void bsSkinButton13Click(); // rebound
    void bsSkinButton12Click(); // baud rate

    using Handler = void (MotorSettingsWindow::*)();

protected:
    void changeEvent(QEvent *event) override;

private:
    void listenToLink();

    // A reported value that no control of its tab can show.
    enum Note { DryContactNote, SpeedNote, JogNote, SensitivityNote, NoteCount };

    void buildIdTab(QWidget *page);
    void buildDryContactTab(QWidget *page);
    void buildSpeedTab(QWidget *page);
    void buildCurtainTab(QWidget *page);
    void buildJogTab(QWidget *page);
    void buildSensitivityTab(QWidget *page);
    void buildReboundTab(QWidget *page);
    void buildBaudTab(QWidget *page);
    QRadioButton *addRadio(QWidget *parent, const char *name, const std::function<void()> &click,
                           QPoint at, int width);
    QLabel *addNote(QWidget *page, Note note);

    // Checks a radio box and runs its click handler, also when it was checked.
    void check(QRadioButton *box);
    template <std::size_t N> static void uncheckAll(const std::array<QRadioButton *, N> &boxes);
    void showNote(Note note, int reported);
    void hideNote(Note note);

    // A checked box's value into the store; for speed and rebound the value
    // may stand for the track edit's.
    void pickDryContact(int mode);
    void pickSpeed(int rpm);
    void pickFeatureBit(Byte mask, bool set);
    void pickSensitivity(int level);
    void pickRebound(int time);
    // The stored value onto the group's boxes, as a report shows it.
    void showDryContact();
    void showSpeed();
    void showCurtain();
    void showSensitivity();
    void showRebound();

    SharedState &s;
    MotorLink &m_link;
    QTabWidget *m_pages;
    ChannelEditor *m_editor;
    std::array<QRadioButton *, 5> m_dryContact {};
    std::array<QRadioButton *, 4> m_speed {};           // 80, 100, 130, manual
    std::array<std::array<QRadioButton *, 2>, 7> m_curtain {}; // per pair: bit clear, bit set
    std::array<QRadioButton *, 3> m_sensitivity {};
    std::array<QRadioButton *, 3> m_rebound {};         // none, unlimited, timed
    TrackEdit *m_speedEdit;
    TrackEdit *m_reboundEdit;
    QComboBox *m_jogList;
    QComboBox *m_baudList;
    std::array<QLabel *, NoteCount> m_notes {};
    QHash<QRadioButton *, std::function<void()>> m_clicks;
};
