// Channel masks as the line inventory reads them: one channel asked, the
// first channel a motor reported.
#pragma once

#include "Frames.h"

#include <bit>

namespace inventory {

inline bool hasChannel(const ChannelMask &mask, int channel)
{
    return channel >= 1 && channel <= 16 && mask.channel(channel);
}

inline int firstChannel(const ChannelMask &mask)
{
    return mask.word() == 0 ? 0 : std::countr_zero(mask.word()) + 1;
}

} // namespace inventory
