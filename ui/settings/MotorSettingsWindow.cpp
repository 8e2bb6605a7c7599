#include "MotorSettingsWindow.h"

#include "ChannelEditor.h"
#include "Messages.h"
#include "MultiRowTabBar.h"
#include "SerialLine.h"
#include "TrackEdit.h"
#include "WindowSkin.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include <algorithm>
#include <iterator>

namespace {

// Curtain-function bits of FeatureFlags.  Bit 2 (0x04) has no control: it is
// kept as the device reported it and only a restore clears it.
enum CurtainBit : Byte {
    HandBit = 0x01, DirectionBit = 0x02, StartBit = 0x08, GapBit = 0x10,
    JourneyBit = 0x20, MemoryBit = 0x40, SyncBit = 0x80,
};

// What the restore buttons and the reset before every read give.
constexpr Byte DefaultDryContact = 0;
constexpr Byte DefaultSpeed = 130;
constexpr Byte DefaultFlags = MemoryBit; // everything off but "no power-down memory"
constexpr int DefaultJogIndex = 3;       // "4"
constexpr Byte DefaultJog = 4;
constexpr Byte DefaultSensitivity = 1;
constexpr Byte DefaultRebound = 1;
constexpr Byte DefaultBaudCode = 1;      // 2400 baud

constexpr Byte NoRebound = 0, UnlimitedRebound = 0xFF;
constexpr int SpeedMin = 50, SpeedMax = 130;
constexpr int JogMax = 10;

// A radio box and the value it stands for.  One table per group drives the
// click, the showing of a report and the restore.  Captions come from the
// language table when the window is created.
struct RadioRow {
    const char *name;
    int value;
};

// The box whose value is that of its track edit.
constexpr int TrackValue = -1;

const RadioRow DryContactRows[] = {
    {"Normal", 0}, {"UpStopDownStopLoop", 1}, {"UpUpStop", 2}, {"SongShouTing", 3}, {"RenYiTing", 4},
};

const RadioRow SpeedRows[] = {
    {"RPM80", 80}, {"RPM100", 100}, {"RPM130", 130}, {"ManualSetting", TrackValue},
};
constexpr int ManualSpeedRow = 3;

// The curtain tab's groups lie in five rows, each group's two boxes side by
// side.  The groups whose English captions are long take a whole row, the
// others half of one.
enum CurtainSpan { WholeRow, LeftHalf, RightHalf };

struct CurtainRow {
    Byte mask;
    const char *group;
    const char *clear; // the box for the bit at 0
    const char *set;   // the box for the bit at 1
    int row;
    CurtainSpan span;
};
const CurtainRow CurtainRows[] = {
    {HandBit, "Hand", "HandStartupOn", "HandStartupOff", 0, WholeRow},
    {DirectionBit, "Direction", "DefaultDirection", "OppositeDirection", 1, LeftHalf},
    {StartBit, "StartUp", "SlowStartup", "NoSlowStart", 1, RightHalf},
    {GapBit, "interval", "Clearance", "gapless", 2, LeftHalf},
    {JourneyBit, "Journey", "Stop", "MeetPlugb", 3, WholeRow},
    {MemoryBit, "Remamber", "PowerDownRemamber", "NoRemamber", 4, WholeRow},
    {SyncBit, "SynchroSelect", "synchro", "OutSync", 2, RightHalf},
};
// Geometry of the curtain tab, in page and group coordinates.
constexpr int CurtainLeft = 10, CurtainWidth = 555, CurtainGap = 9;
constexpr int CurtainTop = 4, CurtainPitch = 52, CurtainHeight = 48;
constexpr int CurtainRadioY = 21, CurtainRadioLeft = 12, CurtainRadioRight = 4, CurtainRadioGap = 2;

const RadioRow SensitivityRows[] = {
    {"bsSkinCheckRadioBox1", 1}, {"bsSkinCheckRadioBox2", 2}, {"bsSkinCheckRadioBox3", 3},
};

const RadioRow ReboundRows[] = {
    {"bsSkinCheckRadioBox4", NoRebound}, {"bsSkinCheckRadioBox5", UnlimitedRebound},
    {"bsSkinCheckRadioBox6", TrackValue},
};
constexpr int TimedReboundRow = 2;

// The row standing for value, or -1.
template <std::size_t N> int rowOf(const RadioRow (&rows)[N], int value)
{
    for (std::size_t i = 0; i < N; ++i)
        if (rows[i].value == value)
            return int(i);
    return -1;
}

const char *const BaudItems[] = {"1200", "2400", "4800", "9600", "19200"};

// The baud tab's set button keeps this caption in every language.
const QString BaudSetCaption = QStringLiteral("设      置");
// Wide enough for the longest caption of any language ("Restore default
// values"), and above the page's bottom edge when the tabs take two rows.
constexpr QSize ButtonSize(160, 28);
constexpr int ButtonY = 266;
constexpr int SetButtonX = 140, RestoreButtonX = 316;
// The ID tab has no restore button.  Its set button stands at 227 like a
// lone button of its own, but on the row of the other tabs' buttons: at 277
// it would overhang the page when the tabs take two rows (English).
constexpr QPoint IdSetButtonAt(227, ButtonY);

QGroupBox *addGroup(QWidget *parent, const char *name, QRect at)
{
    auto *box = new QGroupBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(at);
    return box;
}

QPushButton *addButton(QWidget *parent, const char *name, const QString &caption, QPoint at)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(QRect(at, ButtonSize));
    return b;
}

