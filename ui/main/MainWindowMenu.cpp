// The main window's menus: the language, the settings window, the tools
// (forced ID, line rate, bus monitor), the manual and the About box.
#include "MainWindow.h"

#include "BusMonitor.h"
#include "ChannelPad.h"
#include "LineInventoryWindow.h"
#include "ForceIdWindow.h"
#include "LineRateWindow.h"
#include "ManualWindow.h"
#include "Messages.h"
#include "Version.h"
#include "MotorSettingsWindow.h"
#include "PanelLink.h"
#include "SecondaryWindows.h"
#include "StatusLine.h"

#include <QAction>
#include <QComboBox>
#include <QMenuBar>

namespace {

const QString AboutText = QStringLiteral("Version:" TAVIK_VERSION "    UpData:2016-12-16");

} // namespace

void MainWindow::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Captions come from the language table, except the Language menu's,
    // which no language changes.
    auto action = [this](const char *name, const QString &caption, auto handler) {
        auto *a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    QMenu *language = bar->addMenu(QStringLiteral("语言 Language(&L)"));
    language->setObjectName(QStringLiteral("Language"));
    const struct {
        const char *name;
        const char *caption;
        Language language;
    } languages[] = {{"Chinese", "简体中文", Language::SimplifiedChinese},
                     {"English1", "English", Language::English},
                     {"N1", "繁体", Language::TraditionalChinese}};
    for (const auto &l : languages)
        language->addAction(
            action(l.name, QString::fromUtf8(l.caption), [this, chosen = l.language] { setLanguage(chosen); }));
    bar->addAction(action("SetMenu", QString(), &MainWindow::openSettings));
    // The Tools menu is the way to the forced ID window and the serial
    // settings window: a technician needs both.
    QMenu *tools = bar->addMenu(QString());
    tools->setObjectName(QStringLiteral("ToolsMenu"));
    tools->addAction(action("IDSetMenu", QString(), &MainWindow::openForceId));
    tools->addAction(action("ComSetMenu", QString(), &MainWindow::openLineRate));
    tools->addAction(action("MonitorMenu", QString(), &MainWindow::openMonitor));
    tools->addAction(action("InventoryMenu", QString(), &MainWindow::openInventory));
    bar->addAction(action("HelpMenu", QString(), &MainWindow::openManual));
    bar->addAction(action("About", QString(), &MainWindow::showAbout));
}

bool MainWindow::openChildWindowAllowed()
{
    if (m_link.portUsable())
        return true;
    Messages::show(m_panelLink->text(Message::SelectPort));
    return false;
}

void MainWindow::openSettings()
{
    if (!openChildWindowAllowed())
        return;
    m_link.startSettingsRead(true);
    if (m_windows)
        m_windows->settingsWindow().resetToDefaults();
}

void MainWindow::openManual()
{
    if (m_windows)
        m_windows->manualWindow().open();
}

void MainWindow::showAbout()
{
    Messages::show(AboutText);
}

void MainWindow::openForceId()
{
    if (!openChildWindowAllowed())
        return;
    if (m_windows)
        m_windows->forceIdWindow().openWithIndex(m_idList->currentIndex());
}

void MainWindow::openLineRate()
{
    if (!openChildWindowAllowed())
        return;
    if (m_windows)
        m_windows->lineRateWindow().open();
}

// A companion, not a secondary window: the main window stays enabled, and
// no port is needed to watch the line.
void MainWindow::openMonitor()
{
    if (m_windows)
        m_windows->busMonitor().open();
}

// The chosen motor becomes the panel's target, its ID shown and its channels
// drawn; the port moves to its rate first, so no poll goes out at another.
void MainWindow::openInventory()
{
    if (!openChildWindowAllowed())
        return;
    if (!m_inventoryWindow) {
        m_inventoryWindow = new LineInventoryWindow(m_link, this);
        m_inventoryWindow->setLanguage(m_language);
        connect(m_inventoryWindow, &LineInventoryWindow::motorChosen, this, [this](const MotorTarget &motor, int rate) {
            if (const auto code = MotorSettings::baudCodeOfBps(rate))
                m_link.setLineBaudCode(Byte(*code)); // the rate a port opens at from now on
            if (m_link.serial().bitsPerSecond() != rate)
                m_link.reopenAt(rate);
            m_link.setTarget(motor);
            m_idList->setCurrentIndex(motor.id);
            m_channelPad->refresh();
        });
    }
    m_inventoryWindow->showForSearch();
}

void MainWindow::setLanguage(Language language)
{
    m_language = language;
    if (m_inventoryWindow)
        m_inventoryWindow->setLanguage(language);
    if (m_windows)
        m_windows->applyLanguage(int(language));
    else
        applyLanguage(LanguageWindows {this, nullptr, nullptr, nullptr, &m_texts}, language);
    fitCaptions();
    m_statusLine->refresh();
}
