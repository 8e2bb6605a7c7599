#include "FeatureSet.h"

#include "ChannelEditor.h"
#include "Messages.h"
#include "MultiRowTabBar.h"
#include "TComm.h"
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
constexpr int JogMax = 10, SensitivityMax = 3, DryContactMax = 4;

struct RadioRow {
    const char *name;
    const char *caption;
    TSetForm::Handler click;
};

// Row index = DryContactMode.
const RadioRow DryContactRows[] = {
    {"Normal", "上+下为停   3、4线共用模式 【0】", &TSetForm::NormalClick},
    {"UpStopDownStopLoop", "上-停-下-停  单键循环模式 【1】", &TSetForm::UpStopDownStopLoopClick},
    {"UpUpStop", "上上停、下下停、上下切换模式 【2】", &TSetForm::UpUpStopClick},
    {"SongShouTing", "松手停模式 【3】", &TSetForm::SongShouTingClick},
    {"RenYiTing", "任意停模式 【4】", &TSetForm::RenYiTingClick},
};

constexpr Byte FixedSpeeds[] = {80, 100, 130};
enum { ManualSpeed = 3 };
const RadioRow SpeedRows[] = {
    {"RPM80", "80 rmp / minute", &TSetForm::RPM80Clik},
    {"RPM100", "100 rmp / minute", &TSetForm::RPM100Click},
    {"RPM130", "130 rmp / minute", &TSetForm::RPM130Click},
    {"ManualSetting", "手动设置", &TSetForm::ManualSettingClick},
};

// The curtain tab's groups lie in five rows, each group's two boxes side by
// side.  The groups whose English captions are long take a whole row, the
// others half of one.
enum CurtainSpan { WholeRow, LeftHalf, RightHalf };

struct CurtainRow {
    Byte mask;
    const char *group;
    const char *caption;
    RadioRow clear; // stands for the bit at 0
    RadioRow set;   // stands for the bit at 1
    int row;
    CurtainSpan span;
};
const CurtainRow CurtainRows[] = {
    {HandBit, "Hand", "手拉启动设置",
     {"HandStartupOn", "开启手拉启动功能", &TSetForm::HandStartupOnClick},
     {"HandStartupOff", "关闭手拉启动功能", &TSetForm::HandStartupOffClick}, 0, WholeRow},
    {DirectionBit, "Direction", "电机运行方向设置",
     {"DefaultDirection", "默认方向", &TSetForm::DefaultDirectionClick},
     {"OppositeDirection", "反向", &TSetForm::OppositeDirectionClick}, 1, LeftHalf},
    {StartBit, "StartUp", "启动方式选择",
     {"SlowStartup", "慢启动", &TSetForm::SlowStartupClick},
     {"NoSlowStart", "快速启动", &TSetForm::NoSlowStartClick}, 1, RightHalf},
    {GapBit, "interval", "到行程是否留间隙",
     {"Clearance", "到行程留间隙", &TSetForm::ClearanceClick},
     {"gapless", "不留间隙", &TSetForm::gaplessClick}, 2, LeftHalf},
    {JourneyBit, "Journey", "到行程停止方式选择",
     {"Stop", "到行程停止", &TSetForm::StopClick},
     {"MeetPlugb", "遇阻停止", &TSetForm::MeetPlugbClck}, 3, WholeRow},
    {MemoryBit, "Remamber", "断电行程记忆选择",
     {"PowerDownRemamber", "断电记忆行程", &TSetForm::PowerDownRemamberClick},
     {"NoRemamber", "不记忆行程", &TSetForm::NoRemamberClick}, 4, WholeRow},
    {SyncBit, "SynchroSelect", "手控同步选择",
     {"synchro", "手控同步", &TSetForm::synchroClick},
     {"OutSync", "手控不同步", &TSetForm::OutSyncClick}, 2, RightHalf},
};
// Geometry of the curtain tab, in page and group coordinates.
constexpr int CurtainLeft = 10, CurtainWidth = 555, CurtainGap = 9;
constexpr int CurtainTop = 4, CurtainPitch = 52, CurtainHeight = 48;
constexpr int CurtainRadioY = 21, CurtainRadioLeft = 12, CurtainRadioRight = 4, CurtainRadioGap = 2;

