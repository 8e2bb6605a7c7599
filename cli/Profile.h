// A motor's settings as a JSON object: what `read --json` prints and what
// `apply` takes.  A profile names its format and version; every setting is
// optional, and anything else (unknown keys, wrong types, values out of
// range, broken JSON, a file too large to be one) is rejected with a message
// naming the field.
#pragma once

#include "SettingNames.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>

struct Profile {
    QList<Change> changes; // in the table's order
};

inline constexpr qint64 MaxProfileBytes = 64 * 1024;

bool readProfile(const QByteArray &bytes, Profile &out, QString &error);
// The profile of a motor that reported these values.
QJsonObject writeProfile(const SettingValues &values, const MotorTarget &reported);
