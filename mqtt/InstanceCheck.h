// Before a bridge changes anything on its base topic it makes sure no other
// bridge serves it: on a connection of its own (its own client ID, no will)
// it reads the running bridge's retained record and pings it.  An answer
// within AnswerWaitMs means that bridge is alive; a record nobody answers for
// is left from a bridge that ended without clearing it.
#pragma once

#include "Config.h"
#include "MqttClient.h"
#include "MqttText.h"

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QTimer>

class InstanceCheck : public QObject {
    Q_OBJECT
public:
    static constexpr int AnswerWaitMs = 2000;

    explicit InstanceCheck(const MqttConfig &config, QObject *parent = nullptr);

    // false (with the reason) when the connection cannot be set up at all.
    bool start(QString *error);

    // What a running bridge keeps retained and answers a ping with.
    static QJsonObject record(const MqttConfig &config, const QDateTime &started);
    // The line that names a bridge by its record.
    static QString describe(MqttText text, const QString &base, const QJsonObject &record);

signals:
    // No bridge answered; a record left by one that ended without clearing it is named in staleRecord first.
    void baseTopicFree();
    void staleRecord(const QString &line);
    // The running bridge answered; the line names it.
    void baseTopicTaken(const QString &line);
    void disconnected(const QString &reason);
    void credentialsRefused(const QString &reason);

private:
    void onConnected();
    void onMessage(const QString &topic, const QByteArray &payload);
    void finish();

    MqttConfig m_config;
    QString m_ownId;
    QString m_marker; // our own message: once it is back, every retained record has arrived
    MqttClient m_client;
    QJsonObject m_record;
    QTimer m_wait;
    bool m_done = false;
};
