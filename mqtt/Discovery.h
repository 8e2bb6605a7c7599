// Home Assistant's MQTT discovery: one retained config message per cover,
// per limit-point button and per group, each valid for its platform's schema.
#pragma once

#include "Config.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

struct DiscoveryMessage {
    QString topic;
    QByteArray payload; // compact JSON
};

// Who announces: the bridge and its version, in every config.
QJsonObject discoveryOrigin(const QString &version);

// Every config message the configuration announces.
QList<DiscoveryMessage> discoveryMessages(const Config &config, const QString &version);

// A retained config found under the prefix belongs to this bridge (same base
// topic) but to no configured cover or group: it is to be cleared.
bool isStaleDiscovery(const Config &config, const QString &topic, const QByteArray &payload,
                      const QList<DiscoveryMessage> &current);
