// The command line, read completely before the port is opened: options
// (TAVIK_PORT and TAVIK_BAUD stand for --port and --baud), the command and
// its arguments, the targets, a profile for `apply`.  Anything wrong is a
// usage error that names the argument, the values it takes and, for a near
// miss, what was probably meant.
#pragma once

#include "Commands.h"
#include "MotorSettings.h"
#include "Profile.h"
#include "SettingNames.h"

#include <QString>
#include <QStringList>

struct Request {
    enum class Asked { Run, Help, Version };

    Asked asked = Asked::Run;
    const CommandRow *command = nullptr; // for Help: the command asked about, or none
    QString port; // empty: the only USB serial adapter present
    int baudCode = -1; // -1: scan for the rate
    bool json = false;
    bool quiet = false;
    bool dryRun = false;
    bool watch = false;
    bool address = false; // apply writes ID, channels and rate too
    bool force = false; // set id: the forced ID write, without asking the line first
    bool all = false; // scan: every motor on the line, within these IDs and channels
    int firstId = 1, lastId = MotorSettings::MaxId;
    QList<int> channels; // empty: all 16
    QString logPath;
    QString commandLine; // as typed, for the log

    QList<MotorTarget> targets; // in the order given; none: the motor that answers (monitor: --poll)
    Byte function = 0; // motor commands, goto, limit: the frame's function
    Byte data = 0; // and data byte
    Change change; // set
    Profile profile; // apply
    QString profilePath;

    CommandRow::Kind kind() const { return command->kind; }
};

// Reads the arguments (without the program name).  false with a message
// when they are not a valid request.
bool parseArguments(const QStringList &args, Request &out, QString &error);
