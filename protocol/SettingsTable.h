// The settings a motor keeps, one row each: the frame that writes it, the
// report and byte that carry it, what kind of value it is, its range, unit
// and named values.  The answer decoding, the read-back, the frame words,
// tavik-cli's names and values and the settings window's tabs all read this
// table; a client that builds entities from it (a setting's machine name,
// kind, range and words) needs nothing else.
#pragma once

#include "Frames.h"

#include <span>

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

// The report that carries a setting (the ID and channels: every answer).
enum class ReadBack { Id, Basic, Extended };

enum class Kind {
    Address, // the motor's ID and channels
    Number, // a number in the range, or one of the named values
    Choice, // one of the named values only
    Functions, // a byte of curtain functions, each bit one of two words
};

// A value with a name: "high" for sensitivity 3, "9600" for baud code 3.
struct ValueWord {
    const char *word;
    int value;
};

// One bit of the curtain-functions byte, with the words for 0 and 1.
struct CurtainFunction {
    const char *name; // stable: "hand_start"
    Byte bit;
    const char *clear;
    const char *set;
};

struct Row {
    Item item;
    const char *name; // stable machine name: "max_speed"
    Kind kind;
    Byte function; // the write's function code
    ReadBack readBack;
    int reportByte; // the byte of the report that carries it (unused for the ID)
    Byte SettingValues::*value; // null for the ID (its write's data is AA)
    int min, max, step; // a Number's range (min > max: none)
    const char *unit; // of a Number ("" for none)
    std::span<const ValueWord> words;
    int fallback; // what a restore writes, as delivered (-1: none)
};

std::span<const Row> rows();
// The row of a setting item, or null for a code no setting has.
const Row *row(int item);
const Row *rowNamed(const char *name);
// The word a row gives this value ("unlimited"), or null for a plain number.
const char *wordOf(const Row &row, int value);
std::span<const CurtainFunction> curtainFunctions();

// The settings a report of this kind carries, read from its bytes into
// values (the others are left as they were).
void decode(const Frame::Response &report, ReadBack kind, SettingValues &values);

} // namespace Settings
