// tavik-motor-sim: a simulated motor bus on a pseudo-terminal, for running
// and testing Tavik without the transmitter.  Prints the serial port path on
// the first line, then one line per frame received.
#include "Chaos.h"
#include "MotorSim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

// Fault names; those with a value take it after a colon.
bool applyFault(const QString &text, MotorSim &sim)
{
    const QString name = text.section(u':', 0, 0);
    const QString value = text.section(u':', 1);
    MotorSim::Faults f = sim.faults();
    if (name == u"silent") {
        f.silent = true;
    } else if (name == u"garbage") {
        f.garbage = MotorSim::Faults::GarbageBefore;
    } else if (name == u"garbage-only") {
        f.garbage = MotorSim::Faults::GarbageInstead;
    } else if (name == u"bad-check") {
        f.badCheck = true;
    } else if (name == u"drop") {
        f.dropEvery = value.isEmpty() ? 2 : value.toInt();
    } else if (name == u"duplicate") {
        f.duplicate = true;
    } else if (name == u"split") {
        f.split = true;
    } else if (name == u"slow") {
        sim.setAnswerDelayMs(value.isEmpty() ? 1000 : value.toInt());
    } else if (name == u"ignore") {
        for (const QString &code : value.split(u',', Qt::SkipEmptyParts))
            f.ignoredWrites.insert(quint8(code.toUInt(nullptr, 16)));
    } else if (name == u"flood") {
        const int count = value.isEmpty() ? 5000 : value.toInt();
        auto conn = std::make_shared<QMetaObject::Connection>();
        *conn = QObject::connect(&sim, &MotorSim::frameReceived, &sim, [&sim, count, conn] {
            QObject::disconnect(*conn);
            sim.flood(count);
        });
    } else if (name == u"unplug") {
        QTimer::singleShot(value.isEmpty() ? 3000 : value.toInt(), &sim, &MotorSim::unplug);
    } else {
        return false;
    }
    sim.setFaults(f);
    return true;
}