// Row index + 1 = ObstacleSensitivity.
const RadioRow SensitivityRows[] = {
    {"bsSkinCheckRadioBox1", "低灵敏度 【1】", &TSetForm::bsSkinCheckRadioBox1Click},
    {"bsSkinCheckRadioBox2", "中灵敏度 【2】", &TSetForm::bsSkinCheckRadioBox2Click},
    {"bsSkinCheckRadioBox3", "高灵敏度 【3】", &TSetForm::bsSkinCheckRadioBox3Click},
};

enum { ReboundNone, ReboundUnlimited, ReboundTimed };
const RadioRow ReboundRows[] = {
    {"bsSkinCheckRadioBox4", "遇阻后不反弹 【0】", &TSetForm::bsSkinCheckRadioBox4Click},
    {"bsSkinCheckRadioBox5", "遇阻后反弹，不限制反弹时间 【FF】", &TSetForm::bsSkinCheckRadioBox5Click},
    {"bsSkinCheckRadioBox6", "遇阻后反弹，反弹时间如下：【1-254】", &TSetForm::bsSkinCheckRadioBox6Click},
};

const char *const BaudItems[] = {"1200", "2400", "4800", "9600", "19200"};

const QString SetCaption = QStringLiteral("设      置");
const QString RestoreCaption = QStringLiteral("恢复默认值");
// Wide enough for the longest caption of any language ("Restore default
// values"), and above the page's bottom edge when the tabs take two rows.
constexpr QSize ButtonSize(160, 28);
constexpr int ButtonY = 266;
constexpr int SetButtonX = 140, RestoreButtonX = 316;
// The ID tab has no restore button.  Its set button stands at 227 like a
// lone button of its own, but on the row of the other tabs' buttons: at 277
// it would overhang the page when the tabs take two rows (English).
constexpr QPoint IdSetButtonAt(227, ButtonY);

