// host MODE --port PATH [--count N] [--seconds N] [--monitor]
//   idle   choose the port, then sit polling the motor until stopped
//   press  then press and release the stop button N times at random moments
//   flood  then count the frames understood in N seconds and time the
//          longest pause of the event loop ("window <ns> <ns> understood <n>
//          longest-gap-us <us>"); once the stream has ended (after the
//          seconds given by --settle), "shown <position in the window>"
//   polls  then end once --count N status answers have been handled (for
//          counting instructions: the run is start-up plus N poll cycles)
// --monitor opens the bus monitor from the Tools menu once the motor is found
// and says "monitor open".
// Prints "ready <ns>" once the baud scan has found the motor.
#include "Measure.h"
#include "Messages.h"
#include "PositionSlider.h"
#include "Roles.h"
#include "Windows.h"

#include <QApplication>
#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

namespace {

// A real event loop: QTest::qWait sleeps between its passes, which would add
// its own delay to what we measure.
void wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

QString option(const QStringList &args, const QString &name, const QString &fallback = {})
{
    const qsizetype i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

void pressStop(Windows &w, int count)
{
    QWidget *stop = w.mainWindow.centralWidget()->findChild<QWidget *>(QStringLiteral("Label_ting"));
    for (int i = 0; i < count; ++i) {
        // Random moments, so presses fall on every phase of the tick.
        wait(450 + int(QRandomGenerator::global()->bounded(300)));
        say("press " + QByteArray::number(Measure::nowNs()));
        QTest::mousePress(stop, Qt::LeftButton, {}, {5, 5});
        wait(80);
        QTest::mouseRelease(stop, Qt::LeftButton, {}, {5, 5});
    }
}

void measureFlood(Windows &w, int seconds, int settleSeconds)
{
    wait(2000); // the motor starts talking at the first status poll
    QElapsedTimer sinceTick;
    qint64 longestNs = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longestNs = std::max(longestNs, sinceTick.nsecsElapsed());
        sinceTick.start();
    });
    const quint64 before = w.mainWindow.link().framesUnderstood();
    const qint64 from = Measure::nowNs();
    sinceTick.start();
    tick.start();
    wait(seconds * 1000);
    tick.stop();
    const quint64 understood = w.mainWindow.link().framesUnderstood() - before;
    say("window " + QByteArray::number(from) + ' ' + QByteArray::number(Measure::nowNs()) + " understood "
        + QByteArray::number(understood) + " longest-gap-us " + QByteArray::number(longestNs / 1000));
    wait(settleSeconds * 1000);
    say("shown " + QByteArray::number(w.mainWindow.positionSlider()->box()->text().remove(u'%').trimmed().toInt()));
}

// Runs the event loop until count status answers have been handled.
void handleAnswers(const MotorLink &link, int count)
{
    QEventLoop loop;
    int answers = 0;
    QObject::connect(&link, &MotorLink::statusAnswer, &loop, [&] {
        if (++answers >= count)
            loop.quit();
    });
    loop.exec();
}

// The bus monitor, opened from the Tools menu as a person would.
void openMonitor(Windows &w)
{
    w.mainWindow.findChild<QAction *>(QStringLiteral("MonitorMenu"))->trigger();
    say("monitor open");
}

} // namespace

int runHost(const QStringList &args)
{
    const QString mode = args.value(0);
    const QString port = option(args, QStringLiteral("--port"));
    Messages::setSink([](const QString &text, Messages::Kind) { say("message " + text.simplified().toUtf8()); });

    Windows w({port});
    w.mainWindow.show();
    QComboBox *ports = w.mainWindow.portList();
    const int index = ports->findText(port);
    if (index < 0) {
        say("error: port not listed");
        return 1;
    }
    ports->setCurrentIndex(index);
    emit ports->activated(index);

    // Ready once the scan has ended on a motor: it then polls one motor on
    // one channel every tick.
    const MotorLink &link = w.mainWindow.link();
    for (int i = 0; i < 100 && !(!link.isScanning() && link.target().id != 0); ++i)
        wait(100);
    if (link.target().id == 0) {
        say("error: no motor found");
        return 1;
    }
    if (args.contains(QStringLiteral("--monitor")))
        openMonitor(w);
    say("ready " + QByteArray::number(Measure::nowNs()));

    if (mode == u"press")
        pressStop(w, option(args, QStringLiteral("--count"), QStringLiteral("100")).toInt());
    else if (mode == u"flood")
        measureFlood(w, option(args, QStringLiteral("--seconds"), QStringLiteral("60")).toInt(),
                     option(args, QStringLiteral("--settle"), QStringLiteral("5")).toInt());
    else if (mode == u"polls")
        handleAnswers(link, option(args, QStringLiteral("--count"), QStringLiteral("40")).toInt());
    else
        return QApplication::exec(); // idle: until the driver ends us
    say("done");
    return 0;
}
