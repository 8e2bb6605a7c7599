// A fuzzer's input read as decisions and deliveries: single bytes for
// choices, runs of bytes for what the port delivers.  Past the end every
// byte reads as 0, so any input drives a whole run.
#pragma once

#include "MotorLink.h"

#include <QByteArray>

#include <algorithm>
#include <cstddef>
#include <cstdint>

class FuzzBytes {
public:
    FuzzBytes(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool empty() const { return m_pos >= m_size; }
    std::uint8_t byte() { return empty() ? 0 : m_data[m_pos++]; }
    std::uint8_t flag() { return byte() & 1; }
    int below(int n) { return byte() % n; }
    // Up to max bytes as one delivery from the port (at least one).
    QByteArray piece(int max)
    {
        const std::size_t want = std::size_t(1 + below(max));
        const std::size_t n = std::min(want, m_size - std::min(m_pos, m_size));
        QByteArray out(reinterpret_cast<const char *>(m_data + m_pos), qsizetype(n));
        m_pos += n;
        return out;
    }

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Writes a setting with the value the link holds for it (the ID write
// carries the target).
inline void writeHeldSetting(MotorLink &link, Settings::Item item)
{
    const Byte SettingValues::*value = Settings::row(item)->value;
    link.writeSetting(item, value ? link.motorSettings().*value : Byte(0xAA));
}
