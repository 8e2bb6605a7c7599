#include "MotorLink.h"

#include "MotorSettings.h"
#include "ResponseHandler.h"
#include "TransmitTick.h"

MotorLink::MotorLink(QObject *parent)
    : QObject(parent), m_serial(this),
      m_tick(std::make_unique<TransmitTick>(m_state, static_cast<LinkEvents &>(*this), m_serial)),
      m_responses(std::make_unique<ResponseHandler>(m_state, static_cast<LinkEvents &>(*this), m_serial))
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
    m_state.settings.deviceBaudCode = MotorSettings::DefaultBaudCode;
}

MotorLink::~MotorLink() = default;

quint64 MotorLink::framesUnderstood() const
{
    return m_state.framesUnderstood;
}

// Nothing of the serial line's may escape into the event loop.
void MotorLink::tick()
{
    try {
        m_tick->run();
    } catch (const SerialError &e) {
        emit serialError(QString::fromUtf8(e.what()));
    }
    emit ticked();
}

void MotorLink::receive()
{
    try {
        m_responses->readAndExamine();
    } catch (const SerialError &e) {
        emit serialError(QString::fromUtf8(e.what()));
    }
    emit answersHandled();
}

void MotorLink::examineBytes(const QByteArray &bytes)
{
    m_responses->examine(reinterpret_cast<const Byte *>(bytes.constData()), int(bytes.size()));
    emit answersHandled();
}

void MotorLink::actOnAnswer(const Frame::Response &answer)
{
    m_responses->handleFrame(answer);
    emit answersHandled();
}

bool MotorLink::isFromAddressed(const MotorTarget &sender) const
{
    return m_state.isFromAddressed(sender);
}

void MotorLink::closePort()
{
    dropWorkUnderWay();
    m_state.addressed.reset();
    m_state.portChosen = false;
    const bool wasOpen = m_serial.isOpen();
    m_serial.setOpen(false);
    if (wasOpen)
        emit portEvent(PortEvent::Closed, m_serial.portName(), m_serial.bitsPerSecond());
}

bool MotorLink::choosePort(const QString &name, bool scan)
{
    closePort();
    m_state.portChosen = true;
    // The name is opened as it stands (a device, a link), so a port chosen
    // from a list is always the port that opens.
    m_serial.setPortName(name);
    // The scan is under way as the port opens, so that a listener of the
    // opening knows one follows.
    if (scan)
        m_state.job = LinkJob::BaudScan {};
    if (!reopenOrReport(MotorSettings::baudCodeBps(m_state.settings.deviceBaudCode).value_or(MotorSettings::DefaultBps),
                        PortEvent::Opened)) {
        m_state.job = LinkJob::Idle {};
        return false;
    }
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
    return m_serial.isOpen() && m_state.portChosen;
}

void MotorLink::setTarget(const MotorTarget &target)
{
    m_state.setTarget(target);
}

void MotorLink::chooseId(int id)
{
    m_state.chooseId(id);
}

void MotorLink::setChannels(const ChannelMask &channels)
{
    m_state.channels[m_state.targetId] = channels;
}

bool MotorLink::isIdle() const
{
    return !m_state.outgoing && std::holds_alternative<LinkJob::Idle>(m_state.job) && m_state.requests.empty();
}

void MotorLink::sendMotorCommand(Byte function, Byte data)
{
    m_state.stage(function, data, false);
}

void MotorLink::startSettingsRead(bool announceEnd)
{
    m_state.job = LinkJob::BaudScan {0, announceEnd};
}

void MotorLink::silenceSettingsReadEnd()
{
    if (auto *scan = std::get_if<LinkJob::BaudScan>(&m_state.job))
        scan->announceEnd = false;
}

void MotorLink::queueExtendedRead()
{
    const bool beingSent = m_state.outgoing && m_state.outgoing->function == Frame::ReadExtended;
    if (std::holds_alternative<LinkJob::Idle>(m_state.job) && !beingSent)
        m_state.job = LinkJob::ExtendedRead {};
}

void MotorLink::skipExtendedRead()
{
    if (std::holds_alternative<LinkJob::ExtendedRead>(m_state.job))
        m_state.job = LinkJob::Idle {};
}

void MotorLink::readSettings(Byte readFunction)
{
    m_state.readSettings(readFunction);
}

