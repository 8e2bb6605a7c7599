#include "Profile.h"

#include "CliText.h"

#include <QJsonDocument>
#include <QJsonParseError>

namespace {

const QLatin1String kFormatKey("format");
const QLatin1String kFormat("tavik-motor-profile");
const QLatin1String kVersionKey("version");
constexpr int kVersion = 1;

} // namespace

bool readProfile(const QByteArray &bytes, Profile &out, QString &error)
{
    if (bytes.size() > MaxProfileBytes) {
        error = say("CliProfileTooLarge").arg(MaxProfileBytes);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = say("CliProfileBroken").arg(parseError.offset).arg(parseError.errorString());
        return false;
    }
    if (!doc.isObject()) {
        error = say("CliProfileNotObject");
        return false;
    }
    const QJsonObject o = doc.object();
    if (o.value(kFormatKey) != QJsonValue(kFormat) || o.value(kVersionKey) != QJsonValue(kVersion)) {
        error = say("CliProfileForeign").arg(kFormat).arg(kVersion);
        return false;
    }
    for (auto it = o.begin(); it != o.end(); ++it) {
        const SettingName *s = findSetting(it.key());
        if (it.key() != kFormatKey && it.key() != kVersionKey && (!s || !s->inReport)) {
            error = say("CliProfileUnknownKey").arg(it.key(), settingNameList(false).join(QStringLiteral(", ")));
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

QJsonObject writeProfile(const FeatureValues &values, const Target &reported)
{
    QJsonObject o {{kFormatKey, kFormat}, {kVersionKey, kVersion}};
    for (const SettingName &s : settingNames())
        if (s.inReport)
            o.insert(QLatin1String(s.name), s.toJson(values, reported));
    return o;
}
