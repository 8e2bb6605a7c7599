#include "ResponseHandler.h"

#include "LinkEvents.h"
#include "LinkState.h"
#include "MotorSettings.h"
#include "SerialLine.h"
#include "TransmitTick.h"

#include <algorithm>
#include <utility>

ResponseHandler::ResponseHandler(LinkState &state, LinkEvents &events, SerialLine &serial)
    : m_state(state), m_events(events), m_serial(serial)
{
}

void ResponseHandler::readAndExamine()
{
    m_serial.setReceiveThreshold(0); // no further receive event while this one runs
    if (m_serial.bytesWaiting() > 0) {
        const qint64 discardedBefore = m_serial.discardedBytes();
        const SerialLine::ReadResult read = m_serial.readBytes();
        if (const qint64 flood = m_serial.discardedBytes() - discardedBefore; flood > 0) {
            // Nothing of a flood, nor what waited before it, is acted on.
            forgetWaiting();
            m_events.discarded({}, LinkEvents::Discard::Flood, flood);
        } else {
            examine(read.bytes, read.lastIndex + 1);
        }
    }
    m_serial.setReceiveThreshold(1);
}

void ResponseHandler::forgetWaiting()
{
    QByteArray &waiting = m_state.partialAnswer;
    if (!waiting.isEmpty())
        m_events.discarded(waiting, LinkEvents::Discard::CutOff, waiting.size());
    waiting.clear();
    ++m_generation;
}

// Bytes that are not part of a valid answer, told apart for a bus monitor:
// a lead byte followed by a whole frame's worth is an answer with a wrong
// check byte, a shorter one was cut off, anything else is noise.
void ResponseHandler::discard(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    LinkEvents::Discard why = LinkEvents::Discard::Noise;
    const bool lead = Byte(bytes.front()) == Frame::ResponseLead;
    if (lead)
        why = bytes.size() >= Frame::ResponseSize ? LinkEvents::Discard::BadCheck : LinkEvents::Discard::CutOff;
    if (looksLikeCollision(bytes, lead) || repeatsGarble(bytes, lead))
        why = LinkEvents::Discard::Collision;
    noteGarble(why, bytes.size());
    m_events.discarded(bytes, why, bytes.size());
}

// One damaged answer is at most one answer's length with one lead byte.
// While an answer is awaited, more than that, a second lead inside it, or an
// answer's length of anything but an answer after a frame to every motor
// (ID 0) is what several motors answering at once leave on the line.
bool ResponseHandler::looksLikeCollision(const QByteArray &bytes, bool lead) const
{
    if (!answerAwaited())
        return false;
    const qsizetype secondLead = bytes.indexOf(char(Frame::ResponseLead), 1);
    if (lead && (bytes.size() > Frame::ResponseSize || (secondLead > 0 && secondLead < Frame::ResponseSize)))
        return true;
    return m_state.addressed->target.isGroup() && bytes.size() >= Frame::ResponseSize;
}

// An answer's length of bytes without the lead, where an answer was
// awaited, is a garbled answer.  The same motors answering the same
// question collide the same way each time, while noise does not repeat
// itself: the same garble twice in a row is several motors at once.
bool ResponseHandler::repeatsGarble(const QByteArray &bytes, bool lead)
{
    if (lead || bytes.size() != Frame::ResponseSize || !answerAwaited())
        return false;
    return std::exchange(m_state.lastGarble, bytes) == bytes;
}

bool ResponseHandler::answerAwaited() const
{
    return m_state.addressed && m_state.ticksSinceSent <= TransmitTick::AnswerWaitTicks;
}

