// The contract of a written setting: which command writes it, which report
// reads it back and which byte of that report must match.
#pragma once

#include "Frames.h"

// The values a motor keeps in its own memory: as it reported them, or as a
// settings window edits its own copy of them before a write.
struct SettingValues {
    Byte dryContactMode = 0;
    Byte maxSpeed = 0;
    Byte curtainFunctions = 0;
    Byte jogTime = 0;
    Byte obstacleSensitivity = 0;
    Byte reboundTime = 0;
    Byte deviceBaudCode = 0;
};

namespace Settings {

// The settings a write can change, numbered as in the link's read-back.
enum Item : Byte {
    IdAndChannels = 1,
    DryContact = 2,
    MaxSpeed = 3,
    CurtainFunctions = 4,
    JogTime = 5,
    Sensitivity = 6,
    Rebound = 7,
    BaudCode = 8,
};

enum class ReadBack { Id, Basic, Extended };

struct Row {
    Item item;
    Byte function;
    ReadBack readBack;
    int reportByte; // compared with the value (unused for the ID)
    Byte SettingValues::*value; // the data byte; null for the ID (data AA)
};

// The row of a setting item, or null for a code no setting has.
const Row *row(int item);

} // namespace Settings
