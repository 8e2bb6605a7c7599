#include "MqttClient.h"

#include "MqttText.h"

#include <QSocketNotifier>

#include <mosquitto.h>

namespace {
struct LibraryInit {
    LibraryInit() { mosquitto_lib_init(); }
    ~LibraryInit() { mosquitto_lib_cleanup(); }
};
const char *orNull(const QByteArray &b)
{
    return b.isEmpty() ? nullptr : b.constData();
}
} // namespace

MqttClient::MqttClient(const MqttConfig &config, const QString &willTopic, QObject *parent)
    : QObject(parent), m_config(config), m_willTopic(willTopic)
{
    static LibraryInit init;
    m_misc.setInterval(1000);
    connect(&m_misc, &QTimer::timeout, this, [this] {
        if (m_socketOpen) {
            mosquitto_loop_misc(m_mosq);
            updateWriteInterest();
        }
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &MqttClient::tryConnect);
}

MqttClient::~MqttClient()
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

bool MqttClient::start(QString *error)
{
    m_mosq = mosquitto_new(m_config.clientId.toUtf8().constData(), true, this);
    if (!m_mosq) {
        *error = mqttText("MqttCannotCreateClient");
        return false;
    }
    mosquitto_connect_callback_set(m_mosq, &MqttClient::onConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MqttClient::onDisconnect);
    mosquitto_message_callback_set(m_mosq, &MqttClient::onMessage);
    mosquitto_reconnect_delay_set(m_mosq, 1, 30, true);
    if (!m_config.username.isEmpty())
        mosquitto_username_pw_set(m_mosq, m_config.username.toUtf8().constData(),
                                  m_config.password.isEmpty() ? nullptr : m_config.password.toUtf8().constData());
    const QByteArray will = m_willTopic.toUtf8();
    mosquitto_will_set(m_mosq, will.constData(), 7, "offline", 1, true);
    if (m_config.tls) {
        const int rc = mosquitto_tls_set(m_mosq, orNull(m_config.caFile.toUtf8()), nullptr,
                                         orNull(m_config.certFile.toUtf8()), orNull(m_config.keyFile.toUtf8()),
                                         nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            *error = mqttText("MqttTlsSetup").arg(QString::fromUtf8(mosquitto_strerror(rc)));
            return false;
        }
    }
    tryConnect();
    return true;
}

void MqttClient::tryConnect()
{
    // The TCP connection is made at once; the broker's answer comes through the loop.
    const int rc = m_everConnected || m_socketOpen
        ? mosquitto_reconnect(m_mosq)
        : mosquitto_connect(m_mosq, m_config.host.toUtf8().constData(), m_config.port, 30);
    if (rc != MOSQ_ERR_SUCCESS) {
        emit disconnected(mqttText("MqttCannotReach")
                              .arg(m_config.host)
                              .arg(m_config.port)
                              .arg(QString::fromUtf8(mosquitto_strerror(rc))));
        scheduleRetry();
        return;
    }
    m_socketOpen = true;
    watchSocket();
}

void MqttClient::watchSocket()
{
    const int fd = mosquitto_socket(m_mosq);
    m_readNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    m_writeNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &MqttClient::onReadable);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &MqttClient::onWritable);
    m_misc.start();
    updateWriteInterest();
}

void MqttClient::updateWriteInterest()
{
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(mosquitto_want_write(m_mosq));
}

void MqttClient::onReadable()
{
    const int rc = mosquitto_loop_read(m_mosq, 1);
    if (rc != MOSQ_ERR_SUCCESS && m_socketOpen) {
        dropConnection(rc == MOSQ_ERR_CONN_REFUSED ? mqttText("MqttRefused")
                                                   : QString::fromUtf8(mosquitto_strerror(rc)));
        return;
    }
    updateWriteInterest();
}

void MqttClient::onWritable()
{
    const int rc = mosquitto_loop_write(m_mosq, 1);
    if (rc != MOSQ_ERR_SUCCESS) {
        dropConnection(QString::fromUtf8(mosquitto_strerror(rc)));
        return;
    }
    updateWriteInterest();
}

void MqttClient::dropConnection(const QString &reason)
{
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_misc.stop();
    const bool was = m_connected;
    m_connected = false;
    if (was)
        emit disconnected(reason);
    scheduleRetry();
}

void MqttClient::scheduleRetry()
{
    if (m_retry.isActive())
        return;
    m_retry.start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, LastRetryMs);
}

void MqttClient::onConnect(mosquitto *, void *self, int rc)
{
    auto *c = static_cast<MqttClient *>(self);
    if (rc == 0) {
        c->m_connected = true;
        c->m_everConnected = true;
        c->m_retryMs = FirstRetryMs;
        emit c->connected();
    } else if (rc == 4 || rc == 5) { // bad user name or password; not authorised
        emit c->credentialsRefused(QString::fromUtf8(mosquitto_connack_string(rc)));
    } else {
        emit c->disconnected(QString::fromUtf8(mosquitto_connack_string(rc)));
    }
}

void MqttClient::onDisconnect(mosquitto *, void *self, int rc)
{
    auto *c = static_cast<MqttClient *>(self);
    if (rc != 0) // not asked for: the loop's error path retries
        return;
    c->m_connected = false;
}

void MqttClient::onMessage(mosquitto *, void *self, const mosquitto_message *message)
{
    auto *c = static_cast<MqttClient *>(self);
    emit c->messageReceived(QString::fromUtf8(message->topic),
                            QByteArray(static_cast<const char *>(message->payload), message->payloadlen),
                            message->retain);
}

void MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain, int qos)
{
    if (!m_connected)
        return;
    mosquitto_publish(m_mosq, nullptr, topic.toUtf8().constData(), int(payload.size()), payload.constData(), qos,
                      retain);
    updateWriteInterest();
}

void MqttClient::subscribe(const QString &pattern, int qos)
{
    mosquitto_subscribe(m_mosq, nullptr, pattern.toUtf8().constData(), qos);
    updateWriteInterest();
}

void MqttClient::unsubscribe(const QString &pattern)
{
    mosquitto_unsubscribe(m_mosq, nullptr, pattern.toUtf8().constData());
    updateWriteInterest();
}

void MqttClient::disconnectCleanly(const QString &stateTopic)
{
    m_retry.stop();
    if (!m_connected)
        return;
    publish(stateTopic, "offline", true);
    // Flush what is queued before the DISCONNECT goes out.
    for (int i = 0; i < 10 && mosquitto_want_write(m_mosq); ++i)
        mosquitto_loop_write(m_mosq, 1);
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_write(m_mosq, 1);
    m_connected = false;
}
