// The daemon: one MQTT connection and one BusBridge per bus.  Announces the
// covers, routes commands to their bus and republishes everything on every
// connection and on Home Assistant's birth message.
#pragma once

#include "BusBridge.h"
#include "Config.h"
#include "Discovery.h"
#include "MqttClient.h"

#include <QObject>

#include <memory>
#include <vector>

class Bridge : public QObject {
    Q_OBJECT
public:
    static constexpr int BirthPauseMaxMs = 5000;
    static constexpr int StaleScanMs = 3000; // how long retained configs are collected at the start

    Bridge(const Config &config, bool verbose, QObject *parent = nullptr);
    ~Bridge() override;

    bool start(QString *error);
    // Publishes offline and closes the connection.
    void stop();

signals:
    // The program should end with this code (3: the broker refused the credentials).
    void fatal(int exitCode);

private:
    void onConnected();
    void onMessage(const QString &topic, const QByteArray &payload, bool retained);
    void onCommand(const QString &topic, const QByteArray &payload, bool retained);
    void publishDiscovery();
    void republishAll();

    Config m_config;
    QList<DiscoveryMessage> m_discovery;
    MqttClient m_client;
    std::vector<std::unique_ptr<BusBridge>> m_buses;
    bool m_everConnected = false;
    bool m_collectingStale = false;
};
