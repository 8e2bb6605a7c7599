// motor --link PATH --baud CODE [--chatter SECONDS]
// Motor 1 on channel 1.  Prints the port path, then for each frame received
// "frame <ns> <hex>", stamped when it was read.  With --chatter the motor
// streams status answers as fast as the line takes them from the first
// status poll on, for SECONDS, and prints "chatter <ns> <stream answers>
// <poll answers>" every second; then it falls silent, and after a pause sends
// one last burst of stream answers (no poll answer among them) and prints
// "chatter-end <ns> <the burst's last position>".
#include "Measure.h"
#include "MotorSim.h"
#include "Roles.h"

#include <QCoreApplication>
#include <QTimer>

int runMotor(const QStringList &args)
{
    MotorSim sim;
    if (!sim.isOpen()) {
        say("error: no pseudo-terminal");
        return 1;
    }
    sim.bus().addMotor(1, 0x0001);
    const qsizetype baud = args.indexOf(QStringLiteral("--baud"));
    sim.bus().setBaudCode(baud >= 0 ? args.value(baud + 1).toInt() : 3);
    const qsizetype link = args.indexOf(QStringLiteral("--link"));
    if (link >= 0 && !sim.link(args.value(link + 1))) {
        say("error: cannot link");
        return 1;
    }
    const qsizetype chatter = args.indexOf(QStringLiteral("--chatter"));
    const int chatterMs = chatter >= 0 ? args.value(chatter + 1).toInt() * 1000 : 0;

    QTimer chatterEnd;
    chatterEnd.setSingleShot(true);
    QObject::connect(&chatterEnd, &QTimer::timeout, &sim, [&sim] {
        sim.setChatter(false);
        MotorSim::Faults silent;
        silent.silent = true;
        sim.setFaults(silent);
        // Once the answers under way are out, a last burst of 0.2 s: the
        // window must end up showing its last position.
        QTimer::singleShot(500, &sim, [&sim] {
            sim.setChatter(true);
            QTimer::singleShot(200, &sim, [&sim] {
                sim.setChatter(false);
                say("chatter-end " + QByteArray::number(Measure::nowNs()) + ' '
                    + QByteArray::number((sim.chatterSent() - 1) % 101));
            });
        });
    });
    QObject::connect(&sim, &MotorSim::frameReceived, &sim, [&](const QByteArray &bytes) {
        say("frame " + QByteArray::number(Measure::nowNs()) + ' ' + bytes.toHex());
        if (chatterMs > 0 && quint8(bytes[4]) == 0xCC && !chatterEnd.isActive() && sim.chatterSent() == 0) {
            sim.setChatter(true);
            chatterEnd.start(chatterMs);
        }
    });
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, &sim, [&sim] {
        if (sim.chatterSent() > 0)
            say("chatter " + QByteArray::number(Measure::nowNs()) + ' ' + QByteArray::number(sim.chatterSent()) + ' '
                + QByteArray::number(sim.answersSent()));
    });
    report.start(1000);

    say(sim.path().toUtf8());
    return QCoreApplication::exec();
}
