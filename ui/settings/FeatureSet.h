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

class ChannelEditor;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TrackEdit;

class TSetForm : public ChildWindow {
    Q_OBJECT
public:
    TSetForm(MotorLink &link, QWidget *mainWindow, QComboBox *mainIdList, QWidget *parent = nullptr);

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
    // Dry contact: DryContactMode := 0..4.
    void NormalClick();
    void UpStopDownStopLoopClick();
    void UpUpStopClick();
    void SongShouTingClick();
    void RenYiTingClick();
    // Speed.
    void RPM80Clik();
    void RPM100Click();
    void RPM130Click();
    void ManualSettingClick();
    void bsSkinTrackEdit1Change(int value);
    // Curtain functions: the first box of a pair clears its bit, the second sets it.
    void HandStartupOnClick();
    void HandStartupOffClick();
    void DefaultDirectionClick();
    void OppositeDirectionClick();
    void SlowStartupClick();
    void NoSlowStartClick();
    void ClearanceClick();
    void gaplessClick();
    void StopClick();
    void MeetPlugbClck();
    void PowerDownRemamberClick();
    void NoRemamberClick();
    void synchroClick();
    void OutSyncClick();
    // Jog time, sensitivity, rebound.
    void bsSkinComboBox1Change();
    void bsSkinCheckRadioBox1Click();
    void bsSkinCheckRadioBox2Click();
    void bsSkinCheckRadioBox3Click();
    void bsSkinCheckRadioBox4Click();
    void bsSkinCheckRadioBox5Click();
    void bsSkinCheckRadioBox6Click();
    void bsSkinTrackEdit2Change(int value);
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

    using Handler = void (TSetForm::*)();

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
    QRadioButton *addRadio(QWidget *parent, const char *name, const char *caption, Handler click,
                           QPoint at, int width);
    QLabel *addNote(QWidget *page, Note note);

    // Checks a radio box and runs its click handler, also when it was checked.
    void check(QRadioButton *box);
    template <std::size_t N> static void uncheckAll(const std::array<QRadioButton *, N> &boxes);
    void showNote(Note note, int reported);
    void hideNote(Note note);

    void storeDryContact(Byte mode);
    void storeFixedSpeed(Byte rpm);
    void storeFeatureBit(Byte mask, bool set);
    void storeSensitivity(Byte level);
    void storeFixedRebound(Byte value);

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
    QHash<QRadioButton *, Handler> m_clicks;
};
