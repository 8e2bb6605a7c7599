// The contract of a written setting: which command writes it, which report
// reads it back and which byte of that report must match.
#pragma once

#include "Frames.h"
#include "SharedState.h"

namespace Settings {

// VerifyItem codes.
enum Item : Byte {
    IdAndChannels = 1, DryContact = 2, MaxSpeed = 3, CurtainFunctions = 4,
    JogTime = 5, Sensitivity = 6, Rebound = 7, BaudCode = 8,
};

enum class ReadBack { Id, Basic, Extended };

struct Row {
    Item item;
    Byte function;
    ReadBack readBack;
    int reportByte;                    // compared with the value (unused for the ID)
    Byte FeatureValues::*value;        // the data byte; null for the ID (data AA)
};

// The row of a VerifyItem code, or null for a code no setting has.
const Row *row(int item);

} // namespace Settings
