// The settings of a bus's motors as Home Assistant entities (a bus with
// settings: true).  Each motor ID of the bus's covers is read at the start
// and on its "Read settings" button; a motor that answers alone gets a
// device with its settings, one that shares its ID (or answers on other
// channels) a problem sensor that says why.  A command writes through the
// link's named write; the state is published only from reads and
// confirmed read-backs, and every write's result is the entity's
// attributes and an event.  Requests are handed to the link one at a time
// and only when no cover command waits, a poll between two of them.
#pragma once

#include "BusLink.h"
#include "Discovery.h"
#include "SettingsEntities.h"

#include <QMap>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

class BusSettings : public QObject {
    Q_OBJECT
public:
    static constexpr int RetryMs = 60000; // a motor that did not answer its read is asked again
    using Publisher = std::function<void(const QString &topic, const QByteArray &payload, bool retained)>;

    struct Names {
        QString base, bus, prefix, version; // base topic, bus, discovery prefix, the bridge's version
    };
    BusSettings(Names names, Publisher publish, BusLink &link, QObject *parent = nullptr);

    // The bus's covers: each motor ID with its covers' channels.  A new one is read.
    void setMotors(const QList<CoverConfig> &covers);
    // Every motor read again (the port just opened).
    void readAll();
    // A message on one of this bus's settings topics; false when it is none.
    // A write while the port is closed is canceled at once.
    bool onMessage(const QString &topic, const QByteArray &payload, bool retained, bool lineOpen);
    // The port is gone: the link canceled its request; the writes waiting here are canceled too.
    void portLost();
    // Hands the next request to the link; false when none waits or one is under way.
    bool startNext();
    // The device config of every motor whose standing is known.
    QList<DiscoveryMessage> discovery() const;
    void publishAll();

signals:
    // A motor's standing changed: its device config is to be announced again.
    void discoveryChanged();

private:
    enum class Standing { Unknown, Alone, Problem };
    struct Motor {
        SettingsEntities::Known known;
        Standing standing = Standing::Unknown;
        QString problem; // why it has no settings entities
    };
    struct Waiting {
        NamedRequest request;
        QString key; // the entity a write is for
    };

    void queueReads(int id);
    void onReadDone(const ReadResult &result);
    void onWriteDone(const WriteResult &result);
    // A write's end: the state shown again, the result in the entity's attributes, an event, a log line.
    void report(const WriteResult &result, const QString &key);
    void setStanding(Motor &motor, Standing standing, const QString &problem = {});
    void publishState(const Motor &motor);
    void publishProblem(const Motor &motor);
    QString path(int id) const;

    SettingsEntities::MotorDevice device(int id) const;

    Names m_names;
    Publisher m_publish;
    BusLink &m_link;
    QMap<int, Motor> m_motors;
    std::deque<Waiting> m_waiting;
    std::optional<Waiting> m_underWay;
    QTimer m_retry;
};
