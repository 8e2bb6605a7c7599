#include "WrittenSettings.h"

namespace Settings {
namespace {

constexpr Row rows[] = {
    {IdAndChannels, Frame::ForceIdChannels, ReadBack::Id, 0, nullptr},
    {DryContact, Frame::WriteDryContact, ReadBack::Basic, Frame::DryContactByte, &FeatureValues::dryContactMode},
    {MaxSpeed, Frame::WriteMaxSpeed, ReadBack::Basic, Frame::MaxSpeedByte, &FeatureValues::maxSpeed},
    {CurtainFunctions, Frame::WriteFeatureFlags, ReadBack::Basic, Frame::FeatureFlagsByte,
     &FeatureValues::featureFlags},
    {JogTime, Frame::WriteJogTime, ReadBack::Extended, Frame::JogTimeByte, &FeatureValues::jogTime},
    {Sensitivity, Frame::WriteSensitivity, ReadBack::Extended, Frame::SensitivityByte,
     &FeatureValues::obstacleSensitivity},
    {Rebound, Frame::WriteRebound, ReadBack::Extended, Frame::ReboundByte, &FeatureValues::reboundTime},
    {BaudCode, Frame::WriteBaudCode, ReadBack::Basic, Frame::BaudCodeByte, &FeatureValues::deviceBaudCode},
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
