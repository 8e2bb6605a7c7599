// tavik-mqtt: every configured motor channel a cover over MQTT, announced
// through Home Assistant's discovery.
#include "Bridge.h"
#include "Config.h"
#include "Log.h"
#include "MqttText.h"
#include "MqttTls.h"
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
    parser.setApplicationDescription(mqttText(MqttText::MqttHelpDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption configOption(QStringLiteral("config"), mqttText(MqttText::MqttHelpOptConfig),
                                          QStringLiteral("FILE"), QStringLiteral("/etc/tavik/mqtt.yaml"));
    const QCommandLineOption checkOption(QStringLiteral("check"), mqttText(MqttText::MqttHelpOptCheck));
    const QCommandLineOption verboseOption(QStringLiteral("verbose"), mqttText(MqttText::MqttHelpOptVerbose));
    parser.addOptions({configOption, checkOption, verboseOption});
    parser.process(app);

    const ConfigResult loaded = loadConfig(parser.value(configOption));
    if (!loaded.config) {
        logLine(loaded.error);
        return 2;
    }
    if (parser.isSet(checkOption)) {
        // The TLS files as the connection will use them: readable, matching, not expired.
        TlsTrouble unused;
        QString tlsError;
        if (loaded.config->mqtt.tls && !makeTlsContext(loaded.config->mqtt, &unused, &tlsError)) {
            logLine(tlsError);
            return 2;
        }
        logLine(mqttText(MqttText::MqttConfigValid).arg(parser.value(configOption)));
        return 0;
    }

    Bridge bridge(*loaded.config, parser.isSet(verboseOption));
    QObject::connect(&bridge, &Bridge::fatal, &app, [&](int code) { QCoreApplication::exit(code); });
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signalFd < 0)
        return 1;
    QSocketNotifier signalWatch(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalWatch, &QSocketNotifier::activated, &app, [&] {
        logLine(mqttText(MqttText::MqttStopping));
        bridge.stop();
        flushLog();
        QCoreApplication::quit();
    });

    QString error;
    // The client only fails to start on what it was configured with (its TLS files).
    if (!bridge.start(&error)) {
        logLine(error);
        return 2;
    }
    const int code = app.exec();
    flushLog();
    return code;
}
