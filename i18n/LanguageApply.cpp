// Applying the language table to the windows: captions, hints, positions,
// visibility and the message texts.
#include "LanguageTable.h"

#include "MessageTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QWidget>

#include <cstring>

namespace {

bool isGroupCaption(const LanguageRow &row)
{
    return row.property == Property::Message && std::strcmp(row.objectName, "GroupCaption") == 0;
}

QWidget *windowOf(const LanguageWindows &w, Window window)
{
    switch (window) {
    case Window::Main: return w.mainWindow;
    case Window::Manual: return w.manual;
    case Window::Settings: return w.settings;
    case Window::IdSet: return w.forceId;
    case Window::Monitor: return w.monitor;
    }
    return nullptr;
}

QString unresolved(Window window, const QString &objectName)
{
    return QString::fromLatin1("%1/%2").arg(QLatin1String(windowName(window)),
                                            objectName.isEmpty() ? QStringLiteral("(window)") : objectName);
}

// The QTabWidget that shows this widget as one of its pages, if any.
QTabWidget *tabWidgetShowing(const QWidget *page)
{
    for (QWidget *p = page->parentWidget(); p; p = p->parentWidget()) {
        if (auto *tabs = qobject_cast<QTabWidget *>(p))
            return tabs->indexOf(const_cast<QWidget *>(page)) >= 0 ? tabs : nullptr;
    }
    return nullptr;
}

QComboBox *idList(QWidget *window)
{
    return window ? window->findChild<QComboBox *>(QStringLiteral("ComboBox1")) : nullptr;
}

// How the group caption reaches an ID list.
enum class GroupItem {
    Reselect, // main list: keep the current item, let a changed shown text notify
    Select, // main list at start: select the group item
    StoreQuiet, // forced-ID list: only replace the item's text
};

// Sets GroupCaption and writes it into item 0 of the window's ComboBox1.
// Returns the unresolved entry, or an empty string.
QString storeGroupCaption(const LanguageWindows &w, Window window, const QString &caption, GroupItem how)
{
    if (!w.texts)
        return unresolved(window, QStringLiteral("GroupCaption"));
    (*w.texts)[Message::GroupCaption] = caption;
    QComboBox *list = idList(windowOf(w, window));
    if (!list || list->count() == 0)
        return unresolved(window, QStringLiteral("ComboBox1"));
    switch (how) {
    case GroupItem::Reselect:
        // With the group item chosen, the shown text changes here and the
        // list's change handling runs once; it selects group control again.
        list->setItemText(0, caption);
        list->setCurrentIndex(list->currentIndex());
        break;
    case GroupItem::Select:
        list->setItemText(0, caption);
        list->setCurrentIndex(0);
        break;
    case GroupItem::StoreQuiet: {
        // The forced-ID list is not re-selected: its change handling would
        // retarget the commands to whatever that hidden list last showed.
        const QSignalBlocker quiet(list);
        list->setItemText(0, caption);
        break;
    }
    }
    return {};
}

// Sets one target of a row that is not a GroupCaption row; false when the
// target is missing or cannot take the property.
bool applyTo(const LanguageWindows &w, const LanguageRow &row, const RowTarget &to)
{
    const QString &value = to.value;
    if (row.property == Property::Message) {
        QString *field = w.texts ? messageField(*w.texts, row.objectName) : nullptr;
        if (field)
            *field = value;
        return field != nullptr;
    }
    QWidget *window = windowOf(w, row.window);
    if (!window)
        return false;
    if (to.objectName.isEmpty()) {
        if (row.property != Property::Caption)
            return false;
        window->setWindowTitle(value);
        return true;
    }
    QObject *target = window->findChild<QObject *>(to.objectName);
    if (!target)
        return false;
    auto *widget = qobject_cast<QWidget *>(target);
    switch (row.property) {
    case Property::Caption: return setCaption(target, value);
    case Property::Hint:
        if (auto *action = qobject_cast<QAction *>(target)) {
            action->setToolTip(value);
            return true;
        }
        if (widget)
            widget->setToolTip(value);
        return widget != nullptr;
    case Property::Left: {
        bool ok = false;
        const int left = value.toInt(&ok);
        if (!widget || !ok)
            return false;
        widget->move(left, widget->y());
        return true;
    }
    case Property::Visible:
        if (widget)
            widget->setVisible(value == QLatin1String("1"));
        return widget != nullptr;
    case Property::AccessibleName:
        if (widget)
            widget->setAccessibleName(value);
        return widget != nullptr;
    case Property::AccessibleDescription:
        if (widget)
            widget->setAccessibleDescription(value);
        return widget != nullptr;
    case Property::Message:
    case Property::Word: break;
    }
    return false;
}

// Sets every target of a row; the targets it could not set go to `missing`.
void applyRow(const LanguageWindows &w, const LanguageRow &row, const char *value, QStringList &missing)
{
    for (const RowTarget &to : row.targets(value))
        if (!applyTo(w, row, to))
            missing << unresolved(row.window, to.objectName);
}

void repaint(QWidget *widget)
{
    if (widget)
        widget->update();
}

} // namespace

