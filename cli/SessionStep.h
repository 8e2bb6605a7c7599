// The steps of one tavik-cli run: what the run waits for before it goes on,
// each step with only the state it needs.
#pragma once

#include "SettingNames.h"

#include <QList>
#include <QString>

#include <optional>
#include <variant>

namespace SessionStep {

// A motor is read with requests that name it (NamedRead): the link says
// when the read is over and who answered, so no step counts ticks for it.

// The port opens; without --baud the opening scans the rates.
struct Opening {};

// The target's motor is read: the basic report, then (read, apply) the
// extended one.
struct Reading {
    bool needsExtended = false;
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

// This target has its result; the next one begins on the next tick.
struct Ended {};

// The run has printed its summary and emitted finished(): nothing follows.
struct Finished {};

} // namespace SessionStep
