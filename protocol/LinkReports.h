// What the link reports of each answer it understood: who sent it (ID and
// channels, as the answer names them), whether that is the motor the frame
// awaiting an answer addressed, and the values decoded, so that no client
// reads the answer's bytes itself.
#pragma once

#include "MotorTarget.h"
#include "SettingsTable.h"

#include <optional>

// The position every client passes on for a motor that does not know
// where it is.
inline constexpr int UnknownPercent = -1;

// A status answer (to a status poll or a motor command).
struct StatusReport {
    MotorTarget from;
    // The position in percent as the motor gives it; none when the motor
    // says it does not know where it is.
    std::optional<int> percent;
    Byte status = 0; // position known, limit points stored
    bool fromAddressed = false;

    int percentOrUnknown() const { return percent.value_or(UnknownPercent); }
};

// A basic (CA) or extended (CB) settings answer of the motor addressed:
// the link's settings as stored with this answer's values.
struct SettingsReport {
    MotorTarget from;
    SettingValues values;
};
