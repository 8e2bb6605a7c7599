// One line per event on standard error, where journald picks it up.
#pragma once

#include <QString>

void logLine(const QString &text);
