#include "Config.h"

#include "MotorSettings.h"
#include "MqttText.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSysInfo>

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <functional>

namespace {

// An error at a node; thrown inside this file only, caught in parseConfig.
struct ConfigError {
    int line;
    QString text;
};

[[noreturn]] void fail(const YAML::Node &node, const QString &text)
{
    throw ConfigError {node.Mark().line + 1, text};
}

QString str(const YAML::Node &node, const QString &key)
{
    if (!node.IsScalar())
        fail(node, mqttText(MqttText::MqttConfigExpectedText).arg(key));
    return QString::fromStdString(node.Scalar());
}

int integer(const YAML::Node &node, const QString &key, int lo, int hi)
{
    bool ok = node.IsScalar();
    const int value = ok ? QString::fromStdString(node.Scalar()).toInt(&ok) : 0;
    if (!ok)
        fail(node, mqttText(MqttText::MqttConfigExpectedNumber).arg(key));
    if (value < lo || value > hi)
        fail(node, mqttText(MqttText::MqttConfigOutOfRange).arg(key).arg(value).arg(lo).arg(hi));
    return value;
}

bool boolean(const YAML::Node &node, const QString &key)
{
    static const QStringList yes {u"true"_qs, u"yes"_qs, u"on"_qs}, no {u"false"_qs, u"no"_qs, u"off"_qs};
    const QString v = str(node, key).toLower();
    if (!yes.contains(v) && !no.contains(v))
        fail(node, mqttText(MqttText::MqttConfigExpectedBoolean).arg(key));
    return yes.contains(v);
}

// Calls the handler of each key of a map; any other key is an error.
using KeyHandler = std::function<void(const YAML::Node &)>;
void forEachKey(const YAML::Node &map, const QString &what, const QList<std::pair<QString, KeyHandler>> &handlers)
{
    if (!map.IsMap())
        fail(map, mqttText(MqttText::MqttConfigExpectedMapping).arg(what));
    // The YAML reader keeps both entries of a key given twice; the second would silently win.
    QHash<QString, int> lineOfKey;
    for (const auto &entry : map) {
        const QString key = QString::fromStdString(entry.first.as<std::string>());
        if (lineOfKey.contains(key))
            fail(entry.first, mqttText(MqttText::MqttConfigKeyTwice).arg(key).arg(lineOfKey.value(key)));
        lineOfKey.insert(key, entry.first.Mark().line + 1);
        const auto it = std::find_if(handlers.begin(), handlers.end(), [&](const auto &h) { return h.first == key; });
        if (it == handlers.end())
            fail(entry.first, mqttText(MqttText::MqttConfigUnknownKey).arg(key, what));
        it->second(entry.second);
    }
}

void requireList(const YAML::Node &node, const QString &key)
{
    if (!node.IsSequence())
        fail(node, mqttText(MqttText::MqttConfigExpectedList).arg(key));
}

QString readPasswordFile(const YAML::Node &node)
{
    QFile file(str(node, u"password_file"_qs));
    if (!file.open(QIODevice::ReadOnly))
        fail(node, mqttText(MqttText::MqttConfigPasswordFile).arg(file.fileName(), file.errorString()));
    // The first line is the password; whatever follows (a comment, a second line) is not.
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

// A topic prefix: no wildcard, no empty level (so no leading, trailing or double slash).
QString topicPrefix(const YAML::Node &node, const QString &key)
{
    const QString topic = str(node, key);
    if (topic.isEmpty() || topic.contains(QRegularExpression(u"[+#]|^/|/$|//"_qs)))
        fail(node, mqttText(MqttText::MqttConfigTopicPrefix).arg(key, topic));
    return topic;
}

// A file the daemon reads at start: present and readable now, so the daemon does not fail later.
QString readableFile(const YAML::Node &node, const QString &key)
{
    const QString path = str(node, key);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        fail(node, mqttText(MqttText::MqttConfigFileUnreadable).arg(key, path, file.errorString()));
    return path;
}

void parseTls(const YAML::Node &node, MqttConfig &m)
{
    m.tls = true;
    forEachKey(node, u"tls"_qs,
               {
                   {u"ca_file"_qs, [&](const YAML::Node &f) { m.caFile = readableFile(f, u"ca_file"_qs); }},
                   {u"cert_file"_qs, [&](const YAML::Node &f) { m.certFile = readableFile(f, u"cert_file"_qs); }},
                   {u"key_file"_qs, [&](const YAML::Node &f) { m.keyFile = readableFile(f, u"key_file"_qs); }},
               });
    // Without a CA file the broker's certificate is checked against the system's CAs.
    if (m.certFile.isEmpty() != m.keyFile.isEmpty())
        fail(node, mqttText(MqttText::MqttConfigTlsCertAndKey));
}

void parseMqtt(const YAML::Node &node, MqttConfig &m, const QString &envPassword)
{
    bool portGiven = false;
    bool passwordFromFile = false;
    forEachKey(node, u"mqtt"_qs,
               {
                   {u"host"_qs,
                    [&](const YAML::Node &n) {
                        m.host = str(n, u"host"_qs).trimmed();
                        if (m.host.isEmpty())
                            fail(n, mqttText(MqttText::MqttConfigEmptyHost));
                    }},
                   {u"port"_qs,
                    [&](const YAML::Node &n) {
                        m.port = integer(n, u"port"_qs, 1, 65535);
                        portGiven = true;
                    }},
                   {u"username"_qs, [&](const YAML::Node &n) { m.username = str(n, u"username"_qs); }},
                   {u"password_file"_qs,
                    [&](const YAML::Node &n) {
                        m.password = readPasswordFile(n);
                        passwordFromFile = true;
                    }},
                   {u"tls"_qs, [&](const YAML::Node &n) { parseTls(n, m); }},
                   {u"client_id"_qs, [&](const YAML::Node &n) { m.clientId = str(n, u"client_id"_qs); }},
                   {u"keepalive"_qs, [&](const YAML::Node &n) { m.keepaliveS = integer(n, u"keepalive"_qs, 5, 3600); }},
                   {u"base_topic"_qs, [&](const YAML::Node &n) { m.baseTopic = topicPrefix(n, u"base_topic"_qs); }},
                   {u"discovery_prefix"_qs,
                    [&](const YAML::Node &n) { m.discoveryPrefix = topicPrefix(n, u"discovery_prefix"_qs); }},
                   {u"discovery"_qs, [&](const YAML::Node &n) { m.discovery = boolean(n, u"discovery"_qs); }},
               });
    // Under one prefix, a bus's topics could be taken for discovery's and the other way round.
    if (m.baseTopic == m.discoveryPrefix)
        fail(node, mqttText(MqttText::MqttConfigBaseIsPrefix).arg(m.baseTopic));
    if (!portGiven && m.tls)
        m.port = 8883;
    if (!passwordFromFile)
        m.password = envPassword;
}

// A rate the motor has, as its baud code.
int baudCodeOf(const YAML::Node &node)
{
    using MotorSettings::BaudRates;
    const int bps = integer(node, u"baud"_qs, BaudRates.front(), BaudRates.back());
    const std::optional<int> code = MotorSettings::baudCodeOfBps(bps);
    if (!code)
        fail(node, mqttText(MqttText::MqttConfigBaud).arg(bps));
    return *code;
}

CoverConfig parseCover(const YAML::Node &node, const QString &busName)
{
    CoverConfig c;
    bool hasId = false, hasChannel = false;
    forEachKey(node, mqttText(MqttText::MqttConfigInCover),
               {
                   {u"id"_qs,
                    [&](const YAML::Node &n) {
                        c.id = integer(n, u"id"_qs, 1, MotorSettings::MaxId);
                        hasId = true;
                    }},
                   {u"channel"_qs,
                    [&](const YAML::Node &n) {
                        c.channel = integer(n, u"channel"_qs, 1, MotorSettings::ChannelCount);
                        hasChannel = true;
                    }},
                   {u"name"_qs, [&](const YAML::Node &n) { c.name = str(n, u"name"_qs).trimmed(); }},
                   {u"invert"_qs, [&](const YAML::Node &n) { c.invert = boolean(n, u"invert"_qs); }},
               });
    if (!hasId || !hasChannel)
        fail(node, mqttText(MqttText::MqttConfigCoverNeeds));
    if (c.name.isEmpty())
        c.name = defaultCoverName(busName, c.id, c.channel);
    return c;
}

GroupConfig parseGroup(const YAML::Node &node)
{
    GroupConfig g;
    bool hasId = false;
    forEachKey(node, mqttText(MqttText::MqttConfigInGroup),
               {
                   {u"name"_qs, [&](const YAML::Node &n) { g.name = str(n, u"name"_qs).trimmed(); }},
                   {u"id"_qs,
                    [&](const YAML::Node &n) {
                        g.target.id = integer(n, u"id"_qs, 0, MotorSettings::MaxId);
                        hasId = true;
                    }},
                   {u"channels"_qs,
                    [&](const YAML::Node &n) {
                        requireList(n, u"channels"_qs);
                        for (const auto &ch : n)
                            g.target.channels.select(integer(ch, u"channels"_qs, 1, MotorSettings::ChannelCount));
                    }},
               });
    if (!hasId || g.target.channels.word() == 0 || g.name.isEmpty())
        fail(node, mqttText(MqttText::MqttConfigGroupNeeds));
    return g;
}

} // namespace

QString defaultCoverName(const QString &bus, int id, int channel)
{
    return mqttText(MqttText::MqttCoverName).arg(bus).arg(id).arg(channel);
}

QString foundCoverName(int id, int channel)
{
    return mqttText(MqttText::MqttFoundCoverName).arg(id).arg(channel);
}

namespace {

BusConfig parseBus(const YAML::Node &node)
{
    BusConfig b;
    YAML::Node covers, groups;
    forEachKey(node, mqttText(MqttText::MqttConfigInBus),
               {
                   {u"name"_qs,
                    [&](const YAML::Node &n) {
                        b.name = str(n, u"name"_qs);
                        static const QRegularExpression valid(u"^[a-z0-9_-]{1,32}$"_qs);
                        if (!valid.match(b.name).hasMatch())
                            fail(n, mqttText(MqttText::MqttConfigBusName).arg(b.name));
                        // The bridge's own topics sit beside the buses': base/bridge/state.
                        if (b.name == QLatin1String("bridge"))
                            fail(n, mqttText(MqttText::MqttConfigBusNameReserved).arg(b.name));
                    }},
                   {u"port"_qs, [&](const YAML::Node &n) { b.port = str(n, u"port"_qs); }},
                   {u"baud"_qs, [&](const YAML::Node &n) { b.baudCode = baudCodeOf(n); }},
                   {u"discover"_qs, [&](const YAML::Node &n) { b.discover = boolean(n, u"discover"_qs); }},
                   {u"settings"_qs, [&](const YAML::Node &n) { b.settings = boolean(n, u"settings"_qs); }},
                   {u"covers"_qs,
                    [&](const YAML::Node &n) {
                        requireList(n, u"covers"_qs);
                        covers = n;
                    }},
                   {u"groups"_qs,
                    [&](const YAML::Node &n) {
                        requireList(n, u"groups"_qs);
                        groups = n;
                    }},
               });
    if (b.name.isEmpty() || b.port.isEmpty())
        fail(node, mqttText(MqttText::MqttConfigBusNeeds));
    QSet<int> seen;
    for (const auto &n : covers) {
        const CoverConfig c = parseCover(n, b.name);
        if (seen.contains(c.id * 100 + c.channel))
            fail(n, mqttText(MqttText::MqttConfigCoverTwice).arg(c.id).arg(c.channel).arg(b.name));
        seen.insert(c.id * 100 + c.channel);
        b.covers.append(c);
    }
    QSet<quint32> seenGroups;
    for (const auto &n : groups) {
        const GroupConfig g = parseGroup(n);
        const quint32 key = quint32(g.target.id) << 16 | g.target.channels.word();
        if (seenGroups.contains(key))
            fail(n, mqttText(MqttText::MqttConfigGroupTwice).arg(g.name));
        seenGroups.insert(key);
        // One group frame carries one direction for every motor it reaches.
        for (const CoverConfig &c : std::as_const(b.covers))
            if (c.invert && (g.target.id == 0 || g.target.id == c.id) && g.target.channels.channel(c.channel))
                fail(n, mqttText(MqttText::MqttConfigGroupInverted).arg(g.name).arg(c.id).arg(c.channel));
        b.groups.append(g);
    }
    return b;
}

// The device behind a path: /dev/serial/by-id/... and /dev/ttyUSB0 may be one adapter.
bool samePort(const QString &a, const QString &b)
{
    const auto device = [](const QString &path) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        return canonical.isEmpty() ? QFileInfo(path).absoluteFilePath() : canonical;
    };
    return device(a) == device(b);
}

Config parseRoot(const YAML::Node &root, const QString &envPassword)
{
    Config config;
    YAML::Node buses;
    forEachKey(root, mqttText(MqttText::MqttConfigInRoot),
               {
                   {u"mqtt"_qs, [&](const YAML::Node &n) { parseMqtt(n, config.mqtt, envPassword); }},
                   {u"buses"_qs,
                    [&](const YAML::Node &n) {
                        requireList(n, u"buses"_qs);
                        buses = n;
                    }},
               });
    if (!root["mqtt"])
        config.mqtt.password = envPassword;
    if (!buses || buses.size() == 0)
        fail(root, mqttText(MqttText::MqttConfigNoBus));
    for (const auto &n : buses) {
        BusConfig b = parseBus(n);
        for (const BusConfig &other : std::as_const(config.buses)) {
            if (other.name == b.name)
                fail(n, mqttText(MqttText::MqttConfigBusNameTwice).arg(b.name));
            if (samePort(other.port, b.port))
                fail(n, mqttText(MqttText::MqttConfigPortTwice).arg(b.port, other.name));
        }
        config.buses.append(b);
    }
    return config;
}

} // namespace

ConfigResult parseConfig(const QByteArray &yaml, const QString &fileName, const QString &envPassword,
                         const QString &hostName)
{
    try {
        Config config = parseRoot(YAML::Load(yaml.toStdString()), envPassword);
        if (config.mqtt.clientId.isEmpty())
            // Two bridges on one host (other base topics) must not take each other's session.
            config.mqtt.clientId = QStringLiteral("tavik-%1-%2").arg(hostName, config.mqtt.baseTopic);
        return {config, {}};
    } catch (const ConfigError &e) {
        return {std::nullopt, mqttText(MqttText::MqttAtFileLine).arg(fileName).arg(e.line).arg(e.text)};
    } catch (const YAML::Exception &e) {
        return {
            std::nullopt,
            mqttText(MqttText::MqttAtFileLine).arg(fileName).arg(e.mark.line + 1).arg(QString::fromStdString(e.msg))};
    }
}

ConfigResult loadConfig(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, mqttText(MqttText::MqttConfigCannotRead).arg(path, file.errorString())};
    return parseConfig(file.readAll(), path, qEnvironmentVariable("TAVIK_MQTT_PASSWORD"), QSysInfo::machineHostName());
}
