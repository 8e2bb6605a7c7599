// Chaos: the simulated bus misbehaving in every way it knows, at random and
// in turn, for soak runs.  Phases follow each other: one fault (now and then
// two at once) for a few seconds, then a clean stretch; every fault comes up
// once per round, the order shuffled each round.  Every few minutes the
// adapter is pulled out and put back.
//
// The log says what was injected and what the motors kept, one line per
// event, "<ms since start> <event> ...":
//   phase noise,late 5200          faults on for 5.2 s (clean: none)
//   flood 3000                     random bytes sent at once
//   unplug / replug <path>
//   frame 9A01...  2400 answered   a frame the bus took
//   write 0 D9 50 kept id=1 ch=0001 baud=1 D2=00 D5=40 D6=04 D7=01 D8=01 D9=50
//                                  a setting write and the motor's memory after it
#pragma once

#include "MotorSim.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

#include <array>

class QIODevice;

class Chaos : public QObject {
    Q_OBJECT
public:
    enum Kind { Noise, BadCheck, Dropped, Doubled, Late, Split, IgnoredWrites, Flood, KindCount };
    static const char *kindName(int kind);

    struct Range {
        int minMs;
        int maxMs;
    };
    struct Timing {
        Range phase {3000, 12000}; // a fault phase
        Range clean {2000, 8000}; // the stretch without faults after it
        Range replug {120000, 240000}; // from one unplug to the next
        Range outage {1000, 4000}; // how long the adapter stays out
    };

    Chaos(MotorSim &sim, QIODevice *log, quint32 seed, const Timing &timing, QObject *parent = nullptr);

    void start();
    // Ends the current phase now and begins the next (the timer does this).
    void nextPhase();

    int phases(int kind) const { return m_phases[std::size_t(kind)]; }
    int unplugs() const { return m_unplugs; }

private:
    int pick(const Range &r) { return r.minMs + int(m_rng.bounded(r.maxMs - r.minMs + 1)); }
    void applyFaults(const QList<int> &kinds);
    void line(const QString &text);
    void pullOut();
    void scheduleUnplug();

    MotorSim &m_sim;
    QTextStream m_log;
    quint32 m_seed;
    QRandomGenerator m_rng;
    Timing m_timing;
    QElapsedTimer m_clock;
    QTimer m_phaseTimer;
    QList<int> m_round; // the faults still to come this round
    bool m_faulty = false; // the phase now running injects faults
    std::array<int, KindCount> m_phases {};
    int m_unplugs = 0;
};
