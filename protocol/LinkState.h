// LinkState: everything the motor link remembers between ticks and answers,
// in one place.  MotorLink owns it privately and hands it by reference to
// its parts (the transmit tick, the answer handling), which read and change
// it openly and tell the link what happened through LinkEvents.
#pragma once

#include "Frames.h"
#include "LinkJob.h"
#include "MotorTarget.h"
#include "SettingsTable.h"

#include <QByteArray>

#include <deque>
#include <optional>

struct LinkState {
    // Ticks without an answer from the motor addressed after which it counts
    // as silent (about 0.9 s): the one measure of silence of the link.
    static constexpr int SilenceTicks = 6;

    // The frame waiting to go out: its function and data, and how often it
    // went out already (every frame goes out twice).
    struct Outgoing {
        Byte function = 0;
        Byte data = 0;
        int sent = 0;
        std::optional<MotorTarget> to; // a fixed address instead of the target current when sent
    };
    // Whom the last frame sent went to, and its function: the motor whose
    // answers count.
    struct Addressed {
        MotorTarget target;
        Byte function = 0;
        bool forRequest = false; // sent for a named request: its answers are the request's
    };

    bool portChosen = false; // chosen and not closed since
    int targetId = 0;
    ChannelMemory channels;
    bool statusPolling = true;
    std::optional<Outgoing> outgoing;
    std::optional<Addressed> addressed;
    int ticksSinceSent = 0;
    Job job;
    Byte deviceStatus = 0; // of the last status or extended answer
    bool answerSeen = false; // since the last tick
    int silentTicks = 0;
    SettingValues settings; // the motor's settings as last reported or written
    QByteArray partialAnswer; // the start of an answer still arriving
    quint64 framesUnderstood = 0;
    std::deque<NamedRequest> requests; // named requests waiting for the job under way to end
    QByteArray lastGarble; // the last answer-long garble, until a clean answer

    MotorTarget target() const { return {targetId, channels[targetId]}; }
    // A named write or read is under way (its question, write or read-backs).
    bool servingRequest() const
    {
        if (std::holds_alternative<LinkJob::WriteAsk>(job) || std::holds_alternative<LinkJob::ReadAsk>(job))
            return true;
        if (const auto *r = std::get_if<LinkJob::ReadBack>(&job))
            return r->request.has_value();
        const auto *b = std::get_if<LinkJob::BaudApply>(&job);
        return b && b->request.has_value();
    }
    bool isScanning() const { return std::holds_alternative<LinkJob::BaudScan>(job); }
    // IDs outside 0..ChannelMemory::Last are taken as the nearest end.
    void chooseId(int id) { targetId = id < 0 ? 0 : id > ChannelMemory::Last ? ChannelMemory::Last : id; }
    void setTarget(const MotorTarget &target)
    {
        chooseId(target.id);
        channels[targetId] = target.channels;
    }

    // Puts a frame up to go out on the next ticks.  restartPair: it goes out
    // twice even if it replaces a frame sent once already.
    void stage(Byte function, Byte data, bool restartPair, std::optional<MotorTarget> to = std::nullopt)
    {
        const int sent = outgoing && !restartPair ? outgoing->sent : 0;
        outgoing = Outgoing {function, data, sent, to};
    }
    void readSettings(Byte readFunction, std::optional<MotorTarget> to = std::nullopt)
    {
        stage(readFunction, readFunction, true, to);
    }

    // Does an answer from this sender count for the frame last sent?  Same
    // ID unless the frame went to ID 0; a status poll's or a motor command's
    // channels among the answer's.  Before any frame, the current target.
    bool isFromAddressed(const MotorTarget &sender) const
    {
        const MotorTarget to = addressed ? addressed->target : target();
        if (to.isGroup())
            return true;
        if (sender.id != to.id)
            return false;
        const Byte function = addressed ? addressed->function : Byte(Frame::StatusPoll);
        const bool channelBound = function == Frame::StatusPoll || function == Frame::Motor
            || function == Frame::RunToPosition;
        return !channelBound || to.channels.word() == 0 || (sender.channels.word() & to.channels.word()) != 0;
    }
};
