// Every motor on one line, found with the link's own frames.
//
// First each line rate is tried with a group read (a basic read to ID 0)
// and a short listen: only rates at which any bytes come back, a garble of
// colliding answers included, are searched.  A basic settings read carries
// no channels, so every motor with the ID answers it: at a searched rate
// each ID of the range is read once, one read per transmit tick, each frame
// sent once.  One clean answer is that motor with all its channels (one
// status poll then fetches its position); silence is no motor.  A garbled
// answer is asked again at once: garbled twice in a row, the ID holds
// several motors, and only then is every channel of the list polled at that
// ID, so a motor hidden behind another on its ID answers alone or garbles
// its channel twice, which is reported as a collision there.  A motor that
// answered once and then fell silent, or an answer garbled once and clean
// the next time, shows that the line loses answers: the silent IDs are then
// read again (up to two more rounds).
//
// A run can pause between two frames: the link is given back as it was, and
// the run goes on later from the asks it still had, at the rate it was
// searching, with the link as it is then.
//
// The inventory drives MotorLink through its public intents only and gives
// the link back as it found it: rate, target, the channels remembered for
// each ID, the status polling and the motor's settings.
#pragma once

#include "MotorLink.h"

#include <QList>
#include <QObject>
#include <QSet>

#include <optional>

class LineInventory : public QObject {
    Q_OBJECT
public:
    // Rates (bits per second) in the order they are tried.
    static const QList<int> &allRates();

    struct Scope {
        int firstId = 1;
        int lastId = MotorSettings::MaxId;
        QList<int> channels; // 1..16, in polling order; empty: all 16
        QList<int> rates; // empty: allRates()
        int listenTicks = 3; // silent ticks after a group read before the next rate
        int settleTicks = 2; // silent ticks after the last frame of a round at a rate
        int lossRetries = 2; // rounds that read the silent IDs again on a lossy line
    };

    // One motor, or a spot where two or more motors answer at once.
    struct Entry {
        int id = 0;
        ChannelMask channels; // reported by the motor; for a collision, the channels that collided
        int rate = 0;
        std::optional<int> position; // percent; none when the motor does not know it
        bool collision = false;
        bool operator==(const Entry &) const = default;
    };

    explicit LineInventory(MotorLink &link, QObject *parent = nullptr);
    ~LineInventory() override;

    // Starts on the link's open port; false when no port is usable or a run
    // is under way.  Work the link has under way is finished first.
    bool start(const Scope &scope);
    // Stops polling, gives the link back and reports finished(false).
    void cancel();
    // Searching now (not stopped, not paused).
    bool running() const { return m_phase != Phase::Stopped && m_phase != Phase::Paused; }
    // Stops asking and gives the link back, keeping what is found and what
    // is still to ask; false when no run is under way.
    bool pause();
    // Goes on from where the run paused, the link's state of now saved for
    // the end; false when not paused or the port is not usable.  A run whose
    // port was changed meanwhile ends instead, not complete.
    bool resume();
    bool paused() const { return m_phase == Phase::Paused; }
    // Transmit ticks the run still needs for what it still has to ask: the
    // IDs left at this rate and the rates after it, their group reads and
    // settling (while probing, every rate left counts as one to search).
    // Position polls and rounds on a lossy line come on top.
    int ticksLeft() const;

    // What was found so far, motors in the order they answered.
    const QList<Entry> &found() const { return m_found; }
    int motorsFound() const;
    // The run has seen answers lost or damaged (silent IDs were read again).
    bool lossesSeen() const { return m_lossesSeen; }

signals:
    // A rate's group read is going out (before any read at that rate).
    void probingRate(int rate);
    // One more ID read for the first time at a searched rate: done of total,
    // the ID and the motors found so far.
    void progress(int done, int total, int id, int motors);
    void entryFound(const LineInventory::Entry &entry);
    // complete: every ID of the range was read at every rate that answered
    // the group read; false when canceled or the port went away.
    void finished(bool complete);

private:
    enum class Phase { Stopped, WaitingIdle, Probing, Asking, Settling, Paused };
    // A basic read of a whole ID (channel 0) or a status poll of one channel.
    struct Ask {
        int id = 0;
        int channel = 0;
        bool operator==(const Ask &) const = default;
    };

    void onTick();
    void beginProbe();
    void probeTick();
    void beginRate();
    void askingTick();
    void settlingTick();
    void endRound();
    void send(const Ask &ask);
    bool needless(const Ask &ask) const;
    void pollEveryChannel(int id);
    void onSent(const QByteArray &bytes);
    void noteGarble();
    bool fromMotor(const MotorTarget &sender) const;
    bool heardAt(int id) const;
    void onAnswer(const MotorTarget &sender);
    void onStatus(const StatusReport &report);
    void askAgainFirst(const Ask &ask);
    bool explained(const Ask &spot) const;
    bool known(int id, const ChannelMask &channels) const;
    void record(const Entry &entry);
    void beginAfterIdle();
    bool atRate(int rate);
    int idCount() const { return m_scope.lastId - m_scope.firstId + 1; }
    void finish(bool complete);
    void saveLink();
    void giveLinkBack();
    void restoreLink();

    MotorLink &m_link;
    bool m_linkGone = false; // a window may outlive the link at program end
    Scope m_scope;
    Phase m_phase = Phase::Stopped;
    Phase m_pausedIn = Phase::Stopped; // where a paused run goes on; Stopped: not begun
    QList<QMetaObject::Connection> m_connections;
    QString m_port; // the port searched

    // The link as it was before the run.
    MotorTarget m_savedTarget;
    ChannelMemory m_savedChannels;
    bool m_savedPolling = true;
    int m_savedRate = 0;
    SettingValues m_savedSettings;

    QList<int> m_rates; // still to try in this phase
    QList<int> m_ratesHeard; // rates at which the group read brought bytes
    int m_rate = 0;
    int m_ticksInStep = 0;
    bool m_heard = false; // bytes since the rate's group read

    // At the rate being searched.
    QList<Ask> m_queue; // asks still to send, in order
    std::optional<Ask> m_staged; // handed to the link, not yet out
    bool m_sentThisTick = false; // while settling
    bool m_answerIsBasic = false; // the answer being handled
    QList<Ask> m_channelPolls; // the polls of IDs with several motors
    QList<Ask> m_collided; // channel polls garbled twice in a row
    std::optional<Ask> m_last, m_beforeLast; // the last two asks sent
    QList<Ask> m_garbledOnce; // asks whose answer garbled once
    QList<Ask> m_askedAgain; // of those, the ones sent again since
    QList<Ask> m_clean; // asks a clean answer followed
    QSet<int> m_severalIds; // IDs polled channel by channel
    QSet<int> m_askedIds; // IDs read at least once
    QList<Entry> m_placeless; // motors heard whose position is still to come
    int m_round = 0;

    bool m_lossesSeen = false;
    int m_done = 0;
    int m_total = 0;

    QList<Entry> m_found;
};
