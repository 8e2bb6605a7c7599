#include "TransmitTick.h"

#include "LinkEvents.h"
#include "LinkState.h"
#include "MotorSettings.h"
#include "SerialLine.h"

TransmitTick::TransmitTick(LinkState &state, LinkEvents &events, SerialLine &serial)
    : m_state(state), m_events(events), m_serial(serial)
{
}

void TransmitTick::run()
{
    if (m_serial.isOpen() && m_state.portChosen)
        act();
    statusTimeout();
}

void TransmitTick::act()
{
    if (m_state.outgoing)
        sendOutgoing();
    else
        std::visit([this](auto &job) { step(job); }, m_state.job);
}

void TransmitTick::sendOutgoing()
{
    LinkState::Outgoing &out = *m_state.outgoing;
    send(out.function, out.data, out.to);
    if (LinkJob::Answers *answers = LinkJob::answersCounted(m_state.job))
        ++answers->asked;
    if (++out.sent >= 2)
        m_state.outgoing.reset();
}

// Target and channels are taken at the moment of sending, not of asking,
// unless the frame has its own address.
void TransmitTick::send(Byte function, Byte data, std::optional<MotorTarget> to)
{
    const MotorTarget target = to.value_or(m_state.target());
    const auto frame = Frame::command(Byte(target.id), target.channels, function, data);
    m_state.addressed = LinkState::Addressed {target, function, m_state.servingRequest()};
    m_state.ticksSinceSent = 0;
    if (m_serial.writeBytes(frame.data(), Frame::CommandSize))
        m_events.wrote(QByteArray(reinterpret_cast<const char *>(frame.data()), Frame::CommandSize));
}

// Nothing else to do: one status poll, if one motor on one channel can answer it.
void TransmitTick::step(LinkJob::Idle)
{
    if (!m_state.requests.empty())
        startRequest();
    else if (m_state.statusPolling && m_state.target().isOneMotorChannel())
        send(Frame::StatusPoll, 0x00);
}

void TransmitTick::step(LinkJob::BaudScan &scan)
{
    ++scan.step;
    if (scan.step <= ScanRates) {
        m_events.moveToRate(*MotorSettings::baudCodeBps(scan.step - 1));
        m_state.readSettings(Frame::ReadBasic);
    } else if (scan.step >= ScanGiveUpStep) {
        const bool collided = scan.collidedBps != 0;
        m_events.moveToRate(collided ? scan.collidedBps : MotorSettings::DefaultBps);
        const bool announce = scan.announceEnd;
        const auto end = collided ? LinkEvents::ScanEnd::SeveralAnswered : LinkEvents::ScanEnd::NoneAnswered;
        m_state.job = LinkJob::Idle {}; // giving up leads to idle
        m_events.scanOver(end, announce);
    }
    // steps 6 and 7 wait for a late answer
}

void TransmitTick::step(LinkJob::ExtendedRead)
{
    m_state.readSettings(Frame::ReadExtended);
    m_state.job = LinkJob::Idle {};
}

void TransmitTick::step(LinkJob::BaudApply apply)
{
    if (const auto rate = MotorSettings::baudCodeBps(apply.value))
        m_events.moveToRate(*rate);
    if (apply.confirmed)
        m_state.job = LinkJob::Idle {};
    else
        m_state.job = LinkJob::ReadBack {apply.item, 0, apply.otherValueSeen, apply.value, apply.request};
}

void TransmitTick::step(LinkJob::ReadBack &readBack)
{
    const Settings::Row *row = Settings::row(readBack.item);
    if (++readBack.attempt <= MaxReadBacks) {
        const Byte read = row && row->readBack == Settings::ReadBack::Extended ? Frame::ReadExtended : Frame::ReadBasic;
        // A named write is read back from its motor, whatever the panel's target.
        m_state.stage(read, read, true, readBack.request ? std::optional(readBack.request->motor) : std::nullopt);
    } else {
        const LinkJob::ReadBack ended = readBack;
        // Ended before anyone is told, so the ticks meanwhile do not retry.
        m_state.job = LinkJob::Idle {};
        if (!ended.request) {
            m_events.writeEnded(ended.item, false, ended.otherValueSeen);
            return;
        }
        WriteResult result {*ended.request, WriteResult::Outcome::NotConfirmed};
        result.otherValueSeen = ended.otherValueSeen;
        endRequest(result);
    }
}

// The question before an ID write has had its answers: the write goes out
// to the new address, or nothing does and the reason is told.
void TransmitTick::step(LinkJob::IdWriteAsk &ask)
{
    if (++ask.waited < AnswerWaitTicks)
        return;
    const bool garbled = ask.garbled || !m_state.partialAnswer.isEmpty();
    std::optional<LinkEvents::IdWriteRefusal> refusal;
    if (ask.heard.several)
        refusal = LinkEvents::IdWriteRefusal::SeveralAnswered;
    else if (garbled)
        refusal = LinkEvents::IdWriteRefusal::Garbled;
    else if (!ask.heard.first)
        refusal = LinkEvents::IdWriteRefusal::NoneAnswered;
    if (refusal) {
        m_state.job = LinkJob::Idle {};
        m_events.idWriteNotSent(*refusal);
        return;
    }
    m_state.stage(Frame::ForceIdChannels, 0xAA, true, ask.newAddress);
    LinkJob::IdWriteCheck check;
    check.newAddress = ask.newAddress;
    check.oldAddress = *ask.heard.first;
    m_state.job = check;
}

