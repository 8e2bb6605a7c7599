// Requests that name the motor they are for, and the result each gives
// back, carrying its request (in the manner of a reply object): the link
// serves them in turn, and a client matches a result to what it asked.
#pragma once

#include "MotorTarget.h"
#include "SettingsTable.h"

#include <QMetaType>

#include <optional>
#include <variant>

// One setting written to one motor, named by its ID and channels, at the
// line's current rate.  Settings frames reach every motor with the ID at
// that rate whatever its channels, so the link first asks the ID (a basic
// read) and writes only when exactly one motor answers cleanly and it is
// the named one; force writes without asking.
struct NamedWrite {
    MotorTarget motor;
    Settings::Item item = Settings::MaxSpeed;
    Byte value = 0;
    bool force = false;
};

struct WriteResult {
    enum class Outcome {
        Confirmed, // a read-back of the named motor showed the value
        NotConfirmed, // no read-back showed it (silence, or another value)
        Refused, // nothing was sent: see refusal
        Canceled, // the port was lost or closed before the end
    };
    enum class Refusal {
        None,
        SharedId, // several motors answered the ID cleanly (two senders, or more answers than askings)
        SeveralAtOnce, // the answers came garbled twice: several motors at once
        OtherMotor, // one motor answered, with other channels
        NotOnLine, // no motor answered
    };
    NamedWrite request;
    Outcome outcome = Outcome::Canceled;
    Refusal refusal = Refusal::None;
    // NotConfirmed: a read-back came with another value (else silence).
    bool otherValueSeen = false;
    // Who answered the question before the write (OtherMotor, SharedId).
    std::optional<MotorTarget> answered {};
    int rateBps = 0;

    bool confirmed() const { return outcome == Outcome::Confirmed; }
};

// One settings read of the motor the request names, by its ID and channels,
// at its rate (0: the line's current rate; the line moves to another and
// stays there).  A read reaches every motor with the ID at that rate
// whatever its channels, so its result says who answered; garbled answers
// are asked once more.  It changes nothing the link keeps of its target.
struct NamedRead {
    MotorTarget motor;
    Byte readFunction = Frame::ReadBasic; // or Frame::ReadExtended
    int rateBps = 0;
};

struct ReadResult {
    enum class Outcome {
        Read, // the named motor alone answered, cleanly: see values
        Silent, // no motor with the ID answered
        SeveralAnswered, // several motors with the ID answered (at once or in turn)
        OtherMotor, // one motor answered, without the named channels
        Canceled, // the port was lost or closed before the end
    };
    NamedRead request;
    Outcome outcome = Outcome::Canceled;
    // Read: the values the answer carries (the rest as SettingValues has them).
    std::optional<SettingValues> values {};
    // Who answered (Read, OtherMotor, and the first of several).
    std::optional<MotorTarget> answered {};
    int rateBps = 0;

    bool read() const { return outcome == Outcome::Read; }
};

// What waits in the link's queue, served in turn.
using NamedRequest = std::variant<NamedWrite, NamedRead>;

Q_DECLARE_METATYPE(WriteResult)
Q_DECLARE_METATYPE(ReadResult)