void MotorLink::writeSetting(Settings::Item item, Byte value)
{
    const Settings::Row &r = *Settings::row(item);
    m_state.stage(r.function, r.value ? value : Byte(0xAA), true);
    if (item == Settings::BaudCode)
        m_state.job = LinkJob::BaudApply {item, value};
    else
        m_state.job = LinkJob::ReadBack {item, 0, false, value};
}

void MotorLink::write(const NamedWrite &request)
{
    m_state.requests.push_back(request);
}

void MotorLink::read(const NamedRead &request)
{
    m_state.requests.push_back(request);
}

void MotorLink::writeId(IdWrite way)
{
    if (way == IdWrite::Forced) {
        writeSetting(Settings::IdAndChannels, 0xAA);
        return;
    }
    const MotorTarget newAddress = target();
    m_state.stage(Frame::ReadBasic, Frame::ReadBasic, true, MotorTarget {0, newAddress.channels});
    LinkJob::IdWriteAsk ask;
    ask.newAddress = newAddress;
    m_state.job = ask;
}

void MotorLink::dropWorkUnderWay()
{
    // Every named request under way or waiting ends canceled, in order.
    std::deque<NamedRequest> canceled = std::exchange(m_state.requests, {});
    if (const auto *ask = std::get_if<LinkJob::WriteAsk>(&m_state.job))
        canceled.push_front(ask->request);
    else if (const auto *read = std::get_if<LinkJob::ReadAsk>(&m_state.job))
        canceled.push_front(read->request);
    else if (const auto *r = std::get_if<LinkJob::ReadBack>(&m_state.job); r && r->request)
        canceled.push_front(*r->request);
    else if (const auto *b = std::get_if<LinkJob::BaudApply>(&m_state.job); b && b->request)
        canceled.push_front(*b->request);
    m_state.outgoing.reset();
    m_state.job = LinkJob::Idle {};
    m_responses->forgetWaiting();
    for (const NamedRequest &request : canceled) {
        if (const auto *write = std::get_if<NamedWrite>(&request))
            emit writeDone({*write, WriteResult::Outcome::Canceled});
        else
            emit readDone({std::get<NamedRead>(request), ReadResult::Outcome::Canceled});
    }
}

void MotorLink::onPortLost(const QString &portName, const QString &reason)
{
    // What was under way went with the port and must not resume on the port
    // chosen next.
    dropWorkUnderWay();
    emit portEvent(PortEvent::Lost, portName, m_serial.bitsPerSecond());
    emit portLost(portName, reason);
}

// --- what the parts report, as signals --------------------------------------

void MotorLink::wrote(const QByteArray &frame)
{
    emit frameSent(frame);
}

void MotorLink::received(const QByteArray &frame)
{
    emit frameReceived(frame);
}

void MotorLink::discarded(const QByteArray &bytes, Discard why, qint64 count)
{
    emit bytesDiscarded(bytes, why, count);
}

void MotorLink::answered(const MotorTarget &sender)
{
    emit answerFrom(sender);
}

void MotorLink::statusAnswered(const StatusReport &report)
{
    emit statusAnswer(report);
}

void MotorLink::statusByte(Byte status)
{
    emit statusReported(status);
}

void MotorLink::basicSettingsRead(const SettingsReport &report)
{
    emit basicReport(report);
}

void MotorLink::extendedSettingsRead(const SettingsReport &report)
{
    emit extendedReport(report);
}

void MotorLink::idFound(int id, bool inRange)
{
    if (inRange)
        emit reportedId(id);
    else
        emit reportedIdOutOfRange(id);
}

void MotorLink::channelsTaken()
{
    emit reportedChannels();
}

void MotorLink::scanOver(ScanEnd end, bool announce)
{
    emit scanEnded(end);
    if (announce)
        emit settingsReadScanEnded();
}

void MotorLink::writeEnded(Settings::Item item, bool confirmed, bool motorAnswered)
{
    if (confirmed)
        emit writeConfirmed(item);
    else
        emit writeFailed(item, motorAnswered);
}

void MotorLink::idWriteNotSent(IdWriteRefusal why)
{
    emit idWriteRefused(why);
}

void MotorLink::requestEnded(const WriteResult &result)
{
    emit writeDone(result);
}

void MotorLink::readEnded(const ReadResult &result)
{
    emit readDone(result);
}

void MotorLink::silence()
{
    emit motorSilent();
}

void MotorLink::moveToRate(int rate)
{
    reopenPort(rate);
}