// After the ID write: the new address must answer with the written channels,
// then the old address (another ID) must stay silent for its answer window.
void TransmitTick::step(LinkJob::IdWriteCheck &check)
{
    if (!check.newAnswered) {
        if (++check.attempt <= MaxReadBacks)
            m_state.stage(Frame::ReadBasic, Frame::ReadBasic, true, check.newAddress);
        else
            endIdWrite(false, false); // the new address stayed silent
        return;
    }
    if (check.oldAddress.id == check.newAddress.id) {
        endIdWrite(true, true); // no other address to be silent
    } else if (check.waited < 0) {
        m_state.stage(Frame::ReadBasic, Frame::ReadBasic, true, check.oldAddress);
        check.waited = 0;
    } else if (check.oldHeard) {
        endIdWrite(false, true); // the old address still answers
    } else if (++check.waited >= AnswerWaitTicks) {
        endIdWrite(true, true);
    }
}

void TransmitTick::endIdWrite(bool confirmed, bool motorAnswered)
{
    m_state.job = LinkJob::Idle {};
    m_events.writeEnded(Settings::IdAndChannels, confirmed, motorAnswered);
}

void TransmitTick::startRequest()
{
    const NamedRequest request = m_state.requests.front();
    m_state.requests.pop_front();
    if (const auto *read = std::get_if<NamedRead>(&request)) {
        if (read->rateBps != 0 && read->rateBps != m_serial.bitsPerSecond())
            m_events.moveToRate(read->rateBps);
        m_state.readSettings(read->readFunction, read->motor);
        m_state.job = LinkJob::ReadAsk {*read};
        return;
    }
    const NamedWrite &write = std::get<NamedWrite>(request);
    if (write.force) {
        startWrite(write);
        return;
    }
    m_state.readSettings(Frame::ReadBasic, write.motor);
    m_state.job = LinkJob::WriteAsk {write};
}

void TransmitTick::startWrite(const NamedWrite &request)
{
    const Settings::Row &r = *Settings::row(request.item);
    m_state.stage(r.function, r.value ? request.value : Byte(0xAA), true, request.motor);
    if (request.item == Settings::BaudCode)
        m_state.job = LinkJob::BaudApply {request.item, request.value, false, false, request};
    else
        m_state.job = LinkJob::ReadBack {request.item, 0, false, request.value, request};
}

// Has the question had its answers?  A question whose answers came garbled
// is asked once more (noise seldom strikes twice): false then too.
bool TransmitTick::questionOver(LinkJob::Question &question, const MotorTarget &motor, Byte readFunction)
{
    if (++question.waited < AnswerWaitTicks)
        return false;
    if (question.garbles > 0 && question.round == 1) {
        m_state.readSettings(readFunction, motor);
        question = LinkJob::Question {2};
        return false;
    }
    return true;
}

// What the answers say of the named motor: None when exactly one motor
// answered cleanly and it is the named one (its channels include the named).
WriteResult::Refusal TransmitTick::judge(const LinkJob::Question &question, const MotorTarget &named)
{
    using R = WriteResult::Refusal;
    const bool garbled = question.garbles > 0;
    const std::optional<MotorTarget> &answered = question.heard.first;
    if (question.heard.several || (garbled && answered))
        return R::SharedId;
    if (garbled)
        return R::SeveralAtOnce;
    if (!answered)
        return R::NotOnLine;
    if (answered->id != named.id || (answered->channels.word() & named.channels.word()) != named.channels.word())
        return R::OtherMotor;
    return R::None;
}

// The named motor's ID has had its answers: the write goes out, or nothing
// is sent and the reason is told.
void TransmitTick::step(LinkJob::WriteAsk &ask)
{
    if (!questionOver(ask.question, ask.request.motor, Frame::ReadBasic))
        return;
    const WriteResult::Refusal refusal = judge(ask.question, ask.request.motor);
    if (refusal == WriteResult::Refusal::None) {
        startWrite(ask.request);
        return;
    }
    WriteResult result {ask.request, WriteResult::Outcome::Refused, refusal};
    result.answered = ask.question.heard.first;
    m_state.job = LinkJob::Idle {};
    endRequest(result);
}

void TransmitTick::step(LinkJob::ReadAsk &ask)
{
    if (!questionOver(ask.question, ask.request.motor, ask.request.readFunction))
        return;
    using R = WriteResult::Refusal;
    using O = ReadResult::Outcome;
    const R heard = judge(ask.question, ask.request.motor);
    const O outcome = heard == R::None ? O::Read
        : heard == R::NotOnLine        ? O::Silent
        : heard == R::OtherMotor       ? O::OtherMotor
                                       : O::SeveralAnswered;
    ReadResult result {ask.request, outcome};
    result.answered = ask.question.heard.first;
    if (outcome == O::Read)
        result.values = ask.values;
    result.rateBps = m_serial.bitsPerSecond();
    m_state.job = LinkJob::Idle {};
    m_events.readEnded(result);
}

void TransmitTick::endRequest(WriteResult result)
{
    result.rateBps = m_serial.bitsPerSecond();
    m_events.requestEnded(result);
}

void TransmitTick::statusTimeout()
{
    ++m_state.ticksSinceSent;
    if (m_state.answerSeen) {
        m_state.answerSeen = false;
        m_state.silentTicks = 0;
        return;
    }
    if (++m_state.silentTicks >= LinkState::SilenceTicks) {
        m_state.silentTicks = 0;
        m_events.silence();
        m_state.deviceStatus = 0;
        m_events.statusByte(0);
    }
}