// Answer-like bytes that are no clean answer: the line was not quiet.  A
// scan counts only answers that collided.
void ResponseHandler::noteGarble(LinkEvents::Discard why, qsizetype size)
{
    if (LinkJob::Question *question = questionUnderWay()) {
        if (size == Frame::ResponseSize) // an answer's length: an answer spoilt
            ++question->garbles;
    } else if (auto *ask = std::get_if<LinkJob::IdWriteAsk>(&m_state.job))
        ask->garbled = true;
    else if (auto *check = std::get_if<LinkJob::IdWriteCheck>(&m_state.job); check && check->waited >= 0)
        check->oldHeard = true;
    else if (auto *scan = std::get_if<LinkJob::BaudScan>(&m_state.job);
             scan && scan->step > 0 && why == LinkEvents::Discard::Collision)
        // The waiting steps stay at the last rate read.
        scan->collidedBps = *MotorSettings::baudCodeBps(std::min(scan->step, TransmitTick::ScanRates) - 1);
}

// A basic answer while an ID write asks the line or checks its result is
// counted there, not stored: the question to ID 0 reaches every motor.
bool ResponseHandler::takenByIdWrite(const Frame::Response &f, bool fromAddressed)
{
    const MotorTarget from {f.id(), f.mask()};
    if (LinkJob::Question *question = questionUnderWay()) {
        auto *read = std::get_if<LinkJob::ReadAsk>(&m_state.job);
        const Byte asked = read ? read->request.readFunction : Byte(Frame::ReadBasic);
        if (f.function() != asked || !fromAddressed)
            return false;
        if (read && !question->heard.first) // the values go with the result, not into the link's
            Settings::decode(f, f.isBasic() ? Settings::ReadBack::Basic : Settings::ReadBack::Extended,
                             read->values.emplace());
        question->heard.hear(from);
        return true;
    }
    if (auto *ask = std::get_if<LinkJob::IdWriteAsk>(&m_state.job)) {
        if (f.isBasic())
            ask->heard.hear(from);
        return f.isBasic();
    }
    if (auto *check = std::get_if<LinkJob::IdWriteCheck>(&m_state.job)) {
        if (check->waited >= 0 && from.id == check->oldAddress.id)
            check->oldHeard = true;
        else if (check->waited < 0 && fromAddressed && f.isBasic() && from == check->newAddress)
            check->newAnswered = true;
        return f.isBasic();
    }
    return false;
}

// Every whole, valid answer among the bytes is acted on, in the order it
// arrived, whatever lies before or after it; bytes that cannot belong to an
// answer are skipped one at a time, so the next lead byte resynchronises.  A
// tail that may still become an answer waits for the next read.
void ResponseHandler::examine(const Byte *bytes, int count)
{
    QByteArray buffer = std::exchange(m_state.partialAnswer, {});
    if (count > 0)
        buffer.append(reinterpret_cast<const char *>(bytes), count);
    const auto *data = reinterpret_cast<const Byte *>(buffer.constData());
    const quint64 generation = m_generation;
    qsizetype at = 0;
    qsizetype skippedFrom = 0;
    while (buffer.size() - at >= Frame::ResponseSize) {
        const auto frame = Frame::Response::parse(data + at, Frame::ResponseSize);
        if (!frame->valid()) {
            ++at;
            continue;
        }
        discard(buffer.mid(skippedFrom, at - skippedFrom));
        m_events.received(buffer.mid(at, Frame::ResponseSize));
        at += Frame::ResponseSize;
        skippedFrom = at;
        handleFrame(*frame);
        if (m_generation != generation)
            return; // the port changed under the answer: the rest belongs to the old one
    }
    qsizetype tail = buffer.indexOf(char(Frame::ResponseLead), at);
    if (tail < 0)
        tail = buffer.size();
    discard(buffer.mid(skippedFrom, tail - skippedFrom));
    m_state.partialAnswer = buffer.mid(tail);
}

