#include "BusBridge.h"

#include "Log.h"
#include "MqttText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

BusBridge::BusBridge(const BusConfig &bus, const QString &baseTopic, Publisher publish, bool verbose, QObject *parent)
    : QObject(parent), m_bus(bus), m_base(baseTopic), m_publish(std::move(publish)), m_verbose(verbose),
      m_scheduler(bus), m_published(bus.covers.size()), m_lastAnswer(bus.covers.size()),
      m_attributesSent(bus.covers.size()), m_offlineLogged(bus.covers.size(), true)
{
    m_link.setWorkSource([this](bool canSend) {
        const BusWork work = m_scheduler.next(canSend);
        publishChanges(); // a cover may just have missed its tenth poll
        return work;
    });
    connect(&m_link, &BusLink::statusAnswer, this, &BusBridge::onAnswer);
    connect(&m_link, &BusLink::portLost, this, &BusBridge::onPortLost);
    if (m_verbose) {
        connect(&m_link, &BusLink::frameSent, this, [this](const QByteArray &b) {
            logLine(mqttText(MqttText::MqttFrameSent).arg(m_bus.name, QString::fromLatin1(b.toHex(' '))));
        });
        connect(&m_link, &BusLink::frameReceived, this, [this](const QByteArray &b) {
            logLine(mqttText(MqttText::MqttFrameReceived).arg(m_bus.name, QString::fromLatin1(b.toHex(' '))));
        });
    }
    m_reopen.setInterval(ReopenMs);
    connect(&m_reopen, &QTimer::timeout, this, &BusBridge::tryOpen);
}

void BusBridge::start()
{
    tryOpen();
}

void BusBridge::tryOpen()
{
    QString error;
    const CoverConfig first = m_bus.covers.value(0, CoverConfig {});
    if (!m_link.open(m_bus.port, m_bus.baudCode, {first.id, ChannelMask::ofChannel(first.channel)}, &error)) {
        if (error != m_lastOpenError) // one line per failure, not per retry
            logLine(mqttText(MqttText::MqttPortCannotOpen).arg(m_bus.name, m_bus.port, error).arg(ReopenMs / 1000));
        m_lastOpenError = error;
        m_publish(Topics::busState(m_base, m_bus.name), "offline");
        m_reopen.start();
        return;
    }
    m_lastOpenError.clear();
    m_reopen.stop();
    m_portOpen = true;
    logLine(mqttText(MqttText::MqttPortOpen).arg(m_bus.name, m_bus.port), false);
    m_publish(Topics::busState(m_base, m_bus.name), "online");
}

void BusBridge::onPortLost(const QString &reason)
{
    logLine(mqttText(MqttText::MqttPortLost).arg(m_bus.name, m_bus.port, reason));
    m_portOpen = false;
    m_link.close();
    m_scheduler.portLost();
    m_publish(Topics::busState(m_base, m_bus.name), "offline");
    publishChanges();
    m_reopen.start();
}

bool BusBridge::command(const Command &command)
{
    if (m_portOpen)
        return m_scheduler.enqueue(command);
    // Queued meanwhile, it would move the curtain long after it was asked for.
    logLine(mqttText(MqttText::MqttPortClosedDropped).arg(m_bus.name));
    return true;
}

void BusBridge::onAnswer(const MotorTarget &from, int percent, quint8 status)
{
    const int i = m_scheduler.answer(from, percent, status);
    if (i < 0)
        return;
    m_lastAnswer[i] = QDateTime::currentDateTimeUtc();
    publishCover(i, false);
}

void BusBridge::publishChanges()
{
    for (int i = 0; i < m_scheduler.coverCount(); ++i)
        publishCover(i, false);
}

void BusBridge::publishAll()
{
    m_publish(Topics::busState(m_base, m_bus.name), m_portOpen ? "online" : "offline");
    for (int i = 0; i < m_scheduler.coverCount(); ++i)
        publishCover(i, true);
}

void BusBridge::publishOffline(const Publisher &publish)
{
    publish(Topics::busState(m_base, m_bus.name), "offline");
    for (int i = 0; i < m_scheduler.coverCount(); ++i) {
        const CoverConfig &c = m_scheduler.cover(i);
        publish(Topics::coverPath(m_base, m_bus.name, c.id, c.channel) + QStringLiteral("/availability"), "offline");
    }
}

// A cover's own line, unless the bus as a whole went silent (one line for
// all) or its port is gone (the port's line said it).
void BusBridge::logAvailability(int i, bool online)
{
    if (!online && !m_portOpen)
        return;
    if (!online && m_scheduler.busSilent()) {
        if (!std::exchange(m_silenceLogged, true))
            logLine(mqttText(MqttText::MqttBusSilent).arg(m_bus.name, m_bus.port).arg(m_scheduler.coverCount()));
        return;
    }
    if (online && std::exchange(m_silenceLogged, false))
        logLine(mqttText(MqttText::MqttBusAnswers).arg(m_bus.name, m_bus.port), false);
    if (online && !std::exchange(m_offlineLogged[i], false))
        return;
    m_offlineLogged[i] = !online;
    const CoverConfig &c = m_scheduler.cover(i);
    logLine(mqttText(online ? MqttText::MqttMotorAnswers : MqttText::MqttMotorOffline)
                .arg(m_bus.name)
                .arg(c.id)
                .arg(c.channel),
            !online); // back online is never held back
}

void BusBridge::publishCover(int i, bool force)
{
    const CoverConfig &c = m_scheduler.cover(i);
    const QString path = Topics::coverPath(m_base, m_bus.name, c.id, c.channel);
    const CoverView v = m_scheduler.view(i);
    const std::optional<CoverView> &was = m_published[i];
    const bool changed = !was || *was != v;
    // Back online, everything is said again: what is retained may be from an earlier run.
    force = force || (v.online && (!was || !was->online));
    if (force || !was || was->online != v.online) {
        m_publish(path + QStringLiteral("/availability"), v.online ? "online" : "offline");
        if (was && was->online != v.online)
            logAvailability(i, v.online);
    }
    if (v.online && (force || !was || was->state != v.state))
        m_publish(path + QStringLiteral("/state"), v.state.toUtf8());
    if (v.online && v.position && (force || !was || was->position != v.position))
        m_publish(path + QStringLiteral("/position"), QByteArray::number(*v.position));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const bool stale = !m_attributesSent[i].isValid() || m_attributesSent[i].msecsTo(now) > AttributesRefreshMs;
    if (v.online && (force || changed || stale)) {
        QJsonArray limits;
        for (int n : v.limitPoints)
            limits.append(n);
        const QJsonObject attributes {
            {u"motor_percent"_qs, v.positionKnown ? QJsonValue(v.motorPercent) : QJsonValue::Null},
            {u"position_known"_qs, v.positionKnown},
            {u"limit_points"_qs, limits},
            {u"last_answer"_qs, m_lastAnswer[i].isValid() ? m_lastAnswer[i].toString(Qt::ISODate) : QString()}};
        m_publish(path + QStringLiteral("/attributes"), QJsonDocument(attributes).toJson(QJsonDocument::Compact));
        m_attributesSent[i] = now;
    }
    m_published[i] = v;
}
