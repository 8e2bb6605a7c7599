// The 150 ms transmit tick: the only code that writes to the port.
//
// Each tick takes exactly one action, in a fixed priority order: send the
// outgoing frame (every frame goes out twice), then one step of the job
// under way (a baud scan step, the extended read after a scan, applying a
// new device baud rate, one read-back of a written setting), or else the
// status poll.  It also reports the position unknown after six silent ticks.
#pragma once

#include "Frames.h"
#include "LinkJob.h"
#include "MotorTarget.h"

#include <optional>

struct LinkState;
class LinkEvents;
class SerialLine;

class TransmitTick {
public:
    TransmitTick(LinkState &state, LinkEvents &events, SerialLine &serial);

    // One tick.  Errors of the serial line propagate as SerialError.
    void run();

    // Scan steps: 1..5 read at 1200..19200 baud, 6 and 7 wait, 8 gives up.
    static constexpr int ScanRates = 5;
    static constexpr int ScanGiveUpStep = 8;
    static constexpr int MaxReadBacks = 3;
    // Ticks an answer is waited for after the last read of a question.
    static constexpr int AnswerWaitTicks = 2;

private:
    void act();
    void sendOutgoing();
    void send(Byte function, Byte data, std::optional<MotorTarget> to = std::nullopt);
    void step(LinkJob::Idle);
    void step(LinkJob::BaudScan &scan);
    void step(LinkJob::ExtendedRead);
    void step(LinkJob::BaudApply apply);
    void step(LinkJob::ReadBack &readBack);
    void step(LinkJob::IdWriteAsk &ask);
    void step(LinkJob::IdWriteCheck &check);
    void step(LinkJob::WriteAsk &ask);
    void step(LinkJob::ReadAsk &ask);
    // Takes the next named request off the queue: its question, or (a forced
    // write) its write.
    void startRequest();
    void startWrite(const NamedWrite &request);
    bool questionOver(LinkJob::Question &question, const MotorTarget &motor, Byte readFunction);
    static WriteResult::Refusal judge(const LinkJob::Question &question, const MotorTarget &named);
    void endRequest(WriteResult result);
    void endIdWrite(bool confirmed, bool motorAnswered);
    void statusTimeout();

    LinkState &m_state;
    LinkEvents &m_events;
    SerialLine &m_serial;
};
