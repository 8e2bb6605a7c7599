// The whole program's windows on the offscreen platform, with helpers to
// drive the picture panel as a user would.
#pragma once

#include "Messages.h"
#include "Windows.h"

#include <QComboBox>
#include <QMouseEvent>
#include <QTest>

struct App {
    explicit App(const QStringList &ports = {}) : w(ports) { w.mainWindow.show(); }
    // Messages still on their way belong to this test, not to the next one.
    ~App() { QCoreApplication::processEvents(); }

    Messages::Recorder messages; // every box the program would show
    Windows w;
    SharedState &s = w.state;
    MainWindow &main = w.mainWindow;

    PanelItem *item(const char *name) const { return main.item(QString::fromLatin1(name)); }
    template <typename T = QWidget>
    T *find(QWidget *window, const char *name) const
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control named %s", name);
        return found;
    }

    void press(const char *name, QPoint at = {5, 5}) { QTest::mousePress(item(name), Qt::LeftButton, {}, at); }
    void release(const char *name, QPoint at = {5, 5}) { QTest::mouseRelease(item(name), Qt::LeftButton, {}, at); }
    void click(const char *name, QPoint at = {5, 5})
    {
        press(name, at);
        release(name, at);
    }
    // A move over a control, with the given buttons held.
    void move(const char *name, QPoint at = {5, 5}, Qt::MouseButtons buttons = Qt::NoButton)
    {
        QWidget *target = item(name);
        QMouseEvent e(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &e);
    }
    bool shown(const char *name) const { return item(name)->isVisibleTo(&main); }

    // Chooses a port in the port box as the user would.
    void choosePort(const QString &name)
    {
        QComboBox *box = main.portList();
        const int index = box->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // Runs the program for a number of 150 ms ticks.
    static void ticks(int n) { QTest::qWait(150 * n + 20); }
};
