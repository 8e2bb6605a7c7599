#include "WrittenSettings.h"

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

} // namespace Settings