QGroupBox *addGroup(QWidget *parent, const char *name, const char *caption, QRect at)
{
    auto *box = new QGroupBox(QString::fromUtf8(caption), parent);
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

TSetForm::TSetForm(MotorLink &link, QWidget *mainWindow, QComboBox *mainIdList, QWidget *parent)
    : ChildWindow(mainWindow, QStringLiteral("SetForm"), QStringLiteral("功能设置"), QSize(616, 402),
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
        const char *caption;
        void (TSetForm::*build)(QWidget *);
        const char *setButton;
        Settings::Item item;
        const char *restoreButton;
        Handler restore;
    };
    const PageRow rows[] = {
        {"bsSkinTabSheet1", "ID与频道", &TSetForm::buildIdTab, "bsSkinButton1", Settings::IdAndChannels,
         nullptr, nullptr},
        {"bsSkinTabSheet2", "干触点", &TSetForm::buildDryContactTab, "bsSkinButton3", Settings::DryContact,
         "bsSkinButton4", &TSetForm::bsSkinButton4Click},
        {"bsSkinTabSheet3", "转速", &TSetForm::buildSpeedTab, "bsSkinButton5", Settings::MaxSpeed,
         "bsSkinButton6", &TSetForm::bsSkinButton6Click},
        {"bsSkinTabSheet4", "开合帘功能", &TSetForm::buildCurtainTab, "bsSkinButton7",
         Settings::CurtainFunctions, "bsSkinButton8", &TSetForm::bsSkinButton8Click},
        {"bsSkinTabSheet5", "点动时间", &TSetForm::buildJogTab, "bsSkinButton9", Settings::JogTime,
         "bsSkinButton10", &TSetForm::bsSkinButton10Click},
        {"bsSkinTabSheet6", "遇阻灵敏度", &TSetForm::buildSensitivityTab, "bsSkinButton11",
         Settings::Sensitivity, "bsSkinButton15", &TSetForm::bsSkinButton15Click},
        {"bsSkinTabSheet8", "遇阻反弹", &TSetForm::buildReboundTab, "bsSkinButton2", Settings::Rebound,
         "bsSkinButton13", &TSetForm::bsSkinButton13Click},
        {"bsSkinTabSheet7", "波特率选择", &TSetForm::buildBaudTab, "bsSkinButton14", Settings::BaudCode,
         "bsSkinButton12", &TSetForm::bsSkinButton12Click},
    };
    for (const PageRow &row : rows) {
        auto *page = new QWidget;
        page->setObjectName(QLatin1String(row.name));
        m_pages->addTab(page, QString::fromUtf8(row.caption));
        (this->*row.build)(page);
        const Settings::Item item = row.item;
        QPushButton *set = addButton(page, row.setButton, SetCaption,
                                     row.restore ? QPoint(SetButtonX, ButtonY) : IdSetButtonAt);
        connect(set, &QPushButton::clicked, this, [this, item] { SetButtonClick(item); });
        if (row.restore) {
            QPushButton *restore = addButton(page, row.restoreButton, RestoreCaption, QPoint(RestoreButtonX, ButtonY));
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
void TSetForm::listenToLink()
{
    connect(&m_link, &MotorLink::basicReport, this, &TSetForm::ShowBasicSettings);
    connect(&m_link, &MotorLink::extendedReport, this, &TSetForm::ShowExtendedSettings);
    connect(&m_link, &MotorLink::reportedId, this, &TSetForm::SelectReportedId);
    connect(&m_link, &MotorLink::settingsWindowWanted, this, &TSetForm::OpenAfterScan);
    connect(&m_link, &MotorLink::reportedChannels, this, [this] {
        if (isEnabled())
            RefreshChannelButtons();
    });
    m_link.setSettingsWindowOpen(isEnabled());
}

void TSetForm::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        m_link.setSettingsWindowOpen(isEnabled());
    ChildWindow::changeEvent(event);
}

// --- building the tabs -----------------------------------------------------

QRadioButton *TSetForm::addRadio(QWidget *parent, const char *name, const char *caption, Handler click,
                                 QPoint at, int width)
{
    auto *box = new QRadioButton(QString::fromUtf8(caption), parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(at.x(), at.y(), width, 24);
    // Checking a box from code runs its click handler, as a click does.
    connect(box, &QRadioButton::toggled, this, [this, click](bool on) {
        if (on)
            (this->*click)();
    });
    m_clicks.insert(box, click);
    return box;
}

QLabel *TSetForm::addNote(QWidget *page, Note note)
{
    auto *label = new QLabel(page);
    label->setObjectName(QStringLiteral("ReportNote%1").arg(int(note)));
    label->setGeometry(60, 240, 450, 22); // between the tab's group and its buttons
    label->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(WindowSkin::NoteColour)));
    label->hide();
    m_notes[note] = label;
    return label;
}

void TSetForm::buildIdTab(QWidget *page)
{
    m_editor = new ChannelEditor(s, page, QPoint(176, 24), QPoint(176, 116), QStringLiteral("全          频"));
}

void TSetForm::buildDryContactTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "DryContact", "干接点控制方式选择", QRect(60, 12, 450, 222));
    for (int mode = 0; mode <= DryContactMax; ++mode) {
        const RadioRow &r = DryContactRows[mode];
        m_dryContact[mode] = addRadio(box, r.name, r.caption, r.click, QPoint(30, 34 + 36 * mode), 400);
    }
    addNote(page, DryContactNote);
}

void TSetForm::buildSpeedTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "SpeedSelect", "电机最大转速设定", QRect(60, 12, 450, 222));
    for (int i = 0; i < int(m_speed.size()); ++i)
        m_speed[i] = addRadio(box, SpeedRows[i].name, SpeedRows[i].caption, SpeedRows[i].click,
                              QPoint(30, 36 + 40 * i), 170);
    m_speedEdit = new TrackEdit(SpeedMin, SpeedMax, box);
    m_speedEdit->setObjectName(QStringLiteral("bsSkinTrackEdit1"));
    m_speedEdit->setGeometry(210, 36 + 40 * ManualSpeed, 90, 24);
    m_speedEdit->setTyping(3); // bsSkinTrackEdit1KeyPress: digits and backspace only
    m_speedEdit->setEnabled(false);
    connect(m_speedEdit, &TrackEdit::valueChanged, this, &TSetForm::bsSkinTrackEdit1Change);
    addNote(page, SpeedNote);
}

