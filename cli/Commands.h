// The commands tavik-cli knows: one table row per command gives its name,
// what it sends, its syntax, its help and an example.  Parsing, --help and
// the per-command help all read this table.  The help is a row of the
// language table; names, syntax and examples are what the user types.
#pragma once

#include "Frames.h"
#include "TextIds.h"

#include <QString>
#include <QStringList>

#include <span>

struct CommandRow {
    enum class Kind { Ports, Settings, Scan, Read, Set, Apply, Motor, Goto, Limit, Status, Monitor };

    const char *name;
    Kind kind;
    Byte data; // motor commands: the data byte of function 0A
    const char *syntax; // as the help shows it
    CliText text; // what it does
    const char *example;
    const char *options; // the options it takes besides the common ones

    // up, stop, down, learn, delete, goto and limit: they take several
    // targets, as words or with --target.
    bool movesCurtains() const { return kind == Kind::Motor || kind == Kind::Goto || kind == Kind::Limit; }
};

std::span<const CommandRow> commandRows();
const CommandRow *findCommand(const QString &name);
QStringList commandNames();

// The choice closest to a mistyped word, or empty when none is close.
QString nearest(const QString &word, const QStringList &choices);
