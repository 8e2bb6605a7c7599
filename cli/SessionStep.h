// The steps of one tavik-cli run: what the run waits for before it goes on,
// each step with only the state it needs, and the tick limits of the waits
// (one tick is the link's transmit tick, MotorLink::TickMs = 150 ms).
#pragma once

#include "SettingNames.h"

#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace SessionStep {

// A motor read at a known rate is given up on the tick after this many: the
// read goes out on one of the next free ticks and a motor answers within a
// tick or two even at 1200 bps; 9 ticks (1.35 s) leave room for frames
// staged before it.  Without a known rate the baud scan sets the wait.
inline constexpr int BasicAnswerTicks = 9;
// The extended report is given up on the tick after this many, counted from
// the basic answer (6 ticks, 0.9 s): its read goes out on the next free tick.
inline constexpr int ExtendedAnswerTicks = 6;
// Asked at one rate while finding a target's rate, the target is given up
// at that rate on the tick after this many: the read goes out on the next
// two ticks and an answer comes within the tick after it.
inline constexpr int RateAnswerTicks = 5;
// A read whose answer never came stops holding the next step back after this
// many ticks with the link idle: an answer comes within the tick after its read.
inline constexpr int UnansweredReadTicks = 2;

// The port opens; without --baud the opening scans the rates.
struct Opening {};

// The target's motor is read: the basic report, then (read, apply) the
// extended one.  ticks: since the read was asked for, or since the basic
// answer while the extended one is awaited.
struct Reading {
    bool needsExtended = false;
    int ticks = 0;
};

// set and apply: each change written and confirmed by its read-back, in order.
struct Writing {
    QList<Change> queue; // still to write
    std::optional<Change> underWay {}; // written, its read-back not yet done
    int readFrames = 0; // read-back frames sent for the change under way
    int confirmed = 0; // changes confirmed for this target
};

// A motor command goes out (twice, on two ticks).
struct Sending {};

// One motor on one channel was sent a command: its next status answer
// confirms it.
struct Confirming {
    int silentTicks = 0;
};

// status: the target's answers printed, once or (--watch) until stopped.
struct Watching {
    int silentTicks = 0;
    QString lastLine; // --watch prints a line only when it changes
};

// monitor: the line shown until stopped.
struct Monitoring {};

// This target has its result; the next one begins once the link is idle.
struct Ended {};

// The run has printed its summary and emitted finished(): nothing follows.
struct Finished {};

} // namespace SessionStep
