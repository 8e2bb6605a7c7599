#include "Profile.h"

#include "CliText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSet>

namespace {

const QLatin1String kFormatKey("format");
const QLatin1String kFormat("tavik-motor-profile");
const QLatin1String kVersionKey("version");
constexpr int kVersion = 1;
// The names every JSON record uses for the address and the line rate; a
// profile keeps them under the setting names "id" and "baud" inside.
const QLatin1String kTypeKey("type");
const QLatin1String kChannelsKey("channels");
const QLatin1String kRateKey("rate");
const QLatin1String kBaudKey("baud");
const QLatin1String kIdKey("id");

// "id": 12 with "channels": [1, 3] as the setting "id" reads it ("12:1,3"),
// and "rate": 9600 as the setting "baud" ("9600").
bool toSettingNames(QJsonObject &o, QString &error)
{
    if (o.contains(kTypeKey)) {
        if (o.value(kTypeKey) != QJsonValue(QStringLiteral("settings"))) {
            error = say(CliText::CliProfileType).arg(kTypeKey, QStringLiteral("\"settings\""));
            return false;
        }
        o.remove(kTypeKey);
    }
    if (o.contains(kChannelsKey)) {
        const QJsonValue id = o.value(kIdKey);
        if (!id.isDouble() || !o.value(kChannelsKey).isArray()) {
            error = say(CliText::CliProfileType).arg(kChannelsKey, say(CliText::CliJsonChannels));
            return false;
        }
        QStringList channels;
        for (const QJsonValue &c : o.value(kChannelsKey).toArray())
            channels << (c.isDouble() ? QString::number(c.toDouble()) : QStringLiteral("?"));
        o.insert(kIdKey, QStringLiteral("%1:%2").arg(id.toDouble()).arg(channels.join(u',')));
        o.remove(kChannelsKey);
    }
    if (o.contains(kRateKey)) {
        o.insert(kBaudKey, o.take(kRateKey));
    }
    return true;
}

// A record kept with `tavik-cli --json read > FILE` is JSON lines: the
// settings record, then the result.  Its one settings record is the profile;
// anything else is parsed as it stands, so that its faults are named.
QByteArray settingsRecordOf(const QByteArray &bytes)
{
    const QList<QByteArray> lines = bytes.trimmed().split('\n');
    if (lines.size() < 2)
        return bytes;
    QByteArray found;
    for (const QByteArray &line : lines) {
        const QJsonDocument record = QJsonDocument::fromJson(line);
        if (!record.isObject())
            return bytes;
        if (record.object().value(kTypeKey) == QJsonValue(QStringLiteral("settings"))) {
            if (!found.isEmpty())
                return bytes;
            found = line;
        }
    }
    return found.isEmpty() ? bytes : found;
}

// The first key the top-level object holds twice (empty: none).  The JSON
// reader would keep the last one silently, and a profile that says two things
// about one setting says nothing certain.
QString repeatedKey(const QByteArray &json)
{
    QSet<QString> seen;
    int depth = 0;
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json[i];
        if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            --depth;
        } else if (c == '"') {
            const qsizetype start = i;
            for (++i; i < json.size() && json[i] != '"'; ++i)
                i += json[i] == '\\';
            qsizetype next = i + 1;
            while (next < json.size() && QChar::isSpace(uchar(json[next])))
                ++next;
            if (depth != 1 || next >= json.size() || json[next] != ':')
                continue; // a value, or a key further in
            const QByteArray quoted = json.mid(start, i - start + 1);
            const QString key = QJsonDocument::fromJson('[' + quoted + ']').array().at(0).toString();
            if (seen.contains(key))
                return key;
            seen.insert(key);
        }
    }
    return {};
}

} // namespace

bool readProfile(const QByteArray &bytes, Profile &out, QString &error)
{
    if (bytes.size() > MaxProfileBytes) {
        error = say(CliText::CliProfileTooLarge).arg(MaxProfileBytes);
        return false;
    }
    QJsonParseError parseError;
    const QByteArray record = settingsRecordOf(bytes);
    const QJsonDocument doc = QJsonDocument::fromJson(record, &parseError);
    // A lone number or string is JSON all the same, just not an object.
    const bool otherValue = parseError.error != QJsonParseError::NoError
        && QJsonDocument::fromJson('[' + record + ']').isArray();
    if (parseError.error != QJsonParseError::NoError && !otherValue) {
        error = say(CliText::CliProfileBroken).arg(parseError.offset).arg(parseError.errorString());
        return false;
    }
    if (otherValue || !doc.isObject()) {
        error = say(CliText::CliProfileNotObject);
        return false;
    }
    if (const QString key = repeatedKey(record); !key.isEmpty()) {
        error = say(CliText::CliProfileDuplicateKey).arg(key);
        return false;
    }
    QJsonObject o = doc.object();
    if (!toSettingNames(o, error))
        return false;
    if (o.value(kFormatKey) != QJsonValue(kFormat) || o.value(kVersionKey) != QJsonValue(kVersion)) {
        error = say(CliText::CliProfileForeign).arg(kFormat).arg(kVersion);
        return false;
    }
    for (auto it = o.begin(); it != o.end(); ++it) {
        const SettingName *s = findSetting(it.key());
        if (it.key() != kFormatKey && it.key() != kVersionKey && (!s || !s->inReport)) {
            error = say(CliText::CliProfileUnknownKey).arg(it.key(), settingNameList(false).join(QStringLiteral(", ")));
            return false;
        }
    }
    Profile p;
    for (const SettingName &s : settingNames()) {
        const QJsonValue v = o.value(QLatin1String(s.name));
        if (!s.inReport || v.isUndefined())
            continue;
        Change c;
        if (!s.parseJson(v, c, error))
            return false;
        p.changes << c;
    }
    out = p;
    return true;
}

QJsonObject writeProfile(const SettingValues &values, const MotorTarget &reported)
{
    QJsonObject o {{kFormatKey, kFormat}, {kVersionKey, kVersion}};
    for (const SettingName &s : settingNames())
        if (s.inReport)
            o.insert(QLatin1String(s.name), s.toJson(values, reported));
    o.insert(kIdKey, reported.id);
    o.insert(kChannelsKey, channelArray(reported.channels));
    o.insert(kRateKey, o.take(kBaudKey).toInt());
    return o;
}
