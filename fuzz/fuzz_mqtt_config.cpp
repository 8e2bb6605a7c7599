// The bridge's configuration loader on any bytes: no crash and no escaping
// exception; a rejection names the file and a line; an accepted configuration
// holds only values in range and announces itself in valid JSON.
#include "Config.h"
#include "Discovery.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray yaml(reinterpret_cast<const char *>(data), qsizetype(size));
    const ConfigResult r = parseConfig(yaml, QStringLiteral("f.yaml"), {}, QStringLiteral("host"));
    if (!r.config) {
        static const QRegularExpression located(QStringLiteral("^f\\.yaml:\\d+: ."));
        if (!located.match(r.error).hasMatch())
            std::abort();
        return 0;
    }
    QSet<QString> ports;
    for (const BusConfig &bus : r.config->buses) {
        if (ports.contains(bus.port) || (bus.baudCode && (*bus.baudCode < 0 || *bus.baudCode > 4)))
            std::abort();
        ports.insert(bus.port);
        QSet<int> covers;
        for (const CoverConfig &c : bus.covers) {
            if (c.id < 1 || c.id > 99 || c.channel < 1 || c.channel > 16 || c.name.isEmpty()
                || covers.contains(c.id * 100 + c.channel))
                std::abort();
            covers.insert(c.id * 100 + c.channel);
        }
    }
    for (const DiscoveryMessage &m : discoveryMessages(*r.config, QStringLiteral("0")))
        if (!QJsonDocument::fromJson(m.payload).isObject())
            std::abort();
    return 0;
}
