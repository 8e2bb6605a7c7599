#include "TComm.h"

#include "DeviceAccess.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSerialPort>

#include <algorithm>
#include <array>

namespace {

// Bits per second by TBaudRate ordinal.  14400 and 56000 are not standard
// termios rates; QSerialPort sets them as custom rates.
constexpr std::array<int, 13> kBaudBps {110,   300,   600,   1200,  2400,  4800, 9600,
                                        14400, 19200, 38400, 56000, 57600, 115200};

constexpr std::array<QSerialPort::Parity, 5> kParity {
    QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
    QSerialPort::MarkParity, QSerialPort::SpaceParity};

constexpr std::array<QSerialPort::StopBits, 3> kStopBits {
    QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};

// A read backlog larger than this is thrown away instead of read.
constexpr qint64 kMaxRead = 4096;
constexpr int kPollIntervalMs = 100;

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

// Qt does not expose the driver's line-error flags (overrun, parity, framing,
// break), so the error mask is always empty and OnReceiveError stays silent.
std::uint32_t driverErrorMask()
{
    return 0;
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

int baudRateBps(TBaudRate rate)
{
    return kBaudBps[std::min<std::size_t>(rate, kBaudBps.size() - 1)];
}

std::optional<TBaudRate> baudRateOfBps(int bps)
{
    const auto found = std::find(kBaudBps.begin(), kBaudBps.end(), bps);
    if (found == kBaudBps.end())
        return std::nullopt;
    return TBaudRate(found - kBaudBps.begin());
}

TComm::TComm(QObject *parent) : QObject(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onPortError(error); });
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    m_pollTimer.setInterval(kPollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &TComm::onPollTimer);
    m_pollTimer.start();
}

TComm::~TComm()
{
    m_pollTimer.stop();
    // The owner may destroy us from inside one of the port's own signals, so
    // the port object must outlive this call stack.
    disconnect(m_port, nullptr, this, nullptr);
    m_port->setParent(nullptr);
    m_port->deleteLater();
}

void TComm::setCommPort(TComPortNumber port)
{
    m_commPort = port;
    m_portName = QStringLiteral("COM%1").arg(int(port) + 1);
}

void TComm::setPortName(const QString &name)
{
    m_portName = name;
}

bool TComm::PortOpen() const
{
    return m_port->isOpen();
}

// Qt reports a port held by another program (its lock file, the exclusive
// mode of the device) and a device we may not open alike, as a permission
// error: whether this process may read and write the device tells them apart.
static TComm::OpenFailure classifyOpenFailure(QSerialPort::SerialPortError error, const DeviceAccess &device)
{
#ifdef Q_OS_UNIX
    // Whatever Qt calls it, a name that leads to no device is a missing device.
    if (!device.exists)
        return TComm::OpenFailure::NotFound;
#endif
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return TComm::OpenFailure::NotFound;
    case QSerialPort::OpenError:
        return TComm::OpenFailure::InUse;
    case QSerialPort::PermissionError:
#ifdef Q_OS_UNIX
        if (!device.mayOpen)
            return TComm::OpenFailure::NoPermission;
#endif
        return TComm::OpenFailure::InUse;
    default:
        return TComm::OpenFailure::Other;
    }
}

void TComm::setPortOpen(bool open)
{
    if (!open) {
        if (m_port->isOpen())
            m_port->close();
        return;
    }
    if (m_port->isOpen()) {
        emit errorText(QString::fromLatin1(CommText::AlreadyOpen));
        return;
    }
    m_port->setPortName(m_portName);
    if (!m_port->open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port->error();
        m_openDevice = inspectDevice(m_portName);
        m_openFailure = classifyOpenFailure(error, m_openDevice);
        throw ECommError(CommText::OpenFailed);
    }
    m_openFailure = OpenFailure::None;
    m_openDevice = {};
    OwnCall own(m_ownCalls);
    // QSerialPort has no driver queue size; an unlimited internal buffer lets
    // a backlog above 4096 bytes be seen (and discarded) instead of capped.
    m_port->setReadBufferSize(0);
    m_port->clear(QSerialPort::AllDirections);
    applyLineSettings();
}

void TComm::applyLineSettings()
{
    // Failures are not reported; a pseudo-terminal refuses the modem lines.
    OwnCall own(m_ownCalls);
    m_port->setBaudRate(baudRateBps(m_baudRate));
    m_port->setDataBits(QSerialPort::DataBits(int(m_dataBits) + 5));
    m_port->setParity(kParity[m_parity]);
    m_port->setStopBits(kStopBits[m_stopBits]);
    // One flow control only: the RTS/CTS handshake wins over XON/XOFF.
    if (m_hw == hhRTSCTS)
        m_port->setFlowControl(QSerialPort::HardwareControl);
    else if (m_sw == shXonXoff)
        m_port->setFlowControl(QSerialPort::SoftwareControl);
    else
        m_port->setFlowControl(QSerialPort::NoFlowControl);
    // DTR is never raised by the settings; RTS only for hhNoneRTSON.  Under
    // the RTS/CTS handshake the driver owns RTS.
    m_port->setDataTerminalReady(false);
    if (m_hw != hhRTSCTS)
        m_port->setRequestToSend(m_hw == hhNoneRTSON);
}

template <typename T> void TComm::setLineSetting(T &field, T value)
{
    if (field == value)
        return;
    field = value;
    if (m_port->isOpen())
        applyLineSettings();
}