QComboBox *addList(QWidget *parent, const char *name, QRect at)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(at);
    return list;
}

// Selects an item without running the list's change handler; the caller
// stores the value itself.
void selectQuietly(QComboBox *list, int index)
{
    const QSignalBlocker quiet(list);
    list->setCurrentIndex(index);
}

} // namespace

MotorSettingsWindow::MotorSettingsWindow(MotorLink &link, QWidget *mainWindow, QComboBox *mainIdList, QWidget *parent)
    : ChildWindow(mainWindow, QStringLiteral("SetForm"), QString(), QSize(616, 402),
                  false, parent)
    , s(link.state())
    , m_link(link)
{
    auto *pages = new MultiRowTabWidget(this);
    m_pages = pages;
    m_pages->setObjectName(QStringLiteral("bsSkinPageControl1"));
    m_pages->setGeometry(16, 18, 577, 359);
    pages->rowTabBar()->setTabPadding(QSize(WindowSkin::TabPaddingX, WindowSkin::TabPaddingY));

    // One row per tab page, in page order: its builder, set button (with the
    // setting it writes) and restore button.
    struct PageRow {
        const char *name;
        void (MotorSettingsWindow::*build)(QWidget *);
        const char *setButton;
        Settings::Item item;
        const char *restoreButton;
        Handler restore;
    };
    const PageRow rows[] = {
        {"bsSkinTabSheet1", &MotorSettingsWindow::buildIdTab, "bsSkinButton1", Settings::IdAndChannels,
         nullptr, nullptr},
        {"bsSkinTabSheet2", &MotorSettingsWindow::buildDryContactTab, "bsSkinButton3", Settings::DryContact,
         "bsSkinButton4", &MotorSettingsWindow::bsSkinButton4Click},
        {"bsSkinTabSheet3", &MotorSettingsWindow::buildSpeedTab, "bsSkinButton5", Settings::MaxSpeed,
         "bsSkinButton6", &MotorSettingsWindow::bsSkinButton6Click},
        {"bsSkinTabSheet4", &MotorSettingsWindow::buildCurtainTab, "bsSkinButton7",
         Settings::CurtainFunctions, "bsSkinButton8", &MotorSettingsWindow::bsSkinButton8Click},
        {"bsSkinTabSheet5", &MotorSettingsWindow::buildJogTab, "bsSkinButton9", Settings::JogTime,
         "bsSkinButton10", &MotorSettingsWindow::bsSkinButton10Click},
        {"bsSkinTabSheet6", &MotorSettingsWindow::buildSensitivityTab, "bsSkinButton11",
         Settings::Sensitivity, "bsSkinButton15", &MotorSettingsWindow::bsSkinButton15Click},
        {"bsSkinTabSheet8", &MotorSettingsWindow::buildReboundTab, "bsSkinButton2", Settings::Rebound,
         "bsSkinButton13", &MotorSettingsWindow::bsSkinButton13Click},
        {"bsSkinTabSheet7", &MotorSettingsWindow::buildBaudTab, "bsSkinButton14", Settings::BaudCode,
         "bsSkinButton12", &MotorSettingsWindow::bsSkinButton12Click},
    };
    for (const PageRow &row : rows) {
        auto *page = new QWidget;
        page->setObjectName(QLatin1String(row.name));
        m_pages->addTab(page, QString());
        (this->*row.build)(page);
        const Settings::Item item = row.item;
        QPushButton *set = addButton(page, row.setButton, item == Settings::BaudCode ? BaudSetCaption : QString(),
                                     row.restore ? QPoint(SetButtonX, ButtonY) : IdSetButtonAt);
        connect(set, &QPushButton::clicked, this, [this, item] { SetButtonClick(item); });
        if (row.restore) {
            QPushButton *restore = addButton(page, row.restoreButton, QString(), QPoint(RestoreButtonX, ButtonY));
            connect(restore, &QPushButton::clicked, this, row.restore);
        }
    }
    m_pages->setCurrentIndex(0);
    // Choosing an ID here chooses it in the main window as well.
    m_editor->setIndexChangedHook([mainIdList](int index) { mainIdList->setCurrentIndex(index); });
    listenToLink();
}

