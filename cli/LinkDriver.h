// The one place tavik-cli drives the motor link: everything else in cli/
// speaks to the link through these intent-level calls and signals, in the
// command line's own types (Change, WireLine) and the link's MotorTarget.
#pragma once

#include "MotorLink.h"
#include "SettingNames.h"
#include "WireLine.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class LinkDriver : public QObject {
    Q_OBJECT
public:
    // Why received bytes were not a valid answer.
    using Discard = MotorLink::Discard;
    // Why a port did not open.
    using OpenCause = MotorLink::PortCause;
    // Why an ID write that asked the line first was not sent.
    using IdWriteRefusal = MotorLink::IdWriteRefusal;

    explicit LinkDriver(QObject *parent = nullptr);
    ~LinkDriver() override;

    // Opens the port at the baud code, or (code < 0) scans the rates with
    // reads addressed to target().  false after openFailed.
    bool open(const QString &port, int baudCode);
    // Scans the rates again on the open port.
    void scan();
    bool scanning() const;
    // Reopens the open port at this rate; false after openFailed.
    bool reopenAt(int bps);
    // The port's current line rate in bits per second.
    int rateBps() const;
    qint64 msSinceOpened() const;
    // Who may open the device of the last failed open.
    const DeviceAccess &lastOpenDevice() const;

    void setTarget(const MotorTarget &target);
    MotorTarget target() const;
    // Status polls of target() between other frames.
    void setStatusPolling(bool on);

    // A settings read of the motor the request names, queued behind the
    // work under way; its result comes as readDone.
    void read(const NamedRead &request);
    // A scan reads the extended settings after its basic report: not wanted here.
    void dropExtendedRead();
    // The link's own record of the motor's settings (the baud code it opens at).
    SettingValues values() const;
    // A setting written to the motor named, its value applied to the
    // motor's current values (asked first unless forced; the result comes as
    // writeDone), or the ID write (to the new target; but for force-id it
    // asks the line first with a group read), whose result comes as
    // writeConfirmed / writeFailed / idWriteRefused.
    void write(const Change &change, const SettingValues &current, const MotorTarget &motor, bool force);
    // A frame of the staged write has gone out.
    bool writeWentOut() const { return m_writeOut; }
    void sendCommand(Byte function, Byte data);
    // No more ticks: nothing further is sent.
    void halt();

signals:
    void ticked();
    // Every event on the wire, in words, as monitor and the log show it.
    void wire(const WireLine &line);
    void discarded(LinkDriver::Discard why, qint64 count);
    void frameSent(Byte function, Byte data);
    // A scan's basic report (reads by name give theirs with readDone),
    // told once the link is done with the answers that brought it.
    void basicReport(const SettingValues &values, const MotorTarget &reported);
    void readDone(const ReadResult &result);
    void writeDone(const WriteResult &result);
    // A baud scan has ended (its report, if any, is told after this).
    void scanEnded();
    void writeConfirmed(Settings::Item item);
    void writeFailed(Settings::Item item);
    // The ID write was not sent: the line's answers to the group read said
    // that not exactly one motor is connected.
    void idWriteRefused(LinkDriver::IdWriteRefusal why);
    // A status answer, after the link has taken it: who sent it, the
    // position (UnknownPercent: unknown) and the limit points' status bits.
    void statusAnswer(const MotorTarget &from, int position, Byte status);
    void openFailed(LinkDriver::OpenCause cause, const QString &componentText);
    void portLost(const QString &reason);
    void lineError(const QString &text);

private:
    std::unique_ptr<MotorLink> m_link;
    Byte m_writeFunction = 0;
    bool m_writeOut = false;
    // Reports of the read the link is still handling.
    std::vector<std::function<void()>> m_heldReports;
};
