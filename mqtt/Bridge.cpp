#include "Bridge.h"

#include "Log.h"
#include "MqttText.h"
#include "Topics.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QTimer>

namespace {

// Where this bridge's configs of earlier runs may be left: covers, their buttons, motors' settings devices.
constexpr const char *StalePlatforms[] = {"cover", "button", "device"};

} // namespace

Bridge::Bridge(const Config &config, bool verbose, QObject *parent)
    : QObject(parent), m_config(config), m_discovery(discoveryMessages(config, QCoreApplication::applicationVersion())),
      m_client(config.mqtt, Topics::bridgeState(config.mqtt.baseTopic))
{
    const QString base = m_config.mqtt.baseTopic;
    for (const BusConfig &bus : m_config.buses) {
        m_buses.push_back(std::make_unique<BusBridge>(
            bus, base,
            [this](const QString &topic, const QByteArray &payload) { m_client.publish(topic, payload, true); },
            verbose));
        BusBridge *b = m_buses.back().get();
        if (bus.settings) {
            b->enableSettings({base, bus.name, m_config.mqtt.discoveryPrefix, QCoreApplication::applicationVersion()},
                              [this](const QString &topic, const QByteArray &payload, bool retained) {
                                  m_client.publish(topic, payload, retained);
                              });
            connect(b, &BusBridge::settingsDiscoveryChanged, this, [this, b] { publishSettingsDiscovery(b); });
        }
        connect(b, &BusBridge::coversChanged, this, &Bridge::onCoversChanged);
        connect(b, &BusBridge::scanEnded, this, [this, b](bool complete, int motors) {
            for (const QJsonValue &t : m_scanTransactions.take(b))
                answerScan(t, b->name(), complete ? QString() : mqttText(MqttText::MqttScanIncomplete), complete,
                           motors);
        });
        connect(b, &BusBridge::inventoryEvent, this, [this, b](const BusInventory::Event &e) {
            const QJsonObject event {{u"event_type"_qs, e.type},
                                     {u"bus"_qs, b->name()},
                                     {u"id"_qs, e.spot.id},
                                     {u"channel"_qs, e.spot.channel},
                                     {u"rate"_qs, e.spot.rate}};
            m_client.publish(Topics::bridgeEvent(m_config.mqtt.baseTopic),
                             QJsonDocument(event).toJson(QJsonDocument::Compact), false);
        });
    }
    connect(&m_client, &MqttClient::connected, this, &Bridge::onConnected);
    connect(&m_client, &MqttClient::messageReceived, this, &Bridge::onMessage);
    connect(&m_client, &MqttClient::disconnected, this, &Bridge::onDisconnected);
    connect(&m_client, &MqttClient::credentialsRefused, this, &Bridge::onCredentialsRefused);
}

Bridge::~Bridge() = default;

void Bridge::onDisconnected(const QString &reason)
{
    logLine(mqttText(MqttText::MqttBrokerDisconnected).arg(reason));
}

void Bridge::onCredentialsRefused(const QString &reason)
{
    logLine(mqttText(MqttText::MqttBrokerRefused).arg(reason));
    if (!m_everConnected)
        emit fatal(3);
}

bool Bridge::start(QString *error)
{
    m_check = std::make_unique<InstanceCheck>(m_config.mqtt);
    connect(m_check.get(), &InstanceCheck::disconnected, this, [this](const QString &reason) {
        onDisconnected(reason);
        // With the broker out of reach the buses are polled meanwhile; nothing is published before the check.
        startBuses();
    });
    connect(m_check.get(), &InstanceCheck::credentialsRefused, this, &Bridge::onCredentialsRefused);
    connect(m_check.get(), &InstanceCheck::baseTopicTaken, this, [this](const QString &line) {
        logLine(line);
        emit fatal(2);
    });
    connect(m_check.get(), &InstanceCheck::staleRecord, this, [](const QString &line) { logLine(line); });
    connect(m_check.get(), &InstanceCheck::baseTopicFree, this, &Bridge::startBridging);
    return m_check->start(error);
}

void Bridge::startBridging()
{
    QString error;
    if (!m_client.start(&error)) {
        logLine(error);
        emit fatal(2);
        return;
    }
    startBuses();
}

void Bridge::startBuses()
{
    if (std::exchange(m_busesStarted, true))
        return;
    for (auto &bus : m_buses)
        bus->start();
}

void Bridge::stop()
{
    // At most once: acknowledged messages wait for their turn behind the
    // client's in-flight limit, and the disconnection would overtake them.
    const auto publishNow = [this](const QString &topic, const QByteArray &payload) {
        m_client.publish(topic, payload, true, 0);
    };
    m_check.reset(); // still checking: nothing was started
    for (auto &bus : m_buses)
        bus->publishOffline(publishNow);
    // Ended cleanly, this bridge leaves no record a starting one would wait for.
    publishNow(Topics::bridgeInstance(m_config.mqtt.baseTopic), {});
    m_client.disconnectCleanly(Topics::bridgeState(m_config.mqtt.baseTopic));
}

