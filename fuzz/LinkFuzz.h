// The widget-free motor link over a serial line in memory, for the core
// fuzz targets: one link for the whole run, put back to its first state
// before every input, then brought into a state the link itself can reach
// (a scan under way, a read-back pending, polling, a settings read, group
// control) by its own operations and ticks.  No timer runs: the targets call
// tick() and receive() themselves.
#pragma once

#include "FuzzBytes.h"
#include "MemorySerialDevice.h"
#include "MotorLink.h"
#include "ResponseHandler.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

struct LinkFuzz {
    MotorLink link;
    MemorySerialDevice *line = new MemorySerialDevice;

    static LinkFuzz &instance()
    {
        static int argc = 1;
        static char name[] = "tavik-fuzz-link";
        static char *argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        static LinkFuzz fuzz;
        return fuzz;
    }

    LinkFuzz()
    {
        link.serial().setDevice(std::unique_ptr<SerialDevice>(line));
        // A confirmation needs a read-back pending for that very setting.
        QObject::connect(&link, &MotorLink::writeConfirmed, [this](Settings::Item item) {
            if (link.state().VerifyItem != item)
                std::abort();
        });
    }

    // Back to the first state, then to a state chosen by the input.
    void start(FuzzBytes &in)
    {
        SharedState &s = link.state();
        s = SharedState {};
        s.Features.DeviceBaudCode = Byte(in.below(5));
        link.setSettingsWindowOpen(false);
        // Choosing the port again is what drops the bytes of an answer still
        // arriving; while it stays open the same is done directly, cheaper.
        if (link.serial().PortOpen()) {
            s.PortReady = 1;
            link.responses().forgetWaiting();
            line->clearInput();
        } else {
            link.choosePort(QStringLiteral("/dev/ttyFUZZ"), false);
        }
        const int id = in.below(100);
        s.selectTarget(id);
        s.currentMask().setWord(std::uint16_t(in.byte() | in.byte() << 8));
        s.Features = {in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), Byte(in.below(5))};
        switch (in.below(5)) {
        case 0: // a scan under way, maybe to open the settings window
            link.startSettingsRead(in.byte() & 1);
            break;
        case 1: // a written setting waiting for its read-back
            link.stageWrite(Settings::Item(1 + in.below(8)));
            break;
        case 2: // polling one motor on one channel
            s.selectTarget(1 + in.below(99));
            s.currentMask().setWord(std::uint16_t(1u << in.below(16)));
            break;
        case 3: // a settings read with the window open
            link.setSettingsWindowOpen(true);
            link.stageRead(in.byte() & 1 ? Frame::ReadBasic : Frame::ReadExtended);
            break;
        default: // group control
            s.selectTarget(0);
            link.stageMotorCommand(Frame::Motor, in.byte());
            break;
        }
        for (int ticks = in.below(12); ticks > 0; --ticks)
            link.tick();
        line->takeWritten();
    }

    // What the link may never do, whatever it was sent.
    void check()
    {
        const SharedState &s = link.state();
        for (Byte flag : {s.PortReady, s.SendPending, s.BaudScanActive, s.OpenSettingsAfterScan, s.ExtReadPending,
                          s.BaudApplyPending, s.VerifyBasicPending, s.VerifyExtPending, s.VerifyIdPending})
            if (flag > 1)
                std::abort();
        if (s.TargetId < 0 || s.TargetId > 99 || s.SelectedIdIndex != s.TargetId + 1 || s.SendCount > 1)
            std::abort();
        // Only whole, well-formed command frames reach the line.
        const QByteArray out = line->takeWritten();
        if (out.size() % Frame::CommandSize != 0)
            std::abort();
        for (qsizetype at = 0; at < out.size(); at += Frame::CommandSize) {
            const auto *f = reinterpret_cast<const Byte *>(out.constData() + at);
            if (f[0] != Frame::CommandLead || Frame::xorOf(f, 1, 6) != 0)
                std::abort();
        }
    }
};
