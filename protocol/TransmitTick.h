// The 150 ms transmit tick: the only code that writes to the port.
//
// Each tick takes exactly one action, in a fixed priority order: send the
// pending command (every staged command goes out twice), one step of the
// baud scan, the extended read after a scan, applying a new device baud
// rate, one read-back retry of a written setting, or else the idle status
// poll.  It also reports the position unknown after six silent ticks.
#pragma once

#include "SharedState.h"

class MotorLink;
class SerialLine;

class TransmitTick {
public:
    explicit TransmitTick(MotorLink &link);

    // One tick.  Errors of the port component propagate as SerialError.
    void run();

    // Scan steps: 1..5 read at 1200..19200 baud, 6 and 7 wait, 8 gives up.
    static constexpr int ScanRates = 5;
    static constexpr int ScanGiveUpStep = 8;
    static constexpr int MaxReadBacks = 3;
    static constexpr int SilenceTicks = 6;

private:
    void fillAddress();
    void act();
    void sendFrame();
    void baudScan();
    void readBack(Byte &flag, Byte readFunction);
    void idlePoll();
    void statusTimeout();

    MotorLink &m_link;
    SharedState &s;
    SerialLine &m_comm;
};
