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

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

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
        // A confirmation names the setting whose read-back was under way.
        QObject::connect(&link, &MotorLink::writeConfirmed, [this](Settings::Item item) {
            if (!readingBack || *readingBack != item)
                std::abort();
        });
    }

    // The setting a write waits to read back, as the link's job says.
    std::optional<Settings::Item> readingBack;
    void noteJob()
    {
        if (const auto *r = std::get_if<LinkJob::ReadBack>(&link.job()))
            readingBack = r->item;
        else if (const auto *b = std::get_if<LinkJob::BaudApply>(&link.job()); b && !b->confirmed)
            readingBack = b->item;
        else
            readingBack.reset();
    }

    // Back to the first state, then to a state chosen by the input.  Choosing
    // the port again drops the work under way and the bytes of an answer
    // still arriving.
    void start(FuzzBytes &in)
    {
        line->clearInput();
        link.setLineBaudCode(Byte(in.below(5)));
        link.choosePort(QStringLiteral("/dev/ttyFUZZ"), false);
        link.setStatusPolling(true);
        link.setTarget({in.below(100), ChannelMask {{in.byte(), in.byte()}}});
        link.restoreMotorSettings(
            {in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), Byte(in.below(5))});
        switch (in.below(5)) {
        case 0: // a scan under way, maybe announcing its end
            link.startSettingsRead(in.byte() & 1);
            break;
        case 1: // a written setting waiting for its read-back
            writeHeldSetting(link, Settings::Item(1 + in.below(8)));
            break;
        case 2: // polling one motor on one channel
            link.setTarget({1 + in.below(99), ChannelMask {}});
            link.setChannels([&] {
                ChannelMask m;
                m.setWord(std::uint16_t(1u << in.below(16)));
                return m;
            }());
            break;
        case 3: // a settings read with the polls off
            link.setStatusPolling(false);
            link.readSettings(in.byte() & 1 ? Frame::ReadBasic : Frame::ReadExtended);
            break;
        default: // group control
            link.chooseId(0);
            link.sendMotorCommand(Frame::Motor, in.byte());
            break;
        }
        for (int ticks = in.below(12); ticks > 0; --ticks)
            link.tick();
        line->takeWritten();
        noteJob();
    }

    // What the link may never do, whatever it was sent.
    void check()
    {
        const MotorTarget target = link.target();
        if (target.id < 0 || target.id > 99 || (link.outgoing() && link.outgoing()->sent > 1))
            std::abort();
        if (const auto *scan = std::get_if<LinkJob::BaudScan>(&link.job()); scan && (scan->step < 0 || scan->step > 8))
            std::abort();
        if (const auto *r = std::get_if<LinkJob::ReadBack>(&link.job()); r && (r->attempt < 0 || r->attempt > 3))
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
        noteJob();
    }
};
