#include "ResponseHandler.h"

#include "MotorLink.h"
#include "MotorSettings.h"
#include "SerialLine.h"

#include <utility>

ResponseHandler::ResponseHandler(MotorLink &link) : m_link(link), m_serial(link.serial()) {}

void ResponseHandler::readAndExamine()
{
    m_serial.setReceiveThreshold(0); // no further receive event while this one runs
    if (m_serial.bytesWaiting() > 0) {
        const qint64 discardedBefore = m_serial.discardedBytes();
        const SerialLine::ReadResult read = m_serial.readBytes();
        if (const qint64 flood = m_serial.discardedBytes() - discardedBefore; flood > 0) {
            // Nothing of a flood, nor what waited before it, is acted on.
            forgetWaiting();
            emit m_link.bytesDiscarded({}, MotorLink::Discard::Flood, flood);
        } else {
            examine(read.bytes, read.lastIndex + 1);
        }
    }
    m_serial.setReceiveThreshold(1);
}

void ResponseHandler::forgetWaiting()
{
    if (!m_waiting.isEmpty())
        emit m_link.bytesDiscarded(m_waiting, MotorLink::Discard::CutOff, m_waiting.size());
    m_waiting.clear();
    ++m_generation;
}

// Bytes that are not part of a valid answer, told apart for a bus monitor:
// a lead byte followed by a whole frame's worth is an answer with a wrong
// check byte, a shorter one was cut off, anything else is noise.
void ResponseHandler::discard(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    MotorLink::Discard why = MotorLink::Discard::Noise;
    if (Byte(bytes.front()) == Frame::ResponseLead)
        why = bytes.size() >= Frame::ResponseSize ? MotorLink::Discard::BadCheck : MotorLink::Discard::CutOff;
    emit m_link.bytesDiscarded(bytes, why, bytes.size());
}

// Every whole, valid answer among the bytes is acted on, in the order it
// arrived, whatever lies before or after it; bytes that cannot belong to an
// answer are skipped one at a time, so the next lead byte resynchronises.  A
// tail that may still become an answer waits for the next read.
void ResponseHandler::examine(const Byte *bytes, int count)
{
    QByteArray buffer = std::exchange(m_waiting, {});
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
        emit m_link.frameReceived(buffer.mid(at, Frame::ResponseSize));
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
    m_waiting = buffer.mid(tail);
}

// Only an answer of the motor the last frame addressed is acted on; another
// motor's (late, duplicated, stale) is reported as a status answer from it
// at most, and stores, confirms and moves nothing.
void ResponseHandler::handleFrame(const Frame::Response &f)
{
    ++m_framesUnderstood;
    const MotorTarget from {f.id(), f.mask()};
    const bool fromAddressed = m_link.isFromAddressed(from);
    emit m_link.answerFrom(from);
    const bool isStatus = !f.isBasic() && !f.isExtended();
    if (isStatus) {
        const bool known = f.status() & Frame::StatusPositionKnown;
        emit m_link.statusAnswer(
            {from, known ? std::optional<int>(f.b[Frame::PositionByte]) : std::nullopt, f.status(), fromAddressed});
    }
    if (!fromAddressed)
        return;
    m_link.m_answerSeen = true;
    if (f.isBasic()) {
        // Byte 8 of a basic report holds the curtain functions, not the
        // status: the limit points stay as the last status answer left them.
        basicReport(f);
        return;
    }
    m_link.m_deviceStatus = f.status();
    if (f.isExtended())
        extendedReport(f);
    else
        statusReport(f);
    emit m_link.statusReported(m_link.m_deviceStatus);
}

void ResponseHandler::decodeBasic(const Frame::Response &f, FeatureValues &v)
{
    v.deviceBaudCode = f.b[Frame::BaudCodeByte];
    v.dryContactMode = f.b[Frame::DryContactByte];
    v.maxSpeed = f.b[Frame::MaxSpeedByte];
    v.featureFlags = f.b[Frame::FeatureFlagsByte];
}

