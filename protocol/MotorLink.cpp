#include "MotorLink.h"

#include "MotorSettings.h"
#include "ResponseHandler.h"
#include "TransmitTick.h"

#include <QRegularExpression>

std::optional<TBaudRate> baudCodeRate(int code)
{
    const std::optional<int> bps = MotorSettings::baudCodeBps(code);
    return bps ? baudRateOfBps(*bps) : std::nullopt;
}

MotorLink::MotorLink(QObject *parent)
    : QObject(parent), m_comm(this), m_tick(std::make_unique<TransmitTick>(*this)),
      m_responses(std::make_unique<ResponseHandler>(*this))
{
    // Comm1 as it starts: closed, 8N1 at 14400, no handshake, no receive
    // events until a port is chosen.
    m_comm.setCommPort(pnCOM1);
    m_comm.setBaudRate(br14400);
    m_comm.setHwHandShaking(hhNone);
    m_comm.setSwHandShaking(shNone);
    m_comm.setDataBits(DB8);
    m_comm.setParity(None);
    m_comm.setStopBits(SB1);
    m_comm.setInputLen(0);
    m_comm.setRThreshold(0);
    m_comm.OnReceiveData = [this](SerialLine *) { receive(); };
    connect(&m_comm, &SerialLine::portLost, this, &MotorLink::onPortLost);
    connect(&m_comm, &SerialLine::errorText, this, &MotorLink::commError);

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(150);
    connect(&m_timer, &QTimer::timeout, this, &MotorLink::tick);
    // The device's rate until a scan finds another.
    m_state.Features.DeviceBaudCode = 1;
}

MotorLink::~MotorLink() = default;

quint64 MotorLink::framesUnderstood() const
{
    return m_responses->framesUnderstood();
}

// Nothing of the component's may escape into the event loop.
void MotorLink::tick()
{
    try {
        m_tick->run();
    } catch (const SerialError &e) {
        emit commError(QString::fromUtf8(e.what()));
    }
}

void MotorLink::receive()
{
    try {
        m_responses->readAndExamine();
    } catch (const SerialError &e) {
        emit commError(QString::fromUtf8(e.what()));
    }
}

bool MotorLink::choosePort(const QString &name, bool scan)
{
    dropWorkUnderWay();
    m_state.PortReady = 1;
    const bool wasOpen = m_comm.PortOpen();
    m_comm.setPortOpen(false);
    if (wasOpen)
        emit portEvent(PortEvent::Closed, m_comm.PortName(), baudRateBps(m_comm.BaudRate()));
    static const QRegularExpression comName(QStringLiteral("^COM([1-9]|1[0-6])$"));
    if (const auto match = comName.match(name); match.hasMatch())
        m_comm.setCommPort(TComPortNumber(match.captured(1).toInt() - 1));
    if (name == QLatin1String("OFF")) {
        m_state.PortReady = 0;
        return true;
    }
    // Every other name is opened as it stands (a Linux device, a link), so a
    // port chosen from the list is always the port that opens.
    m_comm.setPortName(name);
    try {
        reopenPort(baudCodeRate(m_state.Features.DeviceBaudCode).value_or(br2400), PortEvent::Opened);
    } catch (const SerialError &e) {
        emit portError(QString::fromUtf8(e.what()), static_cast<PortCause>(m_comm.lastOpenFailure()), openFailureAdvice());
        return false;
    }
    if (scan) {
        m_state.RetryCount = 0;
        m_state.BaudScanActive = 1;
    }
    return true;
}

bool MotorLink::reopenAt(TBaudRate rate)
{
    try {
        reopenPort(rate);
    } catch (const SerialError &e) {
        emit portError(QString::fromUtf8(e.what()), static_cast<PortCause>(m_comm.lastOpenFailure()), openFailureAdvice());
        return false;
    }
    return true;
}

void MotorLink::reopenPort(TBaudRate rate, PortEvent event)
{
    m_comm.setPortOpen(false);
    m_comm.setInputLen(0);
    m_comm.setRThreshold(1);
    m_comm.setBaudRate(rate);
    m_comm.setDataBits(DB8);
    m_comm.setHwHandShaking(hhNone);
    m_comm.setDataCount(0);
    m_comm.setPortOpen(true);
    if (event == PortEvent::Opened)
        m_portOpened.start();
    emit portEvent(event, m_comm.PortName(), baudRateBps(rate));
}

void MotorLink::startSettingsRead(bool openWindow)
{
    m_state.RetryCount = 0;
    m_state.BaudScanActive = 1;
    m_state.OpenSettingsAfterScan = openWindow ? 1 : 0;
}

void MotorLink::stageRead(Byte readFunction)
{
    m_state.CommandFrame[Frame::Function] = readFunction;
    m_state.CommandFrame[Frame::Data] = readFunction;
    m_state.SendCount = 0;
    m_state.SendPending = 1;
}

void MotorLink::stageMotorCommand(Byte function, Byte data)
{
    m_state.CommandFrame[Frame::Function] = function;
    m_state.CommandFrame[Frame::Data] = data;
    m_state.SendPending = 1;
}

void MotorLink::stageWrite(Settings::Item item)
{
    SharedState &s = m_state;
    const Settings::Row &r = *Settings::row(item);
    s.CommandFrame[Frame::Function] = r.function;
    s.CommandFrame[Frame::Data] = r.value ? s.Features.*r.value : Byte(0xAA);
    s.SendCount = 0;
    s.SendPending = 1;
    switch (r.readBack) {
    case Settings::ReadBack::Id: s.VerifyIdPending = 1; break;
    case Settings::ReadBack::Basic: s.VerifyBasicPending = 1; break;
    case Settings::ReadBack::Extended: s.VerifyExtPending = 1; break;
    }
    if (item == Settings::BaudCode)
        s.BaudApplyPending = 1;
    s.RetryCount = 0;
    s.VerifyItem = item;
}

bool MotorLink::portUsable() const
{
    return m_comm.PortOpen() && m_state.PortReady == 1;
}

void MotorLink::dropWorkUnderWay()
{
    SharedState &s = m_state;
    s.SendPending = s.SendCount = 0;
    s.BaudScanActive = s.OpenSettingsAfterScan = s.ExtReadPending = s.BaudApplyPending = 0;
    s.VerifyBasicPending = s.VerifyExtPending = s.VerifyIdPending = 0;
    s.RetryCount = 0;
    m_responses->forgetWaiting();
}

void MotorLink::wantSettingsWindow()
{
    emit settingsWindowWanted();
    m_state.OpenSettingsAfterScan = 0;
}

void MotorLink::onPortLost(const QString &portName, const QString &reason)
{
    // What was under way went with the port and must not resume on the port
    // chosen next.
    dropWorkUnderWay();
    emit portEvent(PortEvent::Lost, portName, baudRateBps(m_comm.BaudRate()));
    emit portLost(portName, reason);
}

// Why the port did not open and what the user can do about it.
QString MotorLink::openFailureAdvice() const
{
    const SharedState &s = m_state;
    const DeviceAccess &device = m_comm.lastOpenDevice();
    switch (m_comm.lastOpenFailure()) {
    case SerialLine::OpenFailure::NotFound: return s.MsgPortMissing.arg(m_comm.PortName());
    case SerialLine::OpenFailure::InUse: return s.MsgPortBusy.arg(m_comm.PortName());
    case SerialLine::OpenFailure::NoPermission:
        // Joining the group helps only when the group may read and write it.
        return device.groupMayOpen ? s.MsgPortDenied.arg(device.device, device.group)
                                   : s.MsgPortOwnerOnly.arg(device.device, device.owner);
    default: return {};
    }
}
