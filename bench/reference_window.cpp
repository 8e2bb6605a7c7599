// The yardstick for Tavik's start-up and memory: what the toolkit costs for
// a window like Tavik's main window and nothing more.  A main window with the
// same client size (616 x 538 under its menu bar), 150 labels of which half
// carry Chinese text (so the CJK font is loaded, as in Tavik) and a menu bar
// with two Chinese menus.
//   tavik-bench-reference
// Built a second time as tavik-bench-floor, it also does the protocol's own
// work while Tavik polls one motor, and nothing more: a status poll of ID 1 on
// channel 1 every 150 ms at 9600 baud and a read of its answer.  That is the
// yardstick for Tavik's CPU while polling.
//   tavik-bench-floor PORT [ANSWERS]
// With ANSWERS it ends once that many answers have been read (for counting
// instructions: the run is start-up plus that many poll cycles).
#include "StartupProbe.h"
#ifdef TAVIK_BENCH_FLOOR
#include "Frames.h"

#include <QSerialPort>
#include <QTimer>
#endif

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QMainWindow window;
    auto *client = new QWidget(&window);
    client->setFixedSize(616, 538);
    window.setCentralWidget(client);
    window.layout()->setSizeConstraint(QLayout::SetFixedSize);
    constexpr int Labels = 150, Columns = 10;
    for (int i = 0; i < Labels; ++i) {
        const QString text = i % 2 ? QStringLiteral("频道 %1").arg(i) : QStringLiteral("Label %1").arg(i);
        auto *label = new QLabel(text, client);
        label->setGeometry((i % Columns) * 61, (i / Columns) * 35, 60, 34);
    }
    QMenu *language = window.menuBar()->addMenu(QStringLiteral("语言(&L)"));
    language->addAction(QStringLiteral("简体中文"));
    language->addAction(QStringLiteral("繁体"));
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->addAction(QStringLiteral("关于"));

    watchFirstPaint(window);
    window.show();
#ifdef TAVIK_BENCH_FLOOR
    QSerialPort port(app.arguments().value(1));
    port.setBaudRate(9600);
    if (!port.open(QIODevice::ReadWrite))
        return 1;
    const qint64 endAfterBytes = app.arguments().value(2).toLongLong() * Frame::ResponseSize;
    qint64 bytesRead = 0;
    QObject::connect(&port, &QSerialPort::readyRead, &port, [&] {
        bytesRead += port.readAll().size();
        if (endAfterBytes > 0 && bytesRead >= endAfterBytes)
            QApplication::quit();
    });
    ChannelMask channel1;
    channel1.toggle(1);
    const auto poll = Frame::command(1, channel1, Frame::StatusPoll, 0);
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(150);
    QObject::connect(&tick, &QTimer::timeout, &port,
                     [&] { port.write(reinterpret_cast<const char *>(poll.data()), qint64(poll.size())); });
    tick.start();
#endif
    return app.exec();
}