// The reports the link reads fill the tabs; the end of a read may open the
// window.  The link polls the motor's status only while this window is closed.
void MotorSettingsWindow::listenToLink()
{
    connect(&m_link, &MotorLink::basicReport, this, &MotorSettingsWindow::ShowBasicSettings);
    connect(&m_link, &MotorLink::extendedReport, this, &MotorSettingsWindow::ShowExtendedSettings);
    connect(&m_link, &MotorLink::reportedId, this, &MotorSettingsWindow::SelectReportedId);
    connect(&m_link, &MotorLink::settingsWindowWanted, this, &MotorSettingsWindow::OpenAfterScan);
    connect(&m_link, &MotorLink::reportedChannels, this, [this] {
        if (isEnabled())
            RefreshChannelButtons();
    });
    m_link.setSettingsWindowOpen(isEnabled());
}

void MotorSettingsWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        m_link.setSettingsWindowOpen(isEnabled());
    ChildWindow::changeEvent(event);
}

// --- building the tabs -----------------------------------------------------

QRadioButton *MotorSettingsWindow::addRadio(QWidget *parent, const char *name, const std::function<void()> &click,
                                 QPoint at, int width)
{
    auto *box = new QRadioButton(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(at.x(), at.y(), width, 24);
    // Checking a box from code runs its click handling, as a click does.
    connect(box, &QRadioButton::toggled, this, [click](bool on) {
        if (on)
            click();
    });
    m_clicks.insert(box, click);
    return box;
}

QLabel *MotorSettingsWindow::addNote(QWidget *page, Note note)
{
    auto *label = new QLabel(page);
    label->setObjectName(QStringLiteral("ReportNote%1").arg(int(note)));
    label->setGeometry(60, 240, 450, 22); // between the tab's group and its buttons
    label->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(WindowSkin::NoteColour)));
    label->hide();
    m_notes[note] = label;
    return label;
}

void MotorSettingsWindow::buildIdTab(QWidget *page)
{
    m_editor = new ChannelEditor(s, page, QPoint(176, 24), QPoint(176, 116));
}

void MotorSettingsWindow::buildDryContactTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "DryContact", QRect(60, 12, 450, 222));
    for (int i = 0; i < int(m_dryContact.size()); ++i) {
        const RadioRow &r = DryContactRows[i];
        m_dryContact[i] = addRadio(box, r.name, [this, v = r.value] { pickDryContact(v); },
                                   QPoint(30, 34 + 36 * i), 400);
    }
    addNote(page, DryContactNote);
}

void MotorSettingsWindow::buildSpeedTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "SpeedSelect", QRect(60, 12, 450, 222));
    for (int i = 0; i < int(m_speed.size()); ++i) {
        const RadioRow &r = SpeedRows[i];
        m_speed[i] = addRadio(box, r.name, [this, v = r.value] { pickSpeed(v); }, QPoint(30, 36 + 40 * i), 170);
    }
    m_speedEdit = new TrackEdit(SpeedMin, SpeedMax, box);
    m_speedEdit->setObjectName(QStringLiteral("bsSkinTrackEdit1"));
    m_speedEdit->setGeometry(210, 36 + 40 * ManualSpeedRow, 90, 24);
    m_speedEdit->setTyping(3); // bsSkinTrackEdit1KeyPress: digits and backspace only
    m_speedEdit->setEnabled(false);
    connect(m_speedEdit, &TrackEdit::valueChanged, this, &MotorSettingsWindow::bsSkinTrackEdit1Change);
    addNote(page, SpeedNote);
}

