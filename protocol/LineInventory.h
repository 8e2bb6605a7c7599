// Every motor on one line, found with the link's own frames.
//
// First each line rate is tried with a group read (a basic read to ID 0)
// and a short listen: only rates at which any bytes come back, a garble of
// colliding answers included, are searched.  At such a rate every ID of the
// range is polled on every channel of the list, one status poll per transmit
// tick; a status answer carries the motor's full channel mask, so the
// channels a motor has already reported are not polled again at its ID.
// Two motors on one ID with different channels are two entries; two that
// share the polled channel answer at once and garble the line, which is
// polled once more with silence after it before it is reported as a
// collision (the motors there are not decoded).
//
// The inventory drives MotorLink through its public intents only and gives
// the link back as it found it: rate, target, the channels remembered for
// each ID, the status polling and the motor's settings.
#pragma once

#include "MotorLink.h"

#include <QList>
#include <QObject>

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
        int settleTicks = 2; // whole ticks of silence after a poll that is listened to alone
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
    bool running() const { return m_phase != Phase::Stopped; }

    // What was found so far, motors in the order they answered.
    const QList<Entry> &found() const { return m_found; }
    int motorsFound() const;

signals:
    // A rate's group read is going out (before any poll at that rate).
    void probingRate(int rate);
    // One more poll decided (sent or skipped): done of total, the ID polled
    // and the motors found so far.
    void progress(int done, int total, int id, int motors);
    void entryFound(const LineInventory::Entry &entry);
    // complete: every planned poll went out; false when canceled or the
    // port went away.
    void finished(bool complete);

private:
    enum class Phase { Stopped, WaitingIdle, Probing, Polling, Confirming };
    struct Spot {
        int id = 0;
        int channel = 0;
        bool operator==(const Spot &) const = default;
    };

    void onTick();
    void beginProbe();
    void probeTick();
    void beginPolling();
    void pollNext();
    void onPollSent();
    void listenTick();
    void confirmNext();
    bool reported(int id, int channel) const;
    bool explained(const Spot &spot) const;
    void noteAnswer(const StatusReport &report);
    void noteGarble();
    void addCollision(const Spot &spot);
    void record(const Entry &entry);
    void finish(bool complete);
    void restoreLink();

    MotorLink &m_link;
    Scope m_scope;
    Phase m_phase = Phase::Stopped;
    QList<QMetaObject::Connection> m_connections;

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

    QList<Spot> m_spots; // every poll at this rate, in order
    qsizetype m_next = 0; // the next spot to decide
    std::optional<Spot> m_current; // the target of the next poll
    std::optional<Spot> m_polled, m_previousPolled; // the last two polls sent
    QList<Spot> m_garbled; // spots a garble followed, to poll again alone
    bool m_garbleSeen = false; // since a confirming poll
    int m_done = 0;
    int m_total = 0;

    QList<Entry> m_found;
};
