#include "LinkDriver.h"

#include "DeviceAccess.h"
#include "FrameText.h"
#include "Frames.h"
#include "MotorLink.h"

#include <QTimer>

#include <utility>

namespace {

constexpr Language English = Language::English;

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
    });
    // The reports of a read reach the session once the link is done with
    // that read, so that the session may start new work on them at once.
    connect(&link, &MotorLink::statusAnswer, this, [this](const StatusReport &r) {
        m_heldReports.push_back([this, r] { emit statusAnswer(r.from, r.percentOrUnknown(), r.status); });
    });
    connect(&link, &MotorLink::basicReport, this, [this](const SettingsReport &r) {
        m_heldReports.push_back([this, r] { emit basicReport(r.values, r.from); });
    });
    connect(&link, &MotorLink::answersHandled, this, [this] {
        if (m_heldReports.empty())
            return;
        for (const auto &tell : std::exchange(m_heldReports, {}))
            tell();
    });
    connect(&link, &MotorLink::bytesDiscarded, this, [this](const QByteArray &b, MotorLink::Discard why, qint64 n) {
        emit wire({msSinceOpened(), D::Discarded, b, FrameText::discarded(why, n, English)});
        emit discarded(why, n);
    });
    connect(&link, &MotorLink::portEvent, this, [this](MotorLink::PortEvent event, const QString &name, int bps) {
        emit wire({msSinceOpened(), D::Port, {}, FrameText::port(event, name, bps, English)});
    });
    connect(&link, &MotorLink::ticked, this, &LinkDriver::ticked);
    connect(&link, &MotorLink::writeDone, this, &LinkDriver::writeDone);
    connect(&link, &MotorLink::readDone, this, &LinkDriver::readDone);
    connect(&link, &MotorLink::scanEnded, this, &LinkDriver::scanEnded);
    connect(&link, &MotorLink::writeConfirmed, this, &LinkDriver::writeConfirmed);
    connect(&link, &MotorLink::writeFailed, this, &LinkDriver::writeFailed);
    connect(&link, &MotorLink::idWriteRefused, this, &LinkDriver::idWriteRefused);
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
        m_link->setLineBaudCode(Byte(baudCode));
    m_link->tickTimer().start();
    return m_link->choosePort(port, baudCode < 0);
}

void LinkDriver::scan()
{
    m_link->startSettingsRead(false);
}
bool LinkDriver::reopenAt(int bps)
{
    return m_link->reopenAt(bps);
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

void LinkDriver::setTarget(const MotorTarget &target)
{
    m_link->setTarget(target);
}

MotorTarget LinkDriver::target() const
{
    return m_link->target();
}

void LinkDriver::setStatusPolling(bool on)
{
    m_link->setStatusPolling(on);
}

void LinkDriver::read(const NamedRead &request)
{
    m_link->read(request);
}

void LinkDriver::dropExtendedRead()
{
    m_link->skipExtendedRead();
}

SettingValues LinkDriver::values() const
{
    return m_link->motorSettings();
}

void LinkDriver::write(const Change &change, const SettingValues &current, const MotorTarget &motor, bool force)
{
    const SettingName &name = *change.setting;
    m_writeFunction = Settings::row(name.item)->function;
    m_writeOut = false;
    if (name.kind() == Settings::Kind::Address) {
        // Every motor that hears an ID write takes it: the line is asked
        // first, unless this is the forced write for a motor that cannot be read.
        setTarget(change.target);
        m_link->writeId(name.inReport ? MotorLink::IdWrite::AskLineFirst : MotorLink::IdWrite::Forced);
        return;
    }
    m_link->write({motor, name.item, change.applied(current.*name.field()), force});
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
