#include "Discovery.h"

#include "MqttText.h"
#include "Topics.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

struct Context {
    const Config &config;
    const QString &version;
    const QString &base() const { return config.mqtt.baseTopic; }
    QString bridgeId() const { return Topics::bridgeObjectId(base()); }
    QString topic(const QString &platform, const QString &objectId) const
    {
        return QStringLiteral("%1/%2/%3/config").arg(config.mqtt.discoveryPrefix, platform, objectId);
    }
};

QJsonObject origin(const Context &c)
{
    return discoveryOrigin(c.version);
}

// A motor or a group: reached through the bridge; the bridge's version is not the motor's.
QJsonObject device(const Context &c, const QString &id, const QString &name, const QString &model)
{
    return {{u"identifiers"_qs, QJsonArray {id}},
            {u"name"_qs, name},
            {u"manufacturer"_qs, u"Tavik"_qs},
            {u"model"_qs, model},
            {u"via_device"_qs, c.bridgeId()}};
}

QJsonArray availability(const Context &c, const QString &coverPath)
{
    QJsonArray list {QJsonObject {{u"topic"_qs, Topics::bridgeState(c.config.mqtt.baseTopic)}}};
    if (!coverPath.isEmpty())
        list.append(QJsonObject {{u"topic"_qs, coverPath + QStringLiteral("/availability")}});
    return list;
}

