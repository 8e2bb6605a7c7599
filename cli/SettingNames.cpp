#include "SettingNames.h"

#include "ChannelNumbers.h"
#include "CliText.h"
#include "MotorSettings.h"

#include <QJsonObject>
#include <QRegularExpression>

#include <array>

namespace {

using ValueName = std::pair<const char *, int>;

constexpr ValueName kSensitivity[] = {{"low", 1}, {"medium", 2}, {"high", 3}};
constexpr ValueName kRebound[] = {{"none", MotorSettings::NoRebound}, {"unlimited", MotorSettings::UnlimitedRebound}};
// The rates of MotorSettings::BaudRates as words, code by code.
constexpr ValueName kBaud[] = {{"1200", 0}, {"2400", 1}, {"4800", 2}, {"9600", 3}, {"19200", 4}};
static_assert(std::size(kBaud) == MotorSettings::BaudRates.size());

// The words for bit 0 and bit 1 of each curtain function, in the order of
// MotorSettings::CurtainFunctionList (which gives the names and bits).
constexpr std::pair<const char *, const char *> kSwitchWords[] = {
    {"on", "off"}, {"default", "reverse"}, {"on", "off"}, {"on", "off"}, {"off", "on"}, {"on", "off"}, {"on", "off"},
};
static_assert(std::size(kSwitchWords) == std::size(MotorSettings::CurtainFunctionList));

constexpr auto kSwitches = [] {
    std::array<CurtainFunctionWords, std::size(kSwitchWords)> switches {};
    for (std::size_t i = 0; i < switches.size(); ++i)
        switches[i] = {MotorSettings::CurtainFunctionList[i].name, MotorSettings::CurtainFunctionList[i].bit,
                       kSwitchWords[i].first, kSwitchWords[i].second};
    return switches;
}();

using F = SettingName::Form;

// Write order of `apply`: the ID and the line rate last, since they change
// the address and the rate of every frame after them.
namespace M = MotorSettings;

constexpr SettingName kNames[] = {
    {"dry-contact",
     Settings::DryContact,
     F::Number,
     true,
     nullptr,
     CliText::CliSettingDryContact,
     M::DryContactRange.min,
     M::DryContactRange.max,
     {},
     "",
     M::DryContactRange.fallback},
    {"speed",
     Settings::MaxSpeed,
     F::Number,
     true,
     "80|100|130|50..130",
     CliText::CliSettingSpeed,
     M::MaxSpeedRange.min,
     M::MaxSpeedRange.max,
     {},
     "rpm",
     M::MaxSpeedRange.fallback},
    {"functions",
     Settings::CurtainFunctions,
     F::Switches,
     true,
     "hand-start=on|off direction=default|reverse soft-start=on|off end-gap=on|off "
     "obstacle-stop=on|off power-memory=on|off hand-sync=on|off",
     CliText::CliSettingFunctions,
     1,
     0,
     {},
     "",
     M::DefaultCurtainFunctions},
    {"jog",
     Settings::JogTime,
     F::Number,
     true,
     nullptr,
     CliText::CliSettingJog,
     M::JogTimeRange.min,
     M::JogTimeRange.max,
     {},
     "s",
     M::JogTimeRange.fallback},
    {"sensitivity", Settings::Sensitivity, F::Number, true, nullptr, CliText::CliSettingSensitivity, 1, 0, kSensitivity,
     "", M::SensitivityRange.fallback},
    {"rebound", Settings::Rebound, F::Number, true, "none|1..254|unlimited", CliText::CliSettingRebound,
     M::ReboundRange.min, M::ReboundRange.max, kRebound, "x 0.1 s", M::ReboundRange.fallback},
    {"id", Settings::IdAndChannels, F::Target, true, nullptr, CliText::CliSettingId, 1, 0, {}, "", -1},
    {"baud", Settings::BaudCode, F::Number, true, nullptr, CliText::CliSettingBaud, 1, 0, kBaud, "bps",
     M::DefaultBaudCode},
    {"force-id", Settings::IdAndChannels, F::Target, false, nullptr, CliText::CliSettingForceId, 1, 0, {}, "", -1},
};

bool isNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    return digits.match(text).hasMatch();
}

