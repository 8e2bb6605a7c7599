// The simulated motor bus behind a pseudo-terminal: the program opens path()
// as its serial port and talks to a MotorBus as it would to the transmitter.
// Answers leave after a short delay, as from the real device; fault modes
// make the device misbehave on purpose for tests.
#pragma once

#include "MotorBus.h"
#include "Pty.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

class QSocketNotifier;

class MotorSim : public QObject {
    Q_OBJECT
public:
    struct Faults {
        enum Garbage { NoGarbage, GarbageBefore, GarbageInstead };

        bool silent = false; // never answer
        Garbage garbage = NoGarbage; // random bytes before or instead of each answer
        bool badCheck = false; // answers carry a wrong check byte
        int dropEvery = 0; // drop every Nth answer; 1 = all, 0 = none
        bool duplicate = false; // every answer goes out twice
        bool split = false; // every answer goes out in two pieces, a pause between
        QSet<quint8> ignoredWrites; // writes with these function codes change nothing
    };

    explicit MotorSim(QObject *parent = nullptr);
    ~MotorSim() override;

    bool isOpen() const { return m_pty.isOpen(); }
    QString path() const { return m_pty.slavePath(); }
    bool link(const QString &path);

    MotorBus &bus() { return m_bus; }
    const MotorBus &bus() const { return m_bus; }
    const QList<MotorBus::ReceivedFrame> &frames() const { return m_bus.log(); }

    // Time from a frame's arrival to the answers of the motors without a
    // delay of their own (Motor::answerDelayMs); a long one makes answers
    // arrive after the program has moved on.
    void setAnswerDelayMs(int ms) { m_bus.setAnswerDelayMs(ms); }
    int answerDelayMs() const { return m_bus.answerDelayMs(); }

    void setFaults(const Faults &faults);
    const Faults &faults() const { return m_faults; }

    int answersSent() const { return m_answersSent; }

    // Sends count random bytes at once.
    void flood(int count = 5000);
    // Closes the terminal: to the program the adapter is gone.
    void unplug();
    // A new terminal after unplug(), under the same link: the adapter is back.
    bool replug();

    // Status answers of the first motor, back to back at its line rate
    // (10 bits a byte), its position a step further in each: a line that never
    // falls silent.  Answers to the program's frames still go out between them.
    void setChatter(bool on);
    qint64 chatterSent() const { return m_chatterSent; }

signals:
    // One per well-formed frame; answered tells whether an answer (possibly
    // spoilt by a fault) is on its way.
    void frameReceived(const QByteArray &bytes, int lineRateBps, bool answered);
    void unplugged();
    void replugged(const QString &path);
    // A setting write reached motor motorIndex (one signal per motor that
    // took it); kept tells whether its memory took the value (an ignored
    // write leaves it as it was).
    void settingWritten(int motorIndex, quint8 function, quint8 value, bool kept);

private:
    void watch();
    void onReadable();
    bool scheduleAnswer(const MotorBus::Answer &answer, int lineRateBps);
    void sendAnswer(QByteArray answer, int lineRateBps, const Faults &faults);
    void queue(const QByteArray &bytes);
    void pump();
    void chatter();

    Pty m_pty;
    QString m_linkPath;
    int m_plugCount = 0; // unplugs so far: answers due before one are lost with the line
    MotorBus m_bus;
    Faults m_faults;
    int m_answersDue = 0; // answers the bus gave, counted for dropEvery
    int m_answersSent = 0;
    QByteArray m_out; // what the line has not taken yet
    qsizetype m_stallAt = -1; // a split answer: m_out's bytes from here wait for the pause to end
    QTimer m_motion;
    QElapsedTimer m_clock;
    QTimer m_chatter;
    QElapsedTimer m_chatterClock;
    qint64 m_chatterSent = 0;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};
