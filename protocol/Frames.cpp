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
