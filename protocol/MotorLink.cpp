#include "MotorLink.h"

#include "MotorSettings.h"
#include "ResponseHandler.h"
#include "TransmitTick.h"

MotorLink::MotorLink(QObject *parent)
    : QObject(parent), m_serial(this), m_tick(std::make_unique<TransmitTick>(*this)),
      m_responses(std::make_unique<ResponseHandler>(*this))
{
    // The serial line as it starts: closed, 8N1 at 14400, no handshake, no
    // receive events until a port is chosen.
    m_serial.setBitsPerSecond(14400);
    m_serial.setInputLen(0);
    m_serial.setReceiveThreshold(0);
    m_serial.onReceiveData = [this](SerialLine *) { receive(); };
    connect(&m_serial, &SerialLine::portLost, this, &MotorLink::onPortLost);
    connect(&m_serial, &SerialLine::errorText, this, &MotorLink::serialError);

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &MotorLink::tick);
    // The device's rate until a scan finds another.
    m_settings.deviceBaudCode = MotorSettings::DefaultBaudCode;
}

MotorLink::~MotorLink() = default;

quint64 MotorLink::framesUnderstood() const
{
    return m_responses->framesUnderstood();
}

// Nothing of the serial line's may escape into the event loop.
void MotorLink::tick()
{
    try {
        m_tick->run();
    } catch (const SerialError &e) {
        emit serialError(QString::fromUtf8(e.what()));
    }
}

void MotorLink::receive()
{
    try {
        m_responses->readAndExamine();
    } catch (const SerialError &e) {
        emit serialError(QString::fromUtf8(e.what()));
    }
}

bool MotorLink::isFromAddressed(const MotorTarget &sender) const
{
    const MotorTarget to = m_addressed ? m_addressed->target : target();
    if (to.isGroup())
        return true;
    if (sender.id != to.id)
        return false;
    const Byte function = m_addressed ? m_addressed->function : Byte(Frame::StatusPoll);
    const bool channelBound = function == Frame::StatusPoll || function == Frame::Motor
        || function == Frame::RunToPosition;
    return !channelBound || to.channels.word() == 0 || (sender.channels.word() & to.channels.word()) != 0;
}

void MotorLink::closePort()
{
    dropWorkUnderWay();
    m_addressed.reset();
    m_portChosen = false;
    const bool wasOpen = m_serial.isOpen();
    m_serial.setOpen(false);
    if (wasOpen)
        emit portEvent(PortEvent::Closed, m_serial.portName(), m_serial.bitsPerSecond());
}

bool MotorLink::choosePort(const QString &name, bool scan)
{
    closePort();
    m_portChosen = true;
    // The name is opened as it stands (a device, a link), so a port chosen
    // from a list is always the port that opens.
    m_serial.setPortName(name);
    if (!reopenOrReport(MotorSettings::baudCodeBps(m_settings.deviceBaudCode).value_or(MotorSettings::DefaultBps),
                        PortEvent::Opened))
        return false;
    if (scan)
        m_job = LinkJob::BaudScan {};
    return true;
}

bool MotorLink::reopenAt(int rate)
{
    return reopenOrReport(rate, PortEvent::Reopened);
}

bool MotorLink::reopenOrReport(int rate, PortEvent event)
{
    try {
        reopenPort(rate, event);
    } catch (const SerialError &e) {
        emit portError(QString::fromUtf8(e.what()), m_serial.lastOpenFailure(), m_serial.lastOpenDevice());
        return false;
    }
    return true;
}

void MotorLink::reopenPort(int rate, PortEvent event)
{
    m_serial.setOpen(false);
    m_serial.setInputLen(0);
    m_serial.setReceiveThreshold(1);
    m_serial.setBitsPerSecond(rate);
    m_serial.discardWaiting();
    m_serial.setOpen(true);
    if (event == PortEvent::Opened)
        m_portOpened.start();
    emit portEvent(event, m_serial.portName(), rate);
}

bool MotorLink::portUsable() const
{
    return m_serial.isOpen() && m_portChosen;
}

void MotorLink::setTarget(const MotorTarget &target)
{
    chooseId(target.id);
    m_channels[m_targetId] = target.channels;
}

void MotorLink::chooseId(int id)
{
    m_targetId = id < 0 ? 0 : id > ChannelMemory::Last ? ChannelMemory::Last : id;
}

void MotorLink::setChannels(const ChannelMask &channels)
{
    m_channels[m_targetId] = channels;
}

bool MotorLink::isIdle() const
{
    return !m_outgoing && std::holds_alternative<LinkJob::Idle>(m_job);
}

void MotorLink::stage(Byte function, Byte data, bool restartPair)
{
    const int sent = m_outgoing && !restartPair ? m_outgoing->sent : 0;
    m_outgoing = Outgoing {function, data, sent};
}

void MotorLink::sendMotorCommand(Byte function, Byte data)
{
    stage(function, data, false);
}

void MotorLink::startSettingsRead(bool announceEnd)
{
    m_job = LinkJob::BaudScan {0, announceEnd};
}

void MotorLink::silenceSettingsReadEnd()
{
    if (auto *scan = std::get_if<LinkJob::BaudScan>(&m_job))
        scan->announceEnd = false;
}

void MotorLink::queueExtendedRead()
{
    const bool beingSent = m_outgoing && m_outgoing->function == Frame::ReadExtended;
    if (std::holds_alternative<LinkJob::Idle>(m_job) && !beingSent)
        m_job = LinkJob::ExtendedRead {};
}

void MotorLink::skipExtendedRead()
{
    if (std::holds_alternative<LinkJob::ExtendedRead>(m_job))
        m_job = LinkJob::Idle {};
}

void MotorLink::readSettings(Byte readFunction)
{
    stage(readFunction, readFunction, true);
}

void MotorLink::writeSetting(Settings::Item item)
{
    const Settings::Row &r = *Settings::row(item);
    stage(r.function, r.value ? m_settings.*r.value : Byte(0xAA), true);
    if (item == Settings::BaudCode)
        m_job = LinkJob::BaudApply {item};
    else
        m_job = LinkJob::ReadBack {item, 0};
}

void MotorLink::dropWorkUnderWay()
{
    m_outgoing.reset();
    m_job = LinkJob::Idle {};
    m_responses->forgetWaiting();
}

void MotorLink::endScan(Job next)
{
    const auto *scan = std::get_if<LinkJob::BaudScan>(&m_job);
    const bool announce = scan && scan->announceEnd;
    m_job = next;
    if (announce)
        emit settingsReadScanEnded();
}

void MotorLink::onPortLost(const QString &portName, const QString &reason)
{
    // What was under way went with the port and must not resume on the port
    // chosen next.
    dropWorkUnderWay();
    emit portEvent(PortEvent::Lost, portName, m_serial.bitsPerSecond());
    emit portLost(portName, reason);
}
