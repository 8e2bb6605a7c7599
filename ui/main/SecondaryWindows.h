// The secondary windows and the bus monitor as the main window reaches them.
// Each is built the first time it is wanted (the settings window when a
// settings read starts); built late, it first takes the language chosen so
// far and its usual place (the settings window also what the link's reads
// brought so far), so it is the window it would be had it been built at
// start.  A window not built yet is hidden, as every one is at start.
#pragma once

#include <QList>

class QWidget;
class ManualWindow;
class MotorSettingsWindow;
class ForceIdWindow;
class LineRateWindow;
class BusMonitor;

class SecondaryWindows {
public:
    virtual ManualWindow &manualWindow() = 0;
    virtual MotorSettingsWindow &settingsWindow() = 0;
    virtual ForceIdWindow &forceIdWindow() = 0;
    virtual LineRateWindow &lineRateWindow() = 0;
    virtual BusMonitor &busMonitor() = 0;
    // The language chosen in the menu (an int of Language), applied to the
    // main window and the secondary windows built so far; the others take it
    // when they are built.
    virtual void applyLanguage(int language) = 0;
    // The secondary windows built so far.
    virtual QList<QWidget *> builtWindows() const = 0;

protected:
    virtual ~SecondaryWindows() = default;
};
