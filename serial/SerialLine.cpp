#include "SerialLine.h"

#include "QtSerialDevice.h"

#include <QCoreApplication>
#include <QPointer>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// A read backlog larger than this is thrown away instead of read.
constexpr qint64 kMaxRead = 4096;
constexpr int kPollIntervalMs = 100;

} // namespace

SerialLine::SerialLine(QObject *parent) : SerialLine(std::make_unique<QtSerialDevice>(), parent) {}

SerialLine::SerialLine(std::unique_ptr<SerialDevice> device, QObject *parent) : QObject(parent)
{
    m_modemTimer.setTimerType(Qt::PreciseTimer);
    m_modemTimer.setInterval(kPollIntervalMs);
    connect(&m_modemTimer, &QTimer::timeout, this, &SerialLine::schedulePass);
    setDevice(std::move(device));
}

SerialLine::~SerialLine()
{
    m_modemTimer.stop();
    // The owner may destroy us from inside one of the device's own signals,
    // so the device must outlive this call stack; but the port is released
    // now (lock file, exclusive mode): at a program's end no later comes.
    disconnect(m_device, nullptr, this, nullptr);
    m_device->close();
    m_device->setParent(nullptr);
    m_device->deleteLater();
}

void SerialLine::setDevice(std::unique_ptr<SerialDevice> device)
{
    if (m_device) {
        setOpen(false);
        disconnect(m_device, nullptr, this, nullptr);
        m_device->setParent(nullptr);
        m_device->deleteLater();
    }
    m_device = device.release();
    m_device->setParent(this);
    connect(m_device, &SerialDevice::bytesArrived, this, &SerialLine::onBytesArrived);
    connect(m_device, &SerialDevice::deviceLost, this, &SerialLine::onDeviceLost);
}

void SerialLine::setPortName(const QString &name)
{
    m_portName = name;
}

bool SerialLine::isOpen() const
{
    return m_device->isOpen();
}

void SerialLine::setOpen(bool open)
{
    if (!open) {
        m_modemTimer.stop();
        m_device->close();
        return;
    }
    if (m_device->isOpen()) {
        emit errorText(QString::fromLatin1(CommText::AlreadyOpen));
        return;
    }
    const SerialDevice::OpenResult opened = m_device->open(m_portName);
    if (opened.failure != OpenFailure::None) {
        m_openDevice = opened.device;
        m_openFailure = opened.failure;
        throw SerialError(CommText::OpenFailed);
    }
    m_openFailure = OpenFailure::None;
    m_openDevice = {};
    m_fresh = false;
    applyLineSettings();
    // Modem lines change without a byte arriving: only they need the timer.
    // A device without them (a pseudo-terminal) is not asked again.
    m_hasModemLines = m_device->modemLines().has_value();
    if (m_hasModemLines)
        m_modemTimer.start();
}

void SerialLine::applyLineSettings()
{
    m_device->applyLineSettings({m_bitsPerSecond});
}

void SerialLine::setBitsPerSecond(int bitsPerSecond)
{
    if (m_bitsPerSecond == bitsPerSecond)
        return;
    m_bitsPerSecond = bitsPerSecond;
    if (m_device->isOpen())
        applyLineSettings();
}

void SerialLine::setDtrEnabled(bool value)
{
    if (!m_device->isOpen())
        return;
    m_dtr = value;
    m_device->setDtr(value);
}

void SerialLine::setRtsEnabled(bool value)
{
    if (!m_device->isOpen())
        return;
    m_rts = value;
    m_device->setRts(value);
}

int SerialLine::bytesWaiting() const
{
    return int(m_device->bytesWaiting());
}

void SerialLine::discardWaiting()
{
    if (!m_device->isOpen())
        return;
    m_device->clearInput();
}

void SerialLine::setReceiveThreshold(std::int32_t value)
{
    m_rThreshold = value;
    // Bytes that arrived while the event was held back raise it now.
    if (value > 0 && m_fresh && m_device->isOpen() && m_device->bytesWaiting() >= value)
        schedulePass();
}

void SerialLine::requireOpen() const
{
    if (!m_device->isOpen())
        throw SerialError(CommText::NotOpen);
}

