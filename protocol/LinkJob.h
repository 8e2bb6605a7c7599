// What the motor link is doing besides the status polls: at most one job at
// a time, each with only the state it needs, so that no combination the
// protocol cannot be in can be stored.
#pragma once

#include "LinkRequests.h"
#include "MotorTarget.h"
#include "SettingsTable.h"

#include <optional>

#include <variant>

namespace LinkJob {

struct Idle {};

// Steps 1..5 read the basic settings at 1200..19200 baud, 6 and 7 wait for a
// late answer, 8 gives up: at 2400, or at the last rate where several motors
// answered at once, so that choosing one of their IDs then reaches them.
// announceEnd: the caller of a settings read wants to hear when the scan ends.
struct BaudScan {
    int step = 0;
    bool announceEnd = false;
    int collidedBps = 0; // the last rate where several motors answered at once; 0: none
};

// After a scan found the motor: one read of the extended settings.
struct ExtendedRead {};

// After a baud code write: reopen at the new rate, then read it back
// (unless an answer already confirmed it).
struct BaudApply {
    Settings::Item item = Settings::BaudCode;
    Byte value = 0; // the code written: the line moves to its rate
    bool confirmed = false;
    bool otherValueSeen = false;
    std::optional<NamedWrite> request {}; // none: the write of the panel's target
};

// A written setting is read back until it matches, at most three times.
// The value is the motor's only once a read-back shows it.
struct ReadBack {
    Settings::Item item = Settings::DryContact;
    int attempt = 0;
    bool otherValueSeen = false; // a read-back came with another value
    Byte value = 0; // the value written
    std::optional<NamedWrite> request {}; // none: the write of the panel's target
};

// The clean answers to a question sent as a pair of copies.  One motor
// answers each copy once: a second sender, or more answers than copies sent,
// is a second motor (two motors with one address answer alike, but twice
// as often).
struct Answers {
    int asked = 0; // copies of the question sent
    int clean = 0; // clean answers of the kind asked
    std::optional<MotorTarget> first {}; // the first motor that answered
    bool several = false;

    void hear(const MotorTarget &from)
    {
        if (!first)
            first = from;
        if (!(*first == from) || ++clean > asked)
            several = true;
    }
};

// A question to the named motor's ID at the line's rate (a settings read)
// and a wait for every answer; answers that came garbled once are asked again.
struct Question {
    int round = 1; // the question's first or second asking
    int waited = 0; // ticks since the read went out
    Answers heard {};
    int garbles = 0; // answers that came garbled in this round
};

// Before a named write: a basic read, and the write goes out only when
// exactly one motor answered, cleanly, and it is the named one.
struct WriteAsk {
    NamedWrite request;
    Question question {};
};

// A named read: its question is the read itself.
struct ReadAsk {
    NamedRead request;
    Question question {};
    std::optional<SettingValues> values {}; // of the first answer
};

// Before an ID write that asks the line first: a basic read to ID 0 and a
// wait for every answer.  An ID write reaches every motor that hears it, so
// it goes out only when exactly one motor answered, cleanly.
struct IdWriteAsk {
    MotorTarget newAddress;
    int waited = 0; // ticks since the read went out
    Answers heard {};
    bool garbled = false; // bytes that were no clean answer came back
};

// After that ID write: the new address is read until it answers with the
// written channels (at most three times); then the old address, if it was
// another ID, is read and must stay silent.
struct IdWriteCheck {
    MotorTarget newAddress;
    MotorTarget oldAddress;
    int attempt = 0;
    bool newAnswered = false;
    int waited = -1; // ticks since the old address was read; -1: not yet read
    bool oldHeard = false;
};

} // namespace LinkJob

using Job = std::variant<LinkJob::Idle, LinkJob::BaudScan, LinkJob::ExtendedRead, LinkJob::BaudApply, LinkJob::ReadBack,
                         LinkJob::IdWriteAsk, LinkJob::IdWriteCheck, LinkJob::WriteAsk, LinkJob::ReadAsk>;

namespace LinkJob {
// The answers the job's question counts, if it asks one.
inline Answers *answersCounted(Job &job)
{
    if (auto *write = std::get_if<WriteAsk>(&job))
        return &write->question.heard;
    if (auto *read = std::get_if<ReadAsk>(&job))
        return &read->question.heard;
    if (auto *id = std::get_if<IdWriteAsk>(&job))
        return &id->heard;
    return nullptr;
}
} // namespace LinkJob
