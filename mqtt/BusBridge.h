// One bus between the line and the broker: opens its port (again every 5 s
// while it is gone), hands commands to the scheduler and publishes what the
// answers say about each cover, only when it changed.  A bus with discover
// also scans its line and keeps what it found (BusInventory); the covers
// found follow the configured ones.
#pragma once

#include "BusInventory.h"
#include "BusLink.h"
#include "BusScheduler.h"
#include "BusSettings.h"

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class BusBridge : public QObject {
    Q_OBJECT
public:
    static constexpr int ReopenMs = 5000;
    static constexpr int AttributesRefreshMs = 60000;
    using Publisher = std::function<void(const QString &topic, const QByteArray &payload)>; // retained

    BusBridge(const BusConfig &bus, const QString &baseTopic, Publisher publish, bool verbose,
              QObject *parent = nullptr);

    const QString &name() const { return m_bus.name; }
    void start();
    // false: no such cover or group on this bus.
    bool command(const Command &command);
    // Everything again (after a connection or Home Assistant's birth).
    void publishAll();
    // The bus and every cover unavailable (the bridge is stopping), through publish.
    void publishOffline(const Publisher &publish);

    // A discovering bus: the inventory retained by an earlier run (the first one counts).
    bool discovers() const { return m_bus.discover; }
    bool hasInventory() const { return m_inventory.has_value(); }
    void restoreInventory(const BusInventory &inventory);
    // Scans the line now, or once its port is open; the text says why not (empty: started or wanted).
    QString requestScan();
    bool scanning() const { return m_link.scanning() || m_scanWanted; }
    // The covers the inventory makes beside the configured ones.
    QList<CoverConfig> foundCovers() const;
    // A found cover deleted in Home Assistant: dropped and never made again.
    void ignore(int id, int channel);

    // A bus with settings: its motors' settings as entities (see BusSettings).
    void enableSettings(BusSettings::Names names, BusSettings::Publisher publish);
    bool hasSettings() const { return m_settings != nullptr; }
    // A message on one of its motors' settings topics; false when it is none.
    bool settingsMessage(const QString &topic, const QByteArray &payload, bool retained);
    QList<DiscoveryMessage> settingsDiscovery() const;

signals:
    // The found covers changed: the discovery configs are to be announced again.
    void coversChanged();
    // A motor's settings device changed: to be announced again.
    void settingsDiscoveryChanged();
    void scanEnded(bool complete, int motors);
    void inventoryEvent(const BusInventory::Event &event);

private:
    void tryOpen();
    void onPortLost(const QString &reason);
    void onAnswer(const MotorTarget &from, int percent, quint8 status);
    void publishCover(int i, bool force);
    void publishChanges();
    void logAvailability(int i, bool online);
    void onScanFinished(const QList<LineInventory::Entry> &found, bool complete);
    void applyInventory(bool afterScan);
    void publishProblem();
    void updateSettingsMotors();
    void addCoverState(const CoverConfig &cover);
    void removeCoverState(int i);

    BusConfig m_bus;
    QString m_base;
    Publisher m_publish;
    bool m_verbose;
    BusScheduler m_scheduler;
    BusLink m_link;
    QTimer m_reopen;
    bool m_portOpen = false;
    QString m_lastOpenError;
    QList<std::optional<CoverView>> m_published;
    QList<QDateTime> m_lastAnswer;
    QList<QDateTime> m_attributesSent;
    QList<bool> m_offlineLogged; // a line of its own said this cover went offline (or it never answered yet)
    bool m_silenceLogged = false; // one line said the whole bus went silent
    std::optional<BusInventory> m_inventory;
    bool m_scanWanted = false; // a scan waits for the port
    std::unique_ptr<BusSettings> m_settings;
    bool m_pollDue = false; // a settings request just went to the link: a poll before the next one
};
