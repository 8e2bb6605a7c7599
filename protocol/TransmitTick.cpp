#include "TransmitTick.h"

#include "Frames.h"
#include "MotorLink.h"
#include "SerialLine.h"

#include <bit>

TransmitTick::TransmitTick(MotorLink &link) : m_link(link), s(link.state()), m_comm(link.serial())
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
        m_link.stageRead(Frame::ReadExtended);
        s.ExtReadPending = 0;
    } else if (s.BaudApplyPending == 1) {
        if (const auto rate = baudCodeRate(s.Features.DeviceBaudCode))
            m_link.reopenPort(*rate);
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
    if (m_comm.WriteBytes(s.CommandFrame.data(), Frame::CommandSize))
        emit m_link.frameSent(QByteArray(reinterpret_cast<const char *>(s.CommandFrame.data()), Frame::CommandSize));
}

void TransmitTick::baudScan()
{
    ++s.RetryCount;
    if (s.RetryCount <= ScanRates) {
        m_link.reopenPort(*baudCodeRate(s.RetryCount - 1));
        m_link.stageRead(Frame::ReadBasic);
    } else if (s.RetryCount >= ScanGiveUpStep) {
        m_link.reopenPort(br2400);
        if (s.OpenSettingsAfterScan == 1)
            m_link.wantSettingsWindow();
        s.BaudScanActive = 0;
    }
    // steps 6 and 7 wait for a late answer
}

void TransmitTick::readBack(Byte &flag, Byte readFunction)
{
    ++s.RetryCount;
    if (s.RetryCount <= MaxReadBacks) {
        m_link.stageRead(readFunction);
    } else {
        flag = 0; // cleared before anyone is told, so the ticks meanwhile do not retry
        emit m_link.writeFailed(Settings::Item(s.VerifyItem));
    }
}

// Only one motor on one channel can answer a status poll unambiguously.
void TransmitTick::idlePoll()
{
    if (m_link.settingsWindowOpen() || s.TargetId == 0 || std::popcount(s.currentMask().word()) != 1)
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
        emit m_link.positionUnknown();
        s.DeviceStatus = 0;
        emit m_link.statusReported(s.DeviceStatus);
    }
}
