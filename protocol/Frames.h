// The two frame layouts on the wire and the codes they carry.
//
// The program sends 7-byte command frames:
//   9A, target ID, mask byte 0, mask byte 1, function, data, XOR of bytes 1..5
// and the device answers with 10-byte response frames:
//   D8, ID, mask 0, mask 1, three values, type (CA basic, CB extended, else a
//   position in percent), status, XOR of bytes 1..8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

using Byte = std::uint8_t;

// Two bytes per target: byte 0 bit 0..7 = channels 1..8, byte 1 bit 0..7 =
// channels 9..16.  A set bit selects the channel.  Command frames carry it in
// bytes 2 and 3, reports likewise.
struct ChannelMask {
    std::array<Byte, 2> bytes {0, 0};

    std::uint16_t word() const { return std::uint16_t(bytes[0] | (bytes[1] << 8)); }
    void setWord(std::uint16_t w) { bytes = {Byte(w & 0xFF), Byte(w >> 8)}; }
    bool channel(int n) const { return word() & (1u << (n - 1)); } // n = 1..16
    void toggle(int n) { setWord(std::uint16_t(word() ^ (1u << (n - 1)))); }
    void select(int n) { setWord(std::uint16_t(word() | (1u << (n - 1)))); }
    bool operator==(const ChannelMask &) const = default;

    static ChannelMask ofWord(std::uint16_t w)
    {
        ChannelMask m;
        m.setWord(w);
        return m;
    }
    static ChannelMask ofChannel(int n) { return ofWord(std::uint16_t(1u << (n - 1))); } // n = 1..16
};

namespace Frame {

inline constexpr Byte CommandLead = 0x9A;
inline constexpr Byte ResponseLead = 0xD8;
inline constexpr int CommandSize = 7;
inline constexpr int ResponseSize = 10;

// Command frame byte positions.
enum CommandByte { Lead = 0, Id = 1, Mask0 = 2, Mask1 = 3, Function = 4, Data = 5, Check = 6 };

// Function codes (frame byte 4).
enum Function : Byte {
    Motor = 0x0A, // data: a motor command below, or limit point 1..4
    RunToPosition = 0xDD, // data: percent 0..100
    ForceIdChannels = 0xAA,
    WriteDryContact = 0xD2,
    WriteCurtainFunctions = 0xD5,
    WriteJogTime = 0xD6,
    WriteSensitivity = 0xD7,
    WriteRebound = 0xD8,
    WriteMaxSpeed = 0xD9,
    WriteBaudCode = 0xDA,
    ReadBasic = 0xCA,
    ReadExtended = 0xCB,
    StatusPoll = 0xCC,
};

// Data bytes of function 0x0A.
enum MotorCommand : Byte { Up = 0xDD, Stop = 0xCC, Down = 0xEE, Learn = 0xAA, Delete = 0xA6 };

// XOR of bytes [from, to] inclusive.
constexpr Byte xorOf(const Byte *bytes, int from, int to)
{
    Byte x = 0;
    for (int i = from; i <= to; ++i)
        x ^= bytes[i];
    return x;
}

constexpr std::array<Byte, CommandSize> command(Byte id, const ChannelMask &mask, Byte function, Byte data)
{
    std::array<Byte, CommandSize> f {CommandLead, id, mask.bytes[0], mask.bytes[1], function, data, 0};
    f[Check] = xorOf(f.data(), 1, 5);
    return f;
}

// A 10-byte answer of the device (only constructed from a full frame).
struct Response {
    std::array<Byte, ResponseSize> b {};

    static std::optional<Response> parse(const Byte *bytes, int count);
    bool valid() const { return b[0] == ResponseLead && xorOf(b.data(), 1, 9) == 0; }

    Byte id() const { return b[1]; }
    ChannelMask mask() const { return ChannelMask {{b[2], b[3]}}; }
    Byte status() const { return b[8]; }
    // Byte 7 names a settings report (CA, CB); in a status answer it is the position.
    Byte function() const { return b[7]; } // of the read answered, for a settings answer
    bool isBasic() const { return b[7] == ReadBasic; }
    bool isExtended() const { return b[7] == ReadExtended; }
};

// Basic report (type CA): 4 baud code, 5 dry-contact mode, 6 max speed, 8 curtain functions.
// Extended report (type CB): 4 jog time, 5 sensitivity, 6 rebound.
enum ReportByte {
    BaudCodeByte = 4,
    DryContactByte = 5,
    MaxSpeedByte = 6,
    CurtainFunctionsByte = 8,
    JogTimeByte = 4,
    SensitivityByte = 5,
    ReboundByte = 6,
    PositionByte = 7
};

// Status byte bits.
inline constexpr Byte StatusPositionKnown = 0x02;
inline constexpr Byte StatusKeepTarget = 0x40;
inline constexpr Byte limitPointBit(int n)
{
    return Byte(1u << (n + 1));
} // n = 1..4

} // namespace Frame
