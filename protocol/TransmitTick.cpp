#include "TransmitTick.h"

#include "MotorLink.h"
#include "SerialLine.h"

TransmitTick::TransmitTick(MotorLink &link) : m_link(link), m_serial(link.serial()) {}

void TransmitTick::run()
{
    if (m_serial.isOpen() && m_link.m_portChosen)
        act();
    statusTimeout();
}

void TransmitTick::act()
{
    if (m_link.m_outgoing)
        sendOutgoing();
    else
        std::visit([this](auto &job) { step(job); }, m_link.m_job);
}

void TransmitTick::sendOutgoing()
{
    MotorLink::Outgoing &out = *m_link.m_outgoing;
    send(out.function, out.data);
    if (++out.sent >= 2)
        m_link.m_outgoing.reset();
}

// Target and channels are taken at the moment of sending, not of asking.
void TransmitTick::send(Byte function, Byte data)
{
    const MotorTarget target = m_link.target();
    const auto frame = Frame::command(Byte(target.id), target.channels, function, data);
    m_link.m_addressed = MotorLink::Addressed {target, function};
    if (m_serial.writeBytes(frame.data(), Frame::CommandSize))
        emit m_link.frameSent(QByteArray(reinterpret_cast<const char *>(frame.data()), Frame::CommandSize));
}

// Nothing else to do: one status poll, if one motor on one channel can answer it.
void TransmitTick::step(LinkJob::Idle)
{
    if (m_link.m_statusPolling && m_link.target().isOneMotorChannel())
        send(Frame::StatusPoll, 0x00);
}

void TransmitTick::step(LinkJob::BaudScan &scan)
{
    ++scan.step;
    if (scan.step <= ScanRates) {
        m_link.reopenPort(*MotorSettings::baudCodeBps(scan.step - 1));
        m_link.readSettings(Frame::ReadBasic);
    } else if (scan.step >= ScanGiveUpStep) {
        m_link.reopenPort(MotorSettings::DefaultBps);
        m_link.endScan(LinkJob::Idle {});
    }
    // steps 6 and 7 wait for a late answer
}

void TransmitTick::step(LinkJob::ExtendedRead)
{
    m_link.readSettings(Frame::ReadExtended);
    m_link.m_job = LinkJob::Idle {};
}

void TransmitTick::step(LinkJob::BaudApply apply)
{
    if (const auto rate = MotorSettings::baudCodeBps(m_link.m_settings.deviceBaudCode))
        m_link.reopenPort(*rate);
    if (apply.confirmed)
        m_link.m_job = LinkJob::Idle {};
    else
        m_link.m_job = LinkJob::ReadBack {apply.item, 0};
}

void TransmitTick::step(LinkJob::ReadBack &readBack)
{
    const Settings::Row *row = Settings::row(readBack.item);
    if (++readBack.attempt <= MaxReadBacks) {
        m_link.readSettings(row && row->readBack == Settings::ReadBack::Extended ? Frame::ReadExtended
                                                                                 : Frame::ReadBasic);
    } else {
        const Settings::Item item = readBack.item;
        // Ended before anyone is told, so the ticks meanwhile do not retry.
        m_link.m_job = LinkJob::Idle {};
        emit m_link.writeFailed(item);
    }
}

void TransmitTick::statusTimeout()
{
    if (m_link.m_answerSeen) {
        m_link.m_answerSeen = false;
        m_link.m_silentTicks = 0;
        return;
    }
    if (++m_link.m_silentTicks >= SilenceTicks) {
        m_link.m_silentTicks = 0;
        emit m_link.positionUnknown();
        m_link.m_deviceStatus = 0;
        emit m_link.statusReported(0);
    }
}
