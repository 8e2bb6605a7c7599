#include "WrittenSettings.h"

namespace Settings {
namespace {

constexpr Row rows[] = {
    {IdAndChannels, Frame::ForceIdChannels, ReadBack::Id, 0, nullptr},
    {DryContact, Frame::WriteDryContact, ReadBack::Basic, Frame::DryContactByte, &SettingValues::dryContactMode},
    {MaxSpeed, Frame::WriteMaxSpeed, ReadBack::Basic, Frame::MaxSpeedByte, &SettingValues::maxSpeed},
    {CurtainFunctions, Frame::WriteCurtainFunctions, ReadBack::Basic, Frame::CurtainFunctionsByte,
     &SettingValues::curtainFunctions},
    {JogTime, Frame::WriteJogTime, ReadBack::Extended, Frame::JogTimeByte, &SettingValues::jogTime},
    {Sensitivity, Frame::WriteSensitivity, ReadBack::Extended, Frame::SensitivityByte,
     &SettingValues::obstacleSensitivity},
    {Rebound, Frame::WriteRebound, ReadBack::Extended, Frame::ReboundByte, &SettingValues::reboundTime},
    {BaudCode, Frame::WriteBaudCode, ReadBack::Basic, Frame::BaudCodeByte, &SettingValues::deviceBaudCode},
};

} // namespace

const Row *row(int item)
{
    for (const Row &r : rows)
        if (r.item == item)
            return &r;
    return nullptr;
}

} // namespace Settings
