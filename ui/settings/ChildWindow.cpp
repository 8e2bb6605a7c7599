#include "ChildWindow.h"

#include "WindowSkin.h"

#include <QCloseEvent>

ChildWindow::ChildWindow(QWidget *mainWindow, const QString &objectName, const QString &caption,
                         QSize clientSize, bool enabledAtStart, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                          | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_mainWindow(mainWindow)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFixedSize(clientSize);
    setEnabled(enabledAtStart);
    WindowSkin::apply(this);
}

void ChildWindow::open()
{
    setVisible(true);
    setEnabled(true);
    m_mainWindow->setEnabled(false);
}

void ChildWindow::FormClose()
{
    m_mainWindow->setEnabled(true);
    m_mainWindow->setVisible(true);
    setVisible(false);
    setEnabled(false);
}

void ChildWindow::closeEvent(QCloseEvent *event)
{
    // A hidden window is closed only when the program ends: then the main
    // window must not come back.
    if (isVisible())
        FormClose();
    event->accept();
}
