// The whole program's windows on the offscreen platform, with helpers to
// drive the picture panel as a user would.
#pragma once

#include "LinkJob.h"
#include "ChannelPad.h"
#include "LimitPoints.h"
#include "Messages.h"
#include "MotorButtons.h"
#include "PanelItem.h"
#include "PositionSlider.h"
#include "PositionTarget.h"
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
    MainWindow &main = w.mainWindow;
    MessageTexts &texts = w.texts;
    MotorLink &link = main.link();
    PositionTarget &target = main.positionTarget();

    // An item of the picture panel, by its objectName.
    PanelItem *item(const char *name) const { return find<PanelItem>(main.centralWidget(), name); }
    PositionSlider &slider() const { return *main.positionSlider(); }
    template <typename T = QWidget> T *find(QWidget *window, const char *name) const
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
    // Chooses a port in the port box and opens it at the motor's baud code
    // without a baud scan: no motor answers there, or the test finds it itself.
    void choosePortWithoutScan(const QString &name)
    {
        QComboBox *box = main.portList();
        const int index = box->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        box->setCurrentIndex(index);
        link.choosePort(name, false);
    }

    // The link at work, as the tests watch it.
    template <typename J> const J *job() const { return std::get_if<J>(&link.job()); }
    int scanStep() const { return job<LinkJob::BaudScan>() ? job<LinkJob::BaudScan>()->step : -1; }
    // A scan under way whose end opens the settings window.
    bool scanAnnouncesEnd() const { return job<LinkJob::BaudScan>() && job<LinkJob::BaudScan>()->announceEnd; }
    // A read-back under way at this attempt (1..3).
    bool readingBack(int attempt) const
    {
        return job<LinkJob::ReadBack>() && job<LinkJob::ReadBack>()->attempt == attempt;
    }
    // A frame waiting that went out this often already.
    bool outgoingSent(int sent) const { return link.outgoing() && link.outgoing()->sent == sent; }

    // Runs the program for a number of 150 ms ticks.
    static void ticks(int n) { QTest::qWait(150 * n + 20); }
};
