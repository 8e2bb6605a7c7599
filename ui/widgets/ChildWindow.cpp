#include "ChildWindow.h"

#include "WindowSkin.h"

#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QWindow>

namespace {

// Screen readers announce a secondary window as a dialog, by its title: it
// takes the input while the main window waits.
QAccessibleInterface *accessibleChildWindow(const QString &, QObject *object)
{
    auto *window = qobject_cast<ChildWindow *>(object);
    return window ? new QAccessibleWidget(window, QAccessible::Dialog) : nullptr;
}

} // namespace

ChildWindow::ChildWindow(QWidget *mainWindow, const QString &objectName, const QString &caption, QSize clientSize,
                         bool enabledAtStart, QWidget *parent)
    : QWidget(parent,
              Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                  | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow)
{
    static const bool accessible = (QAccessible::installFactory(accessibleChildWindow), true);
    Q_UNUSED(accessible);
    setObjectName(objectName);
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setEnabled(enabledAtStart);
    WindowSkin::apply(this);
}

void ChildWindow::open()
{
    showOverMainWindow();
    setEnabled(true);
    m_mainWindow->setEnabled(false);
}

void showInFrontOf(QWidget &window, const QWidget *mainWindow)
{
    if (!window.windowHandle())
        window.winId(); // makes the window system's window, which the transient needs
    if (QWindow *main = mainWindow ? mainWindow->window()->windowHandle() : nullptr)
        window.windowHandle()->setTransientParent(main);
    window.setVisible(true);
    window.raise();
    window.activateWindow();
}

// Not a child widget of the main window (disabling that would disable this
// one too), but its transient: the window system keeps it on top.
void ChildWindow::showOverMainWindow()
{
    showInFrontOf(*this, m_mainWindow);
}

void ChildWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void ChildWindow::returnToMainWindow()
{
    m_mainWindow->setEnabled(true);
    m_mainWindow->setVisible(true);
    setVisible(false);
    setEnabled(false);
    // Without a window manager nobody else gives the keys back.
    m_mainWindow->activateWindow();
}

void ChildWindow::closeEvent(QCloseEvent *event)
{
    // A hidden window is closed only when the program ends: then the main
    // window must not come back.
    if (isVisible())
        returnToMainWindow();
    event->accept();
}