QByteArray json(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

void addCover(const Context &c, const BusConfig &bus, const CoverConfig &cover, QList<DiscoveryMessage> &out)
{
    const QString base = c.config.mqtt.baseTopic;
    const QString path = Topics::coverPath(base, bus.name, cover.id, cover.channel);
    const QString id = Topics::coverObjectId(base, bus.name, cover.id, cover.channel);
    const QJsonObject dev = device(c, id, cover.name,
                                   mqttText(MqttText::MqttCoverModel).arg(cover.id).arg(cover.channel));
    out.append(
        {c.topic(u"cover"_qs, id),
         json({
             {u"unique_id"_qs, id},
             {u"name"_qs, QJsonValue::Null}, // the entity is the device's main feature: it takes the device's name
             {u"device_class"_qs, u"curtain"_qs},
             {u"command_topic"_qs, path + QStringLiteral("/set")},
             {u"state_topic"_qs, path + QStringLiteral("/state")},
             {u"position_topic"_qs, path + QStringLiteral("/position")},
             {u"set_position_topic"_qs, path + QStringLiteral("/set_position")},
             {u"position_open"_qs, 100},
             {u"position_closed"_qs, 0},
             {u"availability"_qs, availability(c, path)},
             {u"availability_mode"_qs, u"all"_qs},
             {u"json_attributes_topic"_qs, path + QStringLiteral("/attributes")},
             {u"qos"_qs, 1},
             {u"device"_qs, dev},
             {u"origin"_qs, origin(c)},
         })});
    for (int n = 1; n <= 4; ++n) {
        const QString buttonId = id + QStringLiteral("_limit%1").arg(n);
        out.append({c.topic(u"button"_qs, buttonId),
                    json({
                        {u"unique_id"_qs, buttonId},
                        {u"name"_qs, mqttText(MqttText::MqttLimitButton).arg(n)},
                        {u"command_topic"_qs, path + QStringLiteral("/limit/set")},
                        {u"payload_press"_qs, QString::number(n)},
                        {u"availability"_qs, availability(c, path)},
                        {u"availability_mode"_qs, u"all"_qs},
                        {u"qos"_qs, 1},
                        {u"device"_qs, QJsonObject {{u"identifiers"_qs, QJsonArray {id}}}},
                        {u"origin"_qs, origin(c)},
                    })});
    }
}

void addGroup(const Context &c, const BusConfig &bus, const GroupConfig &group, QList<DiscoveryMessage> &out)
{
    const QString path = Topics::groupPath(c.config.mqtt.baseTopic, bus.name, group.target.id,
                                           group.target.channels.word());
    const QString id = Topics::groupObjectId(c.base(), bus.name, group.target.id, group.target.channels.word());
    out.append({c.topic(u"cover"_qs, id),
                json({
                    {u"unique_id"_qs, id},
                    {u"name"_qs, QJsonValue::Null},
                    {u"device_class"_qs, u"curtain"_qs},
                    {u"command_topic"_qs, path + QStringLiteral("/set")},
                    {u"availability"_qs, availability(c, {})},
                    {u"qos"_qs, 1},
                    {u"device"_qs, device(c, id, group.name, mqttText(MqttText::MqttGroupModel).arg(group.target.id))},
                    {u"origin"_qs, origin(c)},
                })});
}

// A bus whose motors the bridge finds: a device with its "Scan line"
// button, the scan's progress and a problem sensor for the spots that
// make no cover (several motors on one ID and channel, motors at another
// rate), whose attributes are the inventory.
void addDiscoveringBus(const Context &c, const BusConfig &bus, QList<DiscoveryMessage> &out)
{
    const QString id = Topics::busObjectId(c.base(), bus.name);
    const QJsonObject dev {{u"identifiers"_qs, QJsonArray {id}},
                           {u"name"_qs, mqttText(MqttText::MqttBusDeviceName).arg(bus.name)},
                           {u"manufacturer"_qs, u"Tavik"_qs},
                           {u"model"_qs, bus.port},
                           {u"via_device"_qs, c.bridgeId()}};
    const QJsonObject common {
        {u"availability"_qs, availability(c, {})}, {u"qos"_qs, 1}, {u"device"_qs, dev}, {u"origin"_qs, origin(c)}};
    const auto entity = [&](const QString &platform, const QString &suffix, QJsonObject o) {
        for (auto it = common.begin(); it != common.end(); ++it)
            o.insert(it.key(), it.value());
        o.insert(u"unique_id"_qs, id + suffix);
        out.append({c.topic(platform, id + suffix), json(o)});
    };
    entity(u"button"_qs, u"_scan"_qs,
           {{u"name"_qs, mqttText(MqttText::MqttScanButton)},
            {u"command_topic"_qs, Topics::busScan(c.base(), bus.name)},
            {u"entity_category"_qs, u"config"_qs}});
    entity(u"sensor"_qs, u"_scan_progress"_qs,
           {{u"name"_qs, mqttText(MqttText::MqttScanProgress)},
            {u"state_topic"_qs, Topics::busScanProgress(c.base(), bus.name)},
            {u"unit_of_measurement"_qs, u"%"_qs},
            {u"entity_category"_qs, u"diagnostic"_qs}});
    entity(u"binary_sensor"_qs, u"_problem"_qs,
           {{u"name"_qs, mqttText(MqttText::MqttLineProblem)},
            {u"device_class"_qs, u"problem"_qs},
            {u"state_topic"_qs, Topics::busProblem(c.base(), bus.name)},
            {u"json_attributes_topic"_qs, Topics::busInventory(c.base(), bus.name)},
            {u"entity_category"_qs, u"diagnostic"_qs}});
}

// What the scans of every discovering bus report, as one event entity of the bridge.
void addLineEvents(const Context &c, QList<DiscoveryMessage> &out)
{
    const QString id = c.bridgeId() + QStringLiteral("_events");
    out.append({c.topic(u"event"_qs, id),
                json({
                    {u"unique_id"_qs, id},
                    {u"name"_qs, mqttText(MqttText::MqttLineEvents)},
                    {u"state_topic"_qs, Topics::bridgeEvent(c.base())},
                    {u"event_types"_qs,
                     QJsonArray {u"motor_found"_qs, u"motor_missing"_qs, u"collision"_qs, u"other_rate"_qs}},
                    {u"entity_category"_qs, u"diagnostic"_qs},
                    {u"availability"_qs, availability(c, {})},
                    {u"qos"_qs, 1},
                    {u"device"_qs, QJsonObject {{u"identifiers"_qs, QJsonArray {c.bridgeId()}}}},
                    {u"origin"_qs, origin(c)},
                })});
}

// The device the motors are reached through, with the version it runs and
// a sensor that reads off when it is gone (its last will says so).
void addBridge(const Context &c, QList<DiscoveryMessage> &out)
{
    const QString id = c.bridgeId();
    out.append({c.topic(u"binary_sensor"_qs, id),
                json({
                    {u"unique_id"_qs, id},
                    {u"name"_qs, QJsonValue::Null},
                    {u"device_class"_qs, u"connectivity"_qs},
                    {u"entity_category"_qs, u"diagnostic"_qs},
                    {u"state_topic"_qs, Topics::bridgeState(c.base())},
                    {u"payload_on"_qs, u"online"_qs},
                    {u"payload_off"_qs, u"offline"_qs},
                    {u"qos"_qs, 1},
                    {u"device"_qs,
                     QJsonObject {{u"identifiers"_qs, QJsonArray {id}},
                                  {u"name"_qs, mqttText(MqttText::MqttBridgeName).arg(c.base())},
                                  {u"manufacturer"_qs, u"Tavik"_qs},
                                  {u"model"_qs, u"tavik-mqtt"_qs},
                                  {u"sw_version"_qs, c.version}}},
                    {u"origin"_qs, origin(c)},
                })});
}

} // namespace

