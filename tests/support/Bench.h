// A test bench for the protocol: the motor link with the real serial
// component on a pseudo-terminal, its ticks run by hand, and a recorder of
// what the windows would have been told.
#pragma once

#include "Frames.h"
#include "MotorLink.h"
#include "MotorSim.h"
#include "PositionTarget.h"
#include "Pty.h"
#include "SerialLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

// Counts and keeps what the link announced.
struct LinkRecorder {
    int hides = 0;
    int limitRefreshes = 0;
    int settingsOpened = 0;
    int basicShown = 0;
    int extendedShown = 0;
    int lastShownPercent = -1;
    int pointerPercent = 0; // where a slider would stand: it follows unless a target is pending
    int outOfRangeId = -1;
    QList<int> selectedIds;
    QStringList messages; // confirmations and failures, as the window would show them
    PositionTarget target; // the slider's, kept as the main window keeps it

    explicit LinkRecorder(MotorLink &link)
    {
        QObject::connect(&link, &MotorLink::statusAnswer, [this](const StatusReport &answer) {
            if (!answer.fromAddressed)
                return;
            if (!answer.percent) {
                ++hides;
                return;
            }
            const int p = *answer.percent;
            if (!target.keepsPointer(p, answer.status))
                pointerPercent = p;
            lastShownPercent = p;
        });
        QObject::connect(&link, &MotorLink::motorSilent, [this] { ++hides; });
        QObject::connect(&link, &MotorLink::statusReported, [this] { ++limitRefreshes; });
        QObject::connect(&link, &MotorLink::settingsReadScanEnded, [this, &link] {
            ++settingsOpened;
            link.setStatusPolling(false); // as the settings window does when it opens
        });
        QObject::connect(&link, &MotorLink::basicReport, [this] { ++basicShown; });
        QObject::connect(&link, &MotorLink::extendedReport, [this] { ++extendedShown; });
        QObject::connect(&link, &MotorLink::reportedId, [this](int id) { selectedIds << id; });
        QObject::connect(&link, &MotorLink::reportedIdOutOfRange, [this](int id) { outOfRangeId = id; });
        QObject::connect(&link, &MotorLink::writeConfirmed, [this] { messages << QStringLiteral("  设置成功  "); });
        QObject::connect(&link, &MotorLink::writeFailed, [this] { messages << QStringLiteral("  设置失败  "); });
    }
};

// Collects 7-byte frames out of what the program wrote.
inline QList<QByteArray> splitFrames(const QByteArray &bytes)
{
    QList<QByteArray> frames;
    for (qsizetype i = 0; i + Frame::CommandSize <= bytes.size(); i += Frame::CommandSize)
        frames << bytes.mid(i, Frame::CommandSize);
    return frames;
}

inline QByteArray hex(const char *spaced)
{
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

// A response frame with its check byte filled in.
inline QByteArray response(Byte id, Byte m0, Byte m1, Byte v4, Byte v5, Byte v6, Byte type, Byte v8)
{
    QByteArray f;
    for (Byte b : {Byte(0xD8), id, m0, m1, v4, v5, v6, type, v8})
        f.append(char(b));
    f.append(char(Frame::xorOf(reinterpret_cast<const Byte *>(f.constData()), 1, 8)));
    return f;
}

// The same frame, parsed as the answer handling sees it.
inline Frame::Response report(Byte id, Byte m0, Byte m1, Byte v4, Byte v5, Byte v6, Byte type, Byte v8)
{
    const QByteArray f = response(id, m0, m1, v4, v5, v6, type, v8);
    return *Frame::Response::parse(reinterpret_cast<const Byte *>(f.constData()), Frame::ResponseSize);
}

// Frames on the wire from index `from` of the bus log on, with this function
// byte (and this data byte, if given).
inline int countFrames(const MotorSim &sim, Byte function, int data = -1, int from = 0)
{
    int n = 0;
    const auto &log = sim.frames();
    for (int i = from; i < int(log.size()); ++i) {
        const QByteArray &f = log.at(i).bytes;
        if (Byte(f.at(Frame::Function)) == function && (data < 0 || Byte(f.at(Frame::Data)) == data))
            ++n;
    }
    return n;
}

struct Bench {
    Pty pty;
    MotorLink link;
    SerialLine &comm = link.serial();
    LinkRecorder view {link};
    int reads = 0; // receive events that found bytes waiting

    Bench()
    {
        comm.setPortName(pty.slavePath());
        comm.onReceiveData = [this](SerialLine *) {
            if (comm.bytesWaiting() > 0)
                ++reads;
            link.receive();
        };
    }

    // Chooses the port as the port box does without a scan: open at the
    // device's default rate (2400), then at rate.
    void open(int rate = 2400)
    {
        link.choosePort(comm.portName(), false);
        if (rate != 2400)
            link.reopenAt(rate);
    }

    // Runs one tick and returns the frames it wrote, as they arrived.
    QList<QByteArray> runTick()
    {
        link.tick();
        return splitFrames(drain());
    }

    // Everything written so far; waits briefly for bytes still on their way.
    QByteArray drain()
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        do {
            QCoreApplication::processEvents();
            got += pty.readAvailable();
        } while (got.size() % Frame::CommandSize != 0 && clock.elapsed() < 2000);
        return got;
    }
};

// The simulated motor bus, built before the link and gone after it.  The
// link's port must close first: closing the last descriptor of a
// pseudo-terminal frees its number, and a port closes its descriptor before
// it removes its lock file.  Were the simulator's end closed first, another
// test program could be given that number in between, and its port would not
// open: the lock file says a live process holds the device.
struct SimulatedBus {
    MotorSim sim;
};

// A bench whose far end is the simulated motor bus.
struct SimBench : SimulatedBus, Bench {
    SimBench()
    {
        comm.setPortName(sim.path());
        sim.bus().addMotor(1, 0x0001);
    }
    // Ticks with the event loop running between them, as the timer would.
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            link.tick();
            QTest::qWait(150);
        }
    }
    // Ticks with the event loop running until the link has nothing to do.
    void runUntilIdle(int maxTicks = 60)
    {
        for (int n = 0; n < maxTicks && !link.isIdle(); ++n)
            ticks(1);
    }
    // Runs the scan to its end (or maxTicks) and returns the ticks it took.
    int runScan(int maxTicks)
    {
        link.startSettingsRead(false);
        int n = 0;
        while (link.isScanning() && n < maxTicks) {
            ticks(1);
            ++n;
        }
        return n;
    }
};