// "MIN:MAX" (or one number for both) into a range, scaled to milliseconds.
bool parseRange(const QString &text, int scale, Chaos::Range &range)
{
    bool ok1 = false, ok2 = false;
    const int lo = text.section(u':', 0, 0).toInt(&ok1);
    const int hi = text.contains(u':') ? text.section(u':', 1).toInt(&ok2) : (ok2 = true, lo);
    if (!ok1 || !ok2 || lo <= 0 || hi < lo)
        return false;
    range = {lo * scale, hi * scale};
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavik-motor-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated curtain motor bus on a pseudo-terminal, for trying and testing Tavik\n"
                       "without a transmitter. Prints the terminal's path on the first line, then one\n"
                       "line per frame received: its bytes, the line rate it arrived at and whether it\n"
                       "was answered. SIGINT or SIGTERM ends it and removes the --link.\n"
                       "\n"
                       "The line is truthful: a motor hears only frames at its own rate, and every\n"
                       "motor that is addressed acts and answers, whatever the others do:\n"
                       "  status poll (CC)   one ID, one channel bit: every motor with both answers\n"
                       "  reads (CA, CB)     every motor with the frame's ID answers (all for ID 0)\n"
                       "  writes (D2, D5-DA) every motor with the frame's ID takes it (all for ID 0);\n"
                       "                     a baud-code write (DA) moves only the motors that took it\n"
                       "  ID write (AA AA)   every motor that hears it takes the ID and channels\n"
                       "  motion (0A, DD)    every motor with the ID (all for ID 0) on a channel of the\n"
                       "                     frame's mask (group control without channels: all)\n"
                       "When two or more motors answer one frame at once they collide: the line\n"
                       "carries 10 bytes, each the OR of the answers' bytes with bit 0 set (the lead\n"
                       "reads D9), which is never a valid answer. Answers starting one answer's\n"
                       "length apart or more (10 bytes of 10 bits at the line rate) arrive one\n"
                       "after the other instead, each clean. --lenient is a one-motor bench\n"
                       "instead: a read or write for an ID nobody has goes to the first motor, and\n"
                       "only the first of several motors answers.\n"
                       "\n"
                       "Fault modes (--fault, repeatable; several combine):\n"
                       "  silent         never answer (frames are still taken and logged)\n"
                       "  garbage        1 to 16 random bytes before every answer\n"
                       "  garbage-only   random bytes instead of every answer, as many as it has\n"
                       "  bad-check      answers carry a wrong check byte\n"
                       "  drop[:N]       drop every Nth answer (default 2; 1 drops all)\n"
                       "  duplicate      send every answer twice\n"
                       "  split          send every answer in two pieces with a pause between\n"
                       "  slow[:MS]      answer MS ms after the frame (default 1000; normally 20)\n"
                       "  ignore:F1,F2   writes with these function codes (hex, e.g. D9,D5) are\n"
                       "                 taken but change nothing; reads still answer\n"
                       "  flood[:BYTES]  once, at the first frame received, send BYTES random bytes\n"
                       "                 (default 5000)\n"
                       "  unplug[:MS]    close the terminal MS ms after the start (default 3000), as\n"
                       "                 an adapter pulled out; prints \"unplugged\"\n"
                       "\n"
                       "\n"
                       "Chaos (--chaos): every fault above but silent and garbage-only, at random and\n"
                       "in turn, a few seconds each with clean stretches between, and the adapter\n"
                       "pulled out and put back every few minutes (the terminal comes back under the\n"
                       "--link). The chaos log (--chaos-log, else standard error) has one line per\n"
                       "event: phases, floods, unplug and replug, every frame taken, and every setting\n"
                       "write with whether the motor kept it and its memory afterwards.\n"
                       "\n"
                       "Example:\n"
                       "  tavik-motor-sim --link /tmp/tavik-motor-bus --motor 1:1 --motor 12:1,3@9600"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    parser.addOptions({
        help,
        {QStringLiteral("link"),
         QStringLiteral("Also make PATH a symbolic link to the terminal (replaced if it exists)."),
         QStringLiteral("PATH")},
        {QStringLiteral("motor"),
         QStringLiteral("Add a motor with ID 0..255 listening on CHANNELS (1..16, comma-separated), "
                        "e.g. 12:1,3. @RATE gives the motor its own line rate in bps (1200, 2400, "
                        "4800, 9600 or 19200), e.g. 12:1,3@9600; without it the motor uses the bus "
                        "rate (--baud). BAUDCODE, e.g. 12:1,3:2, sets the bus rate as --baud does. "
                        "/delay=MS gives the motor its own answer delay (else the bus's, 20 ms or "
                        "slow:MS); /deaf=N makes it miss the next N frames at its rate, e.g. "
                        "1:1/delay=90/deaf=4. Repeatable; default one motor, 1:1."),
         QStringLiteral("ID:CHANNELS[@RATE|:BAUDCODE][/delay=MS][/deaf=N]")},
        {QStringLiteral("baud"),
         QStringLiteral("The bus rate code of the motors without @RATE: 0 = 1200, 1 = 2400, "
                        "2 = 4800, 3 = 9600, 4 = 19200 bps (default 1). Tavik's baud-rate write "
                        "moves the motors that take it."),
         QStringLiteral("CODE")},
        {QStringLiteral("lenient"),
         QStringLiteral("A one-motor bench instead of a truthful line: reads and writes for an "
                        "unknown ID go to the first motor, and only one motor ever answers.")},
        {QStringLiteral("speed"),
         QStringLiteral("How fast every motor travels, in percent of the curtain per second "
                        "(default 10)."),
         QStringLiteral("PERCENT_PER_S")},
        {QStringLiteral("fault"), QStringLiteral("Make the bus misbehave: one of the fault modes above."),
         QStringLiteral("NAME")},
        {QStringLiteral("chaos"), QStringLiteral("Inject every fault at random and in turn (see above).")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the chaos's choices (default: the time)."),
         QStringLiteral("N")},
        {QStringLiteral("chaos-log"), QStringLiteral("Write the chaos log to PATH."), QStringLiteral("PATH")},
        {QStringLiteral("phase-ms"),
         QStringLiteral("How long a chaos phase lasts, and the clean stretch after it (default 3000:12000)."),
         QStringLiteral("MIN:MAX")},
        {QStringLiteral("replug-s"),
         QStringLiteral("Seconds from one unplug to the next under --chaos (default 120:240)."),
         QStringLiteral("MIN:MAX")},
    });

    QTextStream err(stderr);
    const bool parsed = parser.parse(app.arguments());
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        err << (parsed ? QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().constFirst())
                       : parser.errorText())
            << "\n\n"
            << parser.helpText();
        return 2;
    }
    if (parser.isSet(help)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }

    MotorSim sim;
    if (!sim.isOpen()) {
        err << "cannot open a pseudo-terminal\n";
        return 1;
    }
    MotorBus &bus = sim.bus();
    for (const QString &m : parser.values(QStringLiteral("motor"))) {
        if (!bus.addMotor(m)) {
            err << "bad --motor " << m << '\n';
            return 2;
        }
    }
    if (bus.motors().isEmpty())
        bus.addMotor(1, 0x0001);
    bus.setLenient(parser.isSet(QStringLiteral("lenient")));
    if (parser.isSet(QStringLiteral("baud"))) {
        const int code = parser.value(QStringLiteral("baud")).toInt();
        if (MotorBus::baudCodeToBps(code) == 0) {
            err << "bad --baud, expected 0..4\n";
            return 2;
        }
        bus.setBaudCode(code);
    }
    if (parser.isSet(QStringLiteral("speed"))) {
        const double speed = parser.value(QStringLiteral("speed")).toDouble();
        for (Motor &m : bus.motors())
            m.speed = speed;
    }
    for (const QString &f : parser.values(QStringLiteral("fault"))) {
        if (!applyFault(f, sim)) {
            err << "unknown --fault " << f << '\n';
            return 2;
        }
    }
    Chaos::Timing timing;
    if ((parser.isSet(QStringLiteral("phase-ms"))
         && !parseRange(parser.value(QStringLiteral("phase-ms")), 1, timing.phase))
        || (parser.isSet(QStringLiteral("replug-s"))
            && !parseRange(parser.value(QStringLiteral("replug-s")), 1000, timing.replug))) {
        err << "bad --phase-ms or --replug-s, expected MIN:MAX\n";
        return 2;
    }
    timing.clean = {std::max(1, timing.phase.minMs * 2 / 3), std::max(1, timing.phase.maxMs * 2 / 3)};
    QFile chaosLog;
    if (parser.isSet(QStringLiteral("chaos-log"))) {
        chaosLog.setFileName(parser.value(QStringLiteral("chaos-log")));
        if (!chaosLog.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            err << "cannot write " << chaosLog.fileName() << '\n';
            return 1;
        }
    } else if (!chaosLog.open(stderr, QIODevice::WriteOnly | QIODevice::Text)) {
        return 1;
    }
    const quint32 seed = parser.isSet(QStringLiteral("seed")) ? parser.value(QStringLiteral("seed")).toUInt()
                                                              : quint32(QDateTime::currentMSecsSinceEpoch());
    std::unique_ptr<Chaos> chaos;
    if (parser.isSet(QStringLiteral("chaos")))
        chaos = std::make_unique<Chaos>(sim, &chaosLog, seed, timing);

    if (parser.isSet(QStringLiteral("link")) && !sim.link(parser.value(QStringLiteral("link")))) {
        err << "cannot link " << parser.value(QStringLiteral("link")) << '\n';
        return 1;
    }

    // Signals end the event loop so that the destructors remove the link.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return 1;
    QSocketNotifier quitNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&quitNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);

    QTextStream out(stdout);
    out << sim.path() << Qt::endl;
    QObject::connect(&sim, &MotorSim::frameReceived, &app, [&out](const QByteArray &bytes, int rate, bool answered) {
        out << bytes.toHex(' ').toUpper() << "  " << rate << " bd  " << (answered ? "answered" : "no answer")
            << Qt::endl;
    });
    QObject::connect(&sim, &MotorSim::unplugged, &app, [&out] { out << "unplugged" << Qt::endl; });
    QObject::connect(&sim, &MotorSim::replugged, &app,
                     [&out](const QString &path) { out << "replugged " << path << Qt::endl; });
    if (chaos)
        chaos->start();
    return app.exec();
}
