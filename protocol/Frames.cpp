#include "Frames.h"

#include <algorithm>

namespace Frame {

std::optional<Response> Response::parse(const Byte *bytes, int count)
{
    if (count < ResponseSize)
        return std::nullopt;
    Response r;
    std::copy_n(bytes, ResponseSize, r.b.begin());
    return r;
}

} // namespace Frame

std::optional<int> baudCodeBps(int code)
{
    static constexpr int rates[] = {1200, 2400, 4800, 9600, 19200};
    if (code < 0 || code > 4)
        return std::nullopt;
    return rates[code];
}
