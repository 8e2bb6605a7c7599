// The main window: the remote-control panel, owner of the motor link.  The
// window itself holds the ID and port boxes, the menus and the panel's
// background; the panel's parts (channel pad, position slider, limit points,
// motor buttons) each handle their own pictures.
#pragma once

#include "LanguageTable.h"
#include "MessageTexts.h"
#include "MotorLink.h"
#include "PortComboBox.h"
#include "PortReturnWatch.h"
#include "SerialLine.h"

class MotorSettingsWindow;

#include <QMainWindow>
#include <QTimer>

#include <memory>
#include <vector>

class ChannelPad;
class LimitPoints;
class LineInventoryWindow;
class MotorButtons;
class PanelItem;
class PanelItems;
class PanelLink;
class PositionSlider;
class PositionTarget;
class QComboBox;
struct PortInfo;
class SecondaryWindows;
class SignalBars;
class StatusLine;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // extraPorts: port names that enumeration cannot find (a pseudo-terminal,
    // a symbolic link), listed after the found ports, before "OFF".
    explicit MainWindow(const QStringList &extraPorts, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The secondary windows, built when first wanted (SecondaryWindows.h).
    void attachWindows(SecondaryWindows *windows);
    // The settings window, once built: a reported ID is selected in its ID
    // list before this window's (MainWindow::listenToLink).
    void attachSettingsWindow(MotorSettingsWindow *settings);

    MotorLink &link() { return m_link; }
    SerialLine &serial() { return m_link.serial(); }
    QTimer &tickTimer() { return m_link.tickTimer(); }
    MessageTexts &texts() { return m_texts; }
    QComboBox *idList() const { return m_idList; }
    QComboBox *portList() const { return m_portList; }
    PositionSlider *positionSlider() const { return m_positionSlider.get(); }
    // The slider's target while the motor runs to it.
    PositionTarget &positionTarget();
    LimitPoints *limitPoints() const { return m_limitPoints.get(); }
    StatusLine *statusLine() const { return m_statusLine; }
    PortReturnWatch &portReturnWatch() { return m_portReturnWatch; }
    // Shows the port in the port box and opens it, as choosing it there does.
    void choosePort(const QString &portName);

    // --- menu (MainWindowMenu.cpp) ---------------------------------------------
    void openSettings();
    void openManual();
    void showAbout();
    void openForceId();
    void openLineRate();
    void openMonitor();
    void openInventory(); // "Motors on this line"
    void setLanguage(Language language);

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showStartState(const QStringList &extraPorts);
    void buildPanel();
    void buildMenu();
    void fillPortList(const QList<PortInfo> &present);
    void listenToLink();
    void onIdChosen();
    void onPortChosen();
    void portLost(const QString &portName);
    void portBack(const QString &portName);
    void endPortWait();
    bool positionPolled() const;
    void writeFailed(bool motorAnswered);
    bool openChildWindowAllowed();
    void fitCaptions();

    // The panel's background and the boxes' frames (MainWindowPanel.cpp).
    void wireBackground(const PanelItems &items);
    void chainFocus(const PanelItems &items);
    void bringToFront(QWidget *item);
    void backgroundPressed();
    void backgroundHovered();
    void idBoxHovered();
    void portBoxHovered();

    MotorLink m_link;
    MessageTexts m_texts; // the texts every window shows, in the language chosen last

    QComboBox *m_idList = nullptr;
    PortComboBox *m_portList = nullptr;
    PanelItem *m_idBoxFrame = nullptr, *m_idBoxLit = nullptr;
    PanelItem *m_portBoxFrame = nullptr, *m_portBoxLit = nullptr;
    std::vector<PanelItem *> m_textSizedCaptions; // as large as their text in each language
    std::unique_ptr<PanelLink> m_panelLink;
    std::unique_ptr<ChannelPad> m_channelPad;
    std::unique_ptr<PositionSlider> m_positionSlider;
    std::unique_ptr<LimitPoints> m_limitPoints;
    std::unique_ptr<MotorButtons> m_motorButtons;

    StatusLine *m_statusLine = nullptr;
    SignalBars *m_signalBars = nullptr;
    PortReturnWatch m_portReturnWatch;

    QStringList m_extraPorts;
    bool m_portsListed = false; // the system's ports are in the list
    bool m_portAwaited = false; // lost, its return watched, the box telling it

    SecondaryWindows *m_windows = nullptr;
    LineInventoryWindow *m_inventoryWindow = nullptr; // built when first opened
    Language m_language = Language::SimplifiedChinese;
    MotorSettingsWindow *m_settingsWindow = nullptr; // built when first wanted
};
