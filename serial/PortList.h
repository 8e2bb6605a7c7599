// The list of serial ports offered in the port box.
#pragma once

#include <QStringList>

// Replaces the content of strings with the names of the serial ports present,
// sorted case-insensitively ("COM1", "COM10", "COM2"); leaves it untouched
// when the ports cannot be enumerated.
void EnumComPorts(QStringList &strings);

// Case-insensitive text order used for the port list.
void sortPortNames(QStringList &names);
