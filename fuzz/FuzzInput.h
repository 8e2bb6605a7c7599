// Reads a fuzzer's bytes as a starting state followed by what the port
// delivers, and drives the program's real receive path with them.
#pragma once

#include "FuzzBytes.h"
#include "ResponseHandler.h"
#include "Messages.h"
#include "PositionSlider.h"
#include "Windows.h"

#include <QApplication>
#include <QComboBox>

#include <cstddef>
#include <cstdint>

// The program's windows, created once for the whole fuzzing run.
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
        return w;
    }();
    return *windows;
}

// An arbitrary starting state the program can be in, reached through the
// link's own operations: a target, maybe a port, maybe a job under way,
// maybe a frame waiting, a status and the slider's target.
inline void startFrom(FuzzBytes &in, Windows &w)
{
    MotorLink &link = w.mainWindow.link();
    w.mainWindow.idList()->setCurrentIndex(in.below(100)); // the target's ID, as the user chooses it
    link.setChannels(ChannelMask {{in.byte(), in.byte()}});
    FeatureValues &v = link.motorSettings();
    v = {in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), Byte(in.below(5))};
    switch (in.below(5)) {
    case 0: link.startSettingsRead(in.flag()); break;
    case 1: link.writeSetting(Settings::Item(1 + in.below(8))); break;
    case 2: link.queueExtendedRead(); break;
    case 3: link.readSettings(in.flag() ? Frame::ReadBasic : Frame::ReadExtended); break;
    default: break;
    }
    if (in.flag())
        link.sendMotorCommand(Frame::Motor, in.byte());
    // A status answer sets the status byte, as the device would.
    const Byte status = in.byte();
    const Frame::Response answer = [&] {
        Frame::Response r;
        r.b = {Frame::ResponseLead, 1, 1, 0, 0, 0, 0, 50, status, 0};
        r.b[9] = Frame::xorOf(r.b.data(), 1, 8);
        return r;
    }();
    link.responses().handleFrame(answer);
    w.mainWindow.positionSlider()->setPointerLeft(339 + in.below(201));
    if (in.flag())
        link.holdPositionTarget();
    if (in.flag())
        link.letGoOfPositionTarget();
}

// Lets the posted message boxes and window updates run.
inline void settle()
{
    QCoreApplication::processEvents();
}
