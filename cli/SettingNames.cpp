#include "SettingNames.h"

#include "ChannelNumbers.h"
#include "CliText.h"
#include "MotorSettings.h"

#include <QJsonObject>
#include <QRegularExpression>

#include <array>

namespace {

using Settings::CurtainFunction;
using Settings::Kind;

// Write order of `apply`: the ID and the line rate last, since they change
// the address and the rate of every frame after them.
constexpr SettingName kNames[] = {
    {"dry-contact", Settings::DryContact, true, nullptr, CliText::CliSettingDryContact},
    {"speed", Settings::MaxSpeed, true, "80|100|130|50..130", CliText::CliSettingSpeed},
    {"functions", Settings::CurtainFunctions, true, nullptr, CliText::CliSettingFunctions},
    {"jog", Settings::JogTime, true, nullptr, CliText::CliSettingJog},
    {"sensitivity", Settings::Sensitivity, true, nullptr, CliText::CliSettingSensitivity},
    {"rebound", Settings::Rebound, true, "none|1..254|unlimited", CliText::CliSettingRebound},
    {"id", Settings::IdAndChannels, true, nullptr, CliText::CliSettingId},
    {"baud", Settings::BaudCode, true, nullptr, CliText::CliSettingBaud},
    {"force-id", Settings::IdAndChannels, false, nullptr, CliText::CliSettingForceId},
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

const CurtainFunction *findFunction(const QString &name)
{
    for (const CurtainFunction &f : Settings::curtainFunctions())
        if (name == functionName(f))
            return &f;
    return nullptr;
}

// "name=word" for each curtain function, as the byte holds them.
QStringList functionWords(Byte b)
{
    QStringList parts;
    for (const CurtainFunction &f : Settings::curtainFunctions())
        parts << functionName(f) + u'=' + QLatin1String(b & f.bit ? f.set : f.clear);
    return parts;
}

// One "name=word" of the curtain functions into out.
bool parseFunction(const SettingName &s, const QString &name, const QString &word, Change &out, QString &error)
{
    const CurtainFunction *f = findFunction(name);
    if (!f || !(out.keep & f->bit)) { // unknown, or named twice
        error = badValue(s, name);
        return false;
    }
    if (word == QLatin1String(f->clear)) {
        out.keep &= Byte(~f->bit);
    } else if (word == QLatin1String(f->set)) {
        out.keep &= Byte(~f->bit);
        out.value |= f->bit;
    } else {
        error = say(CliText::CliBadFunctionWord).arg(name, word, QLatin1String(f->clear), QLatin1String(f->set));
        return false;
    }
    return true;
}

} // namespace

std::span<const SettingName> settingNames()
{
    return kNames;
}
QString functionName(const CurtainFunction &f)
{
    return QString::fromLatin1(f.name).replace(u'_', u'-');
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
    if (kind() == Kind::Address)
        return say(CliText::CliIdValues).arg(MotorSettings::MaxId).arg(MotorSettings::ChannelCount);
    if (allowed)
        return QLatin1String(allowed);
    QStringList values;
    if (kind() == Kind::Functions) {
        for (const CurtainFunction &f : Settings::curtainFunctions())
            values << QStringLiteral("%1=%2|%3").arg(functionName(f), QLatin1String(f.clear), QLatin1String(f.set));
        return values.join(u' ');
    }
    for (const auto &[word, value] : row().words)
        values << QLatin1String(word);
    if (row().min <= row().max)
        values << QStringLiteral("%1..%2").arg(row().min).arg(row().max);
    return values.join(u'|');
}

QString SettingName::print(const SettingValues &v, const MotorTarget &reported) const
{
    if (kind() == Kind::Address)
        return printTarget(reported);
    const Byte b = v.*field();
    if (kind() == Kind::Functions)
        return functionWords(b).join(u' ');
    if (const char *word = Settings::wordOf(row(), b))
        return QLatin1String(word);
    return QString::number(b); // a number the motor holds, in range or not
}

QJsonValue SettingName::toJson(const SettingValues &v, const MotorTarget &reported) const
{
    if (kind() == Kind::Functions) {
        QJsonObject o;
        const Byte b = v.*field();
        for (const CurtainFunction &f : Settings::curtainFunctions())
            o.insert(functionName(f), QLatin1String(b & f.bit ? f.set : f.clear));
        return o;
    }
    const QString text = print(v, reported);
    return kind() != Kind::Address && isNumber(text) ? QJsonValue(text.toInt()) : QJsonValue(text);
}

bool SettingName::parse(const QString &text, Change &out, QString &error) const
{
    out = Change();
    out.setting = this;
    switch (kind()) {
    case Kind::Address:
        if (!parseTarget(text, out.target, error)) {
            error = badValue(*this, text) + QLatin1Char('\n') + error;
            return false;
        }
        return true;
    case Kind::Functions: {
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
            if (!parseFunction(*this, item.left(eq), item.mid(eq + 1), out, error))
                return false;
        }
        return true;
    }
    case Kind::Number:
    case Kind::Choice: break;
    }
    for (const auto &[word, code] : row().words) {
        if (text == QLatin1String(word)) {
            out.value = Byte(code);
            return true;
        }
    }
    if (isNumber(text) && row().min <= row().max) {
        const int n = text.toInt();
        if (n >= row().min && n <= row().max) {
            out.value = Byte(n);
            return true;
        }
    }
    error = badValue(*this, text);
    return false;
}

bool SettingName::parseJson(const QJsonValue &value, Change &out, QString &error) const
{
    if (kind() == Kind::Functions) {
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
            if (!parseFunction(*this, it.key(), it->toString(), out, error))
                return false;
        }
        return true;
    }
    // Whole numbers are JSON numbers, words are strings: "speed": "100" is
    // not the number the profile format writes.
    QString text;
    const bool valued = kind() == Kind::Number || kind() == Kind::Choice;
    if (value.isDouble() && valued) {
        const double d = value.toDouble();
        // Within the range first: a larger double has no integer to compare with.
        if (!(d >= -1e6 && d <= 1e6) || d != double(qint64(d))) {
            error = badValue(*this, QString::number(d));
            return false;
        }
        text = QString::number(qint64(d));
    } else if (value.isString() && (kind() == Kind::Address || !isNumber(value.toString()))) {
        text = value.toString();
    } else {
        const bool wantsNumber = valued
            && (row().min <= row().max || isNumber(QLatin1String(row().words.front().word)));
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
