// The facts of a motor's settings, in one place: its IDs and channels, the
// line rate of each baud code, each setting's range and the default the
// device leaves the factory with, and the curtain-function bits.  The settings window, tavik-cli and
// the frame text all read them from here.
#pragma once

#include "Frames.h"

#include <array>
#include <optional>

namespace MotorSettings {

// Motors answer to IDs 1..MaxId (0 addresses every motor at once) and each
// has channels 1..ChannelCount, one bit of the channel mask each.
inline constexpr int MaxId = 99;
inline constexpr int ChannelCount = 16;

// Baud codes 0..4 stand for these rates in bits per second; any other code
// has no rate.
inline constexpr std::array<int, 5> BaudRates {1200, 2400, 4800, 9600, 19200};
// The device's rate until it says otherwise: code 1, 2400 baud.
inline constexpr int DefaultBaudCode = 1;

constexpr std::optional<int> baudCodeBps(int code)
{
    if (code < 0 || code >= int(BaudRates.size()))
        return std::nullopt;
    return BaudRates[std::size_t(code)];
}

constexpr std::optional<int> baudCodeOfBps(int bps)
{
    for (std::size_t code = 0; code < BaudRates.size(); ++code)
        if (BaudRates[code] == bps)
            return int(code);
    return std::nullopt;
}

inline constexpr int DefaultBps = BaudRates[DefaultBaudCode];

// A setting that is a number: its range and its default.
struct Range {
    int min;
    int max;
    int fallback; // what a restore writes
    constexpr bool contains(int v) const { return v >= min && v <= max; }
};

inline constexpr Range DryContactRange {0, 4, 0};
inline constexpr Range MaxSpeedRange {50, 130, 130}; // rpm; 80, 100 and 130 have their own boxes
inline constexpr Range JogTimeRange {1, 10, 4}; // seconds the motor runs on a jog
inline constexpr Range SensitivityRange {1, 3, 1}; // 1 low, 2 medium, 3 high
inline constexpr Range ReboundRange {1, 254, 1}; // tenths of a second; see NoRebound, UnlimitedRebound
inline constexpr Byte NoRebound = 0;
inline constexpr Byte UnlimitedRebound = 0xFF;

// The bits of the curtain-functions byte (their names and words are in
// SettingsTable.h).  Bit 2 (0x04) has no meaning a person can set: it is
// kept as the device reported it.
enum CurtainBit : Byte {
    HandStartBit = 0x01, // 1: a pull by hand does not start the motor
    DirectionBit = 0x02, // 1: reversed direction
    SoftStartBit = 0x08, // 1: no slow start
    EndGapBit = 0x10, // 1: no gap left at the ends
    ObstacleStopBit = 0x20, // 1: stops when it meets an obstacle, 0: at the end of travel
    PowerMemoryBit = 0x40, // 1: travel not remembered across a power cut
    HandSyncBit = 0x80, // 1: not synchronised
};

// Everything off but the power memory: what a restore writes.
inline constexpr Byte DefaultCurtainFunctions = PowerMemoryBit;

} // namespace MotorSettings
