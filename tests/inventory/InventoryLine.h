// A simulated line of motors for the inventory tests, and how a run's
// findings are written down to compare them.
#pragma once

#include "LineInventory.h"
#include "MotorSim.h"

#include <QSignalSpy>
#include <QStringList>

#include <algorithm>

struct MotorAt {
    int id;
    quint16 channels;
    int position = -1; // -1: the motor does not know where it is
    int baudCode = -1; // -1: the line's
};

inline quint16 mask(std::initializer_list<int> channels)
{
    quint16 m = 0;
    for (int c : channels)
        m |= quint16(1u << (c - 1));
    return m;
}

inline LineInventory::Scope scope(int firstId, int lastId, QList<int> channels)
{
    LineInventory::Scope s;
    s.firstId = firstId;
    s.lastId = lastId;
    s.channels = channels;
    return s;
}

inline void putOnLine(MotorSim &sim, const QList<MotorAt> &motors)
{
    for (const MotorAt &m : motors) {
        Motor &motor = sim.bus().addMotor(m.id, m.channels);
        motor.positionKnown = m.position >= 0;
        motor.baudCode = m.baudCode;
        motor.position = std::max(m.position, 0);
    }
}

// "id:mask@rate position[ collision]", sorted.
inline QStringList described(const QList<LineInventory::Entry> &entries)
{
    QStringList out;
    for (const LineInventory::Entry &e : entries)
        out << QStringLiteral("%1:%2@%3 %4%5")
                   .arg(e.id)
                   .arg(e.channels.word(), 4, 16, QLatin1Char('0'))
                   .arg(e.rate)
                   .arg(e.position ? QString::number(*e.position) : QStringLiteral("?"))
                   .arg(e.collision ? QStringLiteral(" collision") : QString());
    out.sort();
    return out;
}

// Frames the bus received with this ID and function (and channel, for a
// status poll).
inline int framesTo(const MotorSim &sim, int id, Byte function, int channel = 0)
{
    return int(std::count_if(sim.frames().cbegin(), sim.frames().cend(), [&](const MotorBus::ReceivedFrame &f) {
        const auto &b = f.bytes;
        const quint16 word = quint16(Byte(b[Frame::Mask0]) | Byte(b[Frame::Mask1]) << 8);
        return Byte(b[Frame::Id]) == id && Byte(b[Frame::Function]) == function
            && (channel == 0 || word == quint16(1u << (channel - 1)));
    }));
}

// Runs the inventory on an open link to the end and counts the ticks and
// frames it took, from start to finished.
struct InventoryRun {
    bool complete = false;
    int ticks = 0;
    int frames = 0;
};

inline InventoryRun runToEnd(MotorLink &link, LineInventory &inventory, const LineInventory::Scope &s,
                             int waitMs = 120000)
{
    InventoryRun run;
    QSignalSpy finished(&inventory, &LineInventory::finished);
    QSignalSpy ticks(&link, &MotorLink::ticked);
    QSignalSpy frames(&link, &MotorLink::frameSent);
    if (!inventory.start(s) || !finished.wait(waitMs))
        return run;
    run.complete = finished.first().first().toBool();
    run.ticks = int(ticks.size());
    run.frames = int(frames.size());
    return run;
}
