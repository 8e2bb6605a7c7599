#include "TransmitTick.h"

#include "MotorLink.h"
#include "ResponseHandler.h"
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
    send(out.function, out.data, out.to);
    if (++out.sent >= 2)
        m_link.m_outgoing.reset();
}

// Target and channels are taken at the moment of sending, not of asking,
// unless the frame has its own address.
void TransmitTick::send(Byte function, Byte data, std::optional<MotorTarget> to)
{
    const MotorTarget target = to.value_or(m_link.target());
    const auto frame = Frame::command(Byte(target.id), target.channels, function, data);
    m_link.m_addressed = MotorLink::Addressed {target, function};
    m_link.m_ticksSinceSent = 0;
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
        m_link.m_job = LinkJob::ReadBack {apply.item, 0, apply.otherValueSeen};
}

void TransmitTick::step(LinkJob::ReadBack &readBack)
{
    const Settings::Row *row = Settings::row(readBack.item);
    if (++readBack.attempt <= MaxReadBacks) {
        m_link.readSettings(row && row->readBack == Settings::ReadBack::Extended ? Frame::ReadExtended
                                                                                 : Frame::ReadBasic);
    } else {
        const Settings::Item item = readBack.item;
        const bool answered = readBack.otherValueSeen;
        // Ended before anyone is told, so the ticks meanwhile do not retry.
        m_link.m_job = LinkJob::Idle {};
        emit m_link.writeFailed(item, answered);
    }
}

// The question before an ID write has had its answers: the write goes out
// to the new address, or nothing does and the reason is told.
void TransmitTick::step(LinkJob::IdWriteAsk &ask)
{
    if (++ask.waited < MotorLink::AnswerWaitTicks)
        return;
    const bool garbled = ask.garbled || m_link.m_responses->answerArriving();
    std::optional<MotorLink::IdWriteRefusal> refusal;
    if (ask.several)
        refusal = MotorLink::IdWriteRefusal::SeveralAnswered;
    else if (garbled)
        refusal = MotorLink::IdWriteRefusal::Garbled;
    else if (!ask.answered)
        refusal = MotorLink::IdWriteRefusal::NoneAnswered;
    if (refusal) {
        m_link.m_job = LinkJob::Idle {};
        emit m_link.idWriteRefused(*refusal);
        return;
    }
    m_link.stage(Frame::ForceIdChannels, 0xAA, true, ask.newAddress);
    LinkJob::IdWriteCheck check;
    check.newAddress = ask.newAddress;
    check.oldAddress = *ask.answered;
    m_link.m_job = check;
}

// After the ID write: the new address must answer with the written channels,
// then the old address (another ID) must stay silent for its answer window.
void TransmitTick::step(LinkJob::IdWriteCheck &check)
{
    if (!check.newAnswered) {
        if (++check.attempt <= MaxReadBacks)
            m_link.stage(Frame::ReadBasic, Frame::ReadBasic, true, check.newAddress);
        else
            endIdWrite(false, false); // the new address stayed silent
        return;
    }
    if (check.oldAddress.id == check.newAddress.id) {
        endIdWrite(true, true); // no other address to be silent
    } else if (check.waited < 0) {
        m_link.stage(Frame::ReadBasic, Frame::ReadBasic, true, check.oldAddress);
        check.waited = 0;
    } else if (check.oldHeard) {
        endIdWrite(false, true); // the old address still answers
    } else if (++check.waited >= MotorLink::AnswerWaitTicks) {
        endIdWrite(true, true);
    }
}

void TransmitTick::endIdWrite(bool confirmed, bool motorAnswered)
{
    m_link.m_job = LinkJob::Idle {};
    if (confirmed)
        emit m_link.writeConfirmed(Settings::IdAndChannels);
    else
        emit m_link.writeFailed(Settings::IdAndChannels, motorAnswered);
}

void TransmitTick::statusTimeout()
{
    ++m_link.m_ticksSinceSent;
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
