// Topic names, the commands read from them, and the two ways of counting a
// position: the motor counts percent from open (0) to closed (100), a home
// automation system from closed (0) to open (100).
#pragma once

#include "MotorTarget.h"

#include <QByteArray>
#include <QString>

#include <variant>

namespace Topics {

QString bridgeState(const QString &base);
// The running bridge's retained record (host, process, start) and its ping.
QString bridgeInstance(const QString &base);
QString pingRequest(const QString &base);
QString pingResponse(const QString &base);
QString busState(const QString &base, const QString &bus);
// A discovering bus: what it found (retained), its "Scan line" button's
// command, its scan's progress and its problem sensor; the bridge's scan
// request and answer, and its events.
QString busInventory(const QString &base, const QString &bus);
QString busScan(const QString &base, const QString &bus);
QString busScanProgress(const QString &base, const QString &bus);
QString busProblem(const QString &base, const QString &bus);
QString scanRequest(const QString &base);
QString scanResponse(const QString &base);
QString bridgeEvent(const QString &base);
// The bus's own device (its scan button, progress and problem sensor).
QString busObjectId(const QString &base, const QString &bus);
// "B/bus/m12/c3", the folder of one cover's topics.
QString coverPath(const QString &base, const QString &bus, int id, int channel);
// "B/bus/m12", the folder of one motor's settings topics (ID, not channel).
QString motorPath(const QString &base, const QString &bus, int id);
// "tavik_bus_m12": the motor's own device (its settings), beside its covers.
QString motorObjectId(const QString &base, const QString &bus, int id);
// "B/bus/g0-0001", the folder of a group's command topic.
QString groupPath(const QString &base, const QString &bus, int id, quint16 mask);
// What every unique ID and discovery object ID of the bridge on this base
// topic starts with: "tavik" on the default base topic, else "tavik-" and
// the base topic written with [A-Za-z0-9-] only, so that two bridges on one
// broker never share an ID, whatever their bus names.
QString objectIdPrefix(const QString &base);
// "tavik_bus_m12_c3": unique ID and discovery object ID of a cover.
QString coverObjectId(const QString &base, const QString &bus, int id, int channel);
QString groupObjectId(const QString &base, const QString &bus, int id, quint16 mask);
// The bridge's own device and its connectivity sensor.
QString bridgeObjectId(const QString &base);

// Published position of a motor percent, and the motor percent of a
// requested position; invert flips both.
inline int haPosition(int motorPercent, bool invert)
{
    return invert ? motorPercent : 100 - motorPercent;
}
inline int motorPercent(int haPosition, bool invert)
{
    return invert ? haPosition : 100 - haPosition;
}

} // namespace Topics

struct Command {
    enum Action { Open, Close, Stop, SetPosition, Limit };
    QString bus;
    bool group = false;
    // A cover's motor and its one channel, or a group's ID (0: every motor)
    // and channels, as the topic names them.
    MotorTarget target;
    Action action = Stop;
    int value = 0; // SetPosition: 0..100; Limit: 1..4
};

// Reads a command from one of the subscribed topics under base; the text
// says why a message is not one.  Whether the cover exists is the caller's.
std::variant<Command, QString> parseCommand(const QString &base, const QString &topic, const QByteArray &payload);
