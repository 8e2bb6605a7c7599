// The settings a person names on the command line and in a profile: one
// table row per setting gives its name, the write that stores it, and how
// its value is read from text and printed back.  Parsing, printing, `read`,
// `set`, `apply` and the profile format all go through this table.
#pragma once

#include "TextIds.h"
#include "MotorTarget.h"
#include "SettingsTable.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <span>

struct SettingName;

// A value asked for: which setting, and what it makes of the motor's value.
struct Change {
    const SettingName *setting = nullptr;
    Byte value = 0; // the bits this change sets
    Byte keep = 0; // the bits of the motor's value that stay as they are
    MotorTarget target; // for the ID write

    Byte applied(Byte current) const { return Byte((current & keep) | value); }
};

// tavik-cli's word for a setting of the settings table, and what only the
// command line adds to it; the rest (kind, range, unit, named values,
// default) is the table's row.
struct SettingName {
    const char *name;
    Settings::Item item;
    bool inReport; // read prints it and a profile may hold it
    const char *allowed; // the allowed values as the usage shows them; null: see allowedValues()
    CliText meaning; // for --help

    const Settings::Row &row() const { return *Settings::row(item); }
    Settings::Kind kind() const { return row().kind; }
    Byte SettingValues::*field() const { return row().value; }
    // What a motor holds as delivered (-1: none).
    int defaultValue() const { return row().fallback; }

    // The value as the motor holds it (for the ID: the reported target).
    QString print(const SettingValues &v, const MotorTarget &reported) const;
    QJsonValue toJson(const SettingValues &v, const MotorTarget &reported) const;
    // Reads a value typed on the command line; on failure error names the
    // setting and the values it takes.
    bool parse(const QString &text, Change &out, QString &error) const;
    // The same from a profile: numbers for numbers, strings for words.
    bool parseJson(const QJsonValue &value, Change &out, QString &error) const;

    // The allowed values as the usage shows them: `allowed` where a row
    // spells them out, else the named values and the range, from the
    // settings table.
    QString allowedValues() const;
};

std::span<const SettingName> settingNames();
const SettingName *findSetting(const QString &name);
// "read" and "set" print these names, in this order.
QStringList settingNameList(bool withForced);

// "5:1,3", "group:all", "0:1": ID 1..99, group or 0; channels 1..16 or all.
bool parseTarget(const QString &text, MotorTarget &out, QString &error);
QString printTarget(const MotorTarget &t);
// The channels as a JSON list of numbers, as every record gives them.
QJsonArray channelArray(const ChannelMask &mask);
// One ID and one channel, as the position display needs.
bool singleMotor(const MotorTarget &t);

// A curtain function's name on the command line and in profiles: the
// table's name with hyphens ("hand-start").
QString functionName(const Settings::CurtainFunction &f);