void TSetForm::buildCurtainTab(QWidget *page)
{
    // One group box per bit, its two boxes side by side, each over half of
    // the group.
    const int half = (CurtainWidth - CurtainGap) / 2;
    for (int i = 0; i < int(std::size(CurtainRows)); ++i) {
        const CurtainRow &r = CurtainRows[i];
        const int x = r.span == RightHalf ? CurtainLeft + half + CurtainGap : CurtainLeft;
        const int width = r.span == WholeRow ? CurtainWidth : half;
        QGroupBox *box = addGroup(page, r.group, r.caption,
                                  QRect(x, CurtainTop + CurtainPitch * r.row, width, CurtainHeight));
        const int radioWidth = (width - CurtainRadioLeft - CurtainRadioRight - CurtainRadioGap) / 2;
        const int secondX = CurtainRadioLeft + radioWidth + CurtainRadioGap;
        m_curtain[i][0] = addRadio(box, r.clear.name, r.clear.caption, r.clear.click,
                                   QPoint(CurtainRadioLeft, CurtainRadioY), radioWidth);
        m_curtain[i][1] = addRadio(box, r.set.name, r.set.caption, r.set.click, QPoint(secondX, CurtainRadioY),
                                   width - CurtainRadioRight - secondX);
    }
}

void TSetForm::buildJogTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "bsSkinGroupBox6", "点动时间选择", QRect(160, 40, 250, 110));
    m_jogList = addList(box, "bsSkinComboBox1", QRect(40, 46, 170, 26));
    for (int t = 1; t <= JogMax; ++t)
        m_jogList->addItem(QString::number(t));
    m_jogList->setCurrentIndex(-1); // nothing chosen until a reset or a report
    connect(m_jogList, &QComboBox::currentTextChanged, this, &TSetForm::bsSkinComboBox1Change);
    addNote(page, JogNote);
}

void TSetForm::buildSensitivityTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "bsSkinGroupBox4", "遇阻灵敏度选择", QRect(100, 20, 370, 180));
    for (int i = 0; i < int(m_sensitivity.size()); ++i) {
        const RadioRow &r = SensitivityRows[i];
        m_sensitivity[i] = addRadio(box, r.name, r.caption, r.click, QPoint(60, 40 + 42 * i), 260);
    }
    addNote(page, SensitivityNote);
}

void TSetForm::buildReboundTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "bsSkinGroupBox5", "遇阻反弹设置", QRect(40, 20, 490, 200));
    for (int i = 0; i < int(m_rebound.size()); ++i) {
        const RadioRow &r = ReboundRows[i];
        m_rebound[i] = addRadio(box, r.name, r.caption, r.click, QPoint(30, 40 + 46 * i), 300);
    }
    m_reboundEdit = new TrackEdit(1, 254, box);
    m_reboundEdit->setObjectName(QStringLiteral("bsSkinTrackEdit2"));
    m_reboundEdit->setGeometry(340, 40 + 46 * ReboundTimed, 90, 24);
    m_reboundEdit->setTyping(0); // changed with the slider only
    m_reboundEdit->setEnabled(false);
    connect(m_reboundEdit, &TrackEdit::valueChanged, this, &TSetForm::bsSkinTrackEdit2Change);
}

void TSetForm::buildBaudTab(QWidget *page)
{
    QGroupBox *box = addGroup(page, "bsSkinGroupBox3", "波特率设置", QRect(160, 40, 250, 110));
    m_baudList = addList(box, "SetComboBox", QRect(40, 46, 170, 26));
    for (const char *rate : BaudItems)
        m_baudList->addItem(QLatin1String(rate));
    m_baudList->setCurrentIndex(-1);
    connect(m_baudList, &QComboBox::currentIndexChanged, this, &TSetForm::SetComboBoxChange);
}

// --- helpers ---------------------------------------------------------------

void TSetForm::check(QRadioButton *box)
{
    if (box->isChecked())
        (this->*m_clicks.value(box))(); // toggled would not fire again
    else
        box->setChecked(true);
}

// Leaves a group with no box checked (auto-exclusive boxes refuse to be
// unchecked otherwise).
template <std::size_t N> void TSetForm::uncheckAll(const std::array<QRadioButton *, N> &boxes)
{
    for (QRadioButton *box : boxes) {
        box->setAutoExclusive(false);
        box->setChecked(false);
        box->setAutoExclusive(true);
    }
}

void TSetForm::showNote(Note note, int reported)
{
    m_notes[note]->setText(s.MsgValueOutOfRange.arg(reported));
    m_notes[note]->show();
}

void TSetForm::hideNote(Note note)
{
    m_notes[note]->hide();
}

// --- the window as a whole ---------------------------------------------------

