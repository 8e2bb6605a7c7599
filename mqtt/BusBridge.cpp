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
    m_link.setWorkSource([this](bool canSend, bool commandsOnly) {
        // Settings work waits behind cover commands and lets a poll pass between its requests.
        const bool commandWaits = m_scheduler.queued() > 0;
        const bool free = canSend && !commandsOnly;
        const bool started = free && !commandWaits && !m_pollDue && m_settings && m_settings->startNext();
        const BusWork work = m_scheduler.next(!started && canSend && (!commandsOnly || commandWaits));
        if (free) // a poll (or nothing to poll) took this turn, or the request did
            m_pollDue = started || (m_pollDue && work.kind == BusWork::Send);
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
    connect(&m_link, &BusLink::scanFinished, this, &BusBridge::onScanFinished);
    connect(&m_link, &BusLink::scanProgress, this, [this](int percent) {
        m_publish(Topics::busScanProgress(m_base, m_bus.name), QByteArray::number(percent));
    });
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
    if (m_settings)
        m_settings->readAll();
    if (m_scanWanted)
        requestScan();
}

QString BusBridge::requestScan()
{
    if (!m_bus.discover)
        return mqttText(MqttText::MqttScanNotDiscovering).arg(m_bus.name);
    if (m_link.scanning())
        return mqttText(MqttText::MqttScanRunning).arg(m_bus.name);
    m_scanWanted = !m_portOpen;
    if (m_scanWanted)
        return {};
    if (!m_link.startScan())
        return mqttText(MqttText::MqttScanPortClosed).arg(m_bus.name);
    logLine(mqttText(MqttText::MqttScanStarted).arg(m_bus.name, m_bus.port), false);
    m_publish(Topics::busScanProgress(m_base, m_bus.name), "0");
    return {};
}

void BusBridge::onScanFinished(const QList<LineInventory::Entry> &found, bool complete)
{
    // A scan cut short says nothing of the motors it did not reach.
    if (complete) {
        QList<BusInventory::Event> events;
        m_inventory = m_inventory.value_or(BusInventory {}).afterScan(found, m_link.rate(), &events);
        applyInventory(true);
        for (const BusInventory::Event &e : std::as_const(events))
            emit inventoryEvent(e);
        const BusInventory &inv = *m_inventory;
        logLine(mqttText(MqttText::MqttScanEnded)
                    .arg(m_bus.name)
                    .arg(inv.motors.size() - inv.missing.size())
                    .arg(inv.missing.size())
                    .arg(inv.collisions.size())
                    .arg(inv.otherRate.size()),
                false);
    }
    m_publish(Topics::busScanProgress(m_base, m_bus.name), "100");
    emit scanEnded(complete, m_inventory ? int(m_inventory->motors.size() - m_inventory->missing.size()) : 0);
}

void BusBridge::restoreInventory(const BusInventory &inventory)
{
    if (m_inventory || !m_bus.discover)
        return;
    m_inventory = inventory;
    applyInventory(false);
}

QList<CoverConfig> BusBridge::foundCovers() const
{
    return m_inventory ? m_inventory->covers(m_bus) : QList<CoverConfig> {};
}

void BusBridge::ignore(int id, int channel)
{
    const QList<CoverConfig> found = foundCovers();
    if (std::none_of(found.begin(), found.end(),
                     [&](const CoverConfig &c) { return c.id == id && c.channel == channel; }))
        return;
    logLine(mqttText(MqttText::MqttCoverIgnored).arg(m_bus.name).arg(id).arg(channel), false);
    m_inventory->ignored.append({id, channel, m_inventory->rate});
    applyInventory(false);
}

// The scheduler's covers follow the inventory: the configured ones, then
// those found.  A motor the scan just missed is unavailable at once.
void BusBridge::applyInventory(bool afterScan)
{
    const BusInventory &inv = *m_inventory;
    const QList<CoverConfig> found = foundCovers();
    const auto isCover = [](const CoverConfig &a, const CoverConfig &b) {
        return a.id == b.id && a.channel == b.channel;
    };
    for (int i = m_scheduler.coverCount() - 1; i >= m_bus.covers.size(); --i)
        if (std::none_of(found.begin(), found.end(),
                         [&](const CoverConfig &c) { return isCover(c, m_scheduler.cover(i)); }))
            removeCoverState(i);
    for (const CoverConfig &c : found) {
        bool known = false;
        for (int i = 0; i < m_scheduler.coverCount(); ++i)
            known = known || isCover(c, m_scheduler.cover(i));
        if (!known)
            addCoverState(c);
    }
    for (int i = 0; afterScan && i < m_scheduler.coverCount(); ++i)
        if (inv.isMissing(m_scheduler.cover(i).id, m_scheduler.cover(i).channel))
            m_scheduler.markMissing(i);
    m_publish(Topics::busInventory(m_base, m_bus.name), inv.toJson());
    publishProblem();
    updateSettingsMotors();
    emit coversChanged();
    publishChanges();
}

// Several motors on one ID and channel, or motors at another rate: they get no cover, and the bus says so.
void BusBridge::publishProblem()
{
    if (m_inventory)
        m_publish(Topics::busProblem(m_base, m_bus.name),
                  m_inventory->collisions.isEmpty() && m_inventory->otherRate.isEmpty() ? "OFF" : "ON");
}

void BusBridge::addCoverState(const CoverConfig &cover)
{
    m_scheduler.addCover(cover);
    m_published.append(std::nullopt);
    m_lastAnswer.append(QDateTime());
    m_attributesSent.append(QDateTime());
    m_offlineLogged.append(true);
}

void BusBridge::removeCoverState(int i)
{
    m_scheduler.removeCover(i);
    m_published.removeAt(i);
    m_lastAnswer.removeAt(i);
    m_attributesSent.removeAt(i);
    m_offlineLogged.removeAt(i);
}

void BusBridge::onPortLost(const QString &reason)
{
    logLine(mqttText(MqttText::MqttPortLost).arg(m_bus.name, m_bus.port, reason));
    m_portOpen = false;
    m_link.close();
    m_scheduler.portLost();
    if (m_settings)
        m_settings->portLost();
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
    publishProblem();
    for (int i = 0; i < m_scheduler.coverCount(); ++i)
        publishCover(i, true);
    if (m_settings)
        m_settings->publishAll();
}

void BusBridge::enableSettings(BusSettings::Names names, BusSettings::Publisher publish)
{
    m_settings = std::make_unique<BusSettings>(std::move(names), std::move(publish), m_link);
    connect(m_settings.get(), &BusSettings::discoveryChanged, this, &BusBridge::settingsDiscoveryChanged);
    updateSettingsMotors();
}

void BusBridge::updateSettingsMotors()
{
    if (!m_settings)
        return;
    QList<CoverConfig> covers;
    for (int i = 0; i < m_scheduler.coverCount(); ++i)
        covers.append(m_scheduler.cover(i));
    m_settings->setMotors(covers);
}

bool BusBridge::settingsMessage(const QString &topic, const QByteArray &payload, bool retained)
{
    return m_settings && m_settings->onMessage(topic, payload, retained, m_portOpen);
}

QList<DiscoveryMessage> BusBridge::settingsDiscovery() const
{
    return m_settings ? m_settings->discovery() : QList<DiscoveryMessage> {};
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
