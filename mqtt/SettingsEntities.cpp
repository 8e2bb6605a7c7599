#include "SettingsEntities.h"

#include "MqttText.h"
#include "Topics.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstring>

namespace SettingsEntities {
namespace {

// The name a person sees for each machine name.
struct Named {
    const char *key;
    MqttText text;
};
constexpr Named Names[] = {
    {"id_channels", MqttText::MqttSettingId},
    {"channels", MqttText::MqttSettingChannels},
    {"dry_contact", MqttText::MqttSettingDryContact},
    {"max_speed", MqttText::MqttSettingMaxSpeed},
    {"jog_time", MqttText::MqttSettingJogTime},
    {"sensitivity", MqttText::MqttSettingSensitivity},
    {"rebound", MqttText::MqttSettingRebound},
    {"baud", MqttText::MqttSettingBaud},
    {"hand_start", MqttText::MqttFunctionHandStart},
    {"direction", MqttText::MqttFunctionDirection},
    {"soft_start", MqttText::MqttFunctionSoftStart},
    {"end_gap", MqttText::MqttFunctionEndGap},
    {"obstacle_stop", MqttText::MqttFunctionObstacleStop},
    {"power_memory", MqttText::MqttFunctionPowerMemory},
    {"hand_sync", MqttText::MqttFunctionHandSync},
};

QString nameOf(const QString &key)
{
    for (const Named &n : Names)
        if (key == QLatin1String(n.key))
            return mqttText(n.text);
    return key;
}

// A switch is on when its function is: the bit's word "on", or (a direction) its set word.
bool onWhenSet(const Settings::CurtainFunction &f)
{
    return std::strcmp(f.clear, "on") != 0;
}

// Writing the ID or the rate changes who the motor is or what it speaks.
bool diagnosticOnly(const Settings::Row &row)
{
    return row.kind == Settings::Kind::Address || row.item == Settings::BaudCode;
}

// A select's options: the named values, or every value of a mode's range.
QStringList options(const Settings::Row &row)
{
    QStringList out;
    for (const Settings::ValueWord &w : row.words)
        out << QLatin1String(w.word);
    if (!out.isEmpty())
        return out;
    for (int v = row.min; v <= row.max; v += row.step)
        out << QString::number(v);
    return out;
}

QList<Entity> build()
{
    QList<Entity> out;
    for (const Settings::Row &row : Settings::rows()) {
        const QString key = QLatin1String(row.name);
        if (row.kind == Settings::Kind::Address) {
            out.append({key, u"sensor"_qs, &row, nullptr});
            out.append({u"channels"_qs, u"sensor"_qs, &row, nullptr});
        } else if (row.kind == Settings::Kind::Functions) {
            for (const Settings::CurtainFunction &f : Settings::curtainFunctions())
                out.append({QLatin1String(f.name), u"switch"_qs, &row, &f});
        } else if (diagnosticOnly(row)) {
            out.append({key, u"sensor"_qs, &row, nullptr});
        } else {
            const bool select = row.kind == Settings::Kind::Choice || !*row.unit;
            out.append({key, select ? u"select"_qs : u"number"_qs, &row, nullptr});
        }
    }
    return out;
}

QString valueWord(const Settings::Row &row, int value)
{
    const char *word = Settings::wordOf(row, value);
    return word ? QString::fromLatin1(word) : QString::number(value);
}

// A number's range takes in its named values too (rebound: none 0, unlimited 255).
std::pair<int, int> numberRange(const Settings::Row &row)
{
    int lo = row.min, hi = row.max;
    for (const Settings::ValueWord &w : row.words) {
        lo = std::min(lo, w.value);
        hi = std::max(hi, w.value);
    }
    return {lo, hi};
}

QJsonValue valueOf(const Entity &e, const Known &k)
{
    const Settings::Row &row = *e.row;
    if (row.kind == Settings::Kind::Address) {
        if (e.key == QLatin1String("channels")) {
            QStringList list;
            for (int c = 1; c <= 16; ++c)
                if (k.motor.channels.channel(c))
                    list << QString::number(c);
            return list.join(u',');
        }
        return k.motor.id;
    }
    const int value = k.values.*row.value;
    if (e.function)
        return bool(value & e.function->bit) == onWhenSet(*e.function) ? u"ON"_qs : u"OFF"_qs;
    if (e.platform == QLatin1String("number"))
        return value;
    return valueWord(row, value);
}

QJsonArray availability(const MotorDevice &m)
{
    return {QJsonObject {{u"topic"_qs, Topics::bridgeState(m.base)}},
            QJsonObject {{u"topic"_qs, Topics::busState(m.base, m.bus)}}};
}

// A setting's component; its ID, availability and QoS are added as for every component of the device.
QJsonObject component(const MotorDevice &m, const Entity &e)
{
    const QString path = Topics::motorPath(m.base, m.bus, m.id);
    QJsonObject c {{u"platform"_qs, e.platform},
                   {u"name"_qs, nameOf(e.key)},
                   {u"state_topic"_qs, path + QStringLiteral("/settings")},
                   {u"value_template"_qs, QStringLiteral("{{ value_json.%1 }}").arg(e.key)},
                   {u"entity_category"_qs, e.writable() ? u"config"_qs : u"diagnostic"_qs}};
    if (e.writable()) {
        c.insert(u"command_topic"_qs, path + QStringLiteral("/settings/%1/set").arg(e.key));
        c.insert(u"json_attributes_topic"_qs, path + QStringLiteral("/settings/%1/result").arg(e.key));
    }
    const Settings::Row &row = *e.row;
    if (e.platform == QLatin1String("select"))
        c.insert(u"options"_qs, QJsonArray::fromStringList(options(row)));
    if (e.platform == QLatin1String("number")) {
        const auto [lo, hi] = numberRange(row);
        c.insert(u"min"_qs, lo);
        c.insert(u"max"_qs, hi);
        c.insert(u"step"_qs, row.step);
        c.insert(u"mode"_qs, u"box"_qs);
    }
    if (*row.unit && e.platform != QLatin1String("select") && !e.function && row.kind != Settings::Kind::Address)
        c.insert(u"unit_of_measurement"_qs, QLatin1String(row.unit));
    return c;
}

} // namespace

const QList<Entity> &entities()
{
    static const QList<Entity> list = build();
    return list;
}

const Entity *entity(const QString &key)
{
    for (const Entity &e : entities())
        if (e.key == key)
            return &e;
    return nullptr;
}

QJsonObject state(const Known &known)
{
    QJsonObject o;
    for (const Entity &e : entities())
        if (e.row->kind == Settings::Kind::Address || known.has(*e.row))
            o.insert(e.key, valueOf(e, known));
    return o;
}

void take(Known &known, const ReadResult &read)
{
    if (!read.values)
        return;
    const bool basic = read.request.readFunction == Frame::ReadBasic;
    const auto kind = basic ? Settings::ReadBack::Basic : Settings::ReadBack::Extended;
    for (const Settings::Row &row : Settings::rows())
        if (row.value && row.readBack == kind)
            known.values.*row.value = (*read.values).*row.value;
    (basic ? known.basic : known.extended) = true;
    if (read.answered)
        known.motor.channels = read.answered->channels;
}

std::variant<Write, QString> parseWrite(const Entity &e, const QByteArray &payload, const Known &known)
{
    const Settings::Row &row = *e.row;
    const QString text = QString::fromUtf8(payload).trimmed();
    if (!e.writable())
        return mqttText(MqttText::MqttSettingNotWritable).arg(e.key);
    if (e.function) {
        if (!known.has(row)) // the other six bits are written too: they must be known
            return mqttText(MqttText::MqttSettingNotRead);
        if (text != QLatin1String("ON") && text != QLatin1String("OFF"))
            return mqttText(MqttText::MqttSettingBadValue).arg(text, u"ON, OFF"_qs);
        const bool set = (text == QLatin1String("ON")) == onWhenSet(*e.function);
        const Byte now = known.values.*row.value;
        return Write {row.item, Byte(set ? now | e.function->bit : now & ~e.function->bit)};
    }
    if (e.platform == QLatin1String("select")) {
        const QStringList allowed = options(row);
        if (!allowed.contains(text))
            return mqttText(MqttText::MqttSettingBadValue).arg(text, allowed.join(u", "_qs));
        for (const Settings::ValueWord &w : row.words)
            if (text == QLatin1String(w.word))
                return Write {row.item, Byte(w.value)};
        return Write {row.item, Byte(text.toInt())};
    }
    bool ok = false;
    const double number = text.toDouble(&ok);
    const auto [lo, hi] = numberRange(row);
    if (!ok || number != int(number) || number < lo || number > hi)
        return mqttText(MqttText::MqttSettingBadValue).arg(text, QStringLiteral("%1..%2").arg(lo).arg(hi));
    return Write {row.item, Byte(int(number))};
}

QString refusalWord(WriteResult::Refusal refusal)
{
    using R = WriteResult::Refusal;
    switch (refusal) {
    case R::SharedId: // in turn or at once: either way the ID is shared
    case R::SeveralAtOnce: return u"shared_id"_qs;
    case R::OtherMotor: return u"other_motor"_qs;
    case R::NotOnLine: return u"not_on_line"_qs;
    case R::None: break;
    }
    return {};
}

QString outcomeWord(const WriteResult &r)
{
    using O = WriteResult::Outcome;
    switch (r.outcome) {
    case O::Confirmed: return u"confirmed"_qs;
    case O::NotConfirmed: return r.otherValueSeen ? u"other_value"_qs : u"no_answer"_qs;
    case O::Refused: return u"refused"_qs;
    case O::Canceled: break;
    }
    return u"canceled"_qs;
}

QStringList outcomeWords()
{
    return {u"confirmed"_qs, u"no_answer"_qs, u"other_value"_qs, u"refused"_qs, u"canceled"_qs};
}

DiscoveryMessage discovery(const MotorDevice &m)
{
    const QString path = Topics::motorPath(m.base, m.bus, m.id);
    const QString id = Topics::motorObjectId(m.base, m.bus, m.id);
    QJsonObject components;
    const auto add = [&](const QString &suffix, QJsonObject c) {
        c.insert(u"unique_id"_qs, id + u'_' + suffix);
        c.insert(u"availability"_qs, availability(m));
        c.insert(u"availability_mode"_qs, u"all"_qs);
        c.insert(u"qos"_qs, 1);
        components.insert(id + u'_' + suffix, c);
    };
    if (m.shared) {
        add(u"problem"_qs,
            {{u"platform"_qs, u"binary_sensor"_qs},
             {u"name"_qs, mqttText(MqttText::MqttSettingsProblem)},
             {u"device_class"_qs, u"problem"_qs},
             {u"entity_category"_qs, u"diagnostic"_qs},
             {u"state_topic"_qs, path + QStringLiteral("/problem")},
             {u"json_attributes_topic"_qs, path + QStringLiteral("/problem/attributes")}});
    } else {
        for (const Entity &e : entities())
            add(e.key, component(m, e));
        add(u"read"_qs,
            {{u"platform"_qs, u"button"_qs},
             {u"name"_qs, mqttText(MqttText::MqttReadSettings)},
             {u"command_topic"_qs, path + QStringLiteral("/settings/read")},
             {u"payload_press"_qs, u"PRESS"_qs},
             {u"entity_category"_qs, u"config"_qs}});
        add(u"results"_qs,
            {{u"platform"_qs, u"event"_qs},
             {u"name"_qs, mqttText(MqttText::MqttSettingsResults)},
             {u"state_topic"_qs, path + QStringLiteral("/settings/event")},
             {u"event_types"_qs, QJsonArray::fromStringList(outcomeWords())},
             {u"entity_category"_qs, u"diagnostic"_qs}});
    }
    const QJsonObject device {{u"identifiers"_qs, QJsonArray {id}},
                              {u"name"_qs, mqttText(MqttText::MqttMotorDeviceName).arg(m.id)},
                              {u"manufacturer"_qs, u"Tavik"_qs},
                              {u"model"_qs, mqttText(MqttText::MqttMotorModel).arg(m.bus)},
                              {u"via_device"_qs, Topics::bridgeObjectId(m.base)}};
    const QJsonObject config {
        {u"device"_qs, device}, {u"origin"_qs, discoveryOrigin(m.version)}, {u"components"_qs, components}};
    return {QStringLiteral("%1/device/%2/config").arg(m.prefix, id),
            QJsonDocument(config).toJson(QJsonDocument::Compact)};
}

} // namespace SettingsEntities
