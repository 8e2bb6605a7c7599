// motor --link PATH --baud CODE [--chatter]
// Motor 1 on channel 1.  Prints the port path, then for each frame received
// "frame <ns> <hex>", stamped when it was read.  With --chatter the motor
// floods status answers from the first status poll on, and prints
// "chatter <ns> <answers sent>" every second.
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
    const bool chatter = args.contains(QStringLiteral("--chatter"));

    QObject::connect(&sim, &MotorSim::frameReceived, &sim, [&sim, chatter](const QByteArray &bytes) {
        say("frame " + QByteArray::number(Measure::nowNs()) + ' ' + bytes.toHex());
        if (chatter && quint8(bytes[4]) == 0xCC)
            sim.setChatter(true);
    });
    QTimer report;
    QObject::connect(&report, &QTimer::timeout, &sim, [&sim] {
        if (sim.chatterSent() > 0)
            say("chatter " + QByteArray::number(Measure::nowNs()) + ' ' + QByteArray::number(sim.chatterSent()));
    });
    report.start(1000);

    say(sim.path().toUtf8());
    return QCoreApplication::exec();
}
