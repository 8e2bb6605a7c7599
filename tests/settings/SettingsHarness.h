// The settings windows wired to the real protocol without the main window:
// a plain widget stands in for the main window and a combo box for its ID
// list; a real TComm talks to the simulated motor bus over a pseudo-terminal;
// a 150 ms timer runs the transmit tick and the port's receive event runs the
// answer handling, as in the program.
#pragma once

#include "ChannelEditor.h"
#include "FeatureSet.h"
#include "IDAndChannelSet.h"
#include "Messages.h"
#include "MotorSim.h"
#include "ProtocolView.h"
#include "ResponseHandler.h"
#include "SharedState.h"
#include "TComm.h"
#include "TransmitTick.h"

#include <QComboBox>
#include <QTimer>
#include <QWidget>

// Forwards the settings hooks to the settings window, as the main window does.
class SettingsView : public ProtocolView {
public:
    TSetForm *form = nullptr;
    bool SettingsWindowEnabled() const override { return form->isEnabled(); }
    void ShowSettingsWindow() override { form->OpenAfterScan(); }
    void ShowBasicSettings() override { form->ShowBasicSettings(); }
    void ShowExtendedSettings() override { form->ShowExtendedSettings(); }
    void SelectReportedId(int id) override { form->SelectReportedId(id); }
    void RefreshChannelButtons() override { form->RefreshChannelButtons(); }
};

struct Harness {
    SharedState state;
    QWidget mainWindow;
    QComboBox *mainIdList = new QComboBox(&mainWindow);
    TComm comm;
    MotorSim sim;
    SettingsView view;
    TSetForm setForm {state, comm, &mainWindow, mainIdList};
    TIDSetForm idForm {state, comm, &mainWindow, mainIdList};
    TransmitTick tick {state, comm, view};
    ResponseHandler answers {state, comm, view};
    QTimer timer;
    Messages::Recorder messages;

    Harness()
    {
        // What the main window's start-up and language table provide.
        state.GroupCaption = QStringLiteral("群控");
        state.MsgSelectId = QStringLiteral("      请选择 ID !      ");
        state.MsgSelectPort = QStringLiteral("     请选择串口号 !     ");
        state.MsgSetSuccess = QStringLiteral("  设置成功  ");
        state.MsgSetFailure = QStringLiteral("  设置失败  ");
        state.Features.DeviceBaudCode = 1;
        mainIdList->addItem(state.GroupCaption);
        for (int id = 1; id <= 99; ++id)
            mainIdList->addItem(QString::number(id));
        // The main window's own ID selection: the item index is the ID.
        QObject::connect(mainIdList, &QComboBox::currentIndexChanged, [this](int i) {
            if (i >= 0)
                state.selectTarget(i);
        });
        view.form = &setForm;
        comm.OnReceiveData = [this](TComm *) { answers.Comm1ReceiveData(); };
        timer.setInterval(150);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            try {
                tick.run();
            } catch (const ECommError &e) {
                Messages::show(QString::fromLatin1(e.what()), Messages::Kind::Error);
            }
        });
        mainWindow.show();
    }

    // A port chosen in the port box, at the device's 2400 baud.
    void openPort()
    {
        state.PortReady = 1;
        comm.setPortName(sim.path());
        Settings::reopenPort(comm, br2400);
        timer.start();
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