QStringList applyLanguage(const LanguageWindows &w, Language lang)
{
    QStringList missing;
    for (const LanguageRow &row : languageRows()) {
        if (row.property == Property::Word)
            continue; // read by code (the monitor's words), not set on a widget
        if (isGroupCaption(row)) {
            // Into the main list (re-selecting its item), then again into the
            // forced-ID list (without re-selecting).
            const GroupItem how = row.window == Window::Main ? GroupItem::Reselect : GroupItem::StoreQuiet;
            if (QString entry = storeGroupCaption(w, row.window, QString::fromUtf8(row.value(lang)), how);
                !entry.isEmpty())
                missing << entry;
        } else {
            applyRow(w, row, row.value(lang), missing);
        }
    }

    repaint(w.mainWindow);
    if (w.mainWindow)
        repaint(w.mainWindow->findChild<QMenuBar *>());
    repaint(w.settings);
    repaint(w.manual);
    if (w.monitor) {
        // The monitor's rows are decoded words in the current language.
        w.monitor->setProperty("language", int(lang));
        QEvent changed(QEvent::LanguageChange);
        QCoreApplication::sendEvent(w.monitor, &changed);
    }
    return missing;
}

QStringList applyStartTexts(const LanguageWindows &w)
{
    QStringList missing;
    for (const LanguageRow &row : languageRows()) {
        if (w.mainWindow && row.window == Window::Main && isGroupCaption(row)) {
            if (QString entry = storeGroupCaption(w, row.window, QString::fromUtf8(row.startValue()),
                                                  GroupItem::Select);
                !entry.isEmpty())
                missing << entry;
        }
    }
    for (const LanguageRow &row : languageRows()) {
        // Windows not being created are left alone; the forced-ID list
        // already begins with the group caption.
        if (!windowOf(w, row.window) || isGroupCaption(row) || row.property == Property::Word)
            continue;
        // Label9 keeps its design-time position at start (the same 129), and
        // both manual pages start shown, each drawn once.
        if (row.property == Property::Visible
            || (row.property == Property::Left && std::strcmp(row.objectName, "Label9") == 0))
            continue;
        applyRow(w, row, row.startValue(), missing);
    }
    return missing;
}

bool setCaption(QObject *target, const QString &caption)
{
    auto *widget = qobject_cast<QWidget *>(target);
    if (widget) {
        if (QTabWidget *tabs = tabWidgetShowing(widget)) {
            tabs->setTabText(tabs->indexOf(widget), caption);
            return true;
        }
    }
    if (auto *label = qobject_cast<QLabel *>(target))
        label->setText(caption);
    else if (auto *button = qobject_cast<QAbstractButton *>(target))
        button->setText(caption);
    else if (auto *box = qobject_cast<QGroupBox *>(target))
        box->setTitle(caption);
    else if (auto *menu = qobject_cast<QMenu *>(target))
        menu->setTitle(caption);
    else if (auto *action = qobject_cast<QAction *>(target))
        action->setText(caption);
    else if (widget && widget->isWindow())
        widget->setWindowTitle(caption);
    else
        return false;
    return true;
}

QString captionOf(const QObject *target)
{
    auto *widget = qobject_cast<const QWidget *>(target);
    if (widget) {
        if (QTabWidget *tabs = tabWidgetShowing(widget))
            return tabs->tabText(tabs->indexOf(const_cast<QWidget *>(widget)));
    }
    if (auto *label = qobject_cast<const QLabel *>(target))
        return label->text();
    if (auto *button = qobject_cast<const QAbstractButton *>(target))
        return button->text();
    if (auto *box = qobject_cast<const QGroupBox *>(target))
        return box->title();
    if (auto *menu = qobject_cast<const QMenu *>(target))
        return menu->title();
    if (auto *action = qobject_cast<const QAction *>(target))
        return action->text();
    if (widget && widget->isWindow())
        return widget->windowTitle();
    return {};
}
