#include "MainWindow.h"

#include "BusMonitor.h"
#include "LineRateWindow.h"
#include "MotorSettingsWindow.h"
#include "Frames.h"
#include "ForceIdWindow.h"
#include "IdList.h"
#include "LanguageTable.h"
#include "Messages.h"
#include "PanelLayout.h"
#include "PortList.h"
#include "SecondaryWindows.h"
#include "ManualWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace {

const QString AboutText = QStringLiteral("Version:2.5    UpData:2016-12-16");

} // namespace

MainWindow::MainWindow(const QStringList &extraPorts, QWidget *parent)
    : QMainWindow(parent), s(m_link.state())
{
    setObjectName(QStringLiteral("Form1"));
    buildPanel();
    buildMenu();
    wirePanel();
    FormCreate(extraPorts);
    listenToLink();
    tickTimer().start();
}

MainWindow::~MainWindow() = default;

void MainWindow::attachWindows(SecondaryWindows *windows)
{
    m_windows = windows;
    followReportedId();
}

void MainWindow::followReportedId()
{
    // After the settings window's own listener: a reported ID is selected in
    // its list first.  When that list already showed the ID, its change does
    // not reach this list, which must still follow, or it would show another
    // ID than the one every frame carries.
    disconnect(m_followingReportedId);
    m_followingReportedId =
        connect(&m_link, &MotorLink::reportedId, this, [this](int id) { m_idList->setCurrentIndex(id); });
}

// The window shows what the link reports; boxes open once the link's handler
// has returned.
void MainWindow::listenToLink()
{
    connect(&m_link, &MotorLink::positionUnknown, this, &MainWindow::HidePositionDisplay);
    connect(&m_link, &MotorLink::positionReported, this, [this](int percent, bool targetPending) {
        if (!targetPending)
            SetPointerLeft(PanelLayout::pointerLeft(percent));
        ShowPosition(Byte(percent));
    });
    connect(&m_link, &MotorLink::statusReported, this, &MainWindow::RefreshLimitPointButtons);
    connect(&m_link, &MotorLink::reportedChannels, this, [this] {
        if (!m_link.settingsWindowOpen())
            RefreshChannelImages();
    });
    connect(&m_link, &MotorLink::reportedIdOutOfRange, this,
            [this](int id) { Messages::post(s.MsgIdOutOfRange.arg(id)); });
    connect(&m_link, &MotorLink::writeConfirmed, this, [this] { Messages::post(s.MsgSetSuccess); });
    connect(&m_link, &MotorLink::writeFailed, this, [this] { Messages::post(s.MsgSetFailure); });
    connect(&m_link, &MotorLink::commError, this,
            [](const QString &text) { Messages::post(text, Messages::Kind::Error); });
    connect(&m_link, &MotorLink::portError, this,
            [](const QString &text, MotorLink::PortCause, const QString &advice) {
                Messages::show(advice.isEmpty() ? text : text + QLatin1String("\n\n") + advice,
                               Messages::Kind::Error);
            });
    connect(&m_link, &MotorLink::portLost, this, &MainWindow::portLost);
}

// Closing the main window ends the program, whatever window is open.  The
// secondary windows are put away first: one left visible would keep the
// program running, and closing it would bring the main window back.
void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_windows)
        for (QWidget *child : m_windows->builtWindows())
            child->hide();
    event->accept();
    QCoreApplication::quit();
}

PanelItem *MainWindow::item(const QString &name) const
{
    PanelItem *found = m_items.value(name);
    Q_ASSERT_X(found, "MainWindow::item", qPrintable(name));
    return found;
}

