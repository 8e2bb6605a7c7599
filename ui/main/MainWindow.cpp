#include "MainWindow.h"

#include "ChannelPad.h"
#include "ChildWindow.h"
#include "LimitPoints.h"
#include "Messages.h"
#include "MotorButtons.h"
#include "MotorSettings.h"
#include "MotorSettingsWindow.h"
#include "PanelItem.h"
#include "PanelLink.h"
#include "PortList.h"
#include "PositionSlider.h"
#include "SecondaryWindows.h"
#include "SignalBars.h"
#include "StatusLine.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShowEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QToolTip>

#include <algorithm>
#include <utility>

namespace {
// The port box's last item: choosing it closes the port.
const QString OffItem = QStringLiteral("OFF");

// What the user can do about a port that did not open (empty when there is
// no advice).
QString portAdvice(const MessageTexts &texts, const QString &portName, MotorLink::PortCause cause,
                   const DeviceAccess &device)
{
    switch (cause) {
    case MotorLink::PortCause::NotFound: return texts[Message::PortMissing].arg(portName);
    case MotorLink::PortCause::InUse: return texts[Message::PortBusy].arg(portName);
    case MotorLink::PortCause::NoPermission:
        // Joining the group helps only when the group may read and write it.
        return device.groupMayOpen ? texts[Message::PortDenied].arg(device.device, device.group)
                                   : texts[Message::PortOwnerOnly].arg(device.device, device.owner);
    default: return {};
    }
}
} // namespace

MainWindow::MainWindow(const QStringList &extraPorts, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    buildPanel();
    buildMenu();
    showStartState(extraPorts);
    m_statusLine = new StatusLine(m_link, m_texts, this);
    setStatusBar(m_statusLine);
    connect(m_statusLine, &StatusLine::barsChanged, m_signalBars, &SignalBars::setBars);
    m_statusLine->refresh();
    connect(&m_portReturnWatch, &PortReturnWatch::deviceBack, this, &MainWindow::portBack);
    listenToLink();
    tickTimer().start();
}

MainWindow::~MainWindow() = default;

PositionTarget &MainWindow::positionTarget()
{
    return m_panelLink->positionTarget();
}

void MainWindow::attachWindows(SecondaryWindows *windows)
{
    m_windows = windows;
}

void MainWindow::attachSettingsWindow(MotorSettingsWindow *settings)
{
    m_settingsWindow = settings;
}

// The window shows what the link reports; boxes open once the link's handler
// has returned.
void MainWindow::listenToLink()
{
    PositionSlider *slider = m_positionSlider.get();
    // A reported ID is selected in the settings window's list first.  When
    // that list already showed the ID, its change does not reach this list,
    // which must still follow, or it would show another ID than the one
    // every frame carries.
    connect(&m_link, &MotorLink::reportedId, this, [this](int id) {
        if (m_settingsWindow)
            m_settingsWindow->selectReportedId(id);
        m_idList->setCurrentIndex(id);
    });
    // Only the motor addressed moves the slider; the others' answers show on the wire.
    connect(&m_link, &MotorLink::statusAnswer, this, [this, slider](const StatusReport &answer) {
        if (!answer.fromAddressed)
            return;
        if (!answer.percent) {
            slider->hide();
            return;
        }
        slider->follow(*answer.percent, answer.status);
        // The percent stays beside the slider while one motor's position is polled.
        if (positionPolled())
            slider->box()->show();
    });
    connect(&m_link, &MotorLink::motorSilent, this, [slider] { slider->hide(); });
    connect(&m_link, &MotorLink::statusReported, this, [this] { m_limitPoints->refresh(); });
    connect(&m_link, &MotorLink::reportedChannels, this, [this] {
        if (m_link.statusPolling())
            m_channelPad->refresh();
    });
    connect(&m_link, &MotorLink::reportedIdOutOfRange, this,
            [this](int id) { Messages::post(m_panelLink->text(Message::IdOutOfRange).arg(id)); });
    connect(&m_link, &MotorLink::writeConfirmed, this,
            [this] { Messages::post(m_panelLink->text(Message::SetSuccess)); });
    connect(&m_link, &MotorLink::writeFailed, this,
            [this](Settings::Item, bool motorAnswered) { writeFailed(motorAnswered); });
    connect(&m_link, &MotorLink::serialError, this,
            [](const QString &text) { Messages::post(text, Messages::Kind::Error); });
    connect(&m_link, &MotorLink::portError, this,
            [this](const QString &text, MotorLink::PortCause cause, const DeviceAccess &device) {
                const QString advice = portAdvice(m_texts, m_link.serial().portName(), cause, device);
                Messages::show(advice.isEmpty() ? text : text + QLatin1String("\n\n") + advice, Messages::Kind::Error);
            });
    connect(&m_link, &MotorLink::portLost, this, [this](const QString &portName) { portLost(portName); });
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

// A secondary window holds the input while this one is disabled: activating
// this one (a click on it, the task bar) brings that window up instead, so a
// greyed main window is never alone in front.
void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || isEnabled() || !m_windows)
        return;
    for (QWidget *child : m_windows->builtWindows()) {
        if (child->isVisible() && child->isEnabled() && qobject_cast<ChildWindow *>(child)) {
            child->raise();
            child->activateWindow();
            return;
        }
    }
}

