#include "Frames.h"

#include <algorithm>

namespace Frame {

Byte xorOf(const Byte *bytes, int from, int to)
{
    Byte x = 0;
    for (int i = from; i <= to; ++i)
        x ^= bytes[i];
    return x;
}

std::array<Byte, CommandSize> command(Byte id, const ChannelMask &mask, Byte function, Byte data)
{
    std::array<Byte, CommandSize> f {CommandLead, id, mask.bytes[0], mask.bytes[1], function, data, 0};
    f[Check] = xorOf(f.data(), 1, 5);
    return f;
}

std::optional<Response> Response::parse(const Byte *bytes, int count)
{
    if (count < ResponseSize)
        return std::nullopt;
    Response r;
    std::copy_n(bytes, ResponseSize, r.b.begin());
    return r;
}

} // namespace Frame

std::optional<TBaudRate> baudCodeRate(int code)
{
    static constexpr TBaudRate rates[] = {br1200, br2400, br4800, br9600, br19200};
    if (code < 0 || code > 4)
        return std::nullopt;
    return rates[code];
}