void TComm::setBaudRate(TBaudRate rate) { setLineSetting(m_baudRate, rate); }
void TComm::setHwHandShaking(THWHandShaking value) { setLineSetting(m_hw, value); }
void TComm::setSwHandShaking(TSWHandShaking value) { setLineSetting(m_sw, value); }
void TComm::setDataBits(TDataBits value) { setLineSetting(m_dataBits, value); }
void TComm::setParity(TParity value) { setLineSetting(m_parity, value); }
void TComm::setStopBits(TStopBits value) { setLineSetting(m_stopBits, value); }

void TComm::setDTREnabled(bool value)
{
    if (!m_port->isOpen())
        return;
    m_dtr = value;
    OwnCall own(m_ownCalls);
    m_port->setDataTerminalReady(value);
}

void TComm::setRTSEnabled(bool value)
{
    if (!m_port->isOpen())
        return;
    m_rts = value;
    OwnCall own(m_ownCalls);
    m_port->setRequestToSend(value);
}

int TComm::DataCount() const
{
    return m_port->isOpen() ? int(m_port->bytesAvailable()) : 0;
}

void TComm::setDataCount(int value)
{
    if (value != 0 || !m_port->isOpen())
        return;
    OwnCall own(m_ownCalls);
    m_port->clear(QSerialPort::Input);
}

void TComm::requireOpen() const
{
    if (!m_port->isOpen())
        throw ECommError(CommText::NotOpen);
}

void TComm::readWaiting()
{
    requireOpen();
    m_commError = driverErrorMask();
    const qint64 waiting = m_port->bytesAvailable();
    if (waiting == 0)
        return;
    if (waiting > kMaxRead) {
        // Thrown away, not read: the byte array must not hand the previous
        // read's bytes out again as if they had just arrived.
        OwnCall own(m_ownCalls);
        m_port->clear(QSerialPort::Input);
        m_input.clear();
        m_discarded += waiting;
        return;
    }
    // Only what is already here: a read must never wait for the device.
    const qint64 count = m_inputLen > 0 ? std::min<qint64>(m_inputLen, waiting) : waiting;
    m_input = m_port->read(count); // a failed read leaves nothing, not the previous bytes
}

QByteArray TComm::Input()
{
    readWaiting();
    return m_input;
}

TComm::ReadResult TComm::ReadBytes()
{
    readWaiting();
    return {reinterpret_cast<const std::uint8_t *>(m_input.constData()), int(m_input.size()) - 1};
}

bool TComm::WriteBytes(const std::uint8_t *buffer, int count)
{
    if (!m_port->isOpen()) {
        emit errorText(QString::fromLatin1(CommText::NotOpen));
        return false;
    }
    for (int i = 0; i < count; ++i)
        m_port->write(reinterpret_cast<const char *>(buffer + i), 1);
    // Hand the frame to the driver now rather than at the next event-loop pass.
    if (count > 0 && m_port->isOpen())
        m_port->flush();
    return true;
}

void TComm::checkModemLines()
{
    requireOpen();
    m_commEvent = 0;
    QSerialPort::PinoutSignals pins;
    {
        OwnCall own(m_ownCalls);
        m_port->clearError();
        pins = m_port->pinoutSignals();
        if (m_port->error() != QSerialPort::NoError)
            return; // no modem lines here (a pseudo-terminal), or not readable now
    }
    struct Line {
        QSerialPort::PinoutSignal pin;
        std::uint32_t mask;
        bool TComm::*state;
    };
    static constexpr std::array<Line, 4> kLines {{
        {QSerialPort::DataCarrierDetectSignal, ModemMask::CD, &TComm::m_cd},
        {QSerialPort::DataSetReadySignal, ModemMask::DSR, &TComm::m_dsr},
        {QSerialPort::RingIndicatorSignal, ModemMask::RI, &TComm::m_ri},
        {QSerialPort::ClearToSendSignal, ModemMask::CTS, &TComm::m_cts},
    }};
    for (const Line &line : kLines) {
        const bool now = pins.testFlag(line.pin);
        if (this->*line.state != now)
            m_commEvent |= line.mask;
        this->*line.state = now;
    }
}

void TComm::Poll()
{
    if (!m_port->isOpen())
        return;
    // A handler may run a nested event loop in which the owner destroys us.
    const QPointer<TComm> alive(this);
    m_commError = driverErrorMask();
    if (m_rThreshold > 0 && m_port->bytesAvailable() >= m_rThreshold && OnReceiveData)
        OnReceiveData(this);
    if (!alive)
        return;
    checkModemLines();
    QCoreApplication::processEvents();
    if (!alive)
        return;
    if (m_commEvent != 0 && OnModemStateChange)
        OnModemStateChange(this, m_commEvent);
    if (!alive)
        return;
    QCoreApplication::processEvents();
    if (!alive)
        return;
    if (m_commError != 0 && OnReceiveError)
        OnReceiveError(this, m_commError);
    if (!alive)
        return;
    QCoreApplication::processEvents();
}

void TComm::onPollTimer()
{
    // The poll runs from the event queue, not inside this timer's slot: Qt
    // does not fire a timer again while its slot runs, so a message box opened
    // while the poll lets messages through would stop every receive event
    // until the box is closed.
    QMetaObject::invokeMethod(this, [this] {
        // Nothing may escape into the event loop.
        try {
            Poll();
        } catch (const std::exception &e) {
            emit errorText(QString::fromUtf8(e.what()));
        }
    }, Qt::QueuedConnection);
}

void TComm::onPortError(int error)
{
    if (m_ownCalls > 0 || !m_port->isOpen())
        return;
    const char *reason = lossReason(QSerialPort::SerialPortError(error));
    if (!reason)
        return;
    // close() only: the port object is in the middle of emitting this signal.
    m_port->close();
    emit portLost(m_portName, QString::fromLatin1(reason));
}