void ResponseHandler::decodeExtended(const Frame::Response &f, FeatureValues &v)
{
    v.jogTime = f.b[Frame::JogTimeByte];
    v.obstacleSensitivity = f.b[Frame::SensitivityByte];
    v.reboundTime = f.b[Frame::ReboundByte];
}

std::optional<Settings::Item> ResponseHandler::itemBeingReadBack() const
{
    if (const auto *r = std::get_if<LinkJob::ReadBack>(&m_link.m_job))
        return r->item;
    if (const auto *b = std::get_if<LinkJob::BaudApply>(&m_link.m_job); b && !b->confirmed)
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
        return f.id() == m_link.target().id && f.mask() == m_link.target().channels;
    return f.b[row->reportByte] == m_link.m_settings.*row->value;
}

void ResponseHandler::confirm()
{
    const Settings::Item item = *itemBeingReadBack();
    if (auto *apply = std::get_if<LinkJob::BaudApply>(&m_link.m_job))
        apply->confirmed = true; // the port still moves to the new rate
    else
        m_link.m_job = LinkJob::Idle {};
    // The read-back may be half sent: the next command starts a pair of its own.
    m_link.m_outgoing.reset();
    emit m_link.writeConfirmed(item);
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
}

void ResponseHandler::basicReport(const Frame::Response &f)
{
    const std::optional<Settings::ReadBack> way = readBackWay();
    if (way != Settings::ReadBack::Basic && way != Settings::ReadBack::Id)
        loadBasicSettings(f);
    else if (readsBack(f, *way))
        confirm();
}

void ResponseHandler::loadBasicSettings(const Frame::Response &f)
{
    FeatureValues &v = m_link.m_settings;
    decodeBasic(f, v);
    if (!MotorSettings::baudCodeBps(v.deviceBaudCode)) {
        // A code no rate has: fall back to the device's default rate.
        v.deviceBaudCode = MotorSettings::DefaultBaudCode;
        m_link.reopenPort(*MotorSettings::baudCodeBps(MotorSettings::DefaultBaudCode));
    }
    // A listener may store some values again as it shows them (a speed of
    // 40 shown on a radio box becomes its minimum of 50).
    emit m_link.basicReport({{f.id(), f.mask()}, v});

    if (!std::holds_alternative<LinkJob::BaudScan>(m_link.m_job))
        return;
    // This report ends a scan: the port stays at the rate that produced it,
    // and the extended settings are read next.
    const int id = f.id();
    if (id <= MotorSettings::MaxId) {
        emit m_link.reportedId(id);
        m_link.setTarget({id, f.mask()});
    } else {
        // No ID list holds it and no table entry belongs to it: keep the
        // current target and its channels and say so.
        emit m_link.reportedIdOutOfRange(id);
    }
    m_link.endScan(LinkJob::ExtendedRead {});
    emit m_link.reportedChannels();
}

void ResponseHandler::loadExtendedSettings(const Frame::Response &f)
{
    FeatureValues &v = m_link.m_settings;
    decodeExtended(f, v);
    emit m_link.extendedReport({{f.id(), f.mask()}, v});
}

void ResponseHandler::statusReport(const Frame::Response &f)
{
    if (!(f.status() & Frame::StatusPositionKnown)) {
        emit m_link.positionUnknown();
        return;
    }
    const Byte position = f.b[Frame::PositionByte];
    MotorLink::PositionTarget &t = m_link.m_position;
    const bool targetPending = t.pending;
    if (!targetPending) {
        t.settleCount = 0;
    } else {
        // The pointer stays where the user put it until the motor gets there
        // or stops reporting that it is on its way.
        if (position >= t.percent - 1 && position <= t.percent + 1 && !t.dragging)
            t.pending = false;
        if (f.status() & Frame::StatusKeepTarget) {
            t.settleCount = 0;
        } else if (!t.dragging && ++t.settleCount >= 5) {
            t.settleCount = 0;
            t.pending = false;
        }
    }
    emit m_link.positionReported(position, targetPending);
}