void SerialLine::readWaiting()
{
    requireOpen();
    m_commError = m_device->lineErrors();
    const qint64 waiting = m_device->bytesWaiting();
    if (waiting == 0)
        return;
    if (waiting > kMaxRead) {
        // Thrown away, not read: the byte array must not hand the previous
        // read's bytes out again as if they had just arrived.
        m_device->clearInput();
        m_input.clear();
        m_discarded += waiting;
        return;
    }
    // Only what is already here: a read must never wait for the device.
    const qint64 count = m_inputLen > 0 ? std::min<qint64>(m_inputLen, waiting) : waiting;
    m_input = m_device->read(count); // a failed read leaves nothing, not the previous bytes
}

QByteArray SerialLine::input()
{
    readWaiting();
    return m_input;
}

SerialLine::ReadResult SerialLine::readBytes()
{
    readWaiting();
    return {reinterpret_cast<const std::uint8_t *>(m_input.constData()), int(m_input.size()) - 1};
}

bool SerialLine::writeBytes(const std::uint8_t *buffer, int count)
{
    if (!m_device->isOpen()) {
        emit errorText(QString::fromLatin1(CommText::NotOpen));
        return false;
    }
    m_device->write(buffer, count);
    return true;
}

void SerialLine::checkModemLines()
{
    requireOpen();
    m_commEvent = 0;
    if (!m_hasModemLines)
        return;
    const std::optional<SerialDevice::ModemLines> lines = m_device->modemLines();
    if (!lines)
        return; // no modem lines here (a pseudo-terminal), or not readable now
    struct Line {
        bool SerialDevice::ModemLines::*now;
        std::uint32_t mask;
        bool SerialLine::*state;
    };
    static constexpr std::array<Line, 4> kLines {{
        {&SerialDevice::ModemLines::cd, ModemMask::CD, &SerialLine::m_cd},
        {&SerialDevice::ModemLines::dsr, ModemMask::DSR, &SerialLine::m_dsr},
        {&SerialDevice::ModemLines::ri, ModemMask::RI, &SerialLine::m_ri},
        {&SerialDevice::ModemLines::cts, ModemMask::CTS, &SerialLine::m_cts},
    }};
    for (const Line &line : kLines) {
        const bool now = (*lines).*line.now;
        if (this->*line.state != now)
            m_commEvent |= line.mask;
        this->*line.state = now;
    }
}

void SerialLine::poll()
{
    if (!m_device->isOpen())
        return;
    // A handler may run a nested event loop in which the owner destroys us.
    const QPointer<SerialLine> alive(this);
    m_commError = m_device->lineErrors();
    // Waiting messages are let through between the events a pass raises.
    // After the last one the pass returns to the event loop, which lets them
    // through itself: a pass that raises one event turns the loop once.
    bool owed = false; // an event was raised since messages were let through
    const auto modemDue = [this] { return m_commEvent != 0 && bool(onModemStateChange); };
    const auto errorDue = [this] { return m_commError != 0 && bool(onReceiveError); };
    const auto letThrough = [&](bool anotherFollows) {
        if (std::exchange(owed, false) && anotherFollows)
            QCoreApplication::processEvents();
        return !alive.isNull();
    };
    if (m_rThreshold > 0 && m_device->bytesWaiting() >= m_rThreshold && onReceiveData) {
        m_fresh = false;
        onReceiveData(this);
        owed = true;
    }
    if (!alive)
        return;
    checkModemLines();
    if (!letThrough(modemDue() || errorDue()))
        return;
    if (modemDue()) {
        onModemStateChange(this, m_commEvent);
        owed = true;
    }
    if (!alive || !letThrough(errorDue()))
        return;
    if (errorDue())
        onReceiveError(this, m_commError);
}

void SerialLine::onBytesArrived()
{
    m_fresh = true;
    schedulePass();
}

void SerialLine::schedulePass()
{
    if (m_passQueued)
        return;
    m_passQueued = true;
    // The pass runs from the event queue, not inside the notification or
    // timer slot: Qt does not fire a timer again while its slot runs, so a
    // message box opened while the pass lets messages through would stop
    // every receive event until the box is closed.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_passQueued = false;
            // Nothing may escape into the event loop.
            try {
                poll();
            } catch (const std::exception &e) {
                emit errorText(QString::fromUtf8(e.what()));
            }
        },
        Qt::QueuedConnection);
}

void SerialLine::onDeviceLost(const QString &reason)
{
    m_modemTimer.stop();
    emit portLost(m_portName, reason);
}