void MotorSettingsWindow::buildCurtainTab(QWidget *page)
{
    // One group box per bit, its two boxes side by side, each over half of
    // the group.
    const int half = (CurtainWidth - CurtainGap) / 2;
    for (int i = 0; i < int(std::size(CurtainRows)); ++i) {
        const CurtainRow &r = CurtainRows[i];
        const int x = r.span == RightHalf ? CurtainLeft + half + CurtainGap : CurtainLeft;
        const int width = r.span == WholeRow ? CurtainWidth : half;
        QGroupBox *box = addGroup(page, r.group, QRect(x, CurtainTop + CurtainPitch * r.row, width, CurtainHeight));
        const int radioWidth = (width - CurtainRadioLeft - CurtainRadioRight - CurtainRadioGap) / 2;
        const int secondX = CurtainRadioLeft + radioWidth + CurtainRadioGap;
        const Byte mask = r.mask;
        m_curtain[i][0] = addRadio(box, r.clear, [this, mask] { pickFeatureBit(mask, false); },
                                   QPoint(CurtainRadioLeft, CurtainRadioY), radioWidth);
        m_curtain[i][1] = addRadio(box, r.set, [this, mask] { pickFeatureBit(mask, true); },
                                   QPoint(secondX, CurtainRadioY), width - CurtainRadioRight - secondX);
    }
}

void MotorSettingsWindow::buildJogTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "bsSkinGroupBox6", QRect(160, 40, 250, 110));
    m_jogList = addList(box, "bsSkinComboBox1", QRect(40, 46, 170, 26));
    for (int t = 1; t <= JogMax; ++t)
        m_jogList->addItem(QString::number(t));
    m_jogList->setCurrentIndex(-1); // nothing chosen until a reset or a report
    connect(m_jogList, &QComboBox::currentTextChanged, this, &MotorSettingsWindow::bsSkinComboBox1Change);
    addNote(page, JogNote);
}

void MotorSettingsWindow::buildSensitivityTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "bsSkinGroupBox4", QRect(100, 20, 370, 180));
    for (int i = 0; i < int(m_sensitivity.size()); ++i) {
        const RadioRow &r = SensitivityRows[i];
        m_sensitivity[i] = addRadio(box, r.name, [this, v = r.value] { pickSensitivity(v); },
                                    QPoint(60, 40 + 42 * i), 260);
    }
    addNote(page, SensitivityNote);
}

void MotorSettingsWindow::buildReboundTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "bsSkinGroupBox5", QRect(40, 20, 490, 200));
    for (int i = 0; i < int(m_rebound.size()); ++i) {
        const RadioRow &r = ReboundRows[i];
        m_rebound[i] = addRadio(box, r.name, [this, v = r.value] { pickRebound(v); }, QPoint(30, 40 + 46 * i), 300);
    }
    m_reboundEdit = new TrackEdit(1, 254, box);
    m_reboundEdit->setObjectName(QStringLiteral("bsSkinTrackEdit2"));
    m_reboundEdit->setGeometry(340, 40 + 46 * TimedReboundRow, 90, 24);
    m_reboundEdit->setTyping(0); // changed with the slider only
    m_reboundEdit->setEnabled(false);
    connect(m_reboundEdit, &TrackEdit::valueChanged, this, &MotorSettingsWindow::bsSkinTrackEdit2Change);
}

void MotorSettingsWindow::buildBaudTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "bsSkinGroupBox3", QRect(160, 40, 250, 110));
    m_baudList = addList(box, "SetComboBox", QRect(40, 46, 170, 26));
    for (const char *rate : BaudItems)
        m_baudList->addItem(QLatin1String(rate));
    m_baudList->setCurrentIndex(-1);
    connect(m_baudList, &QComboBox::currentIndexChanged, this, &MotorSettingsWindow::SetComboBoxChange);
}

// --- helpers ---------------------------------------------------------------

