// MotorLink: the conversation with the motor bus, free of windows.
//
// It owns the serial line, the transmit timer (TickMs), the transmit tick and
// the answer handling.  Callers state intents (open a port, choose a target,
// send a motor command, read or write a setting, poll or not); everything the
// bus says comes back as signals in device units (percent, status bits,
// report values), emitted on the one thread, so a window, a command-line tool
// or a bridge only listens and asks.  Connect with direct connections: the
// order in which the signals arrive is part of the behaviour (a report is
// stored before it is shown, the reported ID is selected before the channels
// are drawn).
#pragma once

#include "DeviceAccess.h"
#include "Frames.h"
#include "LinkJob.h"
#include "LinkReports.h"
#include "MotorSettings.h"
#include "MotorTarget.h"
#include "SerialLine.h"
#include "WrittenSettings.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class TransmitTick;
class ResponseHandler;

class MotorLink : public QObject {
    Q_OBJECT
public:
    // The transmit tick's period: at most one frame goes out per tick.
    static constexpr int TickMs = 150;

    explicit MotorLink(QObject *parent = nullptr);
    ~MotorLink() override;

    SerialLine &serial() { return m_serial; }
    const SerialLine &serial() const { return m_serial; }
    // Not started here: the owner starts it when it is ready for ticks.
    QTimer &tickTimer() { return m_timer; }
    // Milliseconds since a port was last chosen and opened, the time every
    // view of the wire counts from; a scan's reopening at another rate does
    // not restart it.  0 before the first opening.
    qint64 msSincePortOpened() const { return m_portOpened.isValid() ? m_portOpened.elapsed() : 0; }

    // --- the port ----------------------------------------------------------
    // The name is opened as it stands at the rate of the motor's baud code
    // and, with scan, a baud scan starts.  Work under way on the previous
    // port is dropped and that port closed first.  false (after portError)
    // when the port did not open.
    bool choosePort(const QString &name, bool scan = true);
    // Drops the work under way and closes the port (a Closed port event if
    // it was open); no port is chosen until the next choosePort.
    void closePort();
    // Reopens the open port at another rate; false (after portError) when it
    // did not open again.
    bool reopenAt(int rate);
    // A port was chosen, not closed since, and is open.
    bool portUsable() const;

    // --- whom frames are for -------------------------------------------------
    // Every frame takes the target current when it is sent, not when it was
    // asked for.  Choosing an ID alone keeps the channels last chosen for it.
    void setTarget(const MotorTarget &target);
    void chooseId(int id);
    void setChannels(const ChannelMask &channels);
    MotorTarget target() const { return {m_targetId, m_channels[m_targetId]}; }
    // The channels last chosen for group control (0) and each ID.
    const ChannelMemory &channelMemory() const { return m_channels; }

    // --- what the link does on a free tick ---------------------------------
    // Status polls go to the target on every tick with nothing else to do,
    // while polling is on and the target is one motor on one channel.
    void setStatusPolling(bool on) { m_statusPolling = on; }
    bool statusPolling() const { return m_statusPolling; }
    // Nothing to send and no read, scan or write under way.
    bool isIdle() const;
    bool isScanning() const { return std::holds_alternative<LinkJob::BaudScan>(m_job); }
    // The job under way and the frame waiting to go out (its function and
    // data, and how often it went out already), for tests and tools that
    // watch the link at work.
    const Job &job() const { return m_job; }
    struct Outgoing {
        Byte function = 0;
        Byte data = 0;
        int sent = 0;
    };
    const std::optional<Outgoing> &outgoing() const { return m_outgoing; }

    // --- motor commands ------------------------------------------------------
    // Function 0A (up, stop, down, learn, delete, limit point 1..4) or DD (run
    // to a percentage), sent twice on the next ticks.  A command asked for
    // between the two sends of another goes out once.
    void sendMotorCommand(Byte function, Byte data);
    // The slider's target: while it is pending, status answers do not move
    // the pointer; it ends when the motor gets there or stops saying it is on
    // its way, but not while the user still holds the pointer.
    void holdPositionTarget() { m_position.pending = m_position.dragging = true; }
    void letGoOfPositionTarget() { m_position.dragging = false; }
    void dropPositionTarget() { m_position.pending = m_position.dragging = false; }
    // Where the pointer stands, in percent; it counts while a target is pending.
    void setPositionTargetPercent(int percent) { m_position.percent = percent; }
    bool positionTargetPending() const { return m_position.pending; }
    int positionTargetPercent() const { return m_position.percent; }
    // The status byte of the last status or extended answer (0 after six
    // silent ticks): position known, limit points stored.
    Byte deviceStatus() const { return m_deviceStatus; }

    // --- settings --------------------------------------------------------------
    // A full settings read: the baud scan, then the basic and extended
    // reports; announceEnd asks for settingsReadScanEnded when the scan ends.
    void startSettingsRead(bool announceEnd);
    // The one who asked no longer wants to hear when the scan ends.
    void silenceSettingsReadEnd();
    // One read of the basic (CA) or extended (CB) settings at the current rate.
    void readSettings(Byte readFunction);
    // The extended read a scan leads to: asked for after a basic read at a
    // known rate, or left out by a caller that does not need it.
    void queueExtendedRead();
    void skipExtendedRead();
    // The motor's settings as last reported, and as the settings windows
    // edit them before a write.
    FeatureValues &motorSettings() { return m_settings; }
    const FeatureValues &motorSettings() const { return m_settings; }
    // A setting write with its read-back: the value comes from
    // motorSettings(); the ID write sends the current target.
    void writeSetting(Settings::Item item);