void MainWindow::buildPanel()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel"));
    central->setFixedSize(PanelLayout::ClientWidth, PanelLayout::ClientHeight);
    setCentralWidget(central);
    layout()->setSizeConstraint(QLayout::SetFixedSize); // single fixed border

    // Created bottom to top: later siblings lie above earlier ones.
    for (const PanelLayout::Picture &p : PanelLayout::pictures()) {
        auto *picture = new PanelItem(PanelItem::Role::Picture, p.name, central);
        picture->setPicture(p.picture);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        picture->setGeometry(p.rect);
        picture->setVisible(p.visible);
        m_items.insert(p.name, picture);
    }
    QFont captionFont = font();
    captionFont.setPointSize(9);
    QFont numberFont = captionFont;
    numberFont.setBold(true);
    for (const PanelLayout::Label &l : PanelLayout::labels()) {
        const bool hit = l.role == PanelLayout::LabelRole::Hit;
        auto *label = new PanelItem(hit ? PanelItem::Role::HitLabel : PanelItem::Role::Caption, l.name, central);
        label->setText(l.text);
        label->setFont(l.text.isEmpty() ? captionFont : numberFont);
        label->setAlignment(Qt::AlignCenter);
        if (hit)
            label->setCursor(Qt::PointingHandCursor);
        label->setTextColour(Qt::white);
        if (l.rect.isEmpty()) {
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->move(l.rect.topLeft()); // sized to its text by fitCaptions()
        } else {
            label->setGeometry(l.rect);
        }
        m_items.insert(l.name, label);
    }

    m_idList = new QComboBox(central);
    m_idList->setObjectName(QStringLiteral("ComboBox1"));
    m_idList->setGeometry(PanelLayout::ComboBox1);
    IdList::setUp(m_idList); // 8 rows; ComboBox1KeyPress
    m_portList = new PortComboBox(central);
    m_portList->setObjectName(QStringLiteral("ComboBox2"));
    m_portList->setGeometry(PanelLayout::ComboBox2);
    connect(m_portList, &PortComboBox::aboutToShowPopup, this,
            [this] { fillPortList(PortList::availablePorts()); });
    m_edit4 = new QLineEdit(central);
    m_edit4->setObjectName(QStringLiteral("Edit4"));
    m_edit4->setGeometry(PanelLayout::Edit4);
    m_edit4->setReadOnly(true);
    m_edit4->setFocusPolicy(Qt::NoFocus);
    m_edit4->setAlignment(Qt::AlignCenter);
    m_edit4->setFrame(false);
    m_edit4->setStyleSheet(QStringLiteral("QLineEdit { background: #0f2233; color: #e8f4ff; border: 1px solid #3d6b8f; border-radius: 3px; font-size: 8pt; }"));

    connect(m_idList, &QComboBox::currentTextChanged, this, [this] { ComboBox1Change(); });
    connect(m_portList, &QComboBox::activated, this, [this] { ComboBox2Change(); });
    bringToFront(nullptr);
}

void MainWindow::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Captions come from the language table, except the Language menu's,
    // which no language changes.
    auto action = [this](const char *name, const QString &caption, void (MainWindow::*handler)()) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        return a;
    };
    QMenu *language = bar->addMenu(QStringLiteral("语言 Language(&L)"));
    language->setObjectName(QStringLiteral("Language"));
    language->addAction(action("Chinese", QStringLiteral("简体中文"), &MainWindow::ChineseClick));
    language->addAction(action("English1", QStringLiteral("English"), &MainWindow::English1Click));
    language->addAction(action("N1", QStringLiteral("繁体"), &MainWindow::N1Click));
    bar->addAction(action("SetMenu", QString(), &MainWindow::SetMenuClick));
    // The Tools menu is the way to the forced ID window and the serial
    // settings window: a technician needs both.
    QMenu *tools = bar->addMenu(QString());
    tools->setObjectName(QStringLiteral("ToolsMenu"));
    tools->addAction(action("IDSetMenu", QString(), &MainWindow::IDSetClick));
    tools->addAction(action("ComSetMenu", QString(), &MainWindow::Com_SetClick));
    tools->addAction(action("MonitorMenu", QString(), &MainWindow::MonitorClick));
    bar->addAction(action("HelpMenu", QString(), &MainWindow::HelpMenuClick));
    bar->addAction(action("About", QString(), &MainWindow::AboutClick));
}