void MainWindow::showStartState(const QStringList &extraPorts)
{
    // The group item first.  Each item carries its ID (0: group control),
    // whatever its caption.
    {
        const QSignalBlocker quiet(m_idList);
        m_idList->addItem(QString(), 0);
        for (int id = 1; id <= MotorSettings::MaxId; ++id)
            m_idList->addItem(QString::number(id), id);
        m_idList->setCurrentIndex(0);
    }
    m_link.chooseId(0);
    // No position is known yet.
    m_positionSlider->hide();
    // Hints: highlight background, window-coloured text, size 10.
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QApplication::palette().color(QPalette::Highlight));
    tips.setColor(QPalette::ToolTipText, QApplication::palette().color(QPalette::Window));
    QToolTip::setPalette(tips);
    QFont tipFont = QToolTip::font();
    tipFont.setPointSize(10);
    QToolTip::setFont(tipFont);
    // The ports present, then the ones given on the command line, then OFF.
    // Asking the system for its ports is the slowest step of the start, so
    // the present ones join the list once the window is on screen (paintEvent).
    m_extraPorts = extraPorts;
    fillPortList({}); // shows OFF: nothing is opened until the user chooses
    // The group caption, the main window's texts and the messages, in
    // Simplified Chinese; the window title is a row of them.
    applyStartTexts(LanguageWindows {this, nullptr, nullptr, nullptr, &m_texts});
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
    if (shown >= 0 && shownName != OffItem && !listed(shownName))
        entries.append({shownName, m_portList->itemData(shown, Qt::ToolTipRole).toString()});
    entries.append({OffItem, QString()});

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

// Without a window manager a new window gets no keys unless it asks for them.
void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        activateWindow();
}

// --- ID and port ----------------------------------------------------------------

void MainWindow::onIdChosen()
{
    m_panelLink->followIdList();
    // The channel pictures follow at the next pass over the panel.
}

void MainWindow::onPortChosen()
{
    const QString name = m_portList->currentText();
    endPortWait(); // a choice, OFF included, ends the wait for a lost port
    if (name == OffItem) {
        m_link.closePort();
        m_statusLine->showNoPort();
    } else {
        m_link.choosePort(name);
    }
}

void MainWindow::choosePort(const QString &portName)
{
    if (m_portList->findText(portName) < 0) {
        m_extraPorts.append(portName);
        fillPortList({});
    }
    m_portList->setCurrentIndex(m_portList->findText(portName));
    onPortChosen();
}

// The message says what failed and, on a second line, whether the motor was
// silent or kept another value.
void MainWindow::writeFailed(bool motorAnswered)
{
    Messages::post(m_texts.setFailureText(motorAnswered), Messages::Kind::Error);
}

bool MainWindow::positionPolled() const
{
    return m_link.statusPolling() && m_link.target().isOneMotorChannel();
}

// The lost port's device is back under its name: the port opens again and
// scans, as if chosen, unless the user chose something else meanwhile.
void MainWindow::portBack(const QString &portName)
{
    if (m_portList->currentText() != portName)
        return;
    if (m_link.choosePort(portName)) {
        m_statusLine->showPortBack(portName);
        endPortWait();
    }
}

// The box says what the status line says: the port is lost and awaited.  It
// closes itself when the wait ends (the port back, another port or OFF
// chosen), so it never stays up to contradict the status line.
void MainWindow::portLost(const QString &portName)
{
    m_portReturnWatch.watch(portName);
    if (std::exchange(m_portAwaited, true))
        return; // one message for one loss, however often the port reports it
    QTimer::singleShot(0, this, [this] {
        if (m_portAwaited)
            Messages::show(m_panelLink->text(Message::PortLost), Messages::Kind::Error);
    });
}

void MainWindow::endPortWait()
{
    m_portReturnWatch.stop();
    if (std::exchange(m_portAwaited, false))
        Messages::dismiss(m_panelLink->text(Message::PortLost));
}

// Captions take the size of their text in each language.
void MainWindow::fitCaptions()
{
    for (PanelItem *caption : m_textSizedCaptions)
        caption->adjustSize();
}
