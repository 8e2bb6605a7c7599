// Reads and checks the device's 10-byte answers and acts on them: the
// position display and limit points follow status answers, settings reports
// fill the settings window or end a baud scan, and a report that reads back a
// written value confirms it.
#pragma once

#include "Frames.h"
#include "ProtocolView.h"
#include "Settings.h"
#include "SharedState.h"

#include <QByteArray>

class TComm;

class ResponseHandler {
public:
    ResponseHandler(SharedState &state, TComm &comm, ProtocolView &view);

    // The port's receive event.
    void Comm1ReceiveData();

    // What one read brought: count bytes as the port delivered them.
    void examine(const Byte *bytes, int count);
    // Drops the bytes kept for an answer still arriving (the port changed).
    void forgetWaiting();

    // Acts on one frame that passed the lead and check byte tests.
    void handleFrame(const Frame::Response &f);
    // Frames acted on since the start (for measuring the receive path).
    quint64 framesUnderstood() const { return m_framesUnderstood; }

    // The stored-value part of loading a report into the settings window.
    void LoadBasicSettings(const Frame::Response &f);
    void LoadExtendedSettings(const Frame::Response &f);

    static constexpr int PointerZero = 339; // pointer left edge at 0 %
    static constexpr int BarMaxWidth = 210;

private:
    void extendedReport(const Frame::Response &f);
    void basicReport(const Frame::Response &f);
    void statusReport(const Frame::Response &f);
    bool readsBack(const Frame::Response &f, Settings::ReadBack way) const;
    void confirm(Byte &flag);

    SharedState &s;
    TComm &m_comm;
    ProtocolView &m_view;
    quint64 m_framesUnderstood = 0;
    QByteArray m_waiting;     // the start of an answer still arriving
    quint64 m_generation = 0; // counts forgetWaiting, so examine notices one mid-way
};
