// The benchmark's three roles, each run in a process of its own so that the
// clocks and /proc readings of one do not include the others' work:
//   host   Tavik's own windows in this process, driven as a user would;
//   motor  the simulated motor bus, stamping each frame's arrival;
//   driver starts the others, measures, and prints the table.
#pragma once

#include <QStringList>

int runHost(const QStringList &args);
int runMotor(const QStringList &args);
int runDriver();

// One line on standard output, flushed at once: the driver reads them live.
void say(const QByteArray &line);
