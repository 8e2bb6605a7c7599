// tavik-cli: the motor link from a terminal or a script.  The same frames,
// 150 ms pacing, baud scan and read-back confirmation as the window, because
// it runs the same core (MotorLink).
#include "Arguments.h"
#include "CliText.h"
#include "Help.h"
#include "Inventory.h"
#include "Session.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int signal)
{
    const char c = char(signal);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

// What a command that only prints returns: a failed write to the standard
// output is a failure, not a silent loss.
int printed(QTextStream &out, QTextStream &err, const QString &failure = {})
{
    out.flush();
    if (failure.isEmpty() && out.status() == QTextStream::Ok)
        return Session::Done;
    err << (failure.isEmpty() ? say(CliText::CliOutputFailed).arg(say(CliText::CliStandardOutput), QString()) : failure)
        << '\n';
    return Session::NoAnswer;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavik-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    Request request;
    QString error;
    if (!parseArguments(app.arguments().mid(1), request, error)) {
        // Under --json a usage error is a record too.
        Output(out, err, app.arguments().contains(QStringLiteral("--json")), false)
            .error(error + u'\n' + say(CliText::CliSeeHelp), {{QStringLiteral("exit"), Session::Usage}});
        return Session::Usage;
    }
    if (request.asked == Request::Asked::Version) {
        out << versionText();
        return printed(out, err);
    }
    if (request.asked == Request::Asked::Help) {
        out << (request.command ? commandHelp(*request.command) : helpText());
        return printed(out, err);
    }
    Output output(out, err, request.json, request.quiet);
    output.showProgress(::isatty(STDERR_FILENO));
    if (!request.logPath.isEmpty() && !output.openLog(request.logPath, request.commandLine, error)) {
        output.error(say(CliText::CliFileUnwritable).arg(request.logPath, error),
                     {{QStringLiteral("exit"), Session::Usage}});
        return Session::Usage;
    }
    if (!output.writeFailure().isEmpty()) // the log opened but takes nothing
        return printed(out, err, output.writeFailure());
    if (request.kind() == CommandRow::Kind::Ports) {
        listPorts(output);
        return printed(out, err, output.writeFailure());
    }
    if (request.kind() == CommandRow::Kind::Settings) {
        listSettings(output);
        return printed(out, err, output.writeFailure());
    }

    if (request.kind() == CommandRow::Kind::Scan && request.all)
        return runInventory(request, output);

    Session session(request, output);
    QObject::connect(&session, &Session::finished, &app, &QCoreApplication::exit, Qt::QueuedConnection);

    // Ctrl-C and SIGTERM reach the session through the event loop, so a
    // tick is never cut in half.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return Session::NoAnswer;
    QSocketNotifier interrupts(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupts, &QSocketNotifier::activated, &session, [&session] {
        char c = SIGINT;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
        session.interrupt(c);
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    QTimer::singleShot(0, &session, &Session::start);
    return app.exec();
}
