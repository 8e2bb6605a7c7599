// The words tavik-cli prints: the English of its rows in the language table.
#pragma once

#include <QString>

QString say(const char *name);
// A word of the bus monitor's rows that tavik-cli prints the same way.
QString sayWord(const char *name);
