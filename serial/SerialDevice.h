// SerialDevice: what SerialLine needs of a serial port, and nothing more.  The
// QSerialPort implementation (QtSerialDevice) talks to real adapters and
// pseudo-terminals; MemorySerialDevice keeps the line in memory for tests
// and fuzzing.
#pragma once

#include "DeviceAccess.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class SerialDevice : public QObject {
    Q_OBJECT
public:
    // Why an open failed, so the user can be told what to do about it.
    enum class OpenFailure { None, NotFound, InUse, NoPermission, Other };
    Q_ENUM(OpenFailure)
    struct OpenResult {
        OpenFailure failure = OpenFailure::None;
        DeviceAccess device; // what the name led to (filled when the open failed)
    };

    // The line is always 8 data bits, no parity, one stop bit, no flow
    // control, DTR and RTS low; only its rate changes.
    struct LineSettings {
        int bitsPerSecond = 9600;
        bool operator==(const LineSettings &) const = default;
    };

    struct ModemLines {
        bool cd = false, dsr = false, ri = false, cts = false;
    };

    using QObject::QObject;

    // Opens the device by name for reading and writing, both directions
    // purged.  The result says why it did not open.
    virtual OpenResult open(const QString &name) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    virtual qint64 bytesWaiting() const = 0;
    // At most max of the waiting bytes; never waits for more.
    virtual QByteArray read(qint64 max) = 0;
    // Hands the bytes to the driver, one write call per byte.
    virtual void write(const std::uint8_t *bytes, int count) = 0;
    virtual void clearInput() = 0;
    // The driver's line-error flags since the last call (overrun, parity,
    // framing, break); 0 where the device does not tell them.
    virtual std::uint32_t lineErrors() { return 0; }

    // Failures are not reported: a pseudo-terminal refuses some of them.
    virtual void applyLineSettings(const LineSettings &settings) = 0;
    virtual void setDtr(bool on) = 0;
    virtual void setRts(bool on) = 0;
    // The modem lines now; nothing where the device has none.
    virtual std::optional<ModemLines> modemLines() = 0;

signals:
    // New bytes are waiting.
    void bytesArrived();
    // The device went away under the open port (adapter pulled out, the far
    // end of a pseudo-terminal closed); it is already closed.
    void deviceLost(const QString &reason);
};
