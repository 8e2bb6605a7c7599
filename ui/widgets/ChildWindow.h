// Base of the secondary windows: a fixed-size top-level window that is shown
// pseudo-modally over the main window.
//
// Opening shows and enables the child and disables the main window; closing
// (the close box or an exit button) enables and shows the main window again
// and hides and disables the child.  The timers keep running meanwhile.
// Every secondary window wears the same skin (WindowSkin).
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

// Shows a top-level window raised and active, as the transient of
// mainWindow's window: the window system keeps it in front of that one.
void showInFrontOf(QWidget &window, const QWidget *mainWindow);

class ChildWindow : public QWidget {
    Q_OBJECT
public:
    // Created hidden, with the given enabled state.
    ChildWindow(QWidget *mainWindow, const QString &objectName, const QString &caption, QSize clientSize,
                bool enabledAtStart, QWidget *parent = nullptr);

    void open();
    // Shows the window over the main window: the window system keeps it above
    // that one, which it disables.
    void showOverMainWindow();
    // Gives the main window back: enables and shows it, hides and disables this.
    virtual void returnToMainWindow();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Escape leaves the window as its exit button and its close box do.
    void keyPressEvent(QKeyEvent *event) override;

    QWidget *const m_mainWindow;
};
