// Arbitrary byte streams through the receive path: each read the port
// delivers (1..64 bytes) goes to the answer handling as it stands.
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Windows &w = fuzzWindows();
    FuzzBytes in(data, size);
    startFrom(in, w);
    while (!in.empty()) {
        std::uint8_t read[64];
        const int count = 1 + in.below(64);
        for (int i = 0; i < count; ++i)
            read[i] = in.byte();
        deliver(read, count);
    }
    settle();
    return 0;
}
