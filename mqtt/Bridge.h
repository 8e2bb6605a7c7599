// The daemon: one MQTT connection and one BusBridge per bus.  Announces the
// covers, routes commands to their bus and republishes everything on every
// connection and on Home Assistant's birth message.  Its own connection
// starts only once InstanceCheck found no other bridge serving the base
// topic (the buses too, unless the broker is out of reach meanwhile); a
// running bridge keeps its record retained and answers the pings.  For a
// bus with discover it reads the kept inventory (scanning when there is
// none), takes scan requests and announces the covers found.
#pragma once

#include "BusBridge.h"
#include "Config.h"
#include "Discovery.h"
#include "InstanceCheck.h"
#include "MqttClient.h"

#include <QHash>
#include <QJsonValue>
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

    // Starts the check for another bridge; the rest follows when there is none.
    bool start(QString *error);
    // Publishes offline and closes the connection.
    void stop();

signals:
    // The program should end with this code (2: another bridge serves the base
    // topic, or the client cannot be set up; 3: the broker refused the credentials).
    void fatal(int exitCode);

private:
    void startBridging();
    void startBuses();
    void onDisconnected(const QString &reason);
    void onCredentialsRefused(const QString &reason);
    void onConnected();
    void onMessage(const QString &topic, const QByteArray &payload, bool retained);
    void onCommand(const QString &topic, const QByteArray &payload, bool retained);
    void publishDiscovery();
    void publishSettingsDiscovery(BusBridge *bus);
    void republishAll();
    void answerPing(const QByteArray &payload);
    // A discovering bus: its inventory, its scans and the covers it found.
    bool onLineMessage(const QString &topic, const QByteArray &payload, bool retained);
    void onScanRequest(const QByteArray &payload);
    void answerScan(const QJsonValue &transaction, const QString &bus, const QString &error, bool complete = false,
                    int motors = 0);
    void onCoversChanged();
    void scanWhereNothingIsKept();
    BusBridge *bus(const QString &name) const;

    Config m_config;
    QList<DiscoveryMessage> m_discovery;
    MqttClient m_client;
    std::unique_ptr<InstanceCheck> m_check;
    QDateTime m_started = QDateTime::currentDateTimeUtc();
    std::vector<std::unique_ptr<BusBridge>> m_buses;
    bool m_everConnected = false;
    bool m_collectingStale = false;
    bool m_busesStarted = false;
    QHash<BusBridge *, QList<QJsonValue>> m_scanTransactions; // scan requests waiting for their bus's scan
    QHash<QString, std::pair<BusBridge *, CoverConfig>> m_foundConfigs; // a found cover's config topic
};
