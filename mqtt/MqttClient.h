// An MQTT client on Qt's event loop: libmosquitto's socket is watched with
// socket notifiers and its housekeeping runs on a timer, no extra thread.
// A lost or failed connection is retried after 1 s, doubling up to 30 s.
#pragma once

#include "Config.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

struct mosquitto;
struct mosquitto_message;
class QSocketNotifier;

class MqttClient : public QObject {
    Q_OBJECT
public:
    static constexpr int FirstRetryMs = 1000;
    static constexpr int LastRetryMs = 30000;

    // The last will (payload "offline", retained) goes on willTopic.
    MqttClient(const MqttConfig &config, const QString &willTopic, QObject *parent = nullptr);
    ~MqttClient() override;

    // Starts connecting; false (with the reason in error) when the client
    // cannot be set up at all (e.g. a TLS file libmosquitto refuses).
    bool start(QString *error);
    bool isConnected() const { return m_connected; }
    void publish(const QString &topic, const QByteArray &payload, bool retain, int qos = 1);
    void subscribe(const QString &pattern, int qos = 1);
    void unsubscribe(const QString &pattern);
    // Publishes the bridge's "offline" and closes the connection.
    void disconnectCleanly(const QString &stateTopic);

signals:
    void connected();
    void disconnected(const QString &reason);
    // The broker refused the user name or password.
    void credentialsRefused(const QString &reason);
    void messageReceived(const QString &topic, const QByteArray &payload, bool retained);

private:
    static void onConnect(mosquitto *, void *self, int rc);
    static void onDisconnect(mosquitto *, void *self, int rc);
    static void onMessage(mosquitto *, void *self, const mosquitto_message *message);

    void tryConnect();
    void watchSocket();
    void dropConnection(const QString &reason);
    void scheduleRetry();
    void onReadable();
    void onWritable();
    void updateWriteInterest();

    MqttConfig m_config;
    QString m_willTopic;
    mosquitto *m_mosq = nullptr;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
    QTimer m_misc;
    QTimer m_retry;
    int m_retryMs = FirstRetryMs;
    bool m_connected = false;
    bool m_everConnected = false;
    bool m_socketOpen = false;
};
