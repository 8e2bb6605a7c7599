// What the fault tests share: the whole program on the offscreen platform
// talking to a simulated motor bus on a pseudo-terminal, reached through a
// symbolic link that a replacement bus can take over ("plugging the adapter
// in again"), and helpers to read the wire and to time a fault to a tick.
#pragma once

#include "AppFixture.h"
#include "Bench.h"
#include "Frames.h"
#include "MotorSim.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include <sys/resource.h>

inline double cpuSeconds()
{
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Share of one core this process used while the event loop ran for ms.
inline double cpuShareWhileIdle(int ms)
{
    QElapsedTimer wall;
    wall.start();
    const double before = cpuSeconds();
    QTest::qWait(ms);
    return (cpuSeconds() - before) * 1000.0 / double(std::max<qint64>(1, wall.elapsed()));
}

// Runs `action` once, right after the first transmit tick for which `when`
// holds (the tick's own handler is connected first, so it has run).
inline void afterTick(MainWindow &main, QObject *context, std::function<bool()> when, std::function<void()> action)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&main.tickTimer(), &QTimer::timeout, context, [=] {
        if (!when())
            return;
        QObject::disconnect(*connection);
        action();
    });
}

// A motor bus behind a link the program knows as its port, and the program.
struct Rig {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("ttyTAVIK0"));
    std::vector<std::unique_ptr<MotorSim>> buses; // outlive the program
    std::unique_ptr<App> app;

    // Plugs in a new bus with one motor at the link; returns it.
    MotorSim &plugIn(int id, quint16 channels, int baudCode, double position = 40)
    {
        auto sim = std::make_unique<MotorSim>();
        Motor &m = sim->bus().addMotor(id, channels);
        m.position = position;
        sim->bus().setBaudCode(baudCode);
        if (!sim->link(path))
            qFatal("cannot link %s", qPrintable(path));
        buses.push_back(std::move(sim));
        return *buses.back();
    }
    MotorSim &bus() { return *buses.back(); }

    App &start()
    {
        app = std::make_unique<App>(QStringList {path});
        return *app;
    }
};

// Chooses the port and waits until the scan has ended and the extended
// settings read after it has gone out.  Check QTest::currentTestFailed().
inline void scan(App &a, const QString &path)
{
    a.choosePort(path);
    QTRY_VERIFY_WITH_TIMEOUT(!a.link.isScanning() && !a.job<LinkJob::ExtendedRead>() && !a.link.outgoing(), 10000);
}

// Opens the settings window the way the menu does and waits for both reports.
inline void openSettings(App &a, MotorSim &sim)
{
    const int mark = int(sim.frames().size());
    a.main.openSettings();
    QTRY_VERIFY_WITH_TIMEOUT(a.w.settingsWindow().isEnabled(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(countFrames(sim, Frame::ReadExtended, Frame::ReadExtended, mark) == 2, 10000);
    App::ticks(2); // the extended report comes in
}

template <typename T = QWidget> T *control(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control named %s", name);
    return found;
}

// Message boxes that stay open: each shown message runs a nested event loop
// for `openMs` before it returns, as a modal box that the user reads first.
struct ModalBoxes {
    QStringList shown;
    QList<int> openAbove; // how many boxes were already open when each appeared
    int open = 0;
    std::function<void(const QString &)> onOpen;
    std::function<void(const QString &)> onClose;

    explicit ModalBoxes(int openMs)
    {
        m_previous = Messages::setSink([this, openMs](const QString &text, Messages::Kind) {
            shown << text;
            openAbove << open;
            ++open;
            if (onOpen)
                onOpen(text);
            QEventLoop loop;
            QTimer::singleShot(openMs, &loop, &QEventLoop::quit);
            loop.exec();
            if (onClose)
                onClose(text);
            --open;
        });
    }
    ~ModalBoxes() { Messages::setSink(std::move(m_previous)); }
    ModalBoxes(const ModalBoxes &) = delete;
    ModalBoxes &operator=(const ModalBoxes &) = delete;

private:
    Messages::Sink m_previous;
};
