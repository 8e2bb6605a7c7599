// The configuration the bridge's unit tests start from, and a parse that
// must succeed.
#pragma once

#include "Config.h"

#include <QByteArray>
#include <QtGlobal>

inline const QByteArray goodConfig = R"(mqtt:
  host: 127.0.0.1
  username: tavik
buses:
  - name: bus1
    port: /dev/ttyUSB0
    baud: 9600
    covers:
      - { id: 12, channel: 3, name: Living room curtain }
      - { id: 1, channel: 1, invert: true }
    groups:
      - { name: Channel 3 everywhere, id: 0, channels: [3] }
)";

inline Config parsed(const QByteArray &yaml)
{
    const ConfigResult r = parseConfig(yaml, u"c.yaml"_qs, {}, u"host"_qs);
    if (!r.config)
        qFatal("%s", qPrintable(r.error));
    return *r.config;
}
