// The words tavik-cli prints: the English of its rows in the language table.
#pragma once

#include <QString>

QString say(const char *name);
