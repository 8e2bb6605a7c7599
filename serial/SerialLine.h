// SerialLine: the serial port component the main window owns as Comm1.
//
// It offers a property model (CommPort, PortOpen, BaudRate, ...
// DataCount, ReadBytes, WriteBytes and the three events) on top of a
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

enum TComPortNumber : std::uint8_t {
    pnCOM1, pnCOM2, pnCOM3, pnCOM4, pnCOM5, pnCOM6, pnCOM7, pnCOM8,
    pnCOM9, pnCOM10, pnCOM11, pnCOM12, pnCOM13, pnCOM14, pnCOM15, pnCOM16
};
enum TBaudRate : std::uint8_t {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200
};
enum TParity : std::uint8_t { None, Odd, Even, Mark, Space };
enum TStopBits : std::uint8_t { SB1, SB1_5, SB2 };
enum TDataBits : std::uint8_t { DB5, DB6, DB7, DB8 };
enum THWHandShaking : std::uint8_t { hhNone, hhNoneRTSON, hhRTSCTS };
enum TSWHandShaking : std::uint8_t { shNone, shXonXoff };

// Bits per second of a TBaudRate ordinal; any ordinal above 11 means 115200.
int baudRateBps(TBaudRate rate);
// The TBaudRate of a rate in bits per second; none for a rate it does not list.
std::optional<TBaudRate> baudRateOfBps(int bps);

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
}

// Modem-line masks reported in CommEvent (the comm-event masks of those lines).
namespace ModemMask {
inline constexpr std::uint32_t CTS = 8;
inline constexpr std::uint32_t DSR = 16;
inline constexpr std::uint32_t CD = 32;
inline constexpr std::uint32_t RI = 256;
}

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

    using TReceiveDataEvent = std::function<void(SerialLine *sender)>;
    using TReceiveErrorEvent = std::function<void(SerialLine *sender, std::uint32_t eventMask)>;
    using TModemStateChangeEvent = std::function<void(SerialLine *sender, std::uint32_t modemEvent)>;

    // --- published properties -------------------------------------------
    TComPortNumber CommPort() const { return m_commPort; }
    // Stored only; takes effect at the next open.  Also sets PortName to "COMn".
    void setCommPort(TComPortNumber port);

    // The device name opened by the next open.  Ports are addressed by name
    // here ("/dev/ttyUSB0", "COM3", a pseudo-terminal path); CommPort is kept
    // for the callers that still speak in COM numbers.
    QString PortName() const { return m_portName; }
    void setPortName(const QString &name);

    bool PortOpen() const;
    // true: open (throws SerialError on failure); false: close, no error if closed.
    void setPortOpen(bool open);

    TBaudRate BaudRate() const { return m_baudRate; }
    void setBaudRate(TBaudRate rate);
    THWHandShaking HwHandShaking() const { return m_hw; }
    void setHwHandShaking(THWHandShaking value);
    TSWHandShaking SwHandShaking() const { return m_sw; }
    void setSwHandShaking(TSWHandShaking value);
    TDataBits DataBits() const { return m_dataBits; }
    void setDataBits(TDataBits value);
    TParity Parity() const { return m_parity; }
    void setParity(TParity value);
    TStopBits StopBits() const { return m_stopBits; }
    void setStopBits(TStopBits value);

    std::uint32_t CommEvent() const { return m_commEvent; }
    std::uint32_t CommError() const { return m_commError; }

    // Reads the waiting bytes (see ReadBytes) and returns them as a string.
    QByteArray Input();

    std::int32_t InputLen() const { return m_inputLen; }
    void setInputLen(std::int32_t value) { m_inputLen = value; }
    std::int32_t RThreshold() const { return m_rThreshold; }
    void setRThreshold(std::int32_t value);

    bool CDHolding() const { return m_cd; }
    bool DSRHolding() const { return m_dsr; }
    bool RIHolding() const { return m_ri; }
    bool CTSHolding() const { return m_cts; }

    bool DTREnabled() const { return m_dtr; }
    void setDTREnabled(bool value);
    bool RTSEnabled() const { return m_rts; }
    void setRTSEnabled(bool value);

    // Bytes waiting in the input queue (0 while closed); := 0 discards them.
    int DataCount() const;
    void setDataCount(int value);

    TReceiveDataEvent OnReceiveData;
    TReceiveErrorEvent OnReceiveError;
    TModemStateChangeEvent OnModemStateChange;

    // --- methods -----------------------------------------------------------
    // Writes count bytes one at a time; false (after errorText) if closed.
    bool WriteBytes(const std::uint8_t *buffer, int count);

    struct ReadResult {
        const std::uint8_t *bytes; // owned by the component, replaced by the next read
        int lastIndex;             // number of bytes read minus one
    };
    // Reads the waiting bytes, then returns the component's byte array.  A
    // backlog above 4096 bytes is discarded instead: the array is then empty.
    ReadResult ReadBytes();
    // Bytes thrown away as backlogs above 4096 since the component was made.
    qint64 discardedBytes() const { return m_discarded; }

    // Why the last open failed, so the user can be told what to do about it.
    using OpenFailure = SerialDevice::OpenFailure;
    OpenFailure lastOpenFailure() const { return m_openFailure; }
    // The device the last failed open tried: its resolved path, owner and
    // group (empty after a successful open).
    const DeviceAccess &lastOpenDevice() const { return m_openDevice; }

    // Runs one poll pass now (arriving bytes and the modem-line timer do this).
    void Poll();

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
    // Stores a line setting; an open port is reconfigured at once.
    template <typename T> void setLineSetting(T &field, T value);

    SerialDevice *m_device = nullptr; // owned
    QTimer m_modemTimer;      // runs only while the open device has modem lines
    bool m_hasModemLines = false; // the open device had them when it was opened
    bool m_passQueued = false;
    // Bytes arrived that no receive event has been raised for yet: a
    // threshold lowered to what waits raises the event for them.
    bool m_fresh = false;

    TComPortNumber m_commPort = pnCOM2;
    QString m_portName = QStringLiteral("COM2");
    TBaudRate m_baudRate = br9600;
    THWHandShaking m_hw = hhNone;
    TSWHandShaking m_sw = shNone;
    TDataBits m_dataBits = DB8;
    TParity m_parity = None;
    TStopBits m_stopBits = SB1;
    std::int32_t m_inputLen = 0;
    std::int32_t m_rThreshold = 0;
    bool m_dtr = false;
    bool m_rts = false;
    QByteArray m_input; // the last bytes read: Input returns them, ReadBytes points into them
    OpenFailure m_openFailure = OpenFailure::None;
    DeviceAccess m_openDevice;
    qint64 m_discarded = 0;
    std::uint32_t m_commEvent = 0;
    std::uint32_t m_commError = 0;
    bool m_cd = false, m_cts = false, m_dsr = false, m_ri = false;
};
