#include "SharedState.h"

ChannelMaskArray::ChannelMaskArray()
{
    // Group control starts with no channel, every ID with channel 1.
    for (int index = First + 1; index <= Last; ++index)
        (*this)[index].bytes = {0x01, 0x00};
}