QString badValue(const SettingName &s, const QString &text)
{
    return say(CliText::CliBadValue).arg(QLatin1String(s.name), text, s.allowedValues());
}

const CurtainFunctionWords *findSwitch(const QString &name)
{
    for (const CurtainFunctionWords &sw : kSwitches)
        if (name == QLatin1String(sw.name))
            return &sw;
    return nullptr;
}

// One "name=word" of the curtain switches into out.
bool parseSwitch(const SettingName &s, const QString &name, const QString &word, Change &out, QString &error)
{
    const CurtainFunctionWords *sw = findSwitch(name);
    if (!sw || !(out.keep & sw->mask)) { // unknown, or named twice
        error = badValue(s, name);
        return false;
    }
    if (word == QLatin1String(sw->clear)) {
        out.keep &= Byte(~sw->mask);
    } else if (word == QLatin1String(sw->set)) {
        out.keep &= Byte(~sw->mask);
        out.value |= sw->mask;
    } else {
        error = say(CliText::CliBadSwitch).arg(name, word, QLatin1String(sw->clear), QLatin1String(sw->set));
        return false;
    }
    return true;
}

} // namespace

std::span<const SettingName> settingNames()
{
    return kNames;
}
std::span<const CurtainFunctionWords> curtainFunctionWords()
{
    return kSwitches;
}

const SettingName *findSetting(const QString &name)
{
    for (const SettingName &s : kNames)
        if (name == QLatin1String(s.name))
            return &s;
    return nullptr;
}

QStringList settingNameList(bool withForced)
{
    QStringList names;
    for (const SettingName &s : kNames)
        if (s.inReport || withForced)
            names << QLatin1String(s.name);
    return names;
}

QString SettingName::allowedValues() const
{
    if (form == Form::Target)
        return say(CliText::CliIdValues).arg(MotorSettings::MaxId).arg(MotorSettings::ChannelCount);
    if (allowed)
        return QLatin1String(allowed);
    QStringList values;
    for (const auto &[word, value] : words)
        values << QLatin1String(word);
    if (min <= max)
        values << QStringLiteral("%1..%2").arg(min).arg(max);
    return values.join(u'|');
}

Byte SettingValues::*SettingName::field() const
{
    return Settings::row(item)->value;
}

QString SettingName::print(const SettingValues &v, const MotorTarget &reported) const
{
    if (form == Form::Target)
        return printTarget(reported);
    const Byte b = v.*field();
    if (form == Form::Switches) {
        QStringList parts;
        for (const CurtainFunctionWords &sw : kSwitches)
            parts << QStringLiteral("%1=%2").arg(QLatin1String(sw.name),
                                                 QLatin1String(b & sw.mask ? sw.set : sw.clear));
        return parts.join(u' ');
    }
    for (const auto &[word, code] : words)
        if (code == b)
            return QLatin1String(word);
    return QString::number(b); // a number the motor holds, in range or not
}

QJsonValue SettingName::toJson(const SettingValues &v, const MotorTarget &reported) const
{
    if (form == Form::Switches) {
        QJsonObject o;
        const Byte b = v.*field();
        for (const CurtainFunctionWords &sw : kSwitches)
            o.insert(QLatin1String(sw.name), QLatin1String(b & sw.mask ? sw.set : sw.clear));
        return o;
    }
    const QString text = print(v, reported);
    return form == Form::Number && isNumber(text) ? QJsonValue(text.toInt()) : QJsonValue(text);
}