// Only an answer of the motor the last frame addressed is acted on; another
// motor's (late, duplicated, stale) is reported as a status answer from it
// at most, and stores, confirms and moves nothing.
void ResponseHandler::handleFrame(const Frame::Response &f)
{
    ++m_state.framesUnderstood;
    const MotorTarget from {f.id(), f.mask()};
    // A scan asks whoever answers at a rate and takes the sender for its target.
    const bool fromAddressed = m_state.isFromAddressed(from) || (f.isBasic() && m_state.isScanning());
    m_state.lastGarble.clear();
    m_events.answered(from);
    const bool isStatus = !f.isBasic() && !f.isExtended();
    if (isStatus) {
        const bool known = f.status() & Frame::StatusPositionKnown;
        m_events.statusAnswered(
            {from, known ? std::optional<int>(f.b[Frame::PositionByte]) : std::nullopt, f.status(), fromAddressed});
    }
    if (takenByIdWrite(f, fromAddressed) || !fromAddressed || answersRequestOver())
        return;
    m_state.answerSeen = true;
    if (f.isBasic()) {
        // Byte 8 of a basic report holds the curtain functions, not the
        // status: the limit points stay as the last status answer left them.
        basicReport(f);
        return;
    }
    m_state.deviceStatus = f.status();
    if (f.isExtended())
        extendedReport(f);
    m_events.statusByte(m_state.deviceStatus);
}

std::optional<Settings::Item> ResponseHandler::itemBeingReadBack() const
{
    if (const auto *r = std::get_if<LinkJob::ReadBack>(&m_state.job))
        return r->item;
    if (const auto *b = std::get_if<LinkJob::BaudApply>(&m_state.job); b && !b->confirmed)
        return b->item;
    return std::nullopt;
}

// Does this report read back the value under verification?  Only the setting
// being read back counts, and only if it is read back this way.
bool ResponseHandler::readsBack(const Frame::Response &f, Settings::ReadBack way) const
{
    const std::optional<Settings::Item> item = itemBeingReadBack();
    const Settings::Row *row = item ? Settings::row(*item) : nullptr;
    if (!row || row->readBack != way)
        return false;
    if (way == Settings::ReadBack::Id)
        return f.id() == m_state.target().id && f.mask() == m_state.target().channels;
    const std::optional<NamedWrite> request = requestUnderWay();
    // A named write counts only its own motor's read-back.
    if (request
        && (f.id() != request->motor.id
            || (f.mask().word() & request->motor.channels.word()) != request->motor.channels.word()))
        return false;
    return f.b[row->reportByte] == valueBeingReadBack();
}

// A late answer to a frame sent for a named request that has ended belongs
// to that request: it is no news of the link's target.
bool ResponseHandler::answersRequestOver() const
{
    return std::holds_alternative<LinkJob::Idle>(m_state.job) && m_state.addressed && m_state.addressed->forRequest;
}

LinkJob::Question *ResponseHandler::questionUnderWay()
{
    if (auto *write = std::get_if<LinkJob::WriteAsk>(&m_state.job))
        return &write->question;
    if (auto *read = std::get_if<LinkJob::ReadAsk>(&m_state.job))
        return &read->question;
    return nullptr;
}

std::optional<NamedWrite> ResponseHandler::requestUnderWay() const
{
    if (const auto *r = std::get_if<LinkJob::ReadBack>(&m_state.job))
        return r->request;
    if (const auto *b = std::get_if<LinkJob::BaudApply>(&m_state.job))
        return b->request;
    return std::nullopt;
}

Byte ResponseHandler::valueBeingReadBack() const
{
    if (const auto *r = std::get_if<LinkJob::ReadBack>(&m_state.job))
        return r->value;
    if (const auto *b = std::get_if<LinkJob::BaudApply>(&m_state.job))
        return b->value;
    return 0;
}

