// SerialLine: the serial port component the motor link owns.
//
// It offers a property model (port name, open, bits per second, bytes
// waiting, readBytes, writeBytes and the three events) on top of a
// SerialDevice: QSerialPort by default, a line in memory for tests and
// fuzzing.  There is no thread: the events are raised on the UI thread by a
// poll pass that runs when bytes arrive, and every 100 ms only where the
// device has modem lines to watch (a pseudo-terminal has none), so an idle
// line does not wake the process.
#pragma once

#include "DeviceAccess.h"
#include "SerialDevice.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

// The component's exception: message text only.
class SerialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The component's fixed error texts.
namespace CommText {
inline constexpr const char *OpenFailed = "Error opening serial port";
inline constexpr const char *BufferFailed = "Cannot setup comm buffer";
inline constexpr const char *AlreadyOpen = "COM Port has been opened!";
inline constexpr const char *NotOpen = "COM Port is not opened yet!";
} // namespace CommText

// Modem-line masks reported in CommEvent (the comm-event masks of those lines).
namespace ModemMask {
inline constexpr std::uint32_t CTS = 8;
inline constexpr std::uint32_t DSR = 16;
inline constexpr std::uint32_t CD = 32;
inline constexpr std::uint32_t RI = 256;
} // namespace ModemMask

class SerialLine : public QObject {
    Q_OBJECT
public:
    // On the system's serial ports (QSerialPort).
    explicit SerialLine(QObject *parent = nullptr);
    explicit SerialLine(std::unique_ptr<SerialDevice> device, QObject *parent = nullptr);
    ~SerialLine() override;

    // Replaces the device under the component; an open port is closed first.
    void setDevice(std::unique_ptr<SerialDevice> device);
    SerialDevice &device() { return *m_device; }

    using ReceiveDataEvent = std::function<void(SerialLine *sender)>;
    using ReceiveErrorEvent = std::function<void(SerialLine *sender, std::uint32_t eventMask)>;
    using ModemStateChangeEvent = std::function<void(SerialLine *sender, std::uint32_t modemEvent)>;

    // --- properties ----------------------------------------------------------
    // The device name opened by the next open ("/dev/ttyUSB0", "COM3", a
    // pseudo-terminal path).
    QString portName() const { return m_portName; }
    void setPortName(const QString &name);

    bool isOpen() const;
    // true: open (throws SerialError on failure); false: close, no error if closed.
    void setOpen(bool open);

    // The line rate; an open port takes a new one at once.  The line is
    // always 8 data bits, no parity, one stop bit, without flow control.
    int bitsPerSecond() const { return m_bitsPerSecond; }
    void setBitsPerSecond(int bitsPerSecond);

    std::uint32_t commEvent() const { return m_commEvent; }
    std::uint32_t commError() const { return m_commError; }

    // Reads the waiting bytes (see readBytes) and returns them as a string.
    QByteArray input();

    std::int32_t inputLen() const { return m_inputLen; }
    void setInputLen(std::int32_t value) { m_inputLen = value; }
    std::int32_t receiveThreshold() const { return m_rThreshold; }
    void setReceiveThreshold(std::int32_t value);

    bool cdHolding() const { return m_cd; }
    bool dsrHolding() const { return m_dsr; }
    bool riHolding() const { return m_ri; }
    bool ctsHolding() const { return m_cts; }

    bool dtrEnabled() const { return m_dtr; }
    void setDtrEnabled(bool value);
    bool rtsEnabled() const { return m_rts; }
    void setRtsEnabled(bool value);

    // Bytes waiting in the input queue (0 while closed), and throwing them away.
    int bytesWaiting() const;
    void discardWaiting();

    ReceiveDataEvent onReceiveData;
    ReceiveErrorEvent onReceiveError;
    ModemStateChangeEvent onModemStateChange;

    // --- methods -----------------------------------------------------------
    // Writes count bytes one at a time; false (after errorText) if closed.
    bool writeBytes(const std::uint8_t *buffer, int count);

    struct ReadResult {
        const std::uint8_t *bytes; // owned by the component, replaced by the next read
        int lastIndex; // number of bytes read minus one
    };
    // Reads the waiting bytes, then returns the component's byte array.  A
    // backlog above 4096 bytes is discarded instead: the array is then empty.
    ReadResult readBytes();
    // Bytes thrown away as backlogs above 4096 since the component was made.
    qint64 discardedBytes() const { return m_discarded; }

    // Why the last open failed, so the user can be told what to do about it.
    using OpenFailure = SerialDevice::OpenFailure;
    OpenFailure lastOpenFailure() const { return m_openFailure; }
    // The device the last failed open tried: its resolved path, owner and
    // group (empty after a successful open).
    const DeviceAccess &lastOpenDevice() const { return m_openDevice; }

    // Runs one poll pass now (arriving bytes and the modem-line timer do this).
    void poll();

signals:
    // A failure the component reports without an exception (a write to a
    // closed port, an open of an open port, an error raised by its own poll):
    // its fixed text, for its owner to show.
    void errorText(const QString &text);
    // The device went away under an open port (adapter unplugged, the far end
    // of a pseudo-terminal closed).  The port has already been released.
    void portLost(const QString &portName, const QString &reason);

private:
    void applyLineSettings();
    void readWaiting();
    void checkModemLines();
    void attach();
    void onBytesArrived();
    void onDeviceLost(const QString &reason);
    void schedulePass();
    void requireOpen() const;

    SerialDevice *m_device = nullptr; // owned
    QTimer m_modemTimer; // runs only while the open device has modem lines
    bool m_hasModemLines = false; // the open device had them when it was opened
    bool m_passQueued = false;
    // Bytes arrived that no receive event has been raised for yet: a
    // threshold lowered to what waits raises the event for them.
    bool m_fresh = false;

    QString m_portName = QStringLiteral("COM2");
    int m_bitsPerSecond = 9600;
    std::int32_t m_inputLen = 0;
    std::int32_t m_rThreshold = 0;
    bool m_dtr = false;
    bool m_rts = false;
    QByteArray m_input; // the last bytes read: input() returns them, readBytes() points into them
    OpenFailure m_openFailure = OpenFailure::None;
    DeviceAccess m_openDevice;
    qint64 m_discarded = 0;
    std::uint32_t m_commEvent = 0;
    std::uint32_t m_commError = 0;
    bool m_cd = false, m_cts = false, m_dsr = false, m_ri = false;
};
