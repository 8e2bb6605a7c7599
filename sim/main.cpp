// tavik-motor-sim: a simulated motor bus on a pseudo-terminal, for running
// and testing Tavik without the transmitter.  Prints the serial port path on
// the first line, then one line per frame received.
#include "MotorSim.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = { -1, -1 };

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

// "12:1,3" or "12:1,3:2": ID, channels 1..16, optional bus baud code.
bool parseMotor(const QString &text, MotorBus &bus)
{
    const QStringList parts = text.split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return false;
    bool ok = false;
    const int id = parts[0].toInt(&ok);
    if (!ok || id < 0 || id > 255)
        return false;
    quint16 mask = 0;
    for (const QString &ch : parts[1].split(u',', Qt::SkipEmptyParts)) {
        const int n = ch.toInt(&ok);
        if (!ok || n < 1 || n > 16)
            return false;
        mask |= quint16(1u << (n - 1));
    }
    if (parts.size() == 3) {
        const int code = parts[2].toInt(&ok);
        if (!ok || MotorBus::baudCodeToBps(code) == 0)
            return false;
        bus.setBaudCode(code); // one line, one rate: the last one given wins
    }
    bus.addMotor(id, mask);
    return true;
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavik-motor-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated curtain motor bus on a pseudo-terminal.\n"
        "Faults: silent, garbage, garbage-only, bad-check, drop[:N], duplicate,\n"
        "slow[:MS], ignore:F1,F2 (hex function codes), flood[:BYTES] (once, at the\n"
        "first frame), unplug[:MS]."));
    parser.addHelpOption();
    parser.addOptions({
        { QStringLiteral("link"), QStringLiteral("Symbolic link to the serial port."), QStringLiteral("PATH") },
        { QStringLiteral("motor"), QStringLiteral("A motor, e.g. 12:1,3 (repeatable)."),
          QStringLiteral("ID:CHANNELS[:BAUDCODE]") },
        { QStringLiteral("baud"), QStringLiteral("Bus baud code 0..4 (1200..19200)."), QStringLiteral("CODE") },
        { QStringLiteral("speed"), QStringLiteral("Motor speed in percent per second."),
          QStringLiteral("PERCENT_PER_S") },
        { QStringLiteral("fault"), QStringLiteral("A fault mode (repeatable)."), QStringLiteral("NAME") },
    });
    parser.process(app);

    QTextStream err(stderr);
    MotorSim sim;
    if (!sim.isOpen()) {
        err << "cannot open a pseudo-terminal\n";
        return 1;
    }
    MotorBus &bus = sim.bus();
    for (const QString &m : parser.values(QStringLiteral("motor"))) {
        if (!parseMotor(m, bus)) {
            err << "bad --motor " << m << '\n';
            return 2;
        }
    }
    if (bus.motors().isEmpty())
        bus.addMotor(1, 0x0001);
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
    QObject::connect(&sim, &MotorSim::frameReceived, &app,
                     [&out](const QByteArray &bytes, int rate, bool answered) {
                         out << bytes.toHex(' ').toUpper() << "  " << rate << " bd  "
                             << (answered ? "answered" : "no answer") << Qt::endl;
                     });
    QObject::connect(&sim, &MotorSim::unplugged, &app, [&out] { out << "unplugged" << Qt::endl; });
    return app.exec();
}
