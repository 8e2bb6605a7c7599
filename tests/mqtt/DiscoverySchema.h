// What Home Assistant's MQTT discovery accepts, as far as the bridge uses
// it: for each platform its required keys, and for every key the bridge may
// send its type and, where Home Assistant limits them, its values.  A key
// outside the table is a fault too: Home Assistant rejects a config with a
// key it does not know.  Device-based configs (one per device, its
// components under "components") are checked component by component.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

namespace DiscoverySchema {

enum class Type { String, Integer, Number, Boolean, Object, StringList, Availability, Device, Origin, NameOrNull };

struct Key {
    const char *name;
    Type type;
    QStringList allowed = {}; // empty: any value of the type
};

struct Platform {
    const char *name;
    QStringList required;
    QList<Key> keys; // beside the keys every platform has
};

inline const QList<Key> &commonKeys()
{
    static const QList<Key> keys {
        {"unique_id", Type::String},
        {"name", Type::NameOrNull},
        {"object_id", Type::String},
        {"default_entity_id", Type::String},
        {"icon", Type::String},
        {"availability", Type::Availability},
        {"availability_topic", Type::String},
        {"availability_mode", Type::String, {"all", "any", "latest"}},
        {"payload_available", Type::String},
        {"payload_not_available", Type::String},
        {"json_attributes_topic", Type::String},
        {"entity_category", Type::String, {"config", "diagnostic"}},
        {"enabled_by_default", Type::Boolean},
        {"qos", Type::Integer, {"0", "1", "2"}},
        {"device", Type::Device},
        {"origin", Type::Origin},
        {"encoding", Type::String},
    };
    return keys;
}

inline const QList<Platform> &platforms()
{
    static const QList<Platform> list {
        {"cover",
         {},
         {{"device_class",
           Type::String,
           {"awning", "blind", "curtain", "damper", "door", "garage", "gate", "shade", "shutter", "window"}},
          {"command_topic", Type::String},
          {"state_topic", Type::String},
          {"position_topic", Type::String},
          {"set_position_topic", Type::String},
          {"position_open", Type::Integer},
          {"position_closed", Type::Integer},
          {"payload_open", Type::String},
          {"payload_close", Type::String},
          {"payload_stop", Type::String},
          {"optimistic", Type::Boolean},
          {"retain", Type::Boolean}}},
        {"button",
         {"command_topic"},
         {{"command_topic", Type::String},
          {"payload_press", Type::String},
          {"device_class", Type::String, {"identify", "restart", "update"}},
          {"retain", Type::Boolean}}},
        {"sensor",
         {"state_topic"},
         {{"state_topic", Type::String},
          {"unit_of_measurement", Type::String},
          {"device_class", Type::String},
          {"state_class", Type::String, {"measurement", "total", "total_increasing"}},
          {"value_template", Type::String},
          {"options", Type::StringList},
          {"suggested_display_precision", Type::Integer}}},
        {"binary_sensor",
         {"state_topic"},
         {{"state_topic", Type::String},
          {"device_class",
           Type::String,
           {"battery", "connectivity", "moving", "problem", "running", "safety", "update", "opening"}},
          {"payload_on", Type::String},
          {"payload_off", Type::String},
          {"value_template", Type::String}}},
        {"event",
         {"state_topic", "event_types"},
         {{"state_topic", Type::String},
          {"event_types", Type::StringList},
          {"device_class", Type::String, {"button", "doorbell", "motion"}},
          {"value_template", Type::String}}},
        {"number",
         {"command_topic"},
         {{"command_topic", Type::String},
          {"state_topic", Type::String},
          {"min", Type::Number},
          {"max", Type::Number},
          {"step", Type::Number},
          {"mode", Type::String, {"auto", "box", "slider"}},
          {"unit_of_measurement", Type::String},
          {"value_template", Type::String},
          {"command_template", Type::String},
          {"retain", Type::Boolean}}},
        {"select",
         {"command_topic", "options"},
         {{"command_topic", Type::String},
          {"state_topic", Type::String},
          {"options", Type::StringList},
          {"value_template", Type::String},
          {"command_template", Type::String},
          {"retain", Type::Boolean}}},
        {"switch",
         {"command_topic"},
         {{"command_topic", Type::String},
          {"state_topic", Type::String},
          {"payload_on", Type::String},
          {"payload_off", Type::String},
          {"state_on", Type::String},
          {"state_off", Type::String},
          {"value_template", Type::String},
          {"retain", Type::Boolean}}},
    };
    return list;
}

inline const Platform *platform(const QString &name)
{
    for (const Platform &p : platforms())
        if (name == QLatin1String(p.name))
            return &p;
    return nullptr;
}

inline bool isStringList(const QJsonValue &v, bool allowEmpty)
{
    if (!v.isArray() || (!allowEmpty && v.toArray().isEmpty()))
        return false;
    const QJsonArray a = v.toArray();
    return std::all_of(a.begin(), a.end(), [](const QJsonValue &e) { return e.isString() && !e.toString().isEmpty(); });
}

// What is wrong with one value, or nothing.
inline QString typeFault(const QString &key, const QJsonValue &v, Type type)
{
    switch (type) {
    case Type::String: return v.isString() && !v.toString().isEmpty() ? QString() : key + u" is not a text"_qs;
    case Type::Integer:
        return v.isDouble() && v.toDouble() == double(v.toInteger()) ? QString() : key + u" is not a whole number"_qs;
    case Type::Number: return v.isDouble() ? QString() : key + u" is not a number"_qs;
    case Type::Boolean: return v.isBool() ? QString() : key + u" is not true or false"_qs;
    case Type::Object: return v.isObject() ? QString() : key + u" is not a mapping"_qs;
    case Type::StringList: return isStringList(v, false) ? QString() : key + u" is not a list of texts"_qs;
    case Type::NameOrNull: return v.isNull() || v.isString() ? QString() : key + u" is neither a text nor null"_qs;
    case Type::Availability: {
        if (!v.isArray() || v.toArray().isEmpty())
            return key + u" is not a list"_qs;
        for (const QJsonValue &e : v.toArray())
            if (!e.isObject() || !e.toObject().value(u"topic"_qs).isString())
                return key + u" holds an entry without a topic"_qs;
        return {};
    }
    case Type::Device: {
        if (!v.isObject())
            return key + u" is not a mapping"_qs;
        const QJsonObject d = v.toObject();
        static const QSet<QString> known {u"identifiers"_qs,  u"connections"_qs,    u"name"_qs,
                                          u"manufacturer"_qs, u"model"_qs,          u"model_id"_qs,
                                          u"sw_version"_qs,   u"hw_version"_qs,     u"serial_number"_qs,
                                          u"via_device"_qs,   u"suggested_area"_qs, u"configuration_url"_qs};
        for (auto it = d.begin(); it != d.end(); ++it)
            if (!known.contains(it.key()))
                return u"device has the unknown key "_qs + it.key();
        const QJsonValue ids = d.value(u"identifiers"_qs);
        if (!(ids.isString() || isStringList(ids, false)))
            return u"device has no identifiers"_qs;
        for (const char *text : {"name", "manufacturer", "model", "sw_version", "via_device"})
            if (d.contains(QLatin1String(text)) && !d.value(QLatin1String(text)).isString())
                return u"device's "_qs + QLatin1String(text) + u" is not a text"_qs;
        return {};
    }
    case Type::Origin: {
        const QJsonObject o = v.toObject();
        return v.isObject() && o.value(u"name"_qs).isString() ? QString() : key + u" has no name"_qs;
    }
    }
    return {};
}

// The faults of one entity's config for a platform.
inline QStringList entityFaults(const QString &platformName, const QJsonObject &o)
{
    const Platform *p = platform(platformName);
    if (!p)
        return {u"unknown platform "_qs + platformName};
    QStringList faults;
    for (const QString &key : p->required)
        if (!o.contains(key))
            faults << u"lacks "_qs + key;
    if (o.contains(u"device"_qs) && !o.contains(u"unique_id"_qs))
        faults << u"has a device but no unique_id"_qs;
    for (auto it = o.begin(); it != o.end(); ++it) {
        const auto matches = [&](const Key &k) { return it.key() == QLatin1String(k.name); };
        const Key *key = nullptr;
        for (const QList<Key> *list : {&commonKeys(), &p->keys})
            for (const Key &k : *list)
                if (matches(k))
                    key = &k;
        if (!key) {
            faults << u"unknown key "_qs + it.key();
            continue;
        }
        if (const QString fault = typeFault(it.key(), it.value(), key->type); !fault.isEmpty())
            faults << fault;
        else if (!key->allowed.isEmpty()
                 && !key->allowed.contains(it.value().isString() ? it.value().toString()
                                                                 : QString::number(it.value().toInteger())))
            faults << it.key() + u" may not be "_qs + it.value().toVariant().toString();
    }
    return faults;
}

// The faults of one retained message under the discovery prefix: its topic
// <prefix>/<platform>/[<node>/]<object id>/config and its payload.  An
// empty payload (a config cleared) has none.
inline QStringList faults(const QString &prefix, const QString &topic, const QByteArray &payload)
{
    if (payload.isEmpty())
        return {};
    static const QRegularExpression shape(u"^([a-z_]+)/(?:[a-zA-Z0-9_-]+/)?([a-zA-Z0-9_-]+)/config$"_qs);
    const auto m = shape.match(QStringView(topic).mid(prefix.size() + 1));
    if (!topic.startsWith(prefix + u'/') || !m.hasMatch())
        return {u"topic is not <prefix>/<platform>/<object id>/config"_qs};
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
    if (!doc.isObject())
        return {u"payload is not a JSON object: "_qs + error.errorString()};
    const QJsonObject o = doc.object();
    if (m.captured(1) != QLatin1String("device"))
        return entityFaults(m.captured(1), o);
    // One device with its components: device and origin once for all.
    QStringList found;
    for (const char *key : {"device", "origin"})
        if (!o.contains(QLatin1String(key)))
            found << u"lacks "_qs + QLatin1String(key);
    found << typeFault(u"device"_qs, o.value(u"device"_qs), Type::Device)
          << typeFault(u"origin"_qs, o.value(u"origin"_qs), Type::Origin);
    const QJsonObject components = o.value(u"components"_qs).toObject(o.value(u"cmps"_qs).toObject());
    if (components.isEmpty())
        found << u"has no components"_qs;
    for (auto it = components.begin(); it != components.end(); ++it) {
        QJsonObject c = it.value().toObject();
        const QString platformName = c.take(u"platform"_qs).toString(c.take(u"p"_qs).toString());
        if (!c.contains(u"unique_id"_qs))
            found << it.key() + u": lacks unique_id"_qs;
        for (const QString &f : entityFaults(platformName, c))
            found << it.key() + u": "_qs + f;
    }
    found.removeAll(QString());
    return found;
}

} // namespace DiscoverySchema
