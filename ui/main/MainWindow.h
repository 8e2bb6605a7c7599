// The main window: the remote-control panel, owner of the serial port
// component Comm1 and the 150 ms transmit timer Timer1.
#pragma once

#include "MotorLink.h"
#include "PanelItem.h"
#include "PortComboBox.h"
#include "SharedState.h"
#include "SerialLine.h"

#include <QHash>
#include <QMainWindow>
#include <QTimer>

#include <array>

class QComboBox;
struct PortInfo;
class QLineEdit;
class QMenu;
class SecondaryWindows;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // extraPorts: port names that enumeration cannot find (a pseudo-terminal,
    // a symbolic link), listed after the found ports, before "OFF".
    explicit MainWindow(const QStringList &extraPorts, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The secondary windows, built when first wanted (SecondaryWindows.h).
    void attachWindows(SecondaryWindows *windows);
    // Follows the link's reported ID after the settings window does (its list
    // selects the ID first): called again once that window is built.
    void followReportedId();

    MotorLink &link() { return m_link; }
    SerialLine &serial() { return m_link.serial(); }
    QTimer &tickTimer() { return m_link.tickTimer(); }
    QComboBox *idList() const { return m_idList; }
    QComboBox *portList() const { return m_portList; }
    QLineEdit *Edit4() const { return m_edit4; }
    PanelItem *item(const QString &name) const;

    // --- handlers ------------------------------------------------------------
    void ComboBox1Change();
    void ComboBox2Change();

    // Menu.
    void SetMenuClick();
    void HelpMenuClick();
    void AboutClick();
    void CurtainSetClick();
    void IDSetClick();
    void Com_SetClick();
    void MonitorClick();
    void ChineseClick();
    void English1Click();
    void N1Click();

    // --- shared refresh routines ---------------------------------------------
    void RefreshChannelImages();
    void RefreshLimitPointButtons();

    // --- the position display ------------------------------------------------------
    void HidePositionDisplay();
    int PointerLeft() const;
    // Moves the slider's pointer; the target percent follows it.
    void SetPointerLeft(int left);
    // Box text, bar width, track, bar, pointer and end captions (the box
    // itself appears when the mouse is over the track).
    void ShowPosition(Byte percent);

protected:
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void FormCreate(const QStringList &extraPorts);
    void buildPanel();
    void buildMenu();
    void fillPortList(const QList<PortInfo> &present);
    void wirePanel();
    void bringToFront(QWidget *label);
    void setShown(const QString &name, bool shown);
    void moveBy(const QString &name, int dx, int dy);
    bool portUsable();
    bool openChildWindowAllowed();

    // Panel handlers (ui/main/MainWindowPanel.cpp).
    void channelPress(int n);
    void channelRelease(int n);
    void channelHover(int n);
    void Label_quan_pingMouseDown();
    void Label_quan_pingMouseUp();
    void Label_quan_pingMouseMove();
    void commandPress(int button);
    void commandRelease(int button);
    void commandHover(int button);
    void limitPointPress(int n);
    void limitPointRelease(int n);
    bool commandChecks(Byte function, Byte data);
    void slideRelease(bool fromBar);
    void Image_PlaceMouseDown(int x);
    void Image_Place_zhi_zhenMouseDown(int x, int y);
    void Image_Place_zhi_zhenMouseMove(Qt::MouseButtons buttons, int x);
    void Image_bei_jingMouseDown();
    void Image_bei_jingMouseMove();
    void Image_id_chMouseMove();
    void Image2MouseMove();
    void Label_id_selectMouseMove();
    void Label_COM_SELECTEMouseMove();
    // A message from a press is shown once the button is released, so the
    // release still reaches the pressed control and undoes its offset.
    void tellOnRelease(const QString &text);
    void flushReleaseMessage();
    void listenToLink();
    void portLost();
    void applyLanguage(int language);
    void fitCaptions();

    MotorLink m_link;
    SharedState &s;

    QHash<QString, PanelItem *> m_items;
    // Each limit point's label and pictures, redrawn on every status answer.
    struct LimitPointItems {
        PanelItem *label, *idle, *hover, *selected;
    };
    std::array<LimitPointItems, 4> m_limitPoints {};
    int m_limitPointsDrawn = -1; // the stored points they show, one bit each
    // The position display: captions, track, bar and pointer are shown and
    // hidden together; bar and pointer follow every status answer.
    struct PositionItems {
        PanelItem *label4, *label8, *track, *bar, *pointer;
        std::array<PanelItem *, 5> all() const { return {label4, label8, track, bar, pointer}; }
    };
    PositionItems m_position {};
    int m_shownPercent = -1; // the percent in Edit4
    QComboBox *m_idList = nullptr;
    PortComboBox *m_portList = nullptr;
    QStringList m_extraPorts;
    bool m_portsListed = false; // the system's ports are in the list
    QLineEdit *m_edit4 = nullptr;
    QString m_releaseMessage;
    bool m_portLostShowing = false;

    SecondaryWindows *m_windows = nullptr;
    QMetaObject::Connection m_followingReportedId;
};