void TSetForm::ShowBasicSettings()
{
    const FeatureValues &v = s.Features;
    // The answer handling has already turned a code without a rate into 1 and
    // stored the code; the list's handler would only store it again.
    selectQuietly(m_baudList, v.DeviceBaudCode);

    const int speed = v.MaxSpeed;
    const Byte *fixed = std::find(std::begin(FixedSpeeds), std::end(FixedSpeeds), speed);
    if (fixed != std::end(FixedSpeeds)) {
        check(m_speed[fixed - FixedSpeeds]);
    } else {
        m_speedEdit->setEnabled(true);
        m_speedEdit->setValue(speed); // kept within 50..130
        check(m_speed[ManualSpeed]);  // stores the kept value
        if (speed < SpeedMin || speed > SpeedMax)
            showNote(SpeedNote, speed);
    }

    if (v.DryContactMode <= DryContactMax) {
        check(m_dryContact[v.DryContactMode]);
    } else {
        uncheckAll(m_dryContact);
        showNote(DryContactNote, v.DryContactMode);
    }

    for (int i = 0; i < int(std::size(CurtainRows)); ++i)
        check(m_curtain[i][(v.FeatureFlags & CurtainRows[i].mask) ? 1 : 0]);
}

void TSetForm::ShowExtendedSettings()
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

    if (v.ObstacleSensitivity >= 1 && v.ObstacleSensitivity <= SensitivityMax) {
        check(m_sensitivity[v.ObstacleSensitivity - 1]);
    } else {
        uncheckAll(m_sensitivity);
        showNote(SensitivityNote, v.ObstacleSensitivity);
    }

    if (v.ReboundTime == NoRebound) {
        check(m_rebound[ReboundNone]);
    } else if (v.ReboundTime == UnlimitedRebound) {
        check(m_rebound[ReboundUnlimited]);
    } else {
        m_reboundEdit->setEnabled(true);
        m_reboundEdit->setValue(v.ReboundTime);
        check(m_rebound[ReboundTimed]);
    }
}

void TSetForm::SelectReportedId(int id)
{
    m_editor->idList()->setCurrentIndex(id);
}

void TSetForm::RefreshChannelButtons()
{
    m_editor->RefreshChannelButtons();
}

void TSetForm::OpenAfterScan()
{
    m_mainWindow->setEnabled(false);
    setVisible(true);
    setEnabled(true);
}

void TSetForm::FormClose()
{
    ChildWindow::FormClose();
    s.OpenSettingsAfterScan = 0;
}

void TSetForm::ResetToDefaults()
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

void TSetForm::SetButtonClick(Settings::Item item)
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

void TSetForm::bsSkinButton4Click()
{
    check(m_dryContact[DefaultDryContact]);
    s.Features.DryContactMode = DefaultDryContact;
}

void TSetForm::bsSkinButton6Click()
{
    check(m_speed[2]); // 130 rpm; disables the track edit
    s.Features.MaxSpeed = DefaultSpeed;
}

void TSetForm::bsSkinButton8Click()
{
    for (int i = 0; i < int(std::size(CurtainRows)); ++i)
        check(m_curtain[i][(DefaultFlags & CurtainRows[i].mask) ? 1 : 0]);
    s.Features.FeatureFlags = DefaultFlags; // clears bit 2 as well
}

void TSetForm::bsSkinButton10Click()
{
    m_jogList->setCurrentIndex(DefaultJogIndex);
    s.Features.JogTime = DefaultJog;
    hideNote(JogNote);
}

void TSetForm::bsSkinButton15Click()
{
    check(m_sensitivity[DefaultSensitivity - 1]);
    s.Features.ObstacleSensitivity = DefaultSensitivity;
}

void TSetForm::bsSkinButton13Click()
{
    check(m_rebound[ReboundTimed]);
    m_reboundEdit->setEnabled(true);
    m_reboundEdit->setValue(DefaultRebound);
    s.Features.ReboundTime = DefaultRebound;
}

void TSetForm::bsSkinButton12Click()
{
    // No port check here: restoring never shows a message.
    selectQuietly(m_baudList, DefaultBaudCode);
    s.Features.DeviceBaudCode = DefaultBaudCode;
}

// --- tab handlers ------------------------------------------------------------------

void TSetForm::storeDryContact(Byte mode)
{
    s.Features.DryContactMode = mode;
    hideNote(DryContactNote);
}

