// The one place the daemon touches the motor link: opens and closes a bus's
// port and paces the line on its own precise timer, at the link's tick.  On
// every tick it asks for work (a command, sent on two ticks to the same
// target, or one status poll) and reports each status answer with the ID and
// channels the answer itself names.
#pragma once

#include "BusScheduler.h"
#include "LineInventory.h"
#include "LinkReports.h"
#include "LinkRequests.h"
#include "MotorLink.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class BusLink : public QObject {
    Q_OBJECT
public:
    explicit BusLink(QObject *parent = nullptr);
    ~BusLink() override;

    // Opens the port at the baud code's rate, or runs the baud scan first when
    // there is none, its reads going to scanId on scanMask (one motor, not
    // the whole bus at once); false (with the reason) if it did not open.
    bool open(const QString &port, std::optional<int> baudCode, const MotorTarget &scanTarget, QString *error);
    void close();
    bool isOpen() const;

    // Searches the whole line for motors (every rate, so that motors at
    // another rate are told too); meanwhile no work is asked for, so no
    // cover is polled.  false when the port is not open or a scan runs.
    bool startScan();
    bool scanning() const { return m_inventory && m_inventory->running(); }
    int rate() const;

    // Asked once per tick; canSend is false while the line is still busy
    // with a frame.  While a settings request is under way between its
    // frames, commandsOnly: a waiting command goes out, a poll would not.
    using WorkSource = std::function<BusWork(bool canSend, bool commandsOnly)>;
    void setWorkSource(WorkSource source) { m_workSource = std::move(source); }

    // A settings read or write of one motor, handed to the link: readDone
    // and writeDone give the result.  idle: no frame waits and no job or
    // request is under way, so a request would start on the next tick.
    void read(const NamedRead &request) { m_link->read(request); }
    void write(const NamedWrite &request) { m_link->write(request); }
    bool idle() const { return m_link->isIdle(); }

    // Why a port did not open, in the daemon's words: the cause, and what to do.
    static QString openFailureText(const QString &serialText, MotorLink::PortCause cause, const DeviceAccess &device);

signals:
    void statusAnswer(const MotorTarget &from, int percent, quint8 status);
    void scanProgress(int percent);
    // What the scan found; complete when every ID was asked at every rate that answered.
    void scanFinished(const QList<LineInventory::Entry> &found, bool complete);
    void portLost(const QString &reason);
    void readDone(const ReadResult &result);
    void writeDone(const WriteResult &result);
    void frameSent(const QByteArray &bytes);
    void frameReceived(const QByteArray &bytes);

private:
    void onTick();
    void onStatusAnswer(const StatusReport &report);

    std::unique_ptr<MotorLink> m_link;
    std::unique_ptr<LineInventory> m_inventory;
    QTimer m_tick;
    WorkSource m_workSource;
};
