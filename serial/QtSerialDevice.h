// The serial device of a real adapter or a pseudo-terminal, by QSerialPort.
#pragma once

#include "SerialDevice.h"

class QSerialPort;

class QtSerialDevice : public SerialDevice {
    Q_OBJECT
public:
    explicit QtSerialDevice(QObject *parent = nullptr);
    ~QtSerialDevice() override;

    OpenResult open(const QString &name) override;
    void close() override;
    bool isOpen() const override;
    qint64 bytesWaiting() const override;
    QByteArray read(qint64 max) override;
    void write(const std::uint8_t *bytes, int count) override;
    void clearInput() override;
    void applyLineSettings(const LineSettings &settings) override;
    void setDtr(bool on) override;
    void setRts(bool on) override;
    std::optional<ModemLines> modemLines() override;

private:
    void onPortError(int error);

    QSerialPort *m_port;
    // > 0 while we make our own settings or modem-line calls: the errors those
    // raise (a pseudo-terminal has no modem lines) never mean a lost device.
    int m_ownCalls = 0;
};
