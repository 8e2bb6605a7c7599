#include "TransmitTick.h"

#include "Frames.h"
#include "Messages.h"
#include "Settings.h"
#include "TComm.h"

#include <bit>

TransmitTick::TransmitTick(SharedState &state, TComm &comm, ProtocolView &view)
    : s(state), m_comm(comm), m_view(view)
{
}

void TransmitTick::run()
{
    if (m_comm.PortOpen() && s.PortReady != 0) {
        fillAddress();
        act();
    }
    statusTimeout();
}

// Target and channels are taken at the moment of sending, not of staging.
void TransmitTick::fillAddress()
{
    const ChannelMask &mask = s.currentMask();
    s.CommandFrame[Frame::Lead] = Frame::CommandLead;
    s.CommandFrame[Frame::Id] = Byte(s.TargetId);
    s.CommandFrame[Frame::Mask0] = mask.bytes[0];
    s.CommandFrame[Frame::Mask1] = mask.bytes[1];
}

void TransmitTick::act()
{
    if (s.SendPending == 1) {
        sendFrame();
        if (++s.SendCount >= 2) {
            s.SendPending = 0;
            s.SendCount = 0;
        }
    } else if (s.BaudScanActive == 1) {
        baudScan();
    } else if (s.ExtReadPending == 1) {
        Settings::stageRead(s, Frame::ReadExtended);
        s.ExtReadPending = 0;
    } else if (s.BaudApplyPending == 1) {
        if (const auto rate = baudCodeRate(s.Features.DeviceBaudCode))
            Settings::reopenPort(m_comm, *rate);
        s.BaudApplyPending = 0;
    } else if (s.VerifyExtPending == 1) {
        readBack(s.VerifyExtPending, Frame::ReadExtended);
    } else if (s.VerifyBasicPending == 1) {
        readBack(s.VerifyBasicPending, Frame::ReadBasic);
    } else if (s.VerifyIdPending == 1) {
        readBack(s.VerifyIdPending, Frame::ReadBasic);
    } else {
        idlePoll();
    }
}

void TransmitTick::sendFrame()
{
    s.CommandFrame[Frame::Check] = Frame::xorOf(s.CommandFrame.data(), 1, 5);
    m_comm.WriteBytes(s.CommandFrame.data(), Frame::CommandSize);
}

void TransmitTick::baudScan()
{
    ++s.RetryCount;
    if (s.RetryCount <= ScanRates) {
        Settings::reopenPort(m_comm, *baudCodeRate(s.RetryCount - 1));
        Settings::stageRead(s, Frame::ReadBasic);
    } else if (s.RetryCount >= ScanGiveUpStep) {
        Settings::reopenPort(m_comm, br2400);
        if (s.OpenSettingsAfterScan == 1)
            OpenAfterScan(s, m_view);
        s.BaudScanActive = 0;
    }
    // steps 6 and 7 wait for a late answer
}

void TransmitTick::readBack(Byte &flag, Byte readFunction)
{
    ++s.RetryCount;
    if (s.RetryCount <= MaxReadBacks) {
        Settings::stageRead(s, readFunction);
    } else {
        flag = 0; // cleared before the box, so the ticks meanwhile do not retry
        Messages::post(s.MsgSetFailure);
    }
}

// Only one motor on one channel can answer a status poll unambiguously.
void TransmitTick::idlePoll()
{
    if (m_view.SettingsWindowEnabled() || s.TargetId == 0 || std::popcount(s.currentMask().word()) != 1)
        return;
    s.CommandFrame[Frame::Function] = Frame::StatusPoll;
    s.CommandFrame[Frame::Data] = 0x00;
    sendFrame();
}

void TransmitTick::statusTimeout()
{
    if (s.StatusSeen == 1) {
        s.StatusSeen = 0;
        s.StatusSilenceTicks = 0;
        return;
    }
    if (++s.StatusSilenceTicks >= SilenceTicks) {
        s.StatusSilenceTicks = 0;
        m_view.HidePositionDisplay();
        s.DeviceStatus = 0;
        m_view.RefreshLimitPointButtons();
    }
}

void OpenAfterScan(SharedState &s, ProtocolView &view)
{
    view.ShowSettingsWindow();
    s.OpenSettingsAfterScan = 0;
}
