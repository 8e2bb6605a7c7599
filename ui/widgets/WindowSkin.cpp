#include "WindowSkin.h"

#include "FocusRing.h"

#include <QWidget>

namespace {

// Group boxes are panels with a cyan title, buttons the slate of the main
// window's "Full Range" button, the current tab is marked by a cyan line.
// The channel buttons bring their own two looks (ChannelEditor).  The tabs
// have no padding here: the settings window's tab bar adds the room itself
// (MultiRowTabBar::setTabPadding with TabPaddingX/Y).
const char *const StyleSheet = R"(
ChildWindow, BusMonitor { background-color: #16213a; }
QWidget { color: #e4ecf7; }
QWidget:disabled { color: #6f7f99; }
QGroupBox {
    background: #1b2945;
    border: 1px solid #2b3d5f;
    border-radius: 6px;
    margin-top: 16px;
}
QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 8px;
    padding: 0 3px;
    color: #7dd3fc;
}
QRadioButton, QCheckBox, QLabel { background: transparent; }
QRadioButton { spacing: 6px; }
QRadioButton::indicator {
    width: 12px;
    height: 12px;
    border: 1px solid #6a85b0;
    border-radius: 7px;
    background: #0c1425;
}
QRadioButton::indicator:hover { border-color: #38bdf8; }
QRadioButton::indicator:checked {
    border-color: #38bdf8;
    background: qradialgradient(cx:0.5, cy:0.5, radius:0.5, fx:0.5, fy:0.5,
                                stop:0 #38bdf8, stop:0.5 #38bdf8, stop:0.6 #0c1425, stop:1 #0c1425);
}
QComboBox, QAbstractSpinBox {
    background: #0c1425;
    border: 1px solid #3d5a85;
    border-radius: 3px;
    padding: 1px 6px;
    selection-background-color: #38bdf8;
    selection-color: #0b1220;
}
QComboBox:hover, QAbstractSpinBox:hover { border-color: #38bdf8; }
QComboBox:disabled, QAbstractSpinBox:disabled { background: #1b2945; border-color: #2b3d5f; }
QComboBox QAbstractItemView {
    background: #0c1425;
    border: 1px solid #3d5a85;
    selection-background-color: #38bdf8;
    selection-color: #0b1220;
}
QToolButton {
    background: #26344f;
    border: 1px solid #4a6190;
    border-radius: 3px;
}
QToolButton:hover { border-color: #38bdf8; }
QFrame#sliderPopup { background: #1b2945; border: 1px solid #3d5a85; }
QSlider::groove:horizontal { height: 4px; background: #2b3d5f; border-radius: 2px; }
QSlider::sub-page:horizontal { background: #38bdf8; border-radius: 2px; }
QSlider::handle:horizontal {
    width: 12px;
    margin: -5px 0;
    border-radius: 6px;
    background: #e4ecf7;
    border: 1px solid #38bdf8;
}
QPushButton {
    color: #eef4fb;
    border: 1px solid #4a6190;
    border-radius: 5px;
    padding: 3px 10px;
    background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a4e72, stop:1 #26344f);
}
QPushButton:hover { border-color: #38bdf8; }
QPushButton:pressed { background: #1f2b42; }
QPushButton:focus { border-color: #38bdf8; }
QPushButton:disabled { color: #6f7f99; border-color: #2b3d5f; }
QTableView {
    background: #0c1425;
    alternate-background-color: #111b30;
    gridline-color: #1b2945;
    border: 1px solid #2b3d5f;
    selection-background-color: #38bdf8;
    selection-color: #0b1220;
}
QHeaderView::section {
    color: #7dd3fc;
    background: #1b2945;
    border: none;
    border-right: 1px solid #2b3d5f;
    padding: 2px 6px;
}
QCheckBox::indicator {
    width: 12px;
    height: 12px;
    border: 1px solid #6a85b0;
    border-radius: 2px;
    background: #0c1425;
}
QCheckBox::indicator:checked { border-color: #38bdf8; background: #38bdf8; }
QTabWidget::pane {
    background: #16213a;
    border: 1px solid #2b3d5f;
    border-radius: 2px;
    top: -1px;
}
QTabBar::tab {
    color: #b9c8de;
    background: #1f2d4a;
    border: 1px solid #2b3d5f;
    border-top-left-radius: 4px;
    border-top-right-radius: 4px;
    padding: 0;
}
QTabBar::tab:hover { color: #ffffff; background: #26385c; }
QTabBar::tab:selected {
    color: #ffffff;
    background: #16213a;
    border-top: 2px solid #38bdf8;
    border-bottom-color: #16213a;
}
)";

} // namespace

void WindowSkin::apply(QWidget *window)
{
    window->setStyleSheet(QLatin1String(StyleSheet));
    new FocusRing(window);
}
