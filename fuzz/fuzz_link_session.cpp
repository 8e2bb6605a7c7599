// The link over time: ticks, pieces of answer bytes, new work staged by the
// user and the port lost and chosen again, interleaved as the input says.
#include "LinkFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    LinkFuzz &f = LinkFuzz::instance();
    FuzzBytes in(data, size);
    f.start(in);
    while (!in.empty()) {
        switch (in.below(8)) {
        case 0:
        case 1: f.link.tick(); break;
        case 2:
            writeHeldSetting(f.link, Settings::Item(1 + in.below(8)));
            f.noteJob();
            break;
        case 3: f.link.sendMotorCommand(in.byte() & 1 ? Frame::Motor : Frame::RunToPosition, in.byte()); break;
        case 4:
            if (in.byte() & 1) {
                f.line->pullOut();
            } else {
                f.link.choosePort(QStringLiteral("/dev/ttyFUZZ"), in.byte() & 1);
                f.noteJob();
            }
            break;
        default:
            f.line->arrive(in.piece(24), false);
            f.link.receive();
            break;
        }
        f.check();
    }
    return 0;
}
