// What each 150 ms tick of one bus does, with no I/O: a queued command for
// a cover or group, else one status poll.  Waiting commands with the same
// function and data for one motor ID leave as one frame with their channels
// together.  Polls alternate between the covers that move or were commanded
// and the cover polled longest ago, so whatever moves, every cover is polled
// at least once in 2 x (covers) polls.  It also keeps what the answers said
// about each cover and decides what is published.
#pragma once

#include "Config.h"
#include "MotorTarget.h"
#include "Topics.h"

#include <QList>

#include <cstdint>
#include <optional>

// A frame to send: function 0A with a motor command or limit point, or DD
// with a percent, or a status poll (CC).
struct BusWork {
    enum Kind { Idle, Send, Poll };
    Kind kind = Idle;
    MotorTarget to;
    std::uint8_t function = 0;
    std::uint8_t data = 0;
    int cover = -1; // index of the cover polled, -1 for a command
};

// What one cover looks like to the outside.
struct CoverView {
    bool online = false;
    std::optional<int> position; // in the published sense; none while unknown
    QString state; // open, opening, closed, closing, stopped
    int motorPercent = 0;
    bool positionKnown = false;
    QList<int> limitPoints;
    bool operator==(const CoverView &) const = default;
};

class BusScheduler {
public:
    // A cover is offline after this many of its polls in a row went unanswered,
    // and every cover of the bus after this many polls in a row of any cover.
    static constexpr int OfflineAfterPolls = 10;
    static constexpr int RecentCommandTicks = 400; // a minute of ticks
    static constexpr int SettleAnswers = 3; // answers a fresh command may take to show motion

    explicit BusScheduler(const BusConfig &bus);

    // A command for one of this bus's covers or groups; false if it has none such.
    bool enqueue(const Command &command);
    // The work of the next tick (the tick counter advances).  When the line
    // is still busy with an earlier frame, canSend is false: the tick passes
    // and only the bookkeeping of the last poll is done.
    BusWork next(bool canSend = true);
    // A status answer from the line: which cover it was (-1 for none).
    int answer(const MotorTarget &from, int motorPercent, std::uint8_t status);
    // The port is gone: every cover offline, the queue dropped.
    void portLost();
    // A cover found on the line, at the end of the list.
    void addCover(const CoverConfig &cover);
    // A cover whose motor a scan did not hear: offline until it answers again.
    void markMissing(int i);
    // A cover no longer wanted; the later ones move up by one.
    void removeCover(int i);

    int coverCount() const { return int(m_covers.size()); }
    const CoverConfig &cover(int i) const { return m_covers[i].config; }
    CoverView view(int i) const;
    qint64 tickCount() const { return m_tick; }
    int queued() const { return int(m_queue.size()); }
    // Every cover went offline together because no poll was answered lately.
    bool busSilent() const { return m_silentPolls >= OfflineAfterPolls; }

private:
    enum Direction { None, Opening, Closing };
    struct Cover {
        CoverConfig config;
        bool online = false;
        int unanswered = 0;
        bool pollPending = false;
        qint64 lastPoll = -1000;
        qint64 lastCommand = -100000;
        std::optional<int> percent; // motor percent of the last answer that knew it
        bool known = false;
        std::uint8_t status = 0;
        Direction direction = None; // as commanded here
        int answersSinceCommand = 0;
        bool moving = false;
        Direction seen = None; // the way the answers show it moving, whoever moved it
    };
    struct Queued {
        BusWork work;
        Command::Action action;
    };

    void countUnansweredPoll();
    void markCommanded(int coverIndex, const Command &command);
    BusWork takeMerged();
    int pickPollTarget();
    BusWork toWork(const Command &command, int coverIndex) const;
    int findCover(const MotorTarget &target) const;

    QList<Cover> m_covers;
    QList<GroupConfig> m_groups;
    QList<Queued> m_queue;
    qint64 m_tick = 0;
    bool m_lastPollUrgent = false;
    int m_lastPolled = -1;
    int m_silentPolls = 0; // polls in a row that no cover answered
};
