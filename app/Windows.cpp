#include "Windows.h"

#include "LanguageTable.h"
#include "ScreenPlacement.h"

#include <algorithm>

Windows::Windows(const QStringList &extraPorts)
    : mainWindow(extraPorts), texts(mainWindow.texts()), settingsReads(mainWindow.link())
{
    mainWindow.attachWindows(this);
    placeOnScreen(&mainWindow, {622, 193});
}

Windows::~Windows() = default;

// A window built late takes the language chosen so far; its place on the
// screen and its start state are its constructor's, the same at any time
// (the settings window's reads are kept from the start: settingsReads).
template <typename W, typename Make> W &Windows::build(std::unique_ptr<W> &window, Make make)
{
    if (!window) {
        window = make();
        LanguageWindows only;
        only.manual = qobject_cast<ManualWindow *>(window.get());
        only.settings = qobject_cast<MotorSettingsWindow *>(window.get());
        only.forceId = qobject_cast<ForceIdWindow *>(window.get());
        only.monitor = qobject_cast<BusMonitor *>(window.get());
        if (m_language) {
            only.texts = &texts;
            ::applyLanguage(only, *m_language);
        } else {
            applyStartTexts(only);
        }
    }
    return *window;
}

ManualWindow &Windows::manualWindow()
{
    return build(m_manualWindow, [&] { return std::make_unique<ManualWindow>(&mainWindow); });
}

MotorSettingsWindow &Windows::settingsWindow()
{
    if (m_settingsWindow)
        return *m_settingsWindow;
    build(m_settingsWindow, [&] {
        return std::make_unique<MotorSettingsWindow>(mainWindow.link(), settingsReads, texts, &mainWindow,
                                                     mainWindow.idList());
    });
    mainWindow.attachSettingsWindow(m_settingsWindow.get());
    return *m_settingsWindow;
}

ForceIdWindow &Windows::forceIdWindow()
{
    return build(m_forceIdWindow, [&] {
        return std::make_unique<ForceIdWindow>(mainWindow.link(), texts, &mainWindow, mainWindow.idList());
    });
}

LineRateWindow &Windows::lineRateWindow()
{
    return build(m_lineRateWindow, [&] { return std::make_unique<LineRateWindow>(mainWindow.link(), &mainWindow); });
}

// Built on first opening; until then nothing is recorded, as while it is closed.
BusMonitor &Windows::busMonitor()
{
    return build(m_busMonitor, [&] { return std::make_unique<BusMonitor>(mainWindow.link(), &mainWindow); });
}

void Windows::applyLanguage(int language)
{
    m_language = Language(language);
    ::applyLanguage(LanguageWindows {&mainWindow, m_manualWindow.get(), m_settingsWindow.get(), m_forceIdWindow.get(),
                                     &texts, m_busMonitor.get()},
                    *m_language);
    if (m_settingsWindow)
        m_settingsWindow->refreshTexts();
}

QList<QWidget *> Windows::builtWindows() const
{
    QList<QWidget *> built;
    for (QWidget *w :
         std::initializer_list<QWidget *> {m_manualWindow.get(), m_settingsWindow.get(), m_forceIdWindow.get(),
                                           m_lineRateWindow.get(), m_busMonitor.get()})
        if (w)
            built.append(w);
    return built;
}

bool Windows::built(const QString &objectName) const
{
    const QList<QWidget *> windows = builtWindows();
    return std::any_of(windows.cbegin(), windows.cend(), [&](QWidget *w) { return w->objectName() == objectName; });
}
