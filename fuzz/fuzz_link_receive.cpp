// The link's receive path: an arbitrary byte stream, delivered in pieces of
// any size, each followed by the receive event, from any state the link
// can be in.
#include "LinkFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    LinkFuzz &f = LinkFuzz::instance();
    FuzzBytes in(data, size);
    f.start(in);
    while (!in.empty()) {
        f.line->arrive(in.piece(48), false);
        f.link.receive();
        f.check();
    }
    return 0;
}