void MainWindow::FormCreate(const QStringList &extraPorts)
{
    // 1. Double buffering: Qt paints every widget through a back buffer already.
    // 2. Group control first; every ID starts with channel 1 (the table's own start).
    QStringList ids {QString()};
    for (int id = 1; id <= 99; ++id)
        ids << QString::number(id);
    {
        const QSignalBlocker quiet(m_idList);
        m_idList->addItems(ids);
        m_idList->setCurrentIndex(0);
    }
    s.SelectedIdIndex = 1;
    // 3. No position is known yet.
    HidePositionDisplay();
    // 4. Hints: highlight background, window-coloured text, size 10.
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QApplication::palette().color(QPalette::Highlight));
    tips.setColor(QPalette::ToolTipText, QApplication::palette().color(QPalette::Window));
    QToolTip::setPalette(tips);
    QFont tipFont = QToolTip::font();
    tipFont.setPointSize(10);
    QToolTip::setFont(tipFont);
    // 5. The ports present, then the ones given on the command line, then OFF.
    // Asking the system for its ports is the slowest step of the start, so
    // the present ones join the list once the window is on screen (paintEvent).
    m_extraPorts = extraPorts;
    fillPortList({}); // shows OFF: nothing is opened until the user chooses
    // 6.-8. Group caption, the main window's texts and the messages, in Simplified Chinese;
    // the window title is a row of them.
    ApplyStartTexts(LanguageWindows {this, nullptr, nullptr, nullptr, &s});
    fitCaptions();
}

// Lists the ports present, read from the system once the window is first
// drawn and whenever the port box is about to open.  The shown item stays
// shown, also when its port has gone; nothing is opened or closed and the
// box's change handling does not run.
void MainWindow::fillPortList(const QList<PortInfo> &present)
{
    struct Entry {
        QString name, tip;
    };
    QList<Entry> entries;
    const auto listed = [&](const QString &name) {
        return std::any_of(entries.cbegin(), entries.cend(), [&](const Entry &e) { return e.name == name; });
    };
    for (const PortInfo &port : present)
        entries.append({port.name, port.toolTip()});
    for (const QString &extra : m_extraPorts)
        if (!listed(extra))
            entries.append({extra, extra});
    const int shown = m_portList->currentIndex();
    const QString shownName = m_portList->currentText();
    const QString off = QStringLiteral("OFF");
    if (shown >= 0 && shownName != off && !listed(shownName))
        entries.append({shownName, m_portList->itemData(shown, Qt::ToolTipRole).toString()});
    entries.append({off, QString()});

    const QSignalBlocker quiet(m_portList);
    m_portList->clear();
    for (const Entry &e : entries) {
        m_portList->addItem(e.name);
        if (!e.tip.isEmpty())
            m_portList->setItemData(m_portList->count() - 1, e.tip, Qt::ToolTipRole);
    }
    m_portList->setCurrentIndex(shown >= 0 ? m_portList->findText(shownName) : m_portList->count() - 1);
}

void MainWindow::paintEvent(QPaintEvent *event)
{
    QMainWindow::paintEvent(event);
    if (!std::exchange(m_portsListed, true))
        QTimer::singleShot(0, this, [this] { fillPortList(PortList::availablePorts()); });
}

void MainWindow::bringToFront(QWidget *label)
{
    if (label)
        label->raise();
    // Boxes always lie above the pictures and labels of the panel.
    m_edit4->raise();
    m_idList->raise();
    m_portList->raise();
}

void MainWindow::setShown(const QString &name, bool shown)
{
    item(name)->setVisible(shown);
}

void MainWindow::moveBy(const QString &name, int dx, int dy)
{
    QWidget *w = item(name);
    w->move(w->x() + dx, w->y() + dy);
}