    // One transmit tick / one receive event now (the timer and the serial
    // line run them by themselves).  Serial errors come back as serialError.
    void tick();
    void receive();

    // Answers acted on since the start (for measuring the receive path).
    quint64 framesUnderstood() const;
    // Does an answer from this sender count for the frame last sent?  Same
    // ID unless the frame went to ID 0; a status poll's or a motor command's
    // channels among the answer's.  Before any frame, the current target.
    bool isFromAddressed(const MotorTarget &sender) const;

    // The parts, for tests that drive one of them directly.
    TransmitTick &transmitTick() { return *m_tick; }
    ResponseHandler &responses() { return *m_responses; }

    // Why an open failed: the serial device's own reasons.
    using PortCause = SerialLine::OpenFailure;
    // The kinds of port event a bus monitor shows.
    enum class PortEvent { Opened, Reopened, Closed, Lost };
    Q_ENUM(PortEvent)
    // Why received bytes were not understood.
    enum class Discard { Noise, BadCheck, CutOff, Flood };
    Q_ENUM(Discard)

signals:
    // --- the motor --------------------------------------------------------
    // A valid answer came from this motor and channels (its ID may lie
    // outside 1..99); the signals it leads to follow.
    void answerFrom(const MotorTarget &sender);
    // Every status answer, from whichever motor sent it; only one from the
    // motor addressed (fromAddressed) moves the position and leads to the
    // signals below.
    void statusAnswer(const StatusReport &report);
    // A status answer with a position.  targetPending: the slider's target
    // was still pending when it arrived, so the pointer stays put.
    void positionReported(int percent, bool targetPending);
    // A status answer without a position, or six silent ticks.
    void positionUnknown();
    // The status byte of a status or extended answer (0 after six silent
    // ticks).  A basic settings answer carries the curtain functions there
    // instead and leaves it alone.
    void statusReported(Byte status);
    // A basic (CA) or extended (CB) answer of the motor addressed was
    // stored in motorSettings().
    void basicReport(const SettingsReport &report);
    void extendedReport(const SettingsReport &report);
    // A scan ended with this ID; the target follows it after this signal
    // (listeners select it in their ID lists first).
    void reportedId(int id);
    void reportedIdOutOfRange(int id);
    // The reported ID's channels are now the target's.
    void reportedChannels();
    // A scan started by startSettingsRead(true) has ended, found or not.
    void settingsReadScanEnded();
    void writeConfirmed(Settings::Item item);
    void writeFailed(Settings::Item item);

    // --- the port ---------------------------------------------------------
    // An open that was asked for failed: the serial line's exact text, the
    // cause, and who may open the device (for the advice a client words).
    void portError(const QString &serialText, MotorLink::PortCause cause, const DeviceAccess &device);
    void portLost(const QString &portName, const QString &reason);
    // A serial error raised by a tick or a read (the serial line's text).
    void serialError(const QString &text);

    // --- the wire, for a bus monitor --------------------------------------
    void frameSent(const QByteArray &bytes);
    void frameReceived(const QByteArray &bytes);
    // count is bytes.size(), except for a flood, which is not read at all.
    void bytesDiscarded(const QByteArray &bytes, MotorLink::Discard why, qint64 count);
    void portEvent(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond);

private:
    friend class TransmitTick;
    friend class ResponseHandler;

    // The slider's target while the motor runs to it.
    struct PositionTarget {
        bool pending = false;
        bool dragging = false;
        int percent = 0;
        int settleCount = 0; // answers without "on its way" since it was set
    };

    void stage(Byte function, Byte data, bool restartPair);
    // The sequence every rate change uses: close, settings, open.
    void reopenPort(int rate, PortEvent event = PortEvent::Reopened);
    bool reopenOrReport(int rate, PortEvent event);
    // A half-sent command, a scan, an extended read, a baud change and a
    // read-back belong to the port they began on.
    void dropWorkUnderWay();
    // The scan is over: the next job, and settingsReadScanEnded if it was asked for.
    void endScan(Job next);
    void onPortLost(const QString &portName, const QString &reason);

    SerialLine m_serial;
    QTimer m_timer;
    std::unique_ptr<TransmitTick> m_tick;
    std::unique_ptr<ResponseHandler> m_responses;

    bool m_portChosen = false; // chosen and not closed since
    int m_targetId = 0;
    ChannelMemory m_channels;
    bool m_statusPolling = true;
    std::optional<Outgoing> m_outgoing;
    // Whom the last frame sent went to, and its function: the motor whose
    // answers count.
    struct Addressed {
        MotorTarget target;
        Byte function = 0;
    };
    std::optional<Addressed> m_addressed;
    Job m_job;
    PositionTarget m_position;
    Byte m_deviceStatus = 0;
    bool m_answerSeen = false; // since the last tick
    int m_silentTicks = 0;
    FeatureValues m_settings;
    QElapsedTimer m_portOpened;
};
