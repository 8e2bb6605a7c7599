// Reads a fuzzer's bytes as a starting state followed by what the port
// delivers, and drives the program's real receive path with them: bytes
// arrive on the line and the link's receive event reads them.
#pragma once

#include "FuzzBytes.h"
#include "MemorySerialDevice.h"
#include "Messages.h"
#include "PositionSlider.h"
#include "PositionTarget.h"
#include "Windows.h"

#include <QApplication>
#include <QComboBox>

#include <cstddef>
#include <cstdint>

// The line in memory the windows' link reads from, open for the whole run.
inline MemorySerialDevice *&fuzzLine()
{
    static MemorySerialDevice *line = nullptr;
    return line;
}

// The program's windows, created once for the whole fuzzing run, their link
// on a line in memory.
inline Windows &fuzzWindows()
{
    static int argc = 1;
    static char name[] = "tavik-fuzz";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        auto *a = new QApplication(argc, argv);
        Messages::setSink([](const QString &, Messages::Kind) {}); // never block on a box
        return a;
    }();
    (void)app;
    static Windows *windows = [] {
        auto *w = new Windows;
        // Every window that reports reach, from the first input on.
        w->settingsWindow();
        w->forceIdWindow();
        fuzzLine() = new MemorySerialDevice;
        w->mainWindow.link().serial().setDevice(std::unique_ptr<SerialDevice>(fuzzLine()));
        w->mainWindow.link().choosePort(QStringLiteral("/dev/ttyFUZZ"), false);
        return w;
    }();
    return *windows;
}

// One read the port delivers, handled as the receive event handles it.
inline void deliver(const std::uint8_t *bytes, int count)
{
    fuzzLine()->arrive(QByteArray(reinterpret_cast<const char *>(bytes), count), false);
    fuzzWindows().mainWindow.link().receive();
}

// An arbitrary starting state the program can be in, reached through the
// link's own operations: a target, maybe a port, maybe a job under way,
// maybe a frame waiting, a status and the slider's target.
inline void startFrom(FuzzBytes &in, Windows &w)
{
    MotorLink &link = w.mainWindow.link();
    w.mainWindow.idList()->setCurrentIndex(in.below(100)); // the target's ID, as the user chooses it
    link.setChannels(ChannelMask {{in.byte(), in.byte()}});
    link.restoreMotorSettings({in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), Byte(in.below(5))});
    switch (in.below(5)) {
    case 0: link.startSettingsRead(in.flag()); break;
    case 1: writeHeldSetting(link, Settings::Item(1 + in.below(8))); break;
    case 2: link.queueExtendedRead(); break;
    case 3: link.readSettings(in.flag() ? Frame::ReadBasic : Frame::ReadExtended); break;
    default: break;
    }
    if (in.flag())
        link.sendMotorCommand(Frame::Motor, in.byte());
    // A status answer sets the status byte, as the device would.
    const Byte status = in.byte();
    std::uint8_t answer[Frame::ResponseSize] = {Frame::ResponseLead, 1, 1, 0, 0, 0, 0, 50, status, 0};
    answer[9] = Frame::xorOf(answer, 1, 8);
    deliver(answer, sizeof answer);
    w.mainWindow.positionSlider()->setPointerLeft(339 + in.below(201));
    if (in.flag())
        w.mainWindow.positionTarget().hold();
    if (in.flag())
        w.mainWindow.positionTarget().letGo();
}

// Lets the posted message boxes and window updates run.
inline void settle()
{
    QCoreApplication::processEvents();
    fuzzLine()->takeWritten();
    fuzzLine()->clearInput();
}