void Bridge::onConnected()
{
    const MqttConfig &m = m_config.mqtt;
    logLine(mqttText(MqttText::MqttBrokerConnected).arg(m.host).arg(m.port), false);
    const bool first = !std::exchange(m_everConnected, true);
    m_client.publish(Topics::bridgeState(m.baseTopic), "online", true);
    m_client.publish(Topics::bridgeInstance(m.baseTopic),
                     QJsonDocument(InstanceCheck::record(m, m_started)).toJson(QJsonDocument::Compact), true);
    m_client.subscribe(Topics::pingRequest(m.baseTopic));
    m_client.subscribe(Topics::scanRequest(m.baseTopic));
    for (const auto &bus : m_buses)
        if (bus->discovers()) {
            m_client.subscribe(Topics::busScan(m.baseTopic, bus->name()));
            m_client.subscribe(Topics::busInventory(m.baseTopic, bus->name()));
        }
    for (auto it = m_foundConfigs.cbegin(); it != m_foundConfigs.cend(); ++it)
        m_client.subscribe(it.key());
    // What an earlier run found arrives now; a bus that has nothing kept scans.
    if (first)
        QTimer::singleShot(StaleScanMs, this, &Bridge::scanWhereNothingIsKept);
    for (const QString &pattern : {u"/+/+/+/set"_qs, u"/+/+/+/set_position"_qs, u"/+/+/+/limit/set"_qs, u"/+/+/set"_qs})
        m_client.subscribe(m.baseTopic + pattern);
    if (std::any_of(m_buses.begin(), m_buses.end(), [](const auto &b) { return b->hasSettings(); }))
        for (const QString &pattern : {u"/+/+/settings/+/set"_qs, u"/+/+/settings/read"_qs})
            m_client.subscribe(m.baseTopic + pattern);
    if (m.discovery) {
        m_client.subscribe(m.discoveryPrefix + QStringLiteral("/status"));
        if (first) {
            // Retained configs of covers no longer configured arrive now; they are cleared.
            m_collectingStale = true;
            for (const char *platform : StalePlatforms)
                m_client.subscribe(m.discoveryPrefix + QStringLiteral("/%1/+/config").arg(QLatin1String(platform)));
            QTimer::singleShot(StaleScanMs, this, [this] {
                m_collectingStale = false;
                for (const char *platform : StalePlatforms)
                    m_client.unsubscribe(m_config.mqtt.discoveryPrefix
                                         + QStringLiteral("/%1/+/config").arg(QLatin1String(platform)));
            });
        }
        publishDiscovery();
    }
    republishAll();
}

void Bridge::publishDiscovery()
{
    for (const DiscoveryMessage &d : std::as_const(m_discovery))
        m_client.publish(d.topic, d.payload, true);
    for (const auto &b : m_buses)
        publishSettingsDiscovery(b.get());
}

void Bridge::publishSettingsDiscovery(BusBridge *bus)
{
    if (!m_client.isConnected() || !m_config.mqtt.discovery)
        return;
    for (const DiscoveryMessage &d : bus->settingsDiscovery())
        m_client.publish(d.topic, d.payload, true);
}

void Bridge::republishAll()
{
    for (auto &bus : m_buses)
        bus->publishAll();
}

void Bridge::onMessage(const QString &topic, const QByteArray &payload, bool retained)
{
    const MqttConfig &m = m_config.mqtt;
    if (topic == Topics::pingRequest(m.baseTopic)) {
        if (!retained)
            answerPing(payload);
        return;
    }
    if (m.discovery && topic == m.discoveryPrefix + QStringLiteral("/status")) {
        if (payload == "online") {
            const int pause = int(QRandomGenerator::global()->bounded(BirthPauseMaxMs + 1));
            QTimer::singleShot(pause, this, [this] {
                publishDiscovery();
                republishAll();
            });
        }
        return;
    }
    if (onLineMessage(topic, payload, retained))
        return;
    for (const auto &b : m_buses)
        if (b->settingsMessage(topic, payload, retained))
            return;
    if (m.discovery && topic.startsWith(m.discoveryPrefix + u'/')) {
        if (m_collectingStale && retained && isStaleDiscovery(m_config, topic, payload, m_discovery)) {
            logLine(mqttText(MqttText::MqttDiscoveryClearing).arg(topic));
            m_client.publish(topic, {}, true);
        }
        return;
    }
    onCommand(topic, payload, retained);
}

BusBridge *Bridge::bus(const QString &name) const
{
    const auto it = std::find_if(m_buses.begin(), m_buses.end(), [&](const auto &b) { return b->name() == name; });
    return it == m_buses.end() ? nullptr : it->get();
}

