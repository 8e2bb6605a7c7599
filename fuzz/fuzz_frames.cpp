// Whole frames with a good lead and check byte, so every input reaches the
// field handling: status answers and both settings reports with any values.
#include "FuzzInput.h"
#include "Frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Windows &w = fuzzWindows();
    FuzzBytes in(data, size);
    startFrom(in, w);
    while (!in.empty()) {
        std::uint8_t read[Frame::ResponseSize + 1];
        read[0] = Frame::ResponseLead;
        for (int i = 1; i <= 8; ++i)
            read[i] = in.byte();
        // Steer byte 7 to the two report types often; any other value is a position.
        const int kind = in.below(4);
        if (kind == 0)
            read[7] = Frame::ReadBasic;
        else if (kind == 1)
            read[7] = Frame::ReadExtended;
        read[9] = Frame::xorOf(read, 1, 8);
        read[10] = in.byte(); // the byte the receive path drops
        deliver(read, sizeof read);
    }
    settle();
    return 0;
}