void MotorSettingsWindow::check(QRadioButton *box)
{
    if (box->isChecked())
        m_clicks.value(box)(); // toggled would not fire again
    else
        box->setChecked(true);
}

// Leaves a group with no box checked (auto-exclusive boxes refuse to be
// unchecked otherwise).
template <std::size_t N> void MotorSettingsWindow::uncheckAll(const std::array<QRadioButton *, N> &boxes)
{
    for (QRadioButton *box : boxes) {
        box->setAutoExclusive(false);
        box->setChecked(false);
        box->setAutoExclusive(true);
    }
}

void MotorSettingsWindow::showNote(Note note, int reported)
{
    m_notes[note]->setText(s.MsgValueOutOfRange.arg(reported));
    m_notes[note]->show();
}

void MotorSettingsWindow::hideNote(Note note)
{
    m_notes[note]->hide();
}

// --- the window as a whole ---------------------------------------------------

void MotorSettingsWindow::ShowBasicSettings()
{
    // The answer handling has already turned a code without a rate into 1 and
    // stored the code; the list's handler would only store it again.
    selectQuietly(m_baudList, s.Features.DeviceBaudCode);
    showSpeed();
    showDryContact();
    showCurtain();
}

void MotorSettingsWindow::ShowExtendedSettings()
{
    const FeatureValues &v = s.Features;
    if (v.JogTime >= 1 && v.JogTime <= JogMax) {
        m_jogList->setCurrentIndex(v.JogTime - 1);
        hideNote(JogNote);
    } else {
        // No item stands for it: show the number itself instead of an item.
        m_jogList->setPlaceholderText(QString::number(v.JogTime));
        m_jogList->setCurrentIndex(-1);
        showNote(JogNote, v.JogTime);
    }
    showSensitivity();
    showRebound();
}

// --- the radio groups: the stored value onto the boxes ------------------------

void MotorSettingsWindow::showSpeed()
{
    const int speed = s.Features.MaxSpeed;
    if (const int row = rowOf(SpeedRows, speed); row >= 0) {
        check(m_speed[row]);
        return;
    }
    m_speedEdit->setEnabled(true);
    m_speedEdit->setValue(speed);    // kept within 50..130
    check(m_speed[ManualSpeedRow]); // stores the kept value
    if (speed < SpeedMin || speed > SpeedMax)
        showNote(SpeedNote, speed);
}

void MotorSettingsWindow::showDryContact()
{
    const int mode = s.Features.DryContactMode;
    if (const int row = rowOf(DryContactRows, mode); row >= 0) {
        check(m_dryContact[row]);
    } else {
        uncheckAll(m_dryContact);
        showNote(DryContactNote, mode);
    }
}

void MotorSettingsWindow::showCurtain()
{
    const Byte flags = s.Features.FeatureFlags;
    for (int i = 0; i < int(std::size(CurtainRows)); ++i)
        check(m_curtain[i][(flags & CurtainRows[i].mask) ? 1 : 0]);
}

void MotorSettingsWindow::showSensitivity()
{
    const int level = s.Features.ObstacleSensitivity;
    if (const int row = rowOf(SensitivityRows, level); row >= 0) {
        check(m_sensitivity[row]);
    } else {
        uncheckAll(m_sensitivity);
        showNote(SensitivityNote, level);
    }
}

void MotorSettingsWindow::showRebound()
{
    const int time = s.Features.ReboundTime;
    if (const int row = rowOf(ReboundRows, time); row >= 0) {
        check(m_rebound[row]);
        return;
    }
    m_reboundEdit->setEnabled(true);
    m_reboundEdit->setValue(time);
    check(m_rebound[TimedReboundRow]); // stores the edit's value
}

void MotorSettingsWindow::SelectReportedId(int id)
{
    m_editor->idList()->setCurrentIndex(id);
}

void MotorSettingsWindow::RefreshChannelButtons()
{
    m_editor->RefreshChannelButtons();
}

void MotorSettingsWindow::OpenAfterScan()
{
    m_mainWindow->setEnabled(false);
    setVisible(true);
    setEnabled(true);
}

void MotorSettingsWindow::FormClose()
{
    ChildWindow::FormClose();
    s.OpenSettingsAfterScan = 0;
}

