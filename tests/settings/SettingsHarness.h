// The program's windows against the simulated motor bus, seen from the
// settings windows: short names for what these tests use most.
#pragma once

#include "AppFixture.h"
#include "ChannelEditor.h"
#include "MotorSim.h"
#include "SettingsTable.h"

#include <QComboBox>

struct Harness {
    MotorSim sim;
    App app;
    MessageTexts &texts = app.texts;
    MotorLink &link = app.link;
    SerialLine &comm = app.main.serial();
    MainWindow &mainWindow = app.main;
    QComboBox *mainIdList = app.main.idList();
    MotorSettingsWindow &settingsWindow = app.w.settingsWindow();
    ForceIdWindow &forceIdWindow = app.w.forceIdWindow();
    LineRateWindow &serial = app.w.lineRateWindow();
    ManualWindow &manual = app.w.manualWindow();
    Messages::Recorder &messages = app.messages;

    // The port chosen and found at the device's 2400 baud, without a scan.
    void openPort()
    {
        link.choosePort(sim.path(), false);
        if (comm.bitsPerSecond() != 2400)
            link.reopenAt(2400);
    }

    bool deviceReceived(const QByteArray &frame) const
    {
        for (const MotorBus::ReceivedFrame &f : sim.frames())
            if (f.bytes == frame)
                return true;
        return false;
    }

    template <typename T> T *in(QWidget *window, const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
};

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(v));
    return b;
}
