// The words tavik-cli prints, from the language table (in English).
#pragma once

#include <QString>

QString say(const char *name);
