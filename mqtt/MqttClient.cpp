#include "MqttClient.h"

#include "MqttText.h"
#include "MqttTls.h"

#include <QMetaObject>

#include <mosquitto.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <netdb.h>

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

namespace {
const int LoopTickMs = 100; // the longest the thread goes without looking for a stop

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
} // namespace

// Everything the connection thread uses.  It outlives the client when that
// thread is stuck in a name lookup at the end (see finishThread()).
struct MqttClient::Session {
    enum class Stop { No, Clean, Now };

    MqttConfig config;
    MqttClient::Timing timing;
    mosquitto *mosq = nullptr;
    TlsContext tls;
    TlsTrouble tlsTrouble;

    std::mutex mutex; // guards client, stop, cleanDeadline and finished
    std::condition_variable wake;
    MqttClient *client = nullptr;
    Stop stop = Stop::No;
    Clock::time_point cleanDeadline;
    bool finished = false;

    // The current attempt, written by the thread only.
    bool up = false;
    Clock::time_point upSince;
    int connackCode = -1;
    int disconnectCode = 0;

    ~Session()
    {
        if (mosq)
            mosquitto_destroy(mosq);
    }

    // Runs call(client) on the Qt thread, unless the client is gone.
    template <typename F> void post(F call)
    {
        std::lock_guard lock(mutex);
        if (client)
            QMetaObject::invokeMethod(
                client, [call = std::move(call), c = client] { call(c); }, Qt::QueuedConnection);
    }
    Stop stopAsked()
    {
        std::lock_guard lock(mutex);
        return stop == Stop::Clean && Clock::now() > cleanDeadline ? Stop::Now : stop;
    }

    static void onConnect(mosquitto *, void *data, int code)
    {
        auto *s = static_cast<Session *>(data);
        s->connackCode = code;
        if (code != 0)
            return;
        s->up = true;
        s->upSince = Clock::now();
        s->post([](MqttClient *c) {
            c->m_connected = true;
            emit c->connected();
        });
    }
    static void onDisconnect(mosquitto *, void *data, int code) { static_cast<Session *>(data)->disconnectCode = code; }
    static void onMessage(mosquitto *, void *data, const mosquitto_message *m)
    {
        static_cast<Session *>(data)->post(
            [topic = QString::fromUtf8(m->topic),
             payload = QByteArray(static_cast<const char *>(m->payload), m->payloadlen),
             retained = m->retain](MqttClient *c) { emit c->messageReceived(topic, payload, retained); });
    }
    static void onLog(mosquitto *, void *data, int level, const char *text)
    {
        // OpenSSL's own words about a failed handshake come only this way.
        if ((level & (MOSQ_LOG_ERR | MOSQ_LOG_WARNING)) && std::strstr(text, "OpenSSL"))
            static_cast<Session *>(data)->tlsTrouble.libraryErrors.append(QString::fromUtf8(text));
    }

    void run()
    {
        int retryMs = timing.firstRetryMs;
        const QByteArray host = config.host.toUtf8();
        while (stopAsked() == Stop::No) {
            up = false;
            connackCode = -1;
            disconnectCode = 0;
            tlsTrouble = {};
            const Clock::time_point began = Clock::now();
            // Looks the name up and starts the TCP connect without waiting for it.
            const int rc = mosquitto_connect_async(mosq, host.constData(), config.port, config.keepaliveS);
            const int error = errno;
            const QString reason = rc == MOSQ_ERR_SUCCESS || rc == MOSQ_ERR_CONN_PENDING ? serve(began)
                                                                                         : reasonOf(rc, error);
            if (stopAsked() != Stop::No)
                break;
            if (up && stayedUp())
                retryMs = timing.firstRetryMs;
            const int wait = retryMs;
            retryMs = std::min(retryMs * 2, timing.lastRetryMs);
            if (connackCode == 4 || connackCode == 5) { // bad user name or password; not authorised
                post([why = QString::fromUtf8(mosquitto_connack_string(connackCode))](MqttClient *c) {
                    c->m_connected = false;
                    emit c->credentialsRefused(why);
                });
            } else {
                const QString line = mqttText(up ? MqttText::MqttConnectionLost : MqttText::MqttConnectFailed)
                                         .arg(config.host)
                                         .arg(config.port)
                                         .arg(reason, QString::number(wait / 1000.0));
                post([line](MqttClient *c) {
                    c->m_connected = false;
                    emit c->disconnected(line);
                });
            }
            std::unique_lock lock(mutex);
            wake.wait_for(lock, milliseconds(wait), [this] { return stop != Stop::No; });
        }
        std::lock_guard lock(mutex);
        finished = true;
        wake.notify_all();
    }

