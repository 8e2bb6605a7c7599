#include "ResponseHandler.h"

#include "MotorLink.h"
#include "SerialLine.h"

#include <utility>

ResponseHandler::ResponseHandler(MotorLink &link) : m_link(link), s(link.state()), m_comm(link.serial())
{
}

void ResponseHandler::readAndExamine()
{
    m_comm.setRThreshold(0); // no further receive event while this one runs
    if (m_comm.DataCount() > 0) {
        const qint64 discardedBefore = m_comm.discardedBytes();
        const SerialLine::ReadResult read = m_comm.ReadBytes();
        if (const qint64 flood = m_comm.discardedBytes() - discardedBefore; flood > 0) {
            // Nothing of a flood, nor what waited before it, is acted on.
            forgetWaiting();
            emit m_link.bytesDiscarded({}, MotorLink::Discard::Flood, flood);
        } else {
            examine(read.bytes, read.lastIndex + 1);
        }
    }
    m_comm.setRThreshold(1);
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

void ResponseHandler::handleFrame(const Frame::Response &f)
{
    ++m_framesUnderstood;
    s.DeviceStatus = f.status();
    s.StatusSeen = 1;
    if (f.isExtended())
        extendedReport(f);
    else if (f.isBasic())
        basicReport(f);
    else
        statusReport(f);
    emit m_link.statusReported(s.DeviceStatus);
}

// Does this report read back the value under verification?  Only the setting
// that VerifyItem names counts, and only if it is read back this way.
bool ResponseHandler::readsBack(const Frame::Response &f, Settings::ReadBack way) const
{
    const Settings::Row *row = Settings::row(s.VerifyItem);
    if (!row || row->readBack != way)
        return false;
    if (way == Settings::ReadBack::Id)
        return f.id() == s.TargetId && f.mask() == s.currentMask();
    return f.b[row->reportByte] == s.Features.*row->value;
}

void ResponseHandler::confirm(Byte &flag)
{
    flag = 0;
    // The read-back may be half sent: the next command starts a pair of its own.
    s.SendPending = s.SendCount = 0;
    s.RetryCount = 0;
    emit m_link.writeConfirmed(Settings::Item(s.VerifyItem));
}

void ResponseHandler::extendedReport(const Frame::Response &f)
{
    if (s.VerifyExtPending == 1) {
        if (readsBack(f, Settings::ReadBack::Extended))
            confirm(s.VerifyExtPending);
    } else {
        LoadExtendedSettings(f);
    }
}

void ResponseHandler::basicReport(const Frame::Response &f)
{
    if (s.VerifyBasicPending == 1) {
        if (readsBack(f, Settings::ReadBack::Basic))
            confirm(s.VerifyBasicPending);
    } else if (s.VerifyIdPending == 1) {
        if (readsBack(f, Settings::ReadBack::Id))
            confirm(s.VerifyIdPending);
    } else {
        LoadBasicSettings(f);
    }
}

void ResponseHandler::LoadBasicSettings(const Frame::Response &f)
{
    FeatureValues &v = s.Features;
    v.DeviceBaudCode = f.b[Frame::BaudCodeByte];
    v.DryContactMode = f.b[Frame::DryContactByte];
    v.MaxSpeed = f.b[Frame::MaxSpeedByte];
    v.FeatureFlags = f.b[Frame::FeatureFlagsByte];
    if (!baudCodeRate(v.DeviceBaudCode)) {
        // A code no rate has: fall back to 2400 baud, the device's default.
        v.DeviceBaudCode = 1;
        m_link.reopenPort(br2400);
    }
    // Showing the values may store some again (a window's radio boxes store
    // their value when checked: a speed of 40 becomes the minimum of 50).
    emit m_link.basicReport(v);

    if (s.BaudScanActive != 1)
        return;
    // This report ends a read: the port stays at the rate that produced it.
    s.BaudScanActive = 0;
    s.ExtReadPending = 1;
    const int id = f.id();
    if (id <= 99) {
        emit m_link.reportedId(id);
        s.selectTarget(id);
        s.currentMask() = f.mask();
    } else {
        // No ID list holds it and no table entry belongs to it: keep the
        // current target and its channels and say so.
        emit m_link.reportedIdOutOfRange(id);
    }
    if (s.OpenSettingsAfterScan == 1)
        m_link.wantSettingsWindow();
    emit m_link.reportedChannels();
}

void ResponseHandler::LoadExtendedSettings(const Frame::Response &f)
{
    s.Features.JogTime = f.b[Frame::JogTimeByte];
    s.Features.ObstacleSensitivity = f.b[Frame::SensitivityByte];
    s.Features.ReboundTime = f.b[Frame::ReboundByte];
    emit m_link.extendedReport(s.Features);
}

void ResponseHandler::statusReport(const Frame::Response &f)
{
    if (!(f.status() & Frame::StatusPositionKnown)) {
        emit m_link.positionUnknown();
        return;
    }
    const Byte position = f.b[Frame::PositionByte];
    const bool targetPending = s.PositionTargetActive != 0;
    if (!targetPending) {
        s.PositionSettleCount = 0;
    } else {
        // The pointer stays where the user put it until the motor gets there
        // or stops reporting that it is on its way.
        const int target = s.PositionTargetPercent;
        if (position >= target - 1 && position <= target + 1 && s.PositionDragging == 0)
            s.PositionTargetActive = 0;
        if (f.status() & Frame::StatusKeepTarget) {
            s.PositionSettleCount = 0;
        } else if (s.PositionDragging == 0 && ++s.PositionSettleCount >= 5) {
            s.PositionSettleCount = 0;
            s.PositionTargetActive = 0;
        }
    }
    emit m_link.positionReported(position, targetPending);
}