bool MainWindow::portUsable()
{
    return m_link.portUsable();
}

// --- port ---------------------------------------------------------------------

void MainWindow::ComboBox2Change()
{
    m_link.choosePort(m_portList->currentText());
}

void MainWindow::portLost()
{
    // One message for one loss, however often the port reports it.
    if (m_portLostShowing)
        return;
    m_portLostShowing = true;
    QTimer::singleShot(0, this, [this] {
        Messages::show(s.MsgPortLost, Messages::Kind::Error);
        m_portLostShowing = false;
    });
}

// --- menu ---------------------------------------------------------------------

bool MainWindow::openChildWindowAllowed()
{
    if (portUsable())
        return true;
    Messages::show(s.MsgSelectPort);
    return false;
}

void MainWindow::SetMenuClick()
{
    if (!openChildWindowAllowed())
        return;
    m_link.startSettingsRead(true);
    if (m_windows)
        m_windows->settingsWindow().ResetToDefaults();
}

void MainWindow::HelpMenuClick()
{
    if (m_windows)
        m_windows->manualWindow().open();
}

void MainWindow::AboutClick()
{
    Messages::show(AboutText);
}

void MainWindow::CurtainSetClick()
{
    if (!openChildWindowAllowed())
        return;
    m_link.stageRead(Frame::ReadBasic);
    if (m_windows)
        m_windows->settingsWindow().OpenAfterScan();
}

void MainWindow::IDSetClick()
{
    if (!openChildWindowAllowed())
        return;
    if (m_windows)
        m_windows->forceIdWindow().openWithIndex(m_idList->currentIndex());
}

void MainWindow::Com_SetClick()
{
    if (!openChildWindowAllowed())
        return;
    if (m_windows)
        m_windows->lineRateWindow().open();
}

// A companion, not a secondary window: the main window stays enabled, and
// no port is needed to watch the line.
void MainWindow::MonitorClick()
{
    if (m_windows)
        m_windows->busMonitor().open();
}

void MainWindow::applyLanguage(int language)
{
    if (m_windows)
        m_windows->applyLanguage(language);
    else
        ApplyLanguage(LanguageWindows {this, nullptr, nullptr, nullptr, &s}, Language(language));
    fitCaptions();
}

// Captions take the size of their text in each language.
void MainWindow::fitCaptions()
{
    for (const PanelLayout::Label &l : PanelLayout::labels())
        if (l.rect.isEmpty())
            item(l.name)->adjustSize();
}

void MainWindow::ChineseClick() { applyLanguage(int(Language::SimplifiedChinese)); }
void MainWindow::English1Click() { applyLanguage(int(Language::English)); }
void MainWindow::N1Click() { applyLanguage(int(Language::TraditionalChinese)); }

// --- position display and settings window, for the protocol ------------------------

void MainWindow::HidePositionDisplay()
{
    for (PanelItem *part : m_position.all())
        part->hide();
    m_edit4->hide();
}

int MainWindow::PointerLeft() const
{
    return m_position.pointer->x();
}

void MainWindow::SetPointerLeft(int left)
{
    if (m_position.pointer->x() != left)
        m_position.pointer->move(left, m_position.pointer->y());
    s.PositionTargetPercent = PanelLayout::pointerPercent(left);
}

void MainWindow::ShowPosition(Byte percent)
{
    // Every status answer comes here, mostly with the same percent: only what
    // changed is touched (an equal text would still reset the edit's cursor).
    if (percent != m_shownPercent) {
        m_shownPercent = percent;
        m_edit4->setText(QStringLiteral(" %1 %").arg(percent));
        m_position.bar->resize(std::min(2 * int(percent), PanelLayout::BarMaxWidth), PanelLayout::BarHeight);
    }
    for (PanelItem *part : m_position.all())
        if (part->isHidden())
            part->show();
}