bool SettingName::parse(const QString &text, Change &out, QString &error) const
{
    out = Change();
    out.setting = this;
    switch (form) {
    case Form::Target:
        if (!parseTarget(text, out.target, error)) {
            error = badValue(*this, text) + QLatin1Char('\n') + error;
            return false;
        }
        return true;
    case Form::Switches: {
        out.keep = 0xFF;
        const QStringList items = text.split(QRegularExpression(QStringLiteral("[\\s,]+")), Qt::SkipEmptyParts);
        if (items.isEmpty()) {
            error = badValue(*this, text);
            return false;
        }
        for (const QString &item : items) {
            const qsizetype eq = item.indexOf(u'=');
            if (eq < 0) {
                error = badValue(*this, item);
                return false;
            }
            if (!parseSwitch(*this, item.left(eq), item.mid(eq + 1), out, error))
                return false;
        }
        return true;
    }
    case Form::Number: break;
    }
    for (const auto &[word, code] : words) {
        if (text == QLatin1String(word)) {
            out.value = Byte(code);
            return true;
        }
    }
    if (isNumber(text) && min <= max) {
        const int n = text.toInt();
        if (n >= min && n <= max) {
            out.value = Byte(n);
            return true;
        }
    }
    error = badValue(*this, text);
    return false;
}

bool SettingName::parseJson(const QJsonValue &value, Change &out, QString &error) const
{
    if (form == Form::Switches) {
        if (!value.isObject() || value.toObject().isEmpty()) {
            error = say(CliText::CliProfileType).arg(QLatin1String(name), say(CliText::CliJsonObject));
            return false;
        }
        out = Change();
        out.setting = this;
        out.keep = 0xFF;
        const QJsonObject o = value.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            if (!it->isString()) {
                error = say(CliText::CliProfileType)
                            .arg(QStringLiteral("%1.%2").arg(QLatin1String(name), it.key()),
                                 say(CliText::CliJsonString));
                return false;
            }
            if (!parseSwitch(*this, it.key(), it->toString(), out, error))
                return false;
        }
        return true;
    }
    // Whole numbers are JSON numbers, words are strings: "speed": "100" is
    // not the number the profile format writes.
    QString text;
    if (value.isDouble() && form == Form::Number) {
        const double d = value.toDouble();
        // Within the range first: a larger double has no integer to compare with.
        if (!(d >= -1e6 && d <= 1e6) || d != double(qint64(d))) {
            error = badValue(*this, QString::number(d));
            return false;
        }
        text = QString::number(qint64(d));
    } else if (value.isString() && (form == Form::Target || !isNumber(value.toString()))) {
        text = value.toString();
    } else {
        const bool wantsNumber = form == Form::Number && (min <= max || isNumber(QLatin1String(words.front().first)));
        error = say(CliText::CliProfileType)
                    .arg(QLatin1String(name), say(wantsNumber ? CliText::CliJsonNumber : CliText::CliJsonString));
        return false;
    }
    return parse(text, out, error);
}

bool parseTarget(const QString &text, MotorTarget &out, QString &error)
{
    const QStringList parts = text.split(u':');
    if (parts.size() != 2) {
        error = say(CliText::CliBadTarget).arg(text);
        return false;
    }
    MotorTarget t;
    if (parts[0] == QLatin1String("group")) {
        t.id = 0;
    } else if (isNumber(parts[0]) && parts[0].toInt() <= MotorSettings::MaxId) {
        t.id = parts[0].toInt();
    } else {
        error = say(CliText::CliBadTargetId).arg(parts[0]);
        return false;
    }
    if (parts[1] == QLatin1String("all")) {
        t.channels.setWord(0xFFFF);
    } else {
        const QStringList channels = parts[1].split(u',');
        for (const QString &c : channels) {
            if (!isNumber(c) || c.toInt() < 1 || c.toInt() > MotorSettings::ChannelCount) {
                error = say(CliText::CliBadChannel).arg(c);
                return false;
            }
            t.channels.select(c.toInt());
        }
    }
    out = t;
    return true;
}

QString printTarget(const MotorTarget &t)
{
    const QString id = t.id == 0 ? QStringLiteral("group") : QString::number(t.id);
    if (channelNumbers(t.channels).size() == MotorSettings::ChannelCount)
        return id + QStringLiteral(":all");
    return id + u':' + channelNumbersText(t.channels);
}

QJsonArray channelArray(const ChannelMask &mask)
{
    QJsonArray channels;
    for (const int n : channelNumbers(mask))
        channels << n;
    return channels;
}

bool singleMotor(const MotorTarget &t)
{
    const std::uint16_t w = t.channels.word();
    return t.id >= 1 && t.id <= MotorSettings::MaxId && w != 0 && (w & (w - 1)) == 0;
}
