// Reads a fuzzer's bytes as a starting state followed by what the port
// delivers, and drives the program's real receive path with them.
#pragma once

#include "FuzzBytes.h"
#include "Messages.h"
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

// An arbitrary but valid starting state: every flag 0 or 1, every counter
// within what the program itself can reach.
inline void startFrom(FuzzBytes &in, Windows &w)
{
    SharedState &s = w.state;
    const int id = in.below(100);
    w.mainWindow.idList()->setCurrentIndex(id); // sets TargetId as the user would
    s.currentMask().bytes = {in.byte(), in.byte()};
    s.PortReady = in.flag();
    s.BaudScanActive = in.flag();
    s.OpenSettingsAfterScan = in.flag();
    s.ExtReadPending = in.flag();
    s.BaudApplyPending = in.flag();
    s.VerifyBasicPending = in.flag();
    s.VerifyExtPending = in.flag();
    s.VerifyIdPending = in.flag();
    s.VerifyItem = Byte(in.below(9));
    s.RetryCount = Byte(in.below(9));
    s.SendPending = in.flag();
    s.SendCount = Byte(in.flag());
    s.DeviceStatus = in.byte();
    s.PositionTargetActive = in.flag();
    s.PositionDragging = in.flag();
    s.PositionSettleCount = Byte(in.below(5));
    w.mainWindow.SetPointerLeft(339 + in.below(201));
    FeatureValues &v = s.Features;
    v = {in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), in.byte(), Byte(in.below(5))};
}

// Lets the posted message boxes and window updates run.
inline void settle()
{
    QCoreApplication::processEvents();
}
