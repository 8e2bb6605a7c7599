#include "QtSerialDevice.h"

#include <QSerialPort>

#include <array>

namespace {

// Why the device is considered gone; nullptr for errors that leave it usable.
// When the far end disappears Qt keeps raising the read error from the read
// notifier on every event-loop pass, so the first one must release the port.
const char *lossReason(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::ResourceError: return "the device is no longer available";
    case QSerialPort::ReadError: return "reading from the device failed";
    case QSerialPort::WriteError: return "writing to the device failed";
    case QSerialPort::PermissionError: return "access to the device was lost";
    default: return nullptr;
    }
}

// Qt reports a port held by another program (its lock file, the exclusive
// mode of the device) and a device we may not open alike, as a permission
// error: whether this process may read and write the device tells them apart.
SerialDevice::OpenFailure classify(QSerialPort::SerialPortError error, const DeviceAccess &device)
{
    using F = SerialDevice::OpenFailure;
#ifdef Q_OS_UNIX
    // Whatever Qt calls it, a name that leads to no device is a missing device.
    if (!device.exists)
        return F::NotFound;
#endif
    switch (error) {
    case QSerialPort::DeviceNotFoundError: return F::NotFound;
    case QSerialPort::OpenError: return F::InUse;
    case QSerialPort::PermissionError:
#ifdef Q_OS_UNIX
        if (!device.mayOpen)
            return F::NoPermission;
#endif
        return F::InUse;
    default: return F::Other;
    }
}

class OwnCall {
public:
    explicit OwnCall(int &depth) : m_depth(depth) { ++m_depth; }
    ~OwnCall() { --m_depth; }
    OwnCall(const OwnCall &) = delete;
    OwnCall &operator=(const OwnCall &) = delete;

private:
    int &m_depth;
};

} // namespace

QtSerialDevice::QtSerialDevice(QObject *parent) : SerialDevice(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onPortError(error); });
    connect(m_port, &QSerialPort::readyRead, this, &SerialDevice::bytesArrived);
}

QtSerialDevice::~QtSerialDevice()
{
    // We may be destroyed from inside one of the port's own signals, so the
    // port object must outlive this call stack; but the device is released
    // now (lock file, exclusive mode): at a program's end no later comes.
    disconnect(m_port, nullptr, this, nullptr);
    if (m_port->isOpen())
        m_port->close();
    m_port->setParent(nullptr);
    m_port->deleteLater();
}

SerialDevice::OpenResult QtSerialDevice::open(const QString &name)
{
    m_port->setPortName(deviceToOpen(name));
    if (!m_port->open(QIODevice::ReadWrite)) {
        OpenResult result;
        result.device = inspectDevice(name);
        result.failure = classify(m_port->error(), result.device);
        return result;
    }
    OwnCall own(m_ownCalls);
    // QSerialPort has no driver queue size; an unlimited internal buffer lets
    // a backlog above 4096 bytes be seen (and discarded) instead of capped.
    m_port->setReadBufferSize(0);
    m_port->clear(QSerialPort::AllDirections);
    return {};
}

void QtSerialDevice::close()
{
    if (m_port->isOpen())
        m_port->close();
}

bool QtSerialDevice::isOpen() const
{
    return m_port->isOpen();
}

qint64 QtSerialDevice::bytesWaiting() const
{
    return m_port->isOpen() ? m_port->bytesAvailable() : 0;
}

QByteArray QtSerialDevice::read(qint64 max)
{
    return m_port->read(max);
}

void QtSerialDevice::write(const std::uint8_t *bytes, int count)
{
    for (int i = 0; i < count; ++i)
        m_port->write(reinterpret_cast<const char *>(bytes + i), 1);
    // Hand the frame to the driver now rather than at the next event-loop pass.
    if (count > 0 && m_port->isOpen())
        m_port->flush();
}

void QtSerialDevice::clearInput()
{
    OwnCall own(m_ownCalls);
    m_port->clear(QSerialPort::Input);
}

void QtSerialDevice::applyLineSettings(const LineSettings &s)
{
    OwnCall own(m_ownCalls);
    m_port->setBaudRate(s.bitsPerSecond);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    m_port->setDataTerminalReady(false);
    m_port->setRequestToSend(false);
}

void QtSerialDevice::setDtr(bool on)
{
    OwnCall own(m_ownCalls);
    m_port->setDataTerminalReady(on);
}

void QtSerialDevice::setRts(bool on)
{
    OwnCall own(m_ownCalls);
    m_port->setRequestToSend(on);
}

std::optional<SerialDevice::ModemLines> QtSerialDevice::modemLines()
{
    OwnCall own(m_ownCalls);
    m_port->clearError();
    const QSerialPort::PinoutSignals pins = m_port->pinoutSignals();
    if (m_port->error() != QSerialPort::NoError)
        return std::nullopt; // no modem lines here (a pseudo-terminal), or not readable now
    return ModemLines {pins.testFlag(QSerialPort::DataCarrierDetectSignal),
                       pins.testFlag(QSerialPort::DataSetReadySignal), pins.testFlag(QSerialPort::RingIndicatorSignal),
                       pins.testFlag(QSerialPort::ClearToSendSignal)};
}

void QtSerialDevice::onPortError(int error)
{
    if (m_ownCalls > 0 || !m_port->isOpen())
        return;
    const char *reason = lossReason(QSerialPort::SerialPortError(error));
    if (!reason)
        return;
    // close() only: the port object is in the middle of emitting this signal.
    m_port->close();
    emit deviceLost(QString::fromLatin1(reason));
}
