#include "BusInventory.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using Spot = BusInventory::Spot;

// The lists of the JSON text, one table for both ways.
struct ListField {
    const char *key;
    QList<Spot> BusInventory::*list;
};
constexpr ListField Lists[] = {
    {"motors", &BusInventory::motors},         {"missing", &BusInventory::missing},
    {"collisions", &BusInventory::collisions}, {"other_rate", &BusInventory::otherRate},
    {"ignored", &BusInventory::ignored},
};

QList<Spot> spots(const LineInventory::Entry &e)
{
    QList<Spot> out;
    for (int ch = 1; ch <= MotorSettings::ChannelCount; ++ch)
        if (e.channels.channel(ch))
            out.append({e.id, ch, e.rate});
    return out;
}

} // namespace

QByteArray BusInventory::toJson() const
{
    QJsonObject o {{u"rate"_qs, rate}, {u"scanned"_qs, scanned}};
    for (const ListField &f : Lists) {
        QJsonArray a;
        for (const Spot &s : this->*f.list)
            a.append(QJsonObject {{u"id"_qs, s.id}, {u"channel"_qs, s.channel}, {u"rate"_qs, s.rate}});
        o.insert(QLatin1String(f.key), a);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<BusInventory> BusInventory::fromJson(const QByteArray &json)
{
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    if (!o.value(u"rate"_qs).isDouble() || !o.value(u"motors"_qs).isArray())
        return std::nullopt;
    BusInventory inv;
    inv.rate = o.value(u"rate"_qs).toInt();
    inv.scanned = o.value(u"scanned"_qs).toString();
    for (const ListField &f : Lists)
        for (const QJsonValue &v : o.value(QLatin1String(f.key)).toArray()) {
            const Spot s {v[u"id"_qs].toInt(), v[u"channel"_qs].toInt(), v[u"rate"_qs].toInt()};
            if (s.id < 1 || s.id > MotorSettings::MaxId || s.channel < 1 || s.channel > MotorSettings::ChannelCount)
                return std::nullopt;
            (inv.*f.list).append(s);
        }
    return inv;
}

BusInventory BusInventory::afterScan(const QList<LineInventory::Entry> &found, int busRate, QList<Event> *events) const
{
    BusInventory next;
    next.rate = busRate;
    next.ignored = ignored;
    next.motors = motors;
    next.scanned = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
    QList<Spot> heard;
    for (const LineInventory::Entry &e : found)
        for (const Spot &s : spots(e)) {
            QList<Spot> &list = e.collision ? next.collisions : e.rate != busRate ? next.otherRate : heard;
            if (!list.contains(s))
                list.append(s);
        }
    const auto tell = [events](const char *type, const QList<Spot> &now, const QList<Spot> &before) {
        for (const Spot &s : now)
            if (!before.contains(s))
                events->append({QLatin1String(type), s});
    };
    QList<Spot> fresh;
    for (const Spot &s : std::as_const(heard))
        if (!ignored.contains(s) && !motors.contains(s))
            fresh.append(s);
    next.motors += fresh;
    for (const Spot &s : std::as_const(next.motors))
        if (!heard.contains(s))
            next.missing.append(s);
    tell("motor_found", fresh, {});
    tell("motor_missing", next.missing, missing);
    tell("collision", next.collisions, collisions);
    tell("other_rate", next.otherRate, otherRate);
    return next;
}

QList<CoverConfig> BusInventory::covers(const BusConfig &bus) const
{
    QList<CoverConfig> out;
    for (const Spot &s : motors) {
        const bool configured = std::any_of(bus.covers.begin(), bus.covers.end(), [&](const CoverConfig &c) {
            return c.id == s.id && c.channel == s.channel;
        });
        if (configured || ignored.contains(s))
            continue;
        CoverConfig c;
        c.id = s.id;
        c.channel = s.channel;
        c.name = foundCoverName(s.id, s.channel);
        out.append(c);
    }
    return out;
}