// The messages of discovering buses; false when the topic is none of theirs.
bool Bridge::onLineMessage(const QString &topic, const QByteArray &payload, bool retained)
{
    const QString &base = m_config.mqtt.baseTopic;
    if (topic == Topics::scanRequest(base)) {
        if (!retained)
            onScanRequest(payload);
        return true;
    }
    if (const auto found = m_foundConfigs.constFind(topic); found != m_foundConfigs.cend()) {
        // Home Assistant clears the configs of a device deleted there; the bridge never clears a found one.
        if (payload.isEmpty() && !retained)
            found->first->ignore(found->second.id, found->second.channel);
        return true;
    }
    for (const auto &b : m_buses) {
        if (!b->discovers())
            continue;
        if (topic == Topics::busScan(base, b->name())) {
            if (!retained) // a press left on the broker is not one
                b->requestScan();
            return true;
        }
        if (topic == Topics::busInventory(base, b->name())) {
            // Only what the broker kept counts; the bridge's own publications come back too.
            if (const auto kept = BusInventory::fromJson(payload); retained && kept)
                b->restoreInventory(*kept);
            return true;
        }
    }
    return false;
}

void Bridge::scanWhereNothingIsKept()
{
    for (const auto &b : m_buses)
        if (b->discovers() && !b->hasInventory() && !b->scanning())
            b->requestScan();
}

// {"transaction": …, "bus": "bus1"}; without a bus, every discovering bus scans and each answers.
void Bridge::onScanRequest(const QByteArray &payload)
{
    const QJsonObject request = QJsonDocument::fromJson(payload).object();
    const QJsonValue transaction = request.value(u"transaction"_qs);
    const QString name = request.value(u"bus"_qs).toString();
    QList<BusBridge *> targets;
    for (const auto &b : m_buses)
        if (name.isEmpty() ? b->discovers() : b->name() == name)
            targets.append(b.get());
    if (targets.isEmpty())
        answerScan(transaction, name, mqttText(MqttText::MqttScanNoSuchBus).arg(name));
    for (BusBridge *b : std::as_const(targets)) {
        if (const QString error = b->requestScan(); !error.isEmpty())
            answerScan(transaction, b->name(), error);
        else
            m_scanTransactions[b].append(transaction);
    }
}

void Bridge::answerScan(const QJsonValue &transaction, const QString &bus, const QString &error, bool complete,
                        int motors)
{
    const QJsonObject answer {{u"transaction"_qs, transaction},
                              {u"bus"_qs, bus},
                              {u"status"_qs, error.isEmpty() ? u"ok"_qs : u"error"_qs},
                              {u"error"_qs, error.isEmpty() ? QJsonValue::Null : QJsonValue(error)},
                              {u"complete"_qs, complete},
                              {u"motors"_qs, motors}};
    m_client.publish(Topics::scanResponse(m_config.mqtt.baseTopic),
                     QJsonDocument(answer).toJson(QJsonDocument::Compact), false);
}

// The configured covers with those found are announced; a found cover's
// config is watched for its deletion in Home Assistant.
void Bridge::onCoversChanged()
{
    Config announced = m_config;
    m_foundConfigs.clear();
    for (std::size_t i = 0; i < m_buses.size(); ++i)
        for (const CoverConfig &c : m_buses[i]->foundCovers()) {
            announced.buses[qsizetype(i)].covers.append(c);
            const QString topic = QStringLiteral("%1/cover/%2/config")
                                      .arg(m_config.mqtt.discoveryPrefix,
                                           Topics::coverObjectId(m_config.mqtt.baseTopic, m_buses[i]->name(), c.id,
                                                                 c.channel));
            m_foundConfigs.insert(topic, {m_buses[i].get(), c});
            if (m_client.isConnected())
                m_client.subscribe(topic);
        }
    m_discovery = discoveryMessages(announced, QCoreApplication::applicationVersion());
    if (m_client.isConnected() && m_config.mqtt.discovery)
        publishDiscovery();
}

void Bridge::answerPing(const QByteArray &payload)
{
    QJsonObject answer = InstanceCheck::record(m_config.mqtt, m_started);
    answer.insert(u"transaction"_qs, QJsonDocument::fromJson(payload).object().value(u"transaction"_qs));
    m_client.publish(Topics::pingResponse(m_config.mqtt.baseTopic),
                     QJsonDocument(answer).toJson(QJsonDocument::Compact), false);
}

void Bridge::onCommand(const QString &topic, const QByteArray &payload, bool retained)
{
    const QString shown = shownPayload(payload);
    if (retained) {
        logLine(mqttText(MqttText::MqttRetainedIgnored).arg(topic, shown));
        return;
    }
    const auto parsed = parseCommand(m_config.mqtt.baseTopic, topic, payload);
    if (const QString *why = std::get_if<QString>(&parsed)) {
        logLine(mqttText(MqttText::MqttDropped).arg(topic, shown, *why));
        return;
    }
    const Command &c = std::get<Command>(parsed);
    BusBridge *target = bus(c.bus);
    if (!target || !target->command(c)) {
        logLine(mqttText(MqttText::MqttDropped).arg(topic, shown, mqttText(MqttText::MqttNoSuchCover)));
        return;
    }
    logLine(mqttText(MqttText::MqttCommand).arg(topic, shown));
}
