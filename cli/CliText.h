// The words tavik-cli prints: the English of its rows in the language table,
// named by their ids (TextIds.h).
#pragma once

#include "TextIds.h"

#include <QString>

QString say(CliText id);
// A word of the bus monitor's rows that tavik-cli prints the same way.
QString sayWord(Word word);
