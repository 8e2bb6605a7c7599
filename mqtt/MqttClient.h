// An MQTT client for a Qt program that never holds the Qt event loop.
//
// libmosquitto runs in a thread of its own, in our loop around
// mosquitto_loop() rather than mosquitto_loop_start(): that library loop
// reconnects with a blocking connect and says nothing about why a connection
// ended, and we need a deadline for the broker's CONNACK and the reason of
// every ending.  The name lookup, the non-blocking TCP connect and the TLS
// handshake all happen in that thread.  What it learns reaches the Qt thread
// as queued calls; publish, subscribe and unsubscribe only queue packets and
// wake the thread, which libmosquitto allows from any thread.
//
// Every ending of a connection or of an attempt (refused, reset, keepalive
// lost, no CONNACK in time, a TLS failure, an unreachable host) is reported
// once through disconnected() with its reason and the next attempt follows
// after 1 s, doubling up to 30 s; only a connection that stayed up for a
// minute starts the waits again at 1 s.  A connection the broker closes
// sooner is told as what it usually is: another client with our client ID
// taking the broker's session over, and ours then taking it back.
#pragma once

#include "Config.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>
#include <thread>

class MqttClient : public QObject {
    Q_OBJECT
public:
    struct Timing {
        int connectTimeoutMs = 10000; // TCP, TLS and CONNACK together
        int firstRetryMs = 1000;
        int lastRetryMs = 30000;
        int stableMs = 60000; // up this long, the next ending retries after firstRetryMs again
    };

    // The last will (payload "offline", retained) goes on willTopic; none when it is empty.
    MqttClient(const MqttConfig &config, const QString &willTopic, QObject *parent = nullptr);
    ~MqttClient() override;

    // Before start(): shorter waits for tests.
    void setTiming(const Timing &timing) { m_timing = timing; }
    // Starts connecting; false (with the reason in error) when the client
    // cannot be set up at all (e.g. TLS files that cannot be used).
    bool start(QString *error);
    bool isConnected() const { return m_connected; }
    void publish(const QString &topic, const QByteArray &payload, bool retain, int qos = 1);
    void subscribe(const QString &pattern, int qos = 1);
    void unsubscribe(const QString &pattern);
    // Publishes "offline" on stateTopic and closes the connection, waiting
    // about a second at most; no further attempt follows.
    void disconnectCleanly(const QString &stateTopic);
    // Closes the connection without waiting: the connection's thread ends on
    // its own and no signal follows.
    void closeInBackground();

signals:
    void connected();
    // One line: where, what ended it and when the next attempt is.
    void disconnected(const QString &reason);
    // The broker refused the user name or password.
    void credentialsRefused(const QString &reason);
    void messageReceived(const QString &topic, const QByteArray &payload, bool retained);

private:
    struct Session;
    friend struct Session;

    void finishThread(int waitMs);

    MqttConfig m_config;
    QString m_willTopic;
    Timing m_timing;
    std::shared_ptr<Session> m_session;
    std::thread m_thread;
    bool m_connected = false;
};
