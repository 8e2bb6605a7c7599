// What the motor link is doing besides the status polls: at most one job at
// a time, each with only the state it needs, so that no combination the
// protocol cannot be in can be stored.
#pragma once

#include "WrittenSettings.h"

#include <variant>

namespace LinkJob {

struct Idle {};

// Steps 1..5 read the basic settings at 1200..19200 baud, 6 and 7 wait for a
// late answer, 8 gives up at 2400.  announceEnd: the caller of a settings
// read wants to hear when the scan ends.
struct BaudScan {
    int step = 0;
    bool announceEnd = false;
};

// After a scan found the motor: one read of the extended settings.
struct ExtendedRead {};

// After a baud code write: reopen at the new rate, then read it back
// (unless an answer already confirmed it).
struct BaudApply {
    Settings::Item item = Settings::BaudCode;
    bool confirmed = false;
    bool otherValueSeen = false;
};

// A written setting is read back until it matches, at most three times.
struct ReadBack {
    Settings::Item item = Settings::DryContact;
    int attempt = 0;
    bool otherValueSeen = false; // a read-back came with another value
};

} // namespace LinkJob

using Job =
    std::variant<LinkJob::Idle, LinkJob::BaudScan, LinkJob::ExtendedRead, LinkJob::BaudApply, LinkJob::ReadBack>;
