#include "ResponseHandler.h"

#include "Messages.h"
#include "Settings.h"
#include "TComm.h"
#include "TransmitTick.h"

#include <utility>

ResponseHandler::ResponseHandler(SharedState &state, TComm &comm, ProtocolView &view)
    : s(state), m_comm(comm), m_view(view)
{
}

void ResponseHandler::Comm1ReceiveData()
{
    m_comm.setRThreshold(0); // no further receive event while this one runs
    if (m_comm.DataCount() > 0) {
        const qint64 discardedBefore = m_comm.discardedBytes();
        const TComm::ReadResult read = m_comm.ReadBytes();
        if (m_comm.discardedBytes() != discardedBefore)
            forgetWaiting(); // a flood: nothing of it, nor what came before, is acted on
        else
            examine(read.bytes, read.lastIndex + 1);
    }
    m_comm.setRThreshold(1);
}

void ResponseHandler::forgetWaiting()
{
    m_waiting.clear();
    ++m_generation;
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
    while (buffer.size() - at >= Frame::ResponseSize) {
        const auto frame = Frame::Response::parse(data + at, Frame::ResponseSize);
        if (!frame->valid()) {
            ++at;
            continue;
        }
        at += Frame::ResponseSize;
        handleFrame(*frame);
        if (m_generation != generation)
            return; // the port changed under the answer: the rest belongs to the old one
    }
    const qsizetype lead = buffer.indexOf(char(Frame::ResponseLead), at);
    if (lead >= 0)
        m_waiting = buffer.mid(lead);
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
    m_view.RefreshLimitPointButtons();
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
    s.SendPending = 0;
    s.RetryCount = 0;
    Messages::post(s.MsgSetSuccess);
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
        Settings::reopenPort(m_comm, br2400);
    }
    // Showing the values checks radio boxes whose click handlers store the
    // value again (a speed of 40 becomes the track edit's minimum of 50).
    m_view.ShowBasicSettings();

    if (s.BaudScanActive != 1)
        return;
    // This report ends a read: the port stays at the rate that produced it.
    s.BaudScanActive = 0;
    s.ExtReadPending = 1;
    const int id = f.id();
    if (id <= 99) {
        m_view.SelectReportedId(id);
        s.selectTarget(id);
        s.currentMask() = f.mask();
    } else {
        // No ID list holds it and no table entry belongs to it: keep the
        // current target and its channels and say so.
        m_view.ReportedIdOutOfRange(id);
    }
    if (s.OpenSettingsAfterScan == 1) {
        OpenAfterScan(s, m_view);
        m_view.RefreshChannelButtons();
    } else {
        m_view.RefreshChannelImages();
    }
}

void ResponseHandler::LoadExtendedSettings(const Frame::Response &f)
{
    s.Features.JogTime = f.b[Frame::JogTimeByte];
    s.Features.ObstacleSensitivity = f.b[Frame::SensitivityByte];
    s.Features.ReboundTime = f.b[Frame::ReboundByte];
    m_view.ShowExtendedSettings();
}

void ResponseHandler::statusReport(const Frame::Response &f)
{
    if (!(f.status() & Frame::StatusPositionKnown)) {
        m_view.HidePositionDisplay();
        return;
    }
    const Byte position = f.b[Frame::PositionByte];
    if (s.PositionTargetActive == 0) {
        s.PositionSettleCount = 0;
        m_view.SetPointerLeft(PointerZero + 2 * position);
    } else {
        // The pointer stays where the user put it until the motor gets there
        // or stops reporting that it is on its way.
        const int target = (m_view.PointerLeft() - PointerZero) / 2;
        if (position >= target - 1 && position <= target + 1 && s.PositionDragging == 0)
            s.PositionTargetActive = 0;
        if (f.status() & Frame::StatusKeepTarget) {
            s.PositionSettleCount = 0;
        } else if (s.PositionDragging == 0 && ++s.PositionSettleCount >= 5) {
            s.PositionSettleCount = 0;
            s.PositionTargetActive = 0;
        }
    }
    m_view.ShowPosition(position);
}
