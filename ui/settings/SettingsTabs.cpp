#include "SettingsTabs.h"

#include "MotorSettings.h"
#include "TrackEdit.h"
#include "WindowSkin.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include <iterator>

namespace SettingsTabs {
namespace {

namespace MS = MotorSettings;
using Field = RadioPage::Field;
constexpr int FreeValue = RadioPage::FreeValue;

// A radio box and the value it stands for.  Captions come from the language
// table when the window is created.
struct BoxRow {
    const char *name;
    int value;
};

// A tab of one group box whose radio boxes lie one under another.
struct RadioTab {
    const char *group;
    QRect groupAt;
    std::span<const BoxRow> boxes;
    QPoint firstBox;
    int pitch;
    int boxWidth;
    Settings::Item item; // the value its boxes stand for, its default and the track edit's range
    int note; // the number of its ReportNote label, or -1 for none
    const char *edit; // the FreeValue box's track edit, or nullptr
    int editX;
    int editTyping; // characters that can be typed; 0: the slider only
};

// A tab of one group box with a list: the numbers of the setting's range,
// or its named values.
struct ListTab {
    const char *group;
    const char *list;
    Settings::Item item;
    int note;
    bool guarded; // a choice is stored only when the window's guard allows it
};

const BoxRow DryContactBoxes[] = {
    {"Normal", 0}, {"UpStopDownStopLoop", 1}, {"UpUpStop", 2}, {"SongShouTing", 3}, {"RenYiTing", 4},
};
const BoxRow SpeedBoxes[] = {
    {"RPM80", 80},
    {"RPM100", 100},
    {"RPM130", 130},
    {"ManualSetting", FreeValue},
};
const BoxRow SensitivityBoxes[] = {
    {"bsSkinCheckRadioBox1", 1},
    {"bsSkinCheckRadioBox2", 2},
    {"bsSkinCheckRadioBox3", 3},
};
const BoxRow ReboundBoxes[] = {
    {"bsSkinCheckRadioBox4", MS::NoRebound},
    {"bsSkinCheckRadioBox5", MS::UnlimitedRebound},
    {"bsSkinCheckRadioBox6", FreeValue},
};

// One tab a line: group, its place, boxes, first box, pitch, box width,
// setting, note, track edit, its x, typing.
// clang-format off
const RadioTab DryContactTab {"DryContact", {60, 12, 450, 222}, DryContactBoxes, {30, 34}, 36, 400, Settings::DryContact, 0, nullptr, 0, 0};
const RadioTab SpeedTab {"SpeedSelect", {60, 12, 450, 222}, SpeedBoxes, {30, 36}, 40, 170, Settings::MaxSpeed, 1, "bsSkinTrackEdit1", 210, 3};
const RadioTab SensitivityTab {"bsSkinGroupBox4", {100, 20, 370, 180}, SensitivityBoxes, {60, 40}, 42, 260, Settings::Sensitivity, 3, nullptr, 0, 0};
const RadioTab ReboundTab {"bsSkinGroupBox5", {40, 20, 490, 200}, ReboundBoxes, {30, 40}, 46, 300, Settings::Rebound, -1, "bsSkinTrackEdit2", 340, 0};
// clang-format on

const ListTab JogTab {"bsSkinGroupBox6", "bsSkinComboBox1", Settings::JogTime, 2, false};
const ListTab BaudTab {"bsSkinGroupBox3", "SetComboBox", Settings::BaudCode, -1, true};

RadioPage *newPage(const Context &c, Settings::Item item)
{
    const Settings::Row &row = *Settings::row(item);
    return new RadioPage(c.values, row.value, Byte(row.fallback), c.owner);
}

// The curtain tab's groups lie in five rows, each group's two boxes side by
// side.  The groups whose English captions are long take a whole row, the
// others half of one.
enum CurtainSpan { WholeRow, LeftHalf, RightHalf };

struct CurtainRow {
    Byte bit;
    const char *group;
    const char *clear; // the box for the bit at 0
    const char *set; // the box for the bit at 1
    int row;
    CurtainSpan span;
};
const CurtainRow CurtainRows[] = {
    {MS::HandStartBit, "Hand", "HandStartupOn", "HandStartupOff", 0, WholeRow},
    {MS::DirectionBit, "Direction", "DefaultDirection", "OppositeDirection", 1, LeftHalf},
    {MS::SoftStartBit, "StartUp", "SlowStartup", "NoSlowStart", 1, RightHalf},
    {MS::EndGapBit, "interval", "Clearance", "gapless", 2, LeftHalf},
    {MS::ObstacleStopBit, "Journey", "Stop", "MeetPlugb", 3, WholeRow},
    {MS::PowerMemoryBit, "Remamber", "PowerDownRemamber", "NoRemamber", 4, WholeRow},
    {MS::HandSyncBit, "SynchroSelect", "synchro", "OutSync", 2, RightHalf},
};
// Geometry of the curtain tab, in page and group coordinates.
constexpr int CurtainLeft = 10, CurtainWidth = 555, CurtainGap = 9;
constexpr int CurtainTop = 4, CurtainPitch = 52, CurtainHeight = 48;
constexpr int CurtainBoxY = 21, CurtainBoxLeft = 12, CurtainBoxRight = 4, CurtainBoxGap = 2;

QGroupBox *addGroup(QWidget *parent, const char *name, QRect at)
{
    auto *box = new QGroupBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(at);
    return box;
}

QRadioButton *addBox(QWidget *parent, const char *name, QRect at)
{
    auto *box = new QRadioButton(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(at);
    return box;
}

// Between the tab's group and its buttons; hidden until a report needs it.
void addNote(RadioPage *setting, QWidget *page, int note, const Context &c)
{
    if (note < 0)
        return;
    auto *label = new QLabel(page);
    label->setObjectName(QStringLiteral("ReportNote%1").arg(note));
    label->setGeometry(60, 240, 450, 22);
    label->setStyleSheet(QStringLiteral("color: %1;").arg(QLatin1String(WindowSkin::NoteColour)));
    label->hide();
    setting->setNote(label, c.noteText);
}

RadioPage *buildRadios(QWidget *page, const Context &c, const RadioTab &tab)
{
    RadioPage *setting = newPage(c, tab.item);
    QGroupBox *group = addGroup(page, tab.group, tab.groupAt);
    int freeY = 0;
    for (std::size_t i = 0; i < tab.boxes.size(); ++i) {
        const QPoint at = tab.firstBox + QPoint(0, tab.pitch * int(i));
        setting->addBox(addBox(group, tab.boxes[i].name, QRect(at, QSize(tab.boxWidth, 24))), tab.boxes[i].value);
        if (tab.boxes[i].value == FreeValue)
            freeY = at.y();
    }
    if (tab.edit) {
        const Settings::Row &row = *Settings::row(tab.item);
        auto *edit = new TrackEdit(row.min, row.max, group);
        edit->setObjectName(QLatin1String(tab.edit));
        edit->setGeometry(tab.editX, freeY, 90, 24);
        edit->setTyping(tab.editTyping);
        edit->setEnabled(false);
        setting->setFreeEdit(edit);
    }
    addNote(setting, page, tab.note, c);
    return setting;
}

RadioPage *buildList(QWidget *page, const Context &c, const ListTab &tab)
{
    RadioPage *setting = newPage(c, tab.item);
    QGroupBox *group = addGroup(page, tab.group, QRect(160, 40, 250, 110));
    auto *list = new QComboBox(group);
    list->setObjectName(QLatin1String(tab.list));
    list->setGeometry(40, 46, 170, 26);
    // Item i stands for the first value + i.
    const Settings::Row &row = *Settings::row(tab.item);
    int firstValue = row.min;
    if (row.min <= row.max) {
        for (int n = row.min; n <= row.max; n += row.step)
            list->addItem(QString::number(n));
    } else {
        firstValue = row.words.front().value;
        for (const Settings::ValueWord &w : row.words)
            list->addItem(QLatin1String(w.word));
    }
    list->setCurrentIndex(-1); // nothing chosen until a reset or a report
    if (tab.guarded)
        setting->setListGuard(c.baudListGuard);
    setting->setList(list, firstValue);
    addNote(setting, page, tab.note, c);
    return setting;
}

// One group box per bit, its two boxes side by side, each over half of the
// group.  A restore clears bit 2 too, which no box shows.
RadioPage *buildCurtain(QWidget *page, const Context &c)
{
    RadioPage *setting = newPage(c, Settings::CurtainFunctions);
    const int half = (CurtainWidth - CurtainGap) / 2;
    for (const CurtainRow &r : CurtainRows) {
        const int x = r.span == RightHalf ? CurtainLeft + half + CurtainGap : CurtainLeft;
        const int width = r.span == WholeRow ? CurtainWidth : half;
        QGroupBox *group = addGroup(page, r.group, QRect(x, CurtainTop + CurtainPitch * r.row, width, CurtainHeight));
        const int boxWidth = (width - CurtainBoxLeft - CurtainBoxRight - CurtainBoxGap) / 2;
        const int secondX = CurtainBoxLeft + boxWidth + CurtainBoxGap;
        setting->addBox(addBox(group, r.clear, QRect(CurtainBoxLeft, CurtainBoxY, boxWidth, 24)), 0, r.bit);
        setting->addBox(addBox(group, r.set, QRect(secondX, CurtainBoxY, width - CurtainBoxRight - secondX, 24)), r.bit,
                        r.bit);
    }
    return setting;
}

const Tab Tabs[] = {
    {"bsSkinTabSheet2", "bsSkinButton3", Settings::DryContact, "bsSkinButton4",
     [](QWidget *p, const Context &c) { return buildRadios(p, c, DryContactTab); }},
    {"bsSkinTabSheet3", "bsSkinButton5", Settings::MaxSpeed, "bsSkinButton6",
     [](QWidget *p, const Context &c) { return buildRadios(p, c, SpeedTab); }},
    {"bsSkinTabSheet4", "bsSkinButton7", Settings::CurtainFunctions, "bsSkinButton8", buildCurtain},
    {"bsSkinTabSheet5", "bsSkinButton9", Settings::JogTime, "bsSkinButton10",
     [](QWidget *p, const Context &c) { return buildList(p, c, JogTab); }},
    {"bsSkinTabSheet6", "bsSkinButton11", Settings::Sensitivity, "bsSkinButton15",
     [](QWidget *p, const Context &c) { return buildRadios(p, c, SensitivityTab); }},
    {"bsSkinTabSheet8", "bsSkinButton2", Settings::Rebound, "bsSkinButton13",
     [](QWidget *p, const Context &c) { return buildRadios(p, c, ReboundTab); }},
    {"bsSkinTabSheet7", "bsSkinButton14", Settings::BaudCode, "bsSkinButton12",
     [](QWidget *p, const Context &c) { return buildList(p, c, BaudTab); }},
};

} // namespace

std::span<const Tab> tabs()
{
    return Tabs;
}

} // namespace SettingsTabs
