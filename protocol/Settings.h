// Staging commands and the contract of a written setting: which command
// writes it, which report reads it back and which byte must match.
#pragma once

#include "Frames.h"
#include "SharedState.h"

class TComm;

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

// A motor command from the panel: function and data, SendPending; SendCount
// is left alone, so a command staged between the two sends goes out once.
void stageMotorCommand(SharedState &s, Byte function, Byte data);

// A read of the basic (CA CA) or extended (CB CB) settings, sent twice.
void stageRead(SharedState &s, Byte readFunction);

// The common part of every set button: stage the write, raise its
// verification flag (and the baud apply for the baud rate), restart the
// retries.
void stageVerifiedWrite(SharedState &s, Item item);

// The port is open and a port was chosen in the port box.
bool portUsable(const TComm &comm, const SharedState &s);

// Reopens the port at a rate: the sequence every rate change uses.
void reopenPort(TComm &comm, TBaudRate rate);

// What a failed open shows: the component's own text, then why the port did
// not open and what the user can do about it, in the current language.
QString openFailureText(const TComm &comm, const SharedState &s, const QString &componentText);

} // namespace Settings
