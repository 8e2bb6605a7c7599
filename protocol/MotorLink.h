// MotorLink: the conversation with the motor bus, free of windows.
//
// It owns the serial line, the transmit timer (TickMs), the transmit tick and
// the answer handling.  Callers state intents (open a port, choose a target,
// send a motor command, read or write a setting, poll or not); everything the
// bus says comes back as signals in device units (percent, status bits,
// report values), emitted on the one thread, so a window, a command-line tool
// or a bridge only listens and asks.
//
// The order that remains, and why (connect with direct connections):
// - One answer gives frameReceived, answerFrom, then for a status answer
//   statusAnswer; only an answer of the motor addressed goes on to
//   basicReport / extendedReport (stored before it is announced) and
//   statusReported.  Six silent ticks give motorSilent, then statusReported.
// - answersHandled comes last, once the link is done with every answer of
//   one read: a listener that starts new work on a report waits for it.
// - ticked comes once a tick has run, after the frame it sent (frameSent).
// - A basic report that ends a scan goes on with reportedId (or
//   reportedIdOutOfRange), scanEnded, settingsReadScanEnded, and last
//   reportedChannels: the target already follows the reported ID when the
//   channels are drawn.
// - writeConfirmed and writeFailed come after the write's job has ended, so
//   a listener may start the next write at once; so does writeDone.
// - The Opened port event comes with the scan already under way when
//   choosePort was asked for one (isScanning()).
// - Listeners of one signal run in the order they connected.  Where one
//   window must act before another (a reported ID is selected in the
//   settings window's list before the main window's), one listener makes
//   both calls in order (MainWindow::listenToLink) instead.
#pragma once

#include "DeviceAccess.h"
#include "Frames.h"
#include "LinkEvents.h"
#include "LinkJob.h"
#include "LinkReports.h"
#include "LinkState.h"
#include "MotorSettings.h"
#include "MotorTarget.h"
#include "SerialLine.h"
#include "SettingsTable.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

class TransmitTick;
class ResponseHandler;

class MotorLink : public QObject, private LinkEvents {
    Q_OBJECT
public:
    // The transmit tick's period: at most one frame goes out per tick.
    static constexpr int TickMs = 150;
    // Ticks without an answer after which the motor addressed is silent:
    // every client that waits for an answer counts these.
    static constexpr int SilenceTicks = LinkState::SilenceTicks;

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
    // and, with scan, a baud scan starts (isScanning() already when the
    // Opened port event comes).  Work under way on the previous
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
    MotorTarget target() const { return m_state.target(); }
    // The channels last chosen for group control (0) and each ID.
    const ChannelMemory &channelMemory() const { return m_state.channels; }

    // --- what the link does on a free tick ---------------------------------
    // Status polls go to the target on every tick with nothing else to do,
    // while polling is on and the target is one motor on one channel.
    void setStatusPolling(bool on) { m_state.statusPolling = on; }
    bool statusPolling() const { return m_state.statusPolling; }
    // Nothing to send and no read, scan or write under way.
    bool isIdle() const;
    bool isScanning() const { return m_state.isScanning(); }
    // The job under way and the frame waiting to go out (its function and
    // data, and how often it went out already), for tests and tools that
    // watch the link at work.
    const Job &job() const { return m_state.job; }
    using Outgoing = LinkState::Outgoing;
    const std::optional<Outgoing> &outgoing() const { return m_state.outgoing; }

    // --- motor commands ------------------------------------------------------
    // Function 0A (up, stop, down, learn, delete, limit point 1..4) or DD (run
    // to a percentage), sent twice on the next ticks.  A command asked for
    // between the two sends of another goes out once.
    void sendMotorCommand(Byte function, Byte data);
    // The status byte of the last status or extended answer (0 after six
    // silent ticks): position known, limit points stored.
    Byte deviceStatus() const { return m_state.deviceStatus; }

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
    // The motor's settings as last reported or written.  Clients that edit
    // settings keep their own copy and hand a write its value.
    const SettingValues &motorSettings() const { return m_state.settings; }
    // The baud code whose rate choosePort opens at, until a report or a
    // baud write brings another.
    void setLineBaudCode(Byte code) { m_state.settings.deviceBaudCode = code; }
    // Puts back settings saved earlier, for a run that borrowed the link to
    // read other motors (the line inventory).
    void restoreMotorSettings(const SettingValues &saved) { m_state.settings = saved; }
    // A setting write with its read-back, to the target current when sent:
    // the value becomes the motor's once a read-back shows it (a baud write
    // moves the line to its rate first).  The ID write carries the current
    // target instead of a value, as writeId with IdWrite::Forced.
    void writeSetting(Settings::Item item, Byte value);
    // A write to the motor the request names, at the line's current rate,
    // queued behind the work under way: its question (unless forced), the
    // write and its read-backs; writeDone gives its result.
    void write(const NamedWrite &request);
    // A settings read of the motor the request names, queued like a named
    // write; readDone gives its result.  The values go to the one who asked,
    // not into motorSettings().
    void read(const NamedRead &request);

