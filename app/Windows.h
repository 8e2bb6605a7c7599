// The program's windows and the state they share.  The main window is built
// at start; each secondary window and the bus monitor the first time it is
// wanted (see SecondaryWindows.h), which keeps their building out of the
// start-up.  All are kept until the program ends.
#pragma once

#include "BusMonitor.h"
#include "LineRateWindow.h"
#include "MotorSettingsWindow.h"
#include "ForceIdWindow.h"
#include "LanguageTable.h"
#include "SecondaryWindows.h"
#include "MessageTexts.h"
#include "MainWindow.h"
#include "ManualWindow.h"
#include "SettingsReads.h"

#include <QStringList>

#include <memory>
#include <optional>

struct Windows : SecondaryWindows {
    explicit Windows(const QStringList &extraPorts = {});
    ~Windows();

    MainWindow mainWindow;
    MessageTexts &texts; // the main window holds them
    // What the settings window shows of the link's reads, from the start on.
    SettingsReads settingsReads;

    ManualWindow &manualWindow() override;
    MotorSettingsWindow &settingsWindow() override;
    ForceIdWindow &forceIdWindow() override;
    LineRateWindow &lineRateWindow() override;
    BusMonitor &busMonitor() override;
    void applyLanguage(int language) override;
    QList<QWidget *> builtWindows() const override;

    // Whether a secondary window (by object name) has been built yet.
    bool built(const QString &objectName) const;

private:
    template <typename W, typename Make> W &build(std::unique_ptr<W> &window, Make make);

    // Declared after mainWindow: destroyed before it.
    std::unique_ptr<ManualWindow> m_manualWindow;
    std::unique_ptr<MotorSettingsWindow> m_settingsWindow;
    std::unique_ptr<ForceIdWindow> m_forceIdWindow;
    std::unique_ptr<LineRateWindow> m_lineRateWindow;
    std::unique_ptr<BusMonitor> m_busMonitor;
    std::optional<Language> m_language; // chosen in the menu; none: the start texts
};
