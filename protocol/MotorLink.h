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
#include "TComm.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class TransmitTick;
class ResponseHandler;

namespace Settings { enum Item : Byte; }

class MotorLink : public QObject {
    Q_OBJECT
public:
    explicit MotorLink(QObject *parent = nullptr);
    ~MotorLink() override;

    SharedState &state() { return m_state; }
    const SharedState &state() const { return m_state; }
    TComm &Comm1() { return m_comm; }
    QTimer &Timer1() { return m_timer; }

    // --- operations ------------------------------------------------------
    // The port box's choice: "OFF" closes the port; any other name is opened
    // at the rate of state().Features.DeviceBaudCode and, with scan, a baud
    // scan starts.  Work under way on the previous port is dropped first.
    // false (after portError) when the port did not open.
    bool choosePort(const QString &name, bool scan = true);
    // Reopens the open port at another rate (the serial settings window).
    bool reopenAt(TBaudRate rate);
    // A full settings read: the baud scan, then the basic and extended
    // reports; openWindow asks for settingsWindowWanted at its end.
    void startSettingsRead(bool openWindow);
    // Reads the basic settings at the current rate and asks for the window.
    void readBasicAndOpen();
    // Function 0A (up, stop, down, learn, delete, limit point 1..4) or DD
    // (run to a percentage), sent twice to the target current at sending.
    void stageMotorCommand(Byte function, Byte data);
    // A setting write with its read-back (the value comes from
    // state().Features; the ID write takes the current target and mask).
    void stageWrite(Settings::Item item);
    // The feature settings window is open: no status polls meanwhile.
    void setSettingsWindowOpen(bool open);
    bool settingsWindowOpen() const { return m_settingsWindowOpen; }
    // The port is open and was chosen by name (not "OFF").
    bool portUsable() const;

    // Runs one transmit tick / one receive event now (Timer1 and Comm1 do
    // this by themselves; tests and tools may call them directly).
    void tick();
    void receive();

    // Why an open failed: the component's exact text, then the cause.
    enum class PortCause { None, NotFound, InUse, NoPermission, Other };

    // A written setting's outcome.
    enum class WriteOutcome { Confirmed, Failed };

    // The kinds of port event a bus monitor shows.
    enum class PortEvent { Opened, Reopened, Closed, Lost };

    // Why received bytes were not understood.
    enum class Discard { Noise, BadCheck, CutOff, Flood };

signals:
    // --- the motor --------------------------------------------------------
    void positionReported(int percent);
    void positionUnknown();
    // The status byte of the last valid answer (0 after six silent ticks).
    void statusChanged(Byte status);
    // A basic (CA) or extended (CB) report was stored in state().Features.
    void basicReport(const FeatureValues &values);
    void extendedReport(const FeatureValues &values);
    // A read ended with this ID; state's target and mask follow it after
    // this signal (listeners may select it in their ID lists first).
    void reportedId(int id);
    void reportedIdOutOfRange(int id);
    // The reported ID's channels are now state().currentMask().
    void reportedChannels();
    // A scan asked to open the settings window has ended.
    void settingsWindowWanted();
    void writeConfirmed(Settings::Item item);
    void writeFailed(Settings::Item item);

    // --- the port ---------------------------------------------------------
    void portError(const QString &componentText, MotorLink::PortCause cause, const QString &advice);
    void portLost(const QString &portName, const QString &reason);
    // A component error raised by a tick or a read (the component's text).
    void commError(const QString &text);

    // --- the wire, for a bus monitor --------------------------------------
    void frameSent(const QByteArray &bytes);
    void frameReceived(const QByteArray &bytes);
    void bytesDiscarded(const QByteArray &bytes, MotorLink::Discard why);
    void portEvent(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond);

private:
    SharedState m_state;
    TComm m_comm;
    QTimer m_timer;
    TransmitTick *m_tick;
    ResponseHandler *m_responses;
    bool m_settingsWindowOpen = false;
};