void MotorSettingsWindow::ResetToDefaults()
{
    bsSkinButton4Click();  // a, b
    bsSkinButton6Click();  // c, d
    bsSkinButton8Click();  // e .. l
    bsSkinButton10Click(); // m, n
    bsSkinButton15Click(); // o, p
    bsSkinButton13Click(); // q, r, s
    bsSkinButton12Click(); // t, u
    m_editor->setGroupCaption(s.GroupCaption);
}

// --- set and restore buttons -----------------------------------------------------

void MotorSettingsWindow::SetButtonClick(Settings::Item item)
{
    if (!m_link.portUsable()) {
        Messages::show(s.MsgSelectPort);
        return;
    }
    if (item == Settings::IdAndChannels && m_editor->idEmpty()) {
        Messages::show(s.MsgSelectId);
        return;
    }
    m_link.stageWrite(item);
}

// A radio tab's restore stores the default and shows it as a report would.
void MotorSettingsWindow::bsSkinButton4Click()
{
    s.Features.DryContactMode = DefaultDryContact;
    showDryContact();
}

void MotorSettingsWindow::bsSkinButton6Click()
{
    s.Features.MaxSpeed = DefaultSpeed;
    showSpeed(); // 130 rpm; disables the track edit
}

void MotorSettingsWindow::bsSkinButton8Click()
{
    s.Features.FeatureFlags = DefaultFlags; // clears bit 2 as well
    showCurtain();
}

void MotorSettingsWindow::bsSkinButton10Click()
{
    m_jogList->setCurrentIndex(DefaultJogIndex);
    s.Features.JogTime = DefaultJog;
    hideNote(JogNote);
}

void MotorSettingsWindow::bsSkinButton15Click()
{
    s.Features.ObstacleSensitivity = DefaultSensitivity;
    showSensitivity();
}

void MotorSettingsWindow::bsSkinButton13Click()
{
    s.Features.ReboundTime = DefaultRebound;
    showRebound(); // a timed rebound: the edit shows it
}

void MotorSettingsWindow::bsSkinButton12Click()
{
    // No port check here: restoring never shows a message.
    selectQuietly(m_baudList, DefaultBaudCode);
    s.Features.DeviceBaudCode = DefaultBaudCode;
}

// --- tab handlers ------------------------------------------------------------------

// --- the radio groups: a checked box's value into the store ---------------------

void MotorSettingsWindow::pickDryContact(int mode)
{
    s.Features.DryContactMode = Byte(mode);
    hideNote(DryContactNote);
}

void MotorSettingsWindow::pickSpeed(int rpm)
{
    const bool manual = rpm == TrackValue;
    m_speedEdit->setEnabled(manual);
    s.Features.MaxSpeed = Byte(manual ? m_speedEdit->value() : rpm);
    hideNote(SpeedNote);
}

void MotorSettingsWindow::bsSkinTrackEdit1Change(int value)
{
    s.Features.MaxSpeed = Byte(value);
}

void MotorSettingsWindow::pickFeatureBit(Byte mask, bool set)
{
    Byte &flags = s.Features.FeatureFlags;
    flags = set ? Byte(flags | mask) : Byte(flags & ~mask);
}

void MotorSettingsWindow::bsSkinComboBox1Change()
{
    // An empty text is the "no item" state of an out-of-range report: the
    // stored value stays what the device said.
    const QString text = m_jogList->currentText();
    if (text.isEmpty())
        return;
    s.Features.JogTime = Byte(text.toInt());
    hideNote(JogNote);
}

void MotorSettingsWindow::pickSensitivity(int level)
{
    s.Features.ObstacleSensitivity = Byte(level);
    hideNote(SensitivityNote);
}

void MotorSettingsWindow::pickRebound(int time)
{
    const bool timed = time == TrackValue;
    m_reboundEdit->setEnabled(timed);
    s.Features.ReboundTime = Byte(timed ? m_reboundEdit->value() : time);
}

void MotorSettingsWindow::bsSkinTrackEdit2Change(int value)
{
    s.Features.ReboundTime = Byte(value);
}

void MotorSettingsWindow::SetComboBoxChange(int index)
{
    // Only an open port counts here; the port box choice is not consulted.
    if (!m_link.serial().PortOpen()) {
        Messages::show(s.MsgSelectPort);
        return;
    }
    if (index >= 0)
        s.Features.DeviceBaudCode = Byte(index);
}
