// MotorLink: the conversation with the motor bus, free of windows.
//
// It owns the serial component (Comm1), the 150 ms transmit timer (Timer1),
// the transmit tick, the answer handling and the shared protocol state.
// Callers stage work through its operations; everything the bus says comes
// back as signals in device units (percent, status bits, report values),
// emitted on the one thread, so a window or a command-line tool only
// listens.  Connect with direct connections: the order in which the signals
// arrive is part of the behaviour (a report is stored before it is shown,
// the reported ID is selected before the channels are drawn).
#pragma once

#include "Frames.h"
#include "SharedState.h"
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

// The line rate of a baud code (0..4 = 1200 .. 19200); none for other codes.
std::optional<TBaudRate> baudCodeRate(int code);

class MotorLink : public QObject {
    Q_OBJECT
public:
    explicit MotorLink(QObject *parent = nullptr);
    ~MotorLink() override;

    SharedState &state() { return m_state; }
    const SharedState &state() const { return m_state; }
    SerialLine &serial() { return m_comm; }
    // Not started here: the owner starts it when it is ready for ticks.
    QTimer &tickTimer() { return m_timer; }
    // Milliseconds since a port was last chosen and opened, the time every
    // view of the wire counts from; a scan's reopening at another rate does
    // not restart it.  0 before the first opening.
    qint64 msSincePortOpened() const { return m_portOpened.isValid() ? m_portOpened.elapsed() : 0; }

    // --- operations ------------------------------------------------------
    // The port box's choice: "OFF" closes the port; any other name is opened
    // at the rate of state().Features.DeviceBaudCode and, with scan, a baud
    // scan starts.  Work under way on the previous port is dropped first.
    // false (after portError) when the port did not open.
    bool choosePort(const QString &name, bool scan = true);
    // Reopens the open port at another rate (the serial settings window);
    // false (after portError) when it did not open again.
    bool reopenAt(TBaudRate rate);
    // A full settings read: the baud scan, then the basic and extended
    // reports; openWindow asks for settingsWindowWanted at its end.
    void startSettingsRead(bool openWindow);
    // Reads the basic settings at the current rate (sent twice).
    void stageRead(Byte readFunction);
    // Function 0A (up, stop, down, learn, delete, limit point 1..4) or DD
    // (run to a percentage), sent on the next ticks to the target current at
    // sending.  SendCount is left alone, so a command staged between the two
    // sends of another goes out once.
    void stageMotorCommand(Byte function, Byte data);
    // A setting write with its read-back: the value comes from
    // state().Features; the ID write sends the current target and mask.
    void stageWrite(Settings::Item item);
    // The feature settings window is open: no status polls meanwhile.
    void setSettingsWindowOpen(bool open) { m_settingsWindowOpen = open; }
    bool settingsWindowOpen() const { return m_settingsWindowOpen; }
    // The port is open and was chosen by name (not "OFF").
    bool portUsable() const;

    // One transmit tick / one receive event now (Timer1 and Comm1 run them
    // by themselves).  Component errors come back as commError.
    void tick();
    void receive();

    // Answers acted on since the start (for measuring the receive path).
    quint64 framesUnderstood() const;

    // The parts, for tests that drive one of them directly.
    TransmitTick &transmitTick() { return *m_tick; }
    ResponseHandler &responses() { return *m_responses; }

    // Why an open failed.
    enum class PortCause { None, NotFound, InUse, NoPermission, Other };
    Q_ENUM(PortCause)
    // The kinds of port event a bus monitor shows.
    enum class PortEvent { Opened, Reopened, Closed, Lost };
    Q_ENUM(PortEvent)
    // Why received bytes were not understood.
    enum class Discard { Noise, BadCheck, CutOff, Flood };
    Q_ENUM(Discard)

signals:
    // --- the motor --------------------------------------------------------
    // A status answer with a position.  targetPending: the user's target was
    // still pending when it arrived, so the slider's pointer stays put.
    void positionReported(int percent, bool targetPending);
    // A status answer without a position, or six silent ticks.
    void positionUnknown();
    // The status byte of each valid answer (0 after six silent ticks).
    void statusReported(Byte status);
    // A basic (CA) or extended (CB) report was stored in state().Features.
    void basicReport(const FeatureValues &values);
    void extendedReport(const FeatureValues &values);
    // A read ended with this ID; state's target and mask follow it after
    // this signal (listeners select it in their ID lists first).
    void reportedId(int id);
    void reportedIdOutOfRange(int id);
    // The ID's channels of the read that ended are now state().currentMask().
    void reportedChannels();
    // A scan asked to open the settings window has ended.
    void settingsWindowWanted();
    void writeConfirmed(Settings::Item item);
    void writeFailed(Settings::Item item);

    // --- the port ---------------------------------------------------------
    // An open the user asked for failed: the component's exact text, the
    // cause, and what to do about it in the language of state()'s messages.
    void portError(const QString &componentText, MotorLink::PortCause cause, const QString &advice);
    void portLost(const QString &portName, const QString &reason);
    // A component error raised by a tick or a read (the component's text).
    void commError(const QString &text);

    // --- the wire, for a bus monitor --------------------------------------
    void frameSent(const QByteArray &bytes);
    void frameReceived(const QByteArray &bytes);
    // count is bytes.size(), except for a flood, which is not read at all.
    void bytesDiscarded(const QByteArray &bytes, MotorLink::Discard why, qint64 count);
    void portEvent(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond);

private:
    friend class TransmitTick;
    friend class ResponseHandler;

    // The sequence every rate change uses: close, settings, open.
    void reopenPort(TBaudRate rate, PortEvent event = PortEvent::Reopened);
    // A half-sent command, a scan and the window it would open, an extended
    // read, a baud change and a read-back belong to the port they began on.
    void dropWorkUnderWay();
    void wantSettingsWindow();
    void onPortLost(const QString &portName, const QString &reason);
    QString openFailureAdvice() const;

    SharedState m_state;
    SerialLine m_comm;
    QTimer m_timer;
    std::unique_ptr<TransmitTick> m_tick;
    std::unique_ptr<ResponseHandler> m_responses;
    bool m_settingsWindowOpen = false;
    QElapsedTimer m_portOpened;
};