void ResponseHandler::confirm()
{
    const Settings::Item item = *itemBeingReadBack();
    const std::optional<NamedWrite> request = requestUnderWay();
    // The read-back showed the value: now it is the motor's.
    if (const Settings::Row *r = Settings::row(item); r && r->value)
        m_state.settings.*r->value = valueBeingReadBack();
    if (auto *apply = std::get_if<LinkJob::BaudApply>(&m_state.job))
        apply->confirmed = true; // the port still moves to the new rate
    else
        m_state.job = LinkJob::Idle {};
    // The read-back may be half sent: the next command starts a pair of its own.
    m_state.outgoing.reset();
    if (request)
        m_events.requestEnded({*request, WriteResult::Outcome::Confirmed, WriteResult::Refusal::None, false,
                               std::nullopt, m_serial.bitsPerSecond()});
    else
        m_events.writeEnded(item, true, true);
}

std::optional<Settings::ReadBack> ResponseHandler::readBackWay() const
{
    const std::optional<Settings::Item> item = itemBeingReadBack();
    const Settings::Row *row = item ? Settings::row(*item) : nullptr;
    return row ? std::optional(row->readBack) : std::nullopt;
}

// A report of the kind a write under way is read back with is that
// read-back; any other report is news to store.
void ResponseHandler::extendedReport(const Frame::Response &f)
{
    if (readBackWay() != Settings::ReadBack::Extended)
        loadExtendedSettings(f);
    else if (readsBack(f, Settings::ReadBack::Extended))
        confirm();
    else
        noteOtherValue();
}

void ResponseHandler::basicReport(const Frame::Response &f)
{
    const std::optional<Settings::ReadBack> way = readBackWay();
    if (way != Settings::ReadBack::Basic && way != Settings::ReadBack::Id)
        loadBasicSettings(f);
    else if (readsBack(f, *way))
        confirm();
    else
        noteOtherValue();
}

// A read-back answer that does not match: a failure of the write is then
// the motor keeping another value, not its silence.
void ResponseHandler::noteOtherValue()
{
    if (auto *r = std::get_if<LinkJob::ReadBack>(&m_state.job))
        r->otherValueSeen = true;
    else if (auto *b = std::get_if<LinkJob::BaudApply>(&m_state.job))
        b->otherValueSeen = true;
}

void ResponseHandler::loadBasicSettings(const Frame::Response &f)
{
    SettingValues &v = m_state.settings;
    Settings::decode(f, Settings::ReadBack::Basic, v);
    if (!MotorSettings::baudCodeBps(v.deviceBaudCode)) {
        // A code no rate has: fall back to the device's default rate.
        v.deviceBaudCode = MotorSettings::DefaultBaudCode;
        m_events.moveToRate(*MotorSettings::baudCodeBps(MotorSettings::DefaultBaudCode));
    }
    // A listener may store some values again as it shows them (a speed of
    // 40 shown on a radio box becomes its minimum of 50).
    m_events.basicSettingsRead({{f.id(), f.mask()}, v});

    if (!std::holds_alternative<LinkJob::BaudScan>(m_state.job))
        return;
    // This report ends a scan: the port stays at the rate that produced it,
    // and the extended settings are read next.
    const int id = f.id();
    const bool inRange = id <= MotorSettings::MaxId;
    m_events.idFound(id, inRange);
    // Out of range, no ID list holds it and no table entry belongs to it:
    // the current target and its channels stay.
    if (inRange)
        m_state.setTarget({id, f.mask()});
    // A listener may have ended the scan meanwhile: then only the read follows.
    const auto *scan = std::get_if<LinkJob::BaudScan>(&m_state.job);
    const bool wasScanning = scan != nullptr;
    const bool announce = scan && scan->announceEnd;
    m_state.job = LinkJob::ExtendedRead {};
    if (wasScanning)
        m_events.scanOver(LinkEvents::ScanEnd::MotorAnswered, announce);
    m_events.channelsTaken();
}

void ResponseHandler::loadExtendedSettings(const Frame::Response &f)
{
    SettingValues &v = m_state.settings;
    Settings::decode(f, Settings::ReadBack::Extended, v);
    m_events.extendedSettingsRead({{f.id(), f.mask()}, v});
}
