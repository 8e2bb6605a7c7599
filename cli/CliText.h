// The words tavik-cli prints: its own English texts, one table.
#pragma once

#include <QString>

QString say(const char *name);