QJsonObject discoveryOrigin(const QString &version)
{
    return {{u"name"_qs, u"tavik-mqtt"_qs}, {u"sw_version"_qs, version}};
}

QList<DiscoveryMessage> discoveryMessages(const Config &config, const QString &version)
{
    const Context c {config, version};
    QList<DiscoveryMessage> out;
    addBridge(c, out);
    if (std::any_of(config.buses.begin(), config.buses.end(), [](const BusConfig &b) { return b.discover; }))
        addLineEvents(c, out);
    for (const BusConfig &bus : config.buses) {
        if (bus.discover)
            addDiscoveringBus(c, bus, out);
        for (const CoverConfig &cover : bus.covers)
            addCover(c, bus, cover, out);
        for (const GroupConfig &group : bus.groups)
            addGroup(c, bus, group, out);
    }
    return out;
}

bool isStaleDiscovery(const Config &config, const QString &topic, const QByteArray &payload,
                      const QList<DiscoveryMessage> &current)
{
    if (payload.isEmpty()
        || std::any_of(current.begin(), current.end(), [&](const auto &m) { return m.topic == topic; }))
        return false;
    // Only this bridge's: its ID prefix (another base topic has another) and its topics.
    const QJsonObject o = QJsonDocument::fromJson(payload).object();
    const QString mine = Topics::objectIdPrefix(config.mqtt.baseTopic) + u'_';
    if (topic.startsWith(config.mqtt.discoveryPrefix + QStringLiteral("/device/"))) {
        // A motor's settings device; a bus with settings announces its motors once they are read.
        const QString id = o.value(u"device"_qs)[u"identifiers"_qs][0].toString();
        return id.startsWith(mine) && std::none_of(config.buses.begin(), config.buses.end(), [&](const BusConfig &b) {
                   return b.settings && id.startsWith(mine + b.name + QStringLiteral("_m"));
               });
    }
    const QString command = o.value(u"command_topic"_qs).toString();
    // A discovering bus's covers come from its inventory, which may not be read yet.
    if (std::any_of(config.buses.begin(), config.buses.end(), [&](const BusConfig &b) {
            return b.discover && command.startsWith(config.mqtt.baseTopic + u'/' + b.name + u'/');
        }))
        return false;
    return o.value(u"unique_id"_qs).toString().startsWith(mine) && command.startsWith(config.mqtt.baseTopic + u'/');
}
