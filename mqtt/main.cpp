// tavik-mqtt: every configured motor channel a cover over MQTT, announced
// through Home Assistant's discovery.
#include "Bridge.h"
#include "Config.h"
#include "Log.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>

int main(int argc, char *argv[])
{
    // SIGTERM and SIGINT arrive as reads on a descriptor the event loop
    // watches; blocked before any thread starts, so every thread leaves them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavik-mqtt"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVIK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Runs one motor link per configured bus and makes every configured motor channel a\n"
                       "cover over MQTT, announced through Home Assistant's MQTT discovery.\n"
                       "\n"
                       "Exit status: 0 after SIGTERM or SIGINT or a good --check, 2 for a configuration\n"
                       "error (FILE:LINE: what is wrong), 3 when the broker refuses the credentials at\n"
                       "the start. The password comes from mqtt.password_file or TAVIK_MQTT_PASSWORD."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption configOption(QStringLiteral("config"),
                                          QStringLiteral("The configuration file (default /etc/tavik/mqtt.yaml)."),
                                          QStringLiteral("FILE"), QStringLiteral("/etc/tavik/mqtt.yaml"));
    const QCommandLineOption checkOption(QStringLiteral("check"), QStringLiteral("Check the configuration and exit."));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), QStringLiteral("Also log every frame."));
    parser.addOptions({configOption, checkOption, verboseOption});
    parser.process(app);

    const ConfigResult loaded = loadConfig(parser.value(configOption));
    if (!loaded.config) {
        logLine(loaded.error);
        return 2;
    }
    if (parser.isSet(checkOption)) {
        logLine(QStringLiteral("%1: configuration is valid").arg(parser.value(configOption)));
        return 0;
    }

    Bridge bridge(*loaded.config, parser.isSet(verboseOption));
    QObject::connect(&bridge, &Bridge::fatal, &app, [&](int code) { QCoreApplication::exit(code); });
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signalFd < 0)
        return 1;
    QSocketNotifier signalWatch(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalWatch, &QSocketNotifier::activated, &app, [&] {
        logLine(QStringLiteral("stopping"));
        bridge.stop();
        QCoreApplication::quit();
    });

    QString error;
    if (!bridge.start(&error)) {
        logLine(error);
        return 1;
    }
    return app.exec();
}
