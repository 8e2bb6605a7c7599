// What tavik-cli says without a port: --help, the help of one command,
// --version, and the lists of `ports` and `settings`.
#pragma once

#include "Commands.h"
#include "Output.h"

#include <QString>

QString helpText();
QString commandHelp(const CommandRow &row);
QString versionText();
void listPorts(Output &out);
void listSettings(Output &out);