void TSetForm::NormalClick() { storeDryContact(0); }
void TSetForm::UpStopDownStopLoopClick() { storeDryContact(1); }
void TSetForm::UpUpStopClick() { storeDryContact(2); }
void TSetForm::SongShouTingClick() { storeDryContact(3); }
void TSetForm::RenYiTingClick() { storeDryContact(4); }

void TSetForm::storeFixedSpeed(Byte rpm)
{
    m_speedEdit->setEnabled(false);
    s.Features.MaxSpeed = rpm;
    hideNote(SpeedNote);
}

void TSetForm::RPM80Clik() { storeFixedSpeed(FixedSpeeds[0]); }
void TSetForm::RPM100Click() { storeFixedSpeed(FixedSpeeds[1]); }
void TSetForm::RPM130Click() { storeFixedSpeed(FixedSpeeds[2]); }

void TSetForm::ManualSettingClick()
{
    m_speedEdit->setEnabled(true);
    s.Features.MaxSpeed = Byte(m_speedEdit->value());
    hideNote(SpeedNote);
}

void TSetForm::bsSkinTrackEdit1Change(int value)
{
    s.Features.MaxSpeed = Byte(value);
}

void TSetForm::storeFeatureBit(Byte mask, bool set)
{
    Byte &flags = s.Features.FeatureFlags;
    flags = set ? Byte(flags | mask) : Byte(flags & ~mask);
}

void TSetForm::HandStartupOnClick() { storeFeatureBit(HandBit, false); }
void TSetForm::HandStartupOffClick() { storeFeatureBit(HandBit, true); }
void TSetForm::DefaultDirectionClick() { storeFeatureBit(DirectionBit, false); }
void TSetForm::OppositeDirectionClick() { storeFeatureBit(DirectionBit, true); }
void TSetForm::SlowStartupClick() { storeFeatureBit(StartBit, false); }
void TSetForm::NoSlowStartClick() { storeFeatureBit(StartBit, true); }
void TSetForm::ClearanceClick() { storeFeatureBit(GapBit, false); }
void TSetForm::gaplessClick() { storeFeatureBit(GapBit, true); }
void TSetForm::StopClick() { storeFeatureBit(JourneyBit, false); }
void TSetForm::MeetPlugbClck() { storeFeatureBit(JourneyBit, true); }
void TSetForm::PowerDownRemamberClick() { storeFeatureBit(MemoryBit, false); }
void TSetForm::NoRemamberClick() { storeFeatureBit(MemoryBit, true); }
void TSetForm::synchroClick() { storeFeatureBit(SyncBit, false); }
void TSetForm::OutSyncClick() { storeFeatureBit(SyncBit, true); }

void TSetForm::bsSkinComboBox1Change()
{
    // An empty text is the "no item" state of an out-of-range report: the
    // stored value stays what the device said.
    const QString text = m_jogList->currentText();
    if (text.isEmpty())
        return;
    s.Features.JogTime = Byte(text.toInt());
    hideNote(JogNote);
}

void TSetForm::storeSensitivity(Byte level)
{
    s.Features.ObstacleSensitivity = level;
    hideNote(SensitivityNote);
}

void TSetForm::bsSkinCheckRadioBox1Click() { storeSensitivity(1); }
void TSetForm::bsSkinCheckRadioBox2Click() { storeSensitivity(2); }
void TSetForm::bsSkinCheckRadioBox3Click() { storeSensitivity(3); }

void TSetForm::storeFixedRebound(Byte value)
{
    s.Features.ReboundTime = value;
    m_reboundEdit->setEnabled(false);
}

void TSetForm::bsSkinCheckRadioBox4Click() { storeFixedRebound(NoRebound); }
void TSetForm::bsSkinCheckRadioBox5Click() { storeFixedRebound(UnlimitedRebound); }

void TSetForm::bsSkinCheckRadioBox6Click()
{
    m_reboundEdit->setEnabled(true);
    s.Features.ReboundTime = Byte(m_reboundEdit->value());
}

void TSetForm::bsSkinTrackEdit2Change(int value)
{
    s.Features.ReboundTime = Byte(value);
}

void TSetForm::SetComboBoxChange(int index)
{
    // Only an open port counts here; the port box choice is not consulted.
    if (!m_link.Comm1().PortOpen()) {
        Messages::show(s.MsgSelectPort);
        return;
    }
    if (index >= 0)
        s.Features.DeviceBaudCode = Byte(index);
}
