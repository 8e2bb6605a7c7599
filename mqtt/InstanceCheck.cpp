#include "InstanceCheck.h"

#include "MqttText.h"
#include "Topics.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QSysInfo>

namespace {
MqttConfig checkingConfig(const MqttConfig &config, const QString &ownId)
{
    MqttConfig c = config;
    c.clientId = ownId;
    return c;
}
} // namespace

InstanceCheck::InstanceCheck(const MqttConfig &config, QObject *parent)
    : QObject(parent), m_config(config),
      m_ownId(config.clientId + QStringLiteral("-check-%1").arg(QCoreApplication::applicationPid())),
      m_marker(config.baseTopic + QStringLiteral("/bridge/check/") + m_ownId),
      m_client(checkingConfig(config, m_ownId), QString())
{
    m_wait.setSingleShot(true);
    m_wait.setInterval(AnswerWaitMs);
    connect(&m_wait, &QTimer::timeout, this, [this] {
        if (!m_record.isEmpty())
            emit staleRecord(describe(MqttText::MqttInstanceStale, m_config.baseTopic, m_record));
        finish();
        emit baseTopicFree();
    });
    connect(&m_client, &MqttClient::connected, this, &InstanceCheck::onConnected);
    connect(&m_client, &MqttClient::messageReceived, this,
            [this](const QString &topic, const QByteArray &payload, bool) { onMessage(topic, payload); });
    connect(&m_client, &MqttClient::disconnected, this, &InstanceCheck::disconnected);
    connect(&m_client, &MqttClient::credentialsRefused, this, &InstanceCheck::credentialsRefused);
}

bool InstanceCheck::start(QString *error)
{
    return m_client.start(error);
}

QJsonObject InstanceCheck::record(const MqttConfig &config, const QDateTime &started)
{
    return {{u"host"_qs, QSysInfo::machineHostName()},
            {u"pid"_qs, QCoreApplication::applicationPid()},
            {u"started"_qs, started.toUTC().toString(Qt::ISODate)},
            {u"client_id"_qs, config.clientId}};
}

QString InstanceCheck::describe(MqttText text, const QString &base, const QJsonObject &record)
{
    return mqttText(text)
        .arg(base, record.value(u"client_id"_qs).toString(), record.value(u"host"_qs).toString())
        .arg(record.value(u"pid"_qs).toInteger())
        .arg(record.value(u"started"_qs).toString());
}

void InstanceCheck::onConnected()
{
    const QString base = m_config.baseTopic;
    m_record = {};
    for (const QString &topic : {Topics::bridgeInstance(base), Topics::pingResponse(base), m_marker})
        m_client.subscribe(topic);
    m_client.publish(Topics::pingRequest(base), QJsonDocument(QJsonObject {{u"transaction"_qs, m_ownId}}).toJson(),
                     false);
    m_client.publish(m_marker, "1", false);
    m_wait.start();
}

void InstanceCheck::onMessage(const QString &topic, const QByteArray &payload)
{
    if (m_done)
        return;
    const QString base = m_config.baseTopic;
    if (topic == Topics::bridgeInstance(base)) {
        m_record = QJsonDocument::fromJson(payload).object();
    } else if (topic == m_marker && m_record.isEmpty()) {
        finish(); // no bridge ever said it runs here
        emit baseTopicFree();
    } else if (topic == Topics::pingResponse(base)) {
        const QJsonObject answer = QJsonDocument::fromJson(payload).object();
        if (answer.value(u"transaction"_qs).toString() != m_ownId)
            return;
        finish();
        emit baseTopicTaken(describe(MqttText::MqttInstanceRunning, base, answer));
    }
}

void InstanceCheck::finish()
{
    m_done = true;
    m_wait.stop();
    m_client.closeInBackground();
}
