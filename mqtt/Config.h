// The daemon's configuration: the broker, and per bus its port and covers.
// Loaded from YAML; every error names the file and the line it is on.
#pragma once

#include "MotorTarget.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

struct CoverConfig {
    int id = 1; // motor ID 1..99
    int channel = 1; // 1..16
    QString name; // never empty after loading
    bool invert = false; // mounted the other way: open and close swap
};

// A command-only cover addressing several motors or channels at once.
struct GroupConfig {
    QString name;
    MotorTarget target; // ID 0 = every motor ID
};

struct BusConfig {
    QString name;
    QString port;
    std::optional<int> baudCode; // 0..4; none = scan for the rate
    QList<CoverConfig> covers;
    QList<GroupConfig> groups;
    bool discover = false; // the bridge finds the bus's motors and makes covers of them
    bool settings = false; // each motor alone on its ID gets its settings as Home Assistant entities
};

struct MqttConfig {
    QString host = QStringLiteral("localhost");
    int port = 1883;
    QString username;
    QString password;
    bool tls = false;
    QString caFile, certFile, keyFile;
    QString clientId;
    int keepaliveS = 30; // 5..3600 s; also how long the broker has to answer a connect (at most 10 s)
    QString baseTopic = QStringLiteral("tavik");
    QString discoveryPrefix = QStringLiteral("homeassistant");
    bool discovery = true;
};

struct Config {
    MqttConfig mqtt;
    QList<BusConfig> buses;
};

// The name of a cover the configuration does not name.
QString defaultCoverName(const QString &bus, int id, int channel);
// A cover the bridge found on its own is named by its motor and channel alone.
QString foundCoverName(int id, int channel);

struct ConfigResult {
    std::optional<Config> config;
    QString error; // "FILE:LINE: what is wrong" when config is empty
};

// envPassword stands in for TAVIK_MQTT_PASSWORD; hostName gives the default client ID.
ConfigResult parseConfig(const QByteArray &yaml, const QString &fileName, const QString &envPassword,
                         const QString &hostName);
ConfigResult loadConfig(const QString &path);
