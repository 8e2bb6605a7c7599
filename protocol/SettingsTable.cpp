#include "SettingsTable.h"

#include "MotorSettings.h"

#include <cstring>
#include <iterator>

namespace Settings {
namespace {

namespace M = MotorSettings;

constexpr ValueWord SensitivityWords[] = {{"low", 1}, {"medium", 2}, {"high", 3}};
constexpr ValueWord ReboundWords[] = {{"none", M::NoRebound}, {"unlimited", M::UnlimitedRebound}};
// The rates of MotorSettings::BaudRates as words, code by code.
constexpr ValueWord BaudWords[] = {{"1200", 0}, {"2400", 1}, {"4800", 2}, {"9600", 3}, {"19200", 4}};
static_assert(std::size(BaudWords) == M::BaudRates.size());

constexpr CurtainFunction Functions[] = {
    {"hand_start", M::HandStartBit, "on", "off"},       {"direction", M::DirectionBit, "default", "reverse"},
    {"soft_start", M::SoftStartBit, "on", "off"},       {"end_gap", M::EndGapBit, "on", "off"},
    {"obstacle_stop", M::ObstacleStopBit, "off", "on"}, {"power_memory", M::PowerMemoryBit, "on", "off"},
    {"hand_sync", M::HandSyncBit, "on", "off"},
};

constexpr int NoMin = 1, NoMax = 0;

// clang-format off
constexpr Row Rows[] = {
    {IdAndChannels, "id_channels", Kind::Address, Frame::ForceIdChannels, ReadBack::Id, 0, nullptr,
     NoMin, NoMax, 1, "", {}, -1},
    {DryContact, "dry_contact", Kind::Number, Frame::WriteDryContact, ReadBack::Basic, Frame::DryContactByte,
     &SettingValues::dryContactMode, M::DryContactRange.min, M::DryContactRange.max, 1, "", {}, M::DryContactRange.fallback},
    {MaxSpeed, "max_speed", Kind::Number, Frame::WriteMaxSpeed, ReadBack::Basic, Frame::MaxSpeedByte,
     &SettingValues::maxSpeed, M::MaxSpeedRange.min, M::MaxSpeedRange.max, 1, "rpm", {}, M::MaxSpeedRange.fallback},
    {CurtainFunctions, "curtain_functions", Kind::Functions, Frame::WriteCurtainFunctions, ReadBack::Basic,
     Frame::CurtainFunctionsByte, &SettingValues::curtainFunctions, NoMin, NoMax, 1, "", {}, M::DefaultCurtainFunctions},
    {JogTime, "jog_time", Kind::Number, Frame::WriteJogTime, ReadBack::Extended, Frame::JogTimeByte,
     &SettingValues::jogTime, M::JogTimeRange.min, M::JogTimeRange.max, 1, "s", {}, M::JogTimeRange.fallback},
    {Sensitivity, "sensitivity", Kind::Choice, Frame::WriteSensitivity, ReadBack::Extended, Frame::SensitivityByte,
     &SettingValues::obstacleSensitivity, NoMin, NoMax, 1, "", SensitivityWords, M::SensitivityRange.fallback},
    {Rebound, "rebound", Kind::Number, Frame::WriteRebound, ReadBack::Extended, Frame::ReboundByte,
     &SettingValues::reboundTime, M::ReboundRange.min, M::ReboundRange.max, 1, "x 0.1 s", ReboundWords, M::ReboundRange.fallback},
    {BaudCode, "baud", Kind::Choice, Frame::WriteBaudCode, ReadBack::Basic, Frame::BaudCodeByte,
     &SettingValues::deviceBaudCode, NoMin, NoMax, 1, "bps", BaudWords, M::DefaultBaudCode},
};
// clang-format on

} // namespace

std::span<const Row> rows()
{
    return Rows;
}

const Row *row(int item)
{
    for (const Row &r : Rows)
        if (r.item == item)
            return &r;
    return nullptr;
}

const Row *rowNamed(const char *name)
{
    for (const Row &r : Rows)
        if (std::strcmp(r.name, name) == 0)
            return &r;
    return nullptr;
}

const char *wordOf(const Row &row, int value)
{
    for (const ValueWord &w : row.words)
        if (w.value == value)
            return w.word;
    return nullptr;
}

std::span<const CurtainFunction> curtainFunctions()
{
    return Functions;
}

void decode(const Frame::Response &report, ReadBack kind, SettingValues &values)
{
    for (const Row &r : Rows)
        if (r.readBack == kind && r.value)
            values.*r.value = report.b[std::size_t(r.reportByte)];
}

} // namespace Settings
