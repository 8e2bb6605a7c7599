// A motor's settings as Home Assistant entities, made from the settings
// table: a number for a setting with a unit, a select for one of named
// values or a mode (a number without a unit), a switch per curtain
// function, and diagnostic sensors for the ID, the channels and the line
// rate (writing those changes who the motor is or the rate it speaks, so
// they stay with the window and tavik-cli).  One device-based discovery
// config per motor carries them all.
#pragma once

#include "Discovery.h"
#include "LinkRequests.h"
#include "SettingsTable.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace SettingsEntities {

struct Entity {
    QString key; // stable: a setting's machine name, a curtain function's, or "id" / "channels"
    QString platform; // number, select, switch or sensor
    const Settings::Row *row = nullptr;
    const Settings::CurtainFunction *function = nullptr; // a switch's bit
    bool writable() const { return platform != QLatin1String("sensor"); }
};
const QList<Entity> &entities();
const Entity *entity(const QString &key);

// What the reads told of one motor: the basic and extended reports.
struct Known {
    MotorTarget motor;
    SettingValues values;
    bool basic = false;
    bool extended = false;
    bool has(const Settings::Row &row) const { return row.readBack == Settings::ReadBack::Basic ? basic : extended; }
};
// Every entity's value the reads carried, as the entities read them.
QJsonObject state(const Known &known);
// The values a read brought, taken into known (the others stay).
void take(Known &known, const ReadResult &read);

// A command's payload as the setting and byte to write, or why it is none.
using Write = std::pair<Settings::Item, Byte>;
std::variant<Write, QString> parseWrite(const Entity &entity, const QByteArray &payload, const Known &known);

// A write's result in words: "confirmed", "no_answer", "other_value",
// "refused" or "canceled", and for a refusal its reason.
QString outcomeWord(const WriteResult &result);
QString refusalWord(WriteResult::Refusal refusal);
QStringList outcomeWords();

struct MotorDevice {
    QString base, bus, prefix, version;
    int id = 0;
    bool shared = false; // several motors answer on its ID: a problem sensor instead of settings
};
// The motor's one retained device config with its components.
DiscoveryMessage discovery(const MotorDevice &motor);

} // namespace SettingsEntities