    QString serve(Clock::time_point began)
    {
        const auto connectDeadline = began + milliseconds(timing.connectTimeoutMs);
        for (;;) {
            const Stop stopNow = stopAsked();
            if (stopNow == Stop::Now)
                return {};
            const int rc = mosquitto_loop(mosq, LoopTickMs, 1);
            const int error = errno;
            if (rc != MOSQ_ERR_SUCCESS)
                return stopNow == Stop::Clean ? QString() : reasonOf(rc, error);
            if (connackCode > 0)
                return QString::fromUtf8(mosquitto_connack_string(connackCode));
            if (!up && Clock::now() > connectDeadline) {
                const QString tls = describeTlsTrouble(tlsTrouble, config);
                return !tls.isEmpty() ? tls : mqttText(MqttText::MqttNoConnack).arg(timing.connectTimeoutMs / 1000.0);
            }
        }
    }

    qint64 upForMs() const { return std::chrono::duration_cast<milliseconds>(Clock::now() - upSince).count(); }
    bool stayedUp() const { return upForMs() >= timing.stableMs; }

    QString reasonOf(int rc, int error) const
    {
        const QString tls = describeTlsTrouble(tlsTrouble, config);
        if (!tls.isEmpty())
            return tls;
        if (rc == MOSQ_ERR_NO_CONN && disconnectCode != 0)
            rc = disconnectCode; // the library closed the socket and said why
        switch (rc) {
        case MOSQ_ERR_KEEPALIVE: return mqttText(MqttText::MqttKeepaliveLost).arg(config.keepaliveS);
        case MOSQ_ERR_EAI: return mqttText(MqttText::MqttLookupFailed).arg(QString::fromUtf8(gai_strerror(error)));
        case MOSQ_ERR_ERRNO: return systemError(error);
        case MOSQ_ERR_CONN_LOST:
        case MOSQ_ERR_PROTOCOL:
            // Before the CONNACK, an MQTT broker only closes on a CONNECT it cannot read.
            if (!up && !config.tls)
                return mqttText(MqttText::MqttClosedBeforeConnack);
            if (rc == MOSQ_ERR_PROTOCOL)
                return mqttText(MqttText::MqttNotMqtt);
            if (up && !stayedUp())
                return mqttText(MqttText::MqttClosedSoon)
                    .arg(QString::number(upForMs() / 1000.0, 'f', 1), config.clientId);
            return mqttText(MqttText::MqttClosedByBroker);
        case MOSQ_ERR_TLS: return mqttText(MqttText::MqttTlsFailed).arg(systemError(error));
        default: return QString::fromUtf8(mosquitto_strerror(rc));
        }
    }
};

MqttClient::MqttClient(const MqttConfig &config, const QString &willTopic, QObject *parent)
    : QObject(parent), m_config(config), m_willTopic(willTopic)
{
    static const int init = mosquitto_lib_init();
    Q_UNUSED(init);
    m_timing.connectTimeoutMs = std::min(m_timing.connectTimeoutMs, config.keepaliveS * 1000);
}

MqttClient::~MqttClient()
{
    finishThread(LoopTickMs * 5);
}

