#include "Topics.h"

#include "MotorSettings.h"
#include "MqttText.h"

#include <QRegularExpression>

namespace Topics {

namespace {
// "B/bus/leaf", a topic of one bus.
QString ofBus(const QString &base, const QString &bus, const char *leaf)
{
    return base + u'/' + bus + u'/' + QLatin1String(leaf);
}
// "B/bridge/leaf", a topic of the bridge itself.
QString ofBridge(const QString &base, const char *leaf)
{
    return base + QStringLiteral("/bridge/") + QLatin1String(leaf);
}
} // namespace

QString bridgeState(const QString &base)
{
    return ofBridge(base, "state");
}
QString bridgeInstance(const QString &base)
{
    return ofBridge(base, "instance");
}
QString pingRequest(const QString &base)
{
    return ofBridge(base, "request/ping");
}
QString pingResponse(const QString &base)
{
    return ofBridge(base, "response/ping");
}
QString busState(const QString &base, const QString &bus)
{
    return ofBus(base, bus, "state");
}

QString busInventory(const QString &base, const QString &bus)
{
    return ofBus(base, bus, "inventory");
}
QString busScan(const QString &base, const QString &bus)
{
    return ofBus(base, bus, "scan");
}
QString busScanProgress(const QString &base, const QString &bus)
{
    return ofBus(base, bus, "scan/progress");
}
QString busProblem(const QString &base, const QString &bus)
{
    return ofBus(base, bus, "problem");
}
QString scanRequest(const QString &base)
{
    return ofBridge(base, "request/scan");
}
QString scanResponse(const QString &base)
{
    return ofBridge(base, "response/scan");
}
QString bridgeEvent(const QString &base)
{
    return ofBridge(base, "event");
}

QString coverPath(const QString &base, const QString &bus, int id, int channel)
{
    return QStringLiteral("%1/%2/m%3/c%4").arg(base, bus).arg(id).arg(channel);
}

QString motorPath(const QString &base, const QString &bus, int id)
{
    return QStringLiteral("%1/%2/m%3").arg(base, bus).arg(id);
}

QString groupPath(const QString &base, const QString &bus, int id, quint16 mask)
{
    return QStringLiteral("%1/%2/g%3-%4").arg(base, bus).arg(id).arg(mask, 4, 16, QLatin1Char('0'));
}

QString objectIdPrefix(const QString &base)
{
    if (base == QLatin1String("tavik"))
        return base;
    // Every byte but letters and digits becomes -XX: no "_" is left, so the
    // first "_" after the prefix ends it, and bus names cannot make it ambiguous.
    QString prefix = QStringLiteral("tavik-");
    for (const char byte : base.toUtf8()) {
        if (QChar::fromLatin1(byte).isLetterOrNumber() && uchar(byte) < 0x80)
            prefix += QLatin1Char(byte);
        else
            prefix += QStringLiteral("-%1").arg(uchar(byte), 2, 16, QLatin1Char('0'));
    }
    return prefix;
}

QString coverObjectId(const QString &base, const QString &bus, int id, int channel)
{
    return QStringLiteral("%1_%2_m%3_c%4").arg(objectIdPrefix(base), bus).arg(id).arg(channel);
}

QString motorObjectId(const QString &base, const QString &bus, int id)
{
    return QStringLiteral("%1_%2_m%3").arg(objectIdPrefix(base), bus).arg(id);
}

QString groupObjectId(const QString &base, const QString &bus, int id, quint16 mask)
{
    return QStringLiteral("%1_%2_g%3_%4").arg(objectIdPrefix(base), bus).arg(id).arg(mask, 4, 16, QLatin1Char('0'));
}

QString busObjectId(const QString &base, const QString &bus)
{
    return QStringLiteral("%1_%2_bus").arg(objectIdPrefix(base), bus);
}

QString bridgeObjectId(const QString &base)
{
    return objectIdPrefix(base) + QStringLiteral("_bridge");
}

} // namespace Topics

namespace {

// A whole number in lo..hi written plainly (no sign, no spaces), else -1.
int plainNumber(const QByteArray &text, int lo, int hi)
{
    if (text.isEmpty() || text.size() > 3)
        return -1;
    for (char c : text)
        if (c < '0' || c > '9')
            return -1;
    const int v = text.toInt();
    return v >= lo && v <= hi ? v : -1;
}

} // namespace

std::variant<Command, QString> parseCommand(const QString &base, const QString &topic, const QByteArray &payload)
{
    if (!topic.startsWith(base + u'/'))
        return mqttText(MqttText::MqttNotUnder).arg(base);
    // Numbers as the bridge writes them (no leading zero), so one cover has one topic.
    static const QRegularExpression shape(
        u"^([a-z0-9_-]{1,32})/(?:m([1-9]\\d?)/c([1-9]\\d?)/(set|set_position|limit/set)|g(0|[1-9]\\d?)-([0-9a-f]{4})/(set))$"_qs);
    const auto m = shape.match(QStringView(topic).mid(base.size() + 1));
    if (!m.hasMatch())
        return mqttText(MqttText::MqttNotCommandTopic);
    Command c;
    c.bus = m.captured(1);
    QString what;
    if (m.hasCaptured(5)) {
        c.group = true;
        const auto mask = quint16(m.captured(6).toUInt(nullptr, 16));
        what = m.captured(7);
        if (mask == 0)
            return mqttText(MqttText::MqttGroupNoChannel);
        c.target = {m.captured(5).toInt(), ChannelMask::ofWord(mask)};
    } else {
        const int id = m.captured(2).toInt();
        const int channel = m.captured(3).toInt();
        what = m.captured(4);
        if (id < 1 || id > MotorSettings::MaxId || channel < 1 || channel > MotorSettings::ChannelCount)
            return mqttText(MqttText::MqttIdOrChannelOutOfRange);
        c.target = {id, ChannelMask::ofChannel(channel)};
    }
    if (what == QLatin1String("set")) {
        static const QList<std::pair<QByteArray, Command::Action>> words {
            {"OPEN", Command::Open}, {"CLOSE", Command::Close}, {"STOP", Command::Stop}};
        for (const auto &[word, action] : words)
            if (payload == word) {
                c.action = action;
                return c;
            }
        return mqttText(MqttText::MqttExpectedAction);
    }
    const bool limit = what == QLatin1String("limit/set");
    c.action = limit ? Command::Limit : Command::SetPosition;
    c.value = limit ? plainNumber(payload, 1, 4) : plainNumber(payload, 0, 100);
    if (c.value < 0)
        return mqttText(limit ? MqttText::MqttExpectedLimitPoint : MqttText::MqttExpectedPosition);
    return c;
}
