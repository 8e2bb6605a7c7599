#include "BusLink.h"

#include "Frames.h"
#include "MotorLink.h"
#include "MqttText.h"

BusLink::BusLink(QObject *parent) : QObject(parent), m_link(std::make_unique<MotorLink>())
{
    m_link->setStatusPolling(true);
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(MotorLink::TickMs);
    connect(&m_tick, &QTimer::timeout, this, &BusLink::onTick);
    connect(m_link.get(), &MotorLink::frameSent, this, &BusLink::frameSent);
    connect(m_link.get(), &MotorLink::frameReceived, this, &BusLink::frameReceived);
    connect(m_link.get(), &MotorLink::statusAnswer, this, &BusLink::onStatusAnswer);
    connect(m_link.get(), &MotorLink::readDone, this, &BusLink::readDone);
    connect(m_link.get(), &MotorLink::writeDone, this, &BusLink::writeDone);
    connect(m_link.get(), &MotorLink::portLost, this, [this](const QString &, const QString &reason) {
        m_tick.stop();
        emit portLost(reason);
    });
}

BusLink::~BusLink()
{
    m_inventory.reset(); // it gives the link back before the link goes
}

int BusLink::rate() const
{
    return m_link->serial().bitsPerSecond();
}

bool BusLink::startScan()
{
    if (!isOpen() || scanning())
        return false;
    m_inventory = std::make_unique<LineInventory>(*m_link);
    connect(m_inventory.get(), &LineInventory::progress, this,
            [this](int done, int total, int, int) { emit scanProgress(total > 0 ? done * 100 / total : 0); });
    connect(m_inventory.get(), &LineInventory::finished, this,
            [this](bool complete) { emit scanFinished(m_inventory->found(), complete); });
    return m_inventory->start({});
}

bool BusLink::open(const QString &port, std::optional<int> baudCode, const MotorTarget &scanTarget, QString *error)
{
    if (baudCode)
        m_link->setLineBaudCode(Byte(*baudCode));
    m_link->setTarget(scanTarget);
    QString why;
    const auto conn = connect(m_link.get(), &MotorLink::portError, this,
                              [&why](const QString &text, MotorLink::PortCause cause, const DeviceAccess &device) {
                                  why = openFailureText(text, cause, device);
                              });
    const bool ok = m_link->choosePort(port, !baudCode);
    disconnect(conn);
    if (!ok) {
        *error = why;
        return false;
    }
    m_tick.start();
    return true;
}

QString BusLink::openFailureText(const QString &serialText, MotorLink::PortCause cause, const DeviceAccess &device)
{
    switch (cause) {
    case MotorLink::PortCause::NotFound: return mqttText(MqttText::MqttPortNotFound);
    case MotorLink::PortCause::InUse: return mqttText(MqttText::MqttPortBusy);
    case MotorLink::PortCause::NoPermission:
        // Joining the group helps only when the group may read and write the device.
        return device.groupMayOpen ? mqttText(MqttText::MqttPortDenied).arg(device.device, device.group)
                                   : mqttText(MqttText::MqttPortOwnerOnly).arg(device.device, device.owner);
    default: return serialText;
    }
}

void BusLink::close()
{
    m_tick.stop();
    m_link->closePort();
}

bool BusLink::isOpen() const
{
    return m_link->portUsable();
}

void BusLink::onTick()
{
    if (scanning()) {
        m_link->tick(); // the scan drives the line
        return;
    }
    const bool busy = m_link->outgoing() || m_link->isScanning();
    // A settings job waiting for answers lets a command through (its
    // answers come within the tick after its frame, about 20 ms into 150
    // ms, before the command leaves); its own frames go out first.
    const BusWork work = m_workSource ? m_workSource(!busy, !m_link->isIdle()) : BusWork {};
    if (!busy) {
        // Frames take their target at sending time, so it is set just before the tick.
        m_link->setTarget(work.kind == BusWork::Idle ? MotorTarget {} : work.to); // an idle tick polls no one
        if (work.kind == BusWork::Send)
            m_link->sendMotorCommand(work.function, work.data);
    }
    m_link->tick();
}

// Every motor's answer counts here: the scheduler matches it to its cover by
// the ID and channels it names.  A position past 100 is no cover's.
void BusLink::onStatusAnswer(const StatusReport &r)
{
    if ((r.percent && *r.percent > 100) || scanning())
        return;
    emit statusAnswer(r.from, r.percentOrUnknown(), r.status);
}
