#include "MotorTarget.h"

ChannelMemory::ChannelMemory()
{
    // Group control starts with no channel, every ID with channel 1.
    for (int id = 1; id <= Last; ++id)
        m_entries[std::size_t(id)].bytes = {0x01, 0x00};
}
