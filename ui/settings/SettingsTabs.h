// The tabs of the settings window that show one setting each, in tab order
// after the ID tab: what each tab's controls are, where they lie and which
// stored value they stand for.  Each tab is built into a RadioPage.
#pragma once

#include "RadioPage.h"
#include "SettingsTable.h"

#include <functional>
#include <span>

class QWidget;

namespace SettingsTabs {

// What a tab's controls need from the window around them.
struct Context {
    SettingValues &values;
    std::function<QString(int)> noteText; // a note's text for a reported value
    std::function<bool()> baudListGuard; // whether a baud choice may be stored
    QObject *owner;
};

struct Tab {
    const char *page;
    const char *setButton;
    Settings::Item item;
    const char *restoreButton; // the report that fills the tab is the setting's row's
    RadioPage *(*build)(QWidget *page, const Context &context);
};

std::span<const Tab> tabs();

} // namespace SettingsTabs
