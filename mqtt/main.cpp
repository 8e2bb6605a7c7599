// tavik-mqtt: every configured motor channel a cover over MQTT, announced
// through Home Assistant's discovery.
#include "Bridge.h"
#include "Config.h"
#include "Log.h"
#include "MqttText.h"
#include "Version.h"

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
    parser.setApplicationDescription(mqttText("MqttHelpDescription"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption configOption(QStringLiteral("config"), mqttText("MqttHelpOptConfig"),
                                          QStringLiteral("FILE"), QStringLiteral("/etc/tavik/mqtt.yaml"));
    const QCommandLineOption checkOption(QStringLiteral("check"), mqttText("MqttHelpOptCheck"));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), mqttText("MqttHelpOptVerbose"));
    parser.addOptions({configOption, checkOption, verboseOption});
    parser.process(app);

    const ConfigResult loaded = loadConfig(parser.value(configOption));
    if (!loaded.config) {
        logLine(loaded.error);
        return 2;
    }
    if (parser.isSet(checkOption)) {
        logLine(mqttText("MqttConfigValid").arg(parser.value(configOption)));
        return 0;
    }

    Bridge bridge(*loaded.config, parser.isSet(verboseOption));
    QObject::connect(&bridge, &Bridge::fatal, &app, [&](int code) { QCoreApplication::exit(code); });
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signalFd < 0)
        return 1;
    QSocketNotifier signalWatch(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalWatch, &QSocketNotifier::activated, &app, [&] {
        logLine(mqttText("MqttStopping"));
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