bool MqttClient::start(QString *error)
{
    auto session = std::make_shared<Session>();
    session->config = m_config;
    session->timing = m_timing;
    if (m_config.tls) {
        session->tls = makeTlsContext(m_config, &session->tlsTrouble, error);
        if (!session->tls)
            return false;
    }
    mosquitto *mosq = mosquitto_new(m_config.clientId.toUtf8().constData(), true, session.get());
    if (!mosq) {
        *error = mqttText(MqttText::MqttCannotCreateClient);
        return false;
    }
    session->mosq = mosq;
    mosquitto_threaded_set(mosq, true);
    mosquitto_connect_callback_set(mosq, &Session::onConnect);
    mosquitto_disconnect_callback_set(mosq, &Session::onDisconnect);
    mosquitto_message_callback_set(mosq, &Session::onMessage);
    mosquitto_log_callback_set(mosq, &Session::onLog);
    if (!m_config.username.isEmpty())
        mosquitto_username_pw_set(mosq, m_config.username.toUtf8().constData(),
                                  m_config.password.isEmpty() ? nullptr : m_config.password.toUtf8().constData());
    if (!m_willTopic.isEmpty())
        mosquitto_will_set(mosq, m_willTopic.toUtf8().constData(), 7, "offline", 1, true);
    if (session->tls) {
        mosquitto_void_option(mosq, MOSQ_OPT_SSL_CTX, session->tls.get());
        mosquitto_int_option(mosq, MOSQ_OPT_SSL_CTX_WITH_DEFAULTS, 0);
    }
    session->client = this;
    m_session = session;
    m_thread = std::thread([session] { session->run(); });
    return true;
}

void MqttClient::finishThread(int waitMs)
{
    if (!m_session)
        return;
    std::unique_lock lock(m_session->mutex);
    m_session->client = nullptr;
    if (m_session->stop == Session::Stop::No)
        m_session->stop = Session::Stop::Now;
    m_session->wake.notify_all();
    // A name lookup cannot be interrupted: a thread still in one is left to
    // end on its own, with the session it holds.
    const bool ended = m_session->wake.wait_for(lock, milliseconds(waitMs), [this] { return m_session->finished; });
    lock.unlock();
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
    m_session.reset();
    m_connected = false;
}

void MqttClient::publish(const QString &topic, const QByteArray &payload, bool retain, int qos)
{
    if (!m_connected)
        return;
    mosquitto_publish(m_session->mosq, nullptr, topic.toUtf8().constData(), int(payload.size()), payload.constData(),
                      qos, retain);
}

void MqttClient::subscribe(const QString &pattern, int qos)
{
    if (m_session)
        mosquitto_subscribe(m_session->mosq, nullptr, pattern.toUtf8().constData(), qos);
}

void MqttClient::unsubscribe(const QString &pattern)
{
    if (m_session)
        mosquitto_unsubscribe(m_session->mosq, nullptr, pattern.toUtf8().constData());
}

void MqttClient::disconnectCleanly(const QString &stateTopic)
{
    if (!m_session)
        return;
    const int cleanMs = 1000;
    if (m_connected) {
        publish(stateTopic, "offline", true);
        {
            std::lock_guard lock(m_session->mutex);
            m_session->stop = Session::Stop::Clean;
            m_session->cleanDeadline = Clock::now() + milliseconds(cleanMs);
        }
        // Queued after the "offline": the thread writes both, then the broker closes.
        mosquitto_disconnect(m_session->mosq);
    }
    finishThread(cleanMs + 2 * LoopTickMs);
}

void MqttClient::closeInBackground()
{
    if (!m_session)
        return;
    {
        std::lock_guard lock(m_session->mutex);
        m_session->client = nullptr;
        m_session->stop = Session::Stop::Clean;
        m_session->cleanDeadline = Clock::now() + milliseconds(LoopTickMs * 5);
        m_session->wake.notify_all();
    }
    mosquitto_disconnect(m_session->mosq);
    m_thread.detach(); // it holds the session until it ends
    m_session.reset();
    m_connected = false;
}
