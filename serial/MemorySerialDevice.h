// A serial line kept in memory: what the program writes is collected, what
// the far end sends is handed in with arrive().  For tests and fuzzing, where
// neither a pseudo-terminal nor the event loop should slow a run down.
#pragma once

#include "SerialDevice.h"

#include <QHash>

#include <utility>

class MemorySerialDevice : public SerialDevice {
    Q_OBJECT
public:
    using SerialDevice::SerialDevice;

    // --- the far end ------------------------------------------------------
    // Bytes from the line; notify = false leaves the bytesArrived
    // notification to the caller (a fuzzer delivering without the event loop).
    void arrive(const QByteArray &bytes, bool notify = true);
    // Everything written since the last call.
    QByteArray takeWritten();
    // Names that do not open, and why.
    void refuse(const QString &name, OpenFailure why) { m_refused.insert(name, why); }
    // The adapter is pulled out: the port closes and deviceLost follows.
    void pullOut(const QString &reason = QStringLiteral("the device is no longer available"));
    // Modem lines the device has (none, like a pseudo-terminal, by default).
    void setModemLines(std::optional<ModemLines> lines) { m_modem = lines; }
    void setLineErrors(std::uint32_t mask) { m_lineErrors = mask; }

    QString name() const { return m_name; }
    const LineSettings &lineSettings() const { return m_settings; }
    bool dtr() const { return m_dtr; }
    bool rts() const { return m_rts; }
    int opens() const { return m_opens; }

    // --- SerialDevice -----------------------------------------------------
    OpenResult open(const QString &name) override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    qint64 bytesWaiting() const override { return m_open ? m_input.size() : 0; }
    QByteArray read(qint64 max) override;
    void write(const std::uint8_t *bytes, int count) override;
    void clearInput() override { m_input.clear(); }
    std::uint32_t lineErrors() override { return std::exchange(m_lineErrors, 0); }
    void applyLineSettings(const LineSettings &settings) override { m_settings = settings; }
    void setDtr(bool on) override { m_dtr = on; }
    void setRts(bool on) override { m_rts = on; }
    std::optional<ModemLines> modemLines() override { return m_modem; }

private:
    QString m_name;
    bool m_open = false;
    int m_opens = 0;
    QByteArray m_input;
    QByteArray m_written;
    QHash<QString, OpenFailure> m_refused;
    LineSettings m_settings;
    bool m_dtr = false, m_rts = false;
    std::optional<ModemLines> m_modem;
    std::uint32_t m_lineErrors = 0;
};
