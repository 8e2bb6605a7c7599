// Whom a frame is for: a motor ID (or group control) and its channels, and
// the channels last chosen for each ID.
#pragma once

#include "Frames.h"
#include "MotorSettings.h"

#include <array>
#include <bit>

struct MotorTarget {
    int id = 0; // 0 = group control, 1..99 = a motor ID
    ChannelMask channels;

    bool isGroup() const { return id == 0; }
    // Only one motor on one channel can answer a status poll unambiguously.
    bool isOneMotorChannel() const { return id != 0 && std::popcount(channels.word()) == 1; }
    bool operator==(const MotorTarget &) const = default;
};

// The channels last chosen for group control (0) and each ID (1..99): the
// panel and the settings windows show them when the ID is chosen again.
class ChannelMemory {
public:
    static constexpr int Last = MotorSettings::MaxId;

    ChannelMemory();
    // An ID outside 0..99 (only a corrupt report could give one) lands on
    // the nearest end, so the table is never indexed past its ends.
    ChannelMask &operator[](int id) { return m_entries[slot(id)]; }
    const ChannelMask &operator[](int id) const { return m_entries[slot(id)]; }

private:
    static std::size_t slot(int id) { return std::size_t(id < 0 ? 0 : id > Last ? Last : id); }
    std::array<ChannelMask, Last + 1> m_entries;
};
