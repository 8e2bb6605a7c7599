// The command line, read completely before the port is opened: options,
// the command and its arguments, a profile for `apply`.  Anything wrong is
// a usage error that names the argument and the values it takes.
#pragma once

#include "Profile.h"
#include "SettingNames.h"

#include <QString>
#include <QStringList>

struct Request {
    enum class Command {
        Help, Ports, Scan, Read, Set, Apply, Motor, Goto, Limit, Status, Monitor,
    };

    Command command = Command::Help;
    QString name;           // the command as typed ("up", "goto")
    QString port;           // empty: the only port present
    int baudCode = -1;      // -1: scan for the rate
    bool json = false;
    bool quiet = false;
    bool dryRun = false;
    bool watch = false;

    Target target;          // motor commands, goto, limit, status
    Byte function = 0;      // motor commands, goto, limit: the frame's function
    Byte data = 0;          // and data byte
    Change change;          // set
    Profile profile;        // apply
    QString profilePath;
};

// Reads the arguments (without the program name).  false with a message
// when they are not a valid request.
bool parseArguments(const QStringList &args, Request &out, QString &error);

// --help: every command with an example.
QString helpText();
