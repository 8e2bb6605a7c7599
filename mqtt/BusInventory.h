// What a discovering bus found on its line, kept retained at
// <base>/<bus>/inventory so that a restart needs no scan.  A motor once
// found stays (a cover that is unavailable while it is missing); a spot
// where several motors answer is never a cover; a cover deleted in Home
// Assistant is ignored from then on.
#pragma once

#include "Config.h"
#include "LineInventory.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

struct BusInventory {
    // One motor channel (or where several motors answer on it).
    struct Spot {
        int id = 0;
        int channel = 0;
        int rate = 0; // bits per second it answered at
        bool operator==(const Spot &o) const { return id == o.id && channel == o.channel; }
    };
    // What one scan changed, for the bridge's events.
    struct Event {
        QString type; // motor_found, motor_missing, collision, other_rate
        Spot spot;
    };

    int rate = 0; // the bus's rate at the last scan
    QList<Spot> motors; // found at the bus's rate, missing ones included
    QList<Spot> missing; // of the motors, those the last scan did not hear
    QList<Spot> collisions; // several motors answer on one ID and channel
    QList<Spot> otherRate; // heard at another rate than the bus's: no cover
    QList<Spot> ignored; // deleted in Home Assistant: never a cover again
    QString scanned; // when the last scan ended, ISO 8601 UTC

    QByteArray toJson() const;
    // none when the text is not an inventory.
    static std::optional<BusInventory> fromJson(const QByteArray &json);

    // The inventory after a scan at busRate found these entries, with what changed.
    BusInventory afterScan(const QList<LineInventory::Entry> &found, int busRate, QList<Event> *events) const;
    // The covers it makes beside the configured ones (a configured cover's name wins).
    QList<CoverConfig> covers(const BusConfig &bus) const;
    bool isMissing(int id, int channel) const { return missing.contains({id, channel}); }
};