    // How an ID write goes out.  Every motor that hears it takes the ID and
    // channels it carries, so it cannot be addressed to one motor.
    enum class IdWrite {
        // A group read first: written only when exactly one motor answers
        // cleanly (else idWriteRefused and nothing sent); confirmed only when
        // the new address answers with the written channels and the old
        // address, if another ID, is silent.
        AskLineFirst,
        // Written without asking, for a motor that cannot be read; confirmed
        // when the new address answers with the written channels.
        Forced,
    };
    Q_ENUM(IdWrite)
    using IdWriteRefusal = LinkEvents::IdWriteRefusal;
    using ScanEnd = LinkEvents::ScanEnd;
    // Writes the current target (ID and channels) into the motor on the line.
    void writeId(IdWrite way);
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

    // Seams for tests and fuzzing that drive the answer handling directly:
    // bytes as one read of the port brings them (kept, like a read's, until
    // an answer is whole), and one answer that passed the lead and check
    // byte tests, acted on as if it had just arrived.
    void examineBytes(const QByteArray &bytes);
    void actOnAnswer(const Frame::Response &answer);

    // Why an open failed: the serial device's own reasons.
    using PortCause = SerialLine::OpenFailure;
    // The kinds of port event a bus monitor shows.
    enum class PortEvent { Opened, Reopened, Closed, Lost };
    Q_ENUM(PortEvent)
    // Why received bytes were not understood (see LinkEvents).
    using Discard = LinkEvents::Discard;

signals:
    // --- the motor --------------------------------------------------------
    // A valid answer came from this motor and channels (its ID may lie
    // outside 1..99); the signals it leads to follow.
    void answerFrom(const MotorTarget &sender);
    // Every status answer, from whichever motor sent it, with its position
    // (none when the motor does not know it); only one from the motor
    // addressed (fromAddressed) is the motor's position.
    void statusAnswer(const StatusReport &report);
    // Six ticks passed without an answer from the motor addressed: its
    // position is no longer known.
    void motorSilent();
    // The motor's status byte as deviceStatus() now holds it: from a status
    // or extended answer of the motor addressed, or 0 after its silence.  A
    // basic settings answer carries the curtain functions there instead and
    // leaves it alone.
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
    // A baud scan has ended: with an answer from a motor, with none, or
    // with none but answers of several motors at once.
    void scanEnded(MotorLink::ScanEnd end);
    // A scan started by startSettingsRead(true) has ended, found or not.
    void settingsReadScanEnded();
    void writeConfirmed(Settings::Item item);
    // motorAnswered: a read-back came with another value; false: none came.
    void writeFailed(Settings::Item item, bool motorAnswered);
    // A named write's result, carrying its request.
    void writeDone(const WriteResult &result);
    // A named read's result, carrying its request.
    void readDone(const ReadResult &result);
    // An ID write that asked the line first was not sent, and why.
    void idWriteRefused(MotorLink::IdWriteRefusal why);
    // A transmit tick has run and what it sent is out: clients that count
    // ticks count these.
    void ticked();
    // The link is done with the answers of one read (or of one
    // examineBytes / actOnAnswer): a listener may now start new work on what
    // they reported.
    void answersHandled();

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
    // LinkEvents: what the parts report becomes the signals above.
    void wrote(const QByteArray &frame) override;
    void received(const QByteArray &frame) override;
    void discarded(const QByteArray &bytes, Discard why, qint64 count) override;
    void answered(const MotorTarget &sender) override;
    void statusAnswered(const StatusReport &report) override;
    void statusByte(Byte status) override;
    void basicSettingsRead(const SettingsReport &report) override;
    void extendedSettingsRead(const SettingsReport &report) override;
    void idFound(int id, bool inRange) override;
    void channelsTaken() override;
    void scanOver(ScanEnd end, bool announce) override;
    void writeEnded(Settings::Item item, bool confirmed, bool motorAnswered) override;
    void idWriteNotSent(IdWriteRefusal why) override;
    void requestEnded(const WriteResult &result) override;
    void readEnded(const ReadResult &result) override;
    void silence() override;
    void moveToRate(int rate) override;

    // The sequence every rate change uses: close, settings, open.
    void reopenPort(int rate, PortEvent event = PortEvent::Reopened);
    bool reopenOrReport(int rate, PortEvent event);
    // A half-sent command, a scan, an extended read, a baud change and a
    // read-back belong to the port they began on.
    void dropWorkUnderWay();
    void onPortLost(const QString &portName, const QString &reason);

    SerialLine m_serial;
    QTimer m_timer;
    LinkState m_state;
    std::unique_ptr<TransmitTick> m_tick;
    std::unique_ptr<ResponseHandler> m_responses;
    QElapsedTimer m_portOpened;
};
