// A start-up probe for benchmarks.  When the environment variable
// TAVIK_STARTUP_PROBE is set, the window prints one line on standard output
// once it has been painted for the first time:
//   first-paint <steady clock in ns> widgets <widgets in the application>
// and a second line with the entries of its menu bar, the texts a user sees
// first (they tell the start language):
//   menu <entry>|<entry>|...
// The steady clock is the system's monotonic clock, so the process that
// started us can subtract its own reading taken before the start.
#pragma once

class QWidget;

void watchFirstPaint(QWidget &window);
