#include "MotorSettingsWindow.h"

#include "ChannelEditor.h"
#include "Messages.h"
#include "MultiRowTabBar.h"
#include "ScreenPlacement.h"
#include "SerialLine.h"
#include "WindowSkin.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace {

// The baud tab's set button keeps this caption in every language.
const QString BaudSetCaption = QStringLiteral("设      置");
// Wide enough for the longest caption of any language ("Restore default
// values"), and above the page's bottom edge when the tabs take two rows.
constexpr QSize ButtonSize(160, 28);
constexpr int ButtonY = 266;
constexpr QPoint SetButtonAt(140, ButtonY), RestoreButtonAt(316, ButtonY);
// The ID tab has no restore button.  Its set button stands at 227 like a
// lone button of its own, but on the row of the other tabs' buttons: at 277
// it would overhang the page when the tabs take two rows (English).
constexpr QPoint IdSetButtonAt(227, ButtonY);

QPushButton *addButton(QWidget *parent, const char *name, const QString &caption, QPoint at)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(QRect(at, ButtonSize));
    return b;
}

QWidget *addPage(QTabWidget *pages, const char *name)
{
    auto *page = new QWidget;
    page->setObjectName(QLatin1String(name));
    pages->addTab(page, QString());
    return page;
}

} // namespace

MotorSettingsWindow::MotorSettingsWindow(MotorLink &link, SettingsReads &reads, const MessageTexts &texts,
                                         QWidget *mainWindow, QComboBox *mainIdList, QWidget *parent)
    : ChildWindow(mainWindow, QStringLiteral("SetForm"), QString(), QSize(616, 402), false, parent), m_texts(texts),
      m_link(link), m_reads(reads)
{
    placeOnScreen(this, {622, 193}); // over the main window's usual place
    auto *pages = new MultiRowTabWidget(this);
    m_pages = pages;
    m_pages->setObjectName(QStringLiteral("bsSkinPageControl1"));
    m_pages->setGeometry(16, 18, 577, 359);
    pages->rowTabBar()->setTabPadding(QSize(WindowSkin::TabPaddingX, WindowSkin::TabPaddingY));

    addIdTab();
    for (const SettingsTabs::Tab &tab : SettingsTabs::tabs())
        addSettingTab(tab);
    m_pages->setCurrentIndex(0);
    m_defaultsNote = new QLabel(this);
    m_defaultsNote->setObjectName(QStringLiteral("DefaultsNote"));
    m_defaultsNote->setGeometry(16, 379, 577, 20);
    m_defaultsNote->setStyleSheet(QStringLiteral("color: #f59e0b;"));
    showDefaultsNote();
    // Choosing an ID here chooses it in the main window as well.
    m_editor->setIndexChangedHook([mainIdList](int index) { mainIdList->setCurrentIndex(index); });
    listenToLink();
}

void MotorSettingsWindow::addIdTab()
{
    QWidget *page = addPage(m_pages, "bsSkinTabSheet1");
    m_editor = new ChannelEditor(m_link, m_texts, page, QPoint(176, 24), QPoint(176, 116));
    m_editor->showAsBefore(m_reads.reportedId(), m_reads.channelsDrawn());
    addSetButton(page, "bsSkinButton1", Settings::IdAndChannels, IdSetButtonAt);
}

void MotorSettingsWindow::addSettingTab(const SettingsTabs::Tab &tab)
{
    QWidget *page = addPage(m_pages, tab.page);
    const SettingsTabs::Context context {m_reads.values(), [this](int v) { return reportNote(v); },
                                         [this] { return baudChoiceAllowed(); }, this};
    RadioPage *setting = tab.build(page, context);
    m_settings.push_back({setting, tab.item});
    // What the reports brought so far, shown before the page is wired to the
    // link: showing it again changes nothing there.
    if (m_reads.taken(Settings::row(tab.item)->readBack))
        setting->show();
    // The baud code chosen here is the rate the link opens a port at.
    if (tab.item == Settings::BaudCode)
        connect(setting, &RadioPage::valueStored, this, [this](Byte code) { m_link.setLineBaudCode(code); });
    addSetButton(page, tab.setButton, tab.item, SetButtonAt);
    QPushButton *restore = addButton(page, tab.restoreButton, QString(), RestoreButtonAt);
    connect(restore, &QPushButton::clicked, setting, &RadioPage::restore);
}

void MotorSettingsWindow::addSetButton(QWidget *page, const char *name, Settings::Item item, QPoint at)
{
    QPushButton *set = addButton(page, name, item == Settings::BaudCode ? BaudSetCaption : QString(), at);
    connect(set, &QPushButton::clicked, this, [this, item] { writeSetting(item); });
}

void MotorSettingsWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        m_link.setStatusPolling(!isEnabled());
    ChildWindow::changeEvent(event);
}

// --- the window as a whole ---------------------------------------------------

void MotorSettingsWindow::showReported(Settings::ReadBack carried)
{
    for (const Setting &setting : m_settings)
        if (Settings::row(setting.item)->readBack == carried)
            setting.page->show();
}

// The answer handling has already turned a baud code without a rate into
// the default code and stored it.
void MotorSettingsWindow::showBasicSettings(const SettingValues &reported)
{
    m_reads.take(Settings::ReadBack::Basic, reported);
}

void MotorSettingsWindow::showExtendedSettings(const SettingValues &reported)
{
    m_reads.take(Settings::ReadBack::Extended, reported);
}

void MotorSettingsWindow::selectReportedId(int id)
{
    m_editor->idList()->setCurrentIndex(id);
}

void MotorSettingsWindow::refreshChannelButtons()
{
    m_editor->refreshChannelButtons();
}

void MotorSettingsWindow::openAfterScan()
{
    m_mainWindow->setEnabled(false);
    showOverMainWindow();
    setEnabled(true);
}

void MotorSettingsWindow::resetToDefaults()
{
    for (const Setting &setting : m_settings)
        setting.page->restore();
    m_editor->setGroupCaption(m_texts[Message::GroupCaption]);
}

void MotorSettingsWindow::restore(Settings::Item item)
{
    for (const Setting &setting : m_settings)
        if (setting.item == item)
            setting.page->restore();
}

// --- the link and its state ----------------------------------------------------

// The reports the link reads fill the tabs; the end of a read may open the
// window.  The link polls the motor's status only while this window is closed.
void MotorSettingsWindow::listenToLink()
{
    connect(&m_reads, &SettingsReads::reportTaken, this, &MotorSettingsWindow::showReported);
    // A scan no motor answered clearly leaves the defaults on the tabs: the
    // window says so, and why.
    connect(&m_reads, &SettingsReads::defaultsChanged, this, &MotorSettingsWindow::showDefaultsNote);
    // A clean basic report clears what an earlier read heard (SettingsReads);
    // answers that collide while the window is open (its extended read, a
    // read-back) mark it again.
    connect(&m_link, &MotorLink::bytesDiscarded, this, [this](const QByteArray &, MotorLink::Discard why, qint64) {
        if (why == MotorLink::Discard::Collision && isEnabled())
            m_reads.markSeveral();
    });
    connect(&m_link, &MotorLink::settingsReadScanEnded, this, &MotorSettingsWindow::openAfterScan);
    connect(&m_link, &MotorLink::idWriteRefused, this, [this](MotorLink::IdWriteRefusal why) {
        Messages::show(why == MotorLink::IdWriteRefusal::NoneAnswered  ? m_texts[Message::IdWriteNoneAnswered]
                           : why == MotorLink::IdWriteRefusal::Garbled ? m_texts[Message::IdWriteGarbled]
                                                                       : m_texts[Message::IdWriteSeveral]);
    });
    connect(&m_link, &MotorLink::reportedChannels, this, [this] {
        if (isEnabled())
            refreshChannelButtons();
    });
}

bool MotorSettingsWindow::showsDefaults() const
{
    return m_defaultsNote->isVisibleTo(this);
}

void MotorSettingsWindow::showDefaultsNote()
{
    refreshTexts();
    m_defaultsNote->setVisible(m_reads.showsDefaults());
}

void MotorSettingsWindow::refreshTexts()
{
    m_defaultsNote->setText(m_texts[m_reads.defaultsWhy()]);
}

QString MotorSettingsWindow::reportNote(int reported) const
{
    return m_texts[Message::ValueOutOfRange].arg(reported);
}

// Only an open port counts here; the port box choice is not consulted.
bool MotorSettingsWindow::baudChoiceAllowed()
{
    if (m_link.serial().isOpen())
        return true;
    Messages::show(m_texts[Message::SelectPort]);
    return false;
}

void MotorSettingsWindow::writeSetting(Settings::Item item)
{
    if (m_reads.lastReadSeveral()) {
        Messages::show(m_texts[Message::SettingsWriteSeveral]);
        return;
    }
    // An ID write reaches every motor on the line: the line is asked first.
    m_editor->writeSetting(item, MotorLink::IdWrite::AskLineFirst, m_reads.values());
}

void MotorSettingsWindow::returnToMainWindow()
{
    ChildWindow::returnToMainWindow();
    m_link.silenceSettingsReadEnd();
}
