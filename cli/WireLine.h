// `tavik-cli monitor`: one line per thing that happens on the wire, with the
// time since the port was opened, the direction, the bytes in hex and their
// meaning (from FrameText, the one place the wire is put into words).
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

struct WireLine {
    enum class Direction { Sent, Received, Discarded, Port };

    qint64 ms = 0;
    Direction direction = Direction::Sent;
    QByteArray bytes; // none for a port event or a flood
    QString meaning;

    // An aligned line for people.
    QString text() const;
    // {"time_ms":…, "direction":"sent", "bytes":"9A …", "meaning":"…"}; no
    // "bytes" for a port event.
    QJsonObject json() const;
};
