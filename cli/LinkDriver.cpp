#include "LinkDriver.h"

#include "DeviceAccess.h"
#include "FrameText.h"
#include "Frames.h"
#include "MotorLink.h"

#include <QTimer>

namespace {

constexpr Language English = Language::English;

bool isRead(Byte function)
{
    return function == Frame::ReadBasic || function == Frame::ReadExtended;
}

Target frameTarget(const QByteArray &bytes)
{
    Target t;
    t.id = Byte(bytes[Frame::Id]);
    t.mask.bytes = {Byte(bytes[Frame::Mask0]), Byte(bytes[Frame::Mask1])};
    return t;
}

} // namespace

LinkDriver::LinkDriver(QObject *parent) : QObject(parent), m_link(std::make_unique<MotorLink>())
{
    MotorLink &link = *m_link;
    using D = WireLine::Direction;
    // First, so that each line is out before anything the event leads to.
    connect(&link, &MotorLink::frameSent, this, [this](const QByteArray &b) {
        emit wire({msSinceOpened(), D::Sent, b, FrameText::sent(b, English)});
        if (b.size() != Frame::CommandSize)
            return;
        const Byte function = Byte(b[Frame::Function]);
        m_writeOut = m_writeOut || (m_writeFunction && function == m_writeFunction);
        emit frameSent(function, Byte(b[Frame::Data]));
    });
    connect(&link, &MotorLink::frameReceived, this, [this](const QByteArray &b) {
        emit wire({msSinceOpened(), D::Received, b, FrameText::received(b, English)});
        if (b.size() != Frame::ResponseSize || isRead(Byte(b[7])))
            return;
        // Acted on once the link has taken the answer (position, status).
        const Target from = frameTarget(b);
        QTimer::singleShot(0, this, [this, from] { emit statusAnswer(from, m_position, m_status); });
    });
    connect(&link, &MotorLink::bytesDiscarded, this, [this](const QByteArray &b, MotorLink::Discard why, qint64 n) {
        emit wire({msSinceOpened(), D::Discarded, b, FrameText::discarded(why, n, English)});
        emit discarded(why, n);
    });
    connect(&link, &MotorLink::portEvent, this, [this](MotorLink::PortEvent event, const QString &name, int bps) {
        emit wire({msSinceOpened(), D::Port, {}, FrameText::port(event, name, bps, English)});
    });
    // Connected after the link's own slot: listeners run after each tick.
    connect(&link.tickTimer(), &QTimer::timeout, this, &LinkDriver::ticked);
    connect(&link, &MotorLink::basicReport, this, [this](const FeatureValues &v) {
        // Reported once the link is done with the answer (ID and channels).
        QTimer::singleShot(0, this, [this, v] { emit basicReport(v, m_lastReported); });
    });
    connect(&link, &MotorLink::frameReceived, this, [this](const QByteArray &b) {
        if (b.size() == Frame::ResponseSize && Byte(b[7]) == Frame::ReadBasic)
            m_lastReported = frameTarget(b);
    });
    connect(&link, &MotorLink::extendedReport, this,
            [this](const FeatureValues &v) { QTimer::singleShot(0, this, [this, v] { emit extendedReport(v); }); });
    connect(&link, &MotorLink::writeConfirmed, this, &LinkDriver::writeConfirmed);
    connect(&link, &MotorLink::writeFailed, this, &LinkDriver::writeFailed);
    connect(&link, &MotorLink::positionReported, this, [this](int percent, bool) { m_position = percent; });
    connect(&link, &MotorLink::positionUnknown, this, [this] { m_position = -1; });
    connect(&link, &MotorLink::statusReported, this, [this](Byte status) { m_status = status; });
    connect(&link, &MotorLink::portError, this,
            [this](const QString &text, OpenCause cause, const DeviceAccess &) { emit openFailed(cause, text); });
    connect(&link, &MotorLink::portLost, this,
            [this](const QString &, const QString &reason) { emit portLost(reason); });
    connect(&link, &MotorLink::serialError, this, &LinkDriver::lineError);
    // No status polls between reads and writes until asked for.
    link.setStatusPolling(false);
}

LinkDriver::~LinkDriver() = default;

bool LinkDriver::open(const QString &port, int baudCode)
{
    if (baudCode >= 0)
        m_link->motorSettings().deviceBaudCode = Byte(baudCode);
    m_link->tickTimer().start();
    return m_link->choosePort(port, baudCode < 0);
}

void LinkDriver::scan()
{
    m_link->startSettingsRead(false);
}
bool LinkDriver::scanning() const
{
    return m_link->isScanning();
}
int LinkDriver::rateBps() const
{
    return m_link->serial().bitsPerSecond();
}
qint64 LinkDriver::msSinceOpened() const
{
    return m_link->msSincePortOpened();
}
const DeviceAccess &LinkDriver::lastOpenDevice() const
{
    return m_link->serial().lastOpenDevice();
}

void LinkDriver::setTarget(const Target &target)
{
    m_link->setTarget({target.id, target.mask});
}

Target LinkDriver::target() const
{
    return {m_link->target().id, m_link->target().channels};
}

void LinkDriver::setStatusPolling(bool on)
{
    m_link->setStatusPolling(on);
}

bool LinkDriver::isIdle() const
{
    return m_link->isIdle();
}

void LinkDriver::readBasic()
{
    m_link->readSettings(Frame::ReadBasic);
}

void LinkDriver::readExtended()
{
    m_link->queueExtendedRead();
}

bool LinkDriver::extendedReadUnderWay() const
{
    const auto &out = m_link->outgoing();
    return std::holds_alternative<LinkJob::ExtendedRead>(m_link->job())
        || (out && out->function == Frame::ReadExtended);
}

void LinkDriver::dropExtendedRead()
{
    m_link->skipExtendedRead();
}

FeatureValues LinkDriver::values() const
{
    return m_link->motorSettings();
}

void LinkDriver::write(const Change &change)
{
    const SettingName &name = *change.setting;
    if (name.form == SettingName::Form::Target)
        setTarget(change.target);
    else
        m_link->motorSettings().*name.field() = change.applied(m_link->motorSettings().*name.field());
    m_writeFunction = Settings::row(name.item)->function;
    m_writeOut = false;
    m_link->writeSetting(name.item);
}

void LinkDriver::sendCommand(Byte function, Byte data)
{
    m_writeFunction = 0;
    m_link->sendMotorCommand(function, data);
}

void LinkDriver::halt()
{
    m_link->tickTimer().stop();
}
