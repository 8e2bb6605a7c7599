#include "Settings.h"

#include "TComm.h"

namespace Settings {
namespace {

constexpr Row rows[] = {
    {IdAndChannels, Frame::ForceIdChannels, ReadBack::Id, 0, nullptr},
    {DryContact, Frame::WriteDryContact, ReadBack::Basic, Frame::DryContactByte, &FeatureValues::DryContactMode},
    {MaxSpeed, Frame::WriteMaxSpeed, ReadBack::Basic, Frame::MaxSpeedByte, &FeatureValues::MaxSpeed},
    {CurtainFunctions, Frame::WriteFeatureFlags, ReadBack::Basic, Frame::FeatureFlagsByte, &FeatureValues::FeatureFlags},
    {JogTime, Frame::WriteJogTime, ReadBack::Extended, Frame::JogTimeByte, &FeatureValues::JogTime},
    {Sensitivity, Frame::WriteSensitivity, ReadBack::Extended, Frame::SensitivityByte, &FeatureValues::ObstacleSensitivity},
    {Rebound, Frame::WriteRebound, ReadBack::Extended, Frame::ReboundByte, &FeatureValues::ReboundTime},
    {BaudCode, Frame::WriteBaudCode, ReadBack::Basic, Frame::BaudCodeByte, &FeatureValues::DeviceBaudCode},
};

} // namespace

const Row *row(int item)
{
    for (const Row &r : rows)
        if (r.item == item)
            return &r;
    return nullptr;
}

void stageMotorCommand(SharedState &s, Byte function, Byte data)
{
    s.CommandFrame[Frame::Function] = function;
    s.CommandFrame[Frame::Data] = data;
    s.SendPending = 1;
}

void stageRead(SharedState &s, Byte readFunction)
{
    s.CommandFrame[Frame::Function] = readFunction;
    s.CommandFrame[Frame::Data] = readFunction;
    s.SendCount = 0;
    s.SendPending = 1;
}

void stageVerifiedWrite(SharedState &s, Item item)
{
    const Row &r = *row(item);
    s.CommandFrame[Frame::Function] = r.function;
    s.CommandFrame[Frame::Data] = r.value ? s.Features.*r.value : Byte(0xAA);
    s.SendCount = 0;
    s.SendPending = 1;
    switch (r.readBack) {
    case ReadBack::Id: s.VerifyIdPending = 1; break;
    case ReadBack::Basic: s.VerifyBasicPending = 1; break;
    case ReadBack::Extended: s.VerifyExtPending = 1; break;
    }
    if (item == BaudCode)
        s.BaudApplyPending = 1;
    s.RetryCount = 0;
    s.VerifyItem = item;
}

bool portUsable(const TComm &comm, const SharedState &s)
{
    return comm.PortOpen() && s.PortReady == 1;
}

void reopenPort(TComm &comm, TBaudRate rate)
{
    comm.setPortOpen(false);
    comm.setInputLen(0);
    comm.setRThreshold(1);
    comm.setBaudRate(rate);
    comm.setDataBits(DB8);
    comm.setHwHandShaking(hhNone);
    comm.setDataCount(0);
    comm.setPortOpen(true);
}

QString openFailureText(const TComm &comm, const SharedState &s, const QString &componentText)
{
    const DeviceAccess &device = comm.lastOpenDevice();
    QString advice;
    switch (comm.lastOpenFailure()) {
    case TComm::OpenFailure::NotFound: advice = s.MsgPortMissing.arg(comm.PortName()); break;
    case TComm::OpenFailure::InUse: advice = s.MsgPortBusy.arg(comm.PortName()); break;
    case TComm::OpenFailure::NoPermission:
        // Joining the group helps only when the group may read and write it.
        advice = device.groupMayOpen ? s.MsgPortDenied.arg(device.device, device.group)
                                     : s.MsgPortOwnerOnly.arg(device.device, device.owner);
        break;
    default: break;
    }
    return advice.isEmpty() ? componentText : componentText + QLatin1String("\n\n") + advice;
}

} // namespace Settings
