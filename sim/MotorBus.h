// The simulated motor bus: the transmitter at the end of the serial line and
// the motors behind it, with no I/O of its own.  Feed it the bytes the
// program wrote (with the line rate they arrived at) and send back what it
// returns; call advance() to let time pass for the motors.
//
// The line is truthful: every motor acts on what it hears and answers when
// addressed, whatever the others do.
//   - A motor hears only frames at its own line rate (its own baud code, or
//     the bus's when it has none), and none while it is deaf (deafFrames).
//   - A status poll (CC 00) with one ID and exactly one channel bit is
//     answered by every motor with that ID that has the channel.
//   - Settings reads (CA CA, CB CB) and setting writes (D2, D5..DA) are taken
//     by every motor with the frame's ID, by all motors for ID 0 (group);
//     every motor that takes a read answers.  A baud-code write moves only
//     the motors that took it.
//   - The ID write (AA AA) carries the new ID and channels in its address
//     bytes, so every motor that hears it takes them.
//   - Motion commands (0A, DD) reach every motor with the frame's ID (all
//     for ID 0) whose channels meet the frame's mask; group control with
//     no channel at all reaches every motor.
//   - Each motor answers its own delay after the frame (the bus's unless it
//     has one).  Answers that start less than one answer's length apart
//     (10 bytes of 10 bits at the frame's rate) collide: the line carries
//     one 10-byte garble instead, each byte the OR of the answers' bytes at
//     that place with bit 0 set (the senders' edges never line up on the
//     first data bit).  Its lead reads D9 and none of its bytes is ever the
//     lead D8, so no answer can be read from it at any offset.
// A lenient bus (setLenient) is a one-motor bench instead: a read or write
// for an ID nobody has goes to the first motor that hears it, and when
// several motors would answer, only the first does.
//
// Command frames (program -> device), 7 bytes:
//   9A, ID (0 = group control), mask 0, mask 1, function, data, XOR of bytes 1..5
// Response frames (device -> program), 10 bytes:
//   D8, ID, mask 0, mask 1, v4, v5, v6, type (CA, CB or a position), status,
//   XOR of bytes 1..8
#pragma once

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

#include <array>
#include <utility>

struct Motor {
    int id = 1;
    quint16 channels = 0x0001; // bit 0 = channel 1 .. bit 15 = channel 16
    int baudCode = -1; // the motor's own line rate code; -1 = the bus's
    int answerDelayMs = -1; // from a frame's arrival to this motor's answer; -1 = the bus's
    int deafFrames = 0; // the next frames at its rate pass it by unheard, as if lost on the way

    // Values kept in the motor's memory.
    quint8 dryContactMode = 0;
    quint8 maxSpeed = 130;
    quint8 curtainFunctions = 0x40;
    quint8 jogTime = 4;
    quint8 sensitivity = 1;
    quint8 rebound = 1;

    // Where the curtain really is; the motor reports it only once it knows
    // (after running to an end).
    double position = 0;
    bool positionKnown = true;
    int target = -1; // percent, -1 = standing still
    double speed = 10; // percent per second
    std::array<int, 4> limits {-1, -1, -1, -1}; // limit points 1..4, -1 = not set

    int learnCount = 0;
    int deleteCount = 0;

    int reportedPosition() const; // 0..100; 0 while unknown
    quint8 status() const; // status byte of the status answer
};

// The settings a write changes: function code -> the motor's value, in the
// order logs show them.
struct MotorSetting {
    quint8 function;
    quint8 Motor::*value;
};
inline constexpr MotorSetting MotorMemory[] = {
    {0xD2, &Motor::dryContactMode}, {0xD5, &Motor::curtainFunctions}, {0xD6, &Motor::jogTime},
    {0xD7, &Motor::sensitivity},    {0xD8, &Motor::rebound},          {0xD9, &Motor::maxSpeed},
};

class MotorBus {
public:
    enum Status : quint8 {
        PositionKnown = 0x02,
        LimitPoint1 = 0x04, // limit point n: LimitPoint1 << (n - 1)
        Moving = 0x40,
    };

    // What a frame did to the memory of the motors it configured.
    enum class Write : quint8 { None, Kept, Ignored };

    // What the line carries back delayMs after a frame: one motor's answer,
    // or the garble of `motors` answers that overlapped.
    struct Answer {
        int delayMs = 0;
        QByteArray bytes;
        int motors = 1;
    };

    struct ReceivedFrame {
        QByteArray bytes; // the 7 bytes of a well-formed command frame
        int lineRateBps = 0; // the program's line rate when it arrived
        QList<Answer> answers; // what the line carried back, the earliest first
        QByteArray answer; // all of it, in that order; empty if nothing
        int answering = 0; // how many motors answered
        Write write = Write::None; // a setting write, and whether the motors kept it
        QList<int> motorIndexes; // the motors the write went to
    };

    // Takes the bytes the program wrote and returns every frame completed by
    // them, each with its answer.  Bytes that arrive at another rate than the
    // ones before them cannot belong to the same frame and replace them.
    QList<ReceivedFrame> feed(const QByteArray &bytes, int lineRateBps);
    // The same, returning only the answers to send now, in order.
    QByteArray receive(const QByteArray &bytes, int lineRateBps);

    // The delay of the motors without one of their own (default 20 ms).
    void setAnswerDelayMs(int ms) { m_answerDelayMs = ms; }
    int answerDelayMs() const { return m_answerDelayMs; }
    int answerDelayMsOf(const Motor &m) const { return m.answerDelayMs >= 0 ? m.answerDelayMs : m_answerDelayMs; }
    // How long one answer occupies the line at this rate, rounded up.
    static int answerSpanMs(int lineRateBps);

    // Lets ms milliseconds pass: moving motors travel toward their target.
    void advance(int ms);

    QList<Motor> &motors() { return m_motors; }
    const QList<Motor> &motors() const { return m_motors; }
    Motor &addMotor(int id, quint16 channels);
    // A motor as the simulator's --motor gives it: "ID:CHANNELS[@RATE]" with
    // channels 1..16 comma-separated and the motor's own rate in bps, or
    // "ID:CHANNELS:BAUDCODE", which sets the bus's rate, each optionally
    // followed by "/delay=MS" (its answer delay) and "/deaf=N" (deafFrames).
    // False if malformed.
    bool addMotor(const QString &text);

    // The rate of the motors without one of their own.
    int baudCode() const { return m_baudCode; }
    void setBaudCode(int code) { m_baudCode = code; }
    int lineRateBps() const { return baudCodeToBps(m_baudCode); }
    int baudCodeOf(const Motor &m) const { return m.baudCode >= 0 ? m.baudCode : m_baudCode; }
    int lineRateBpsOf(const Motor &m) const { return baudCodeToBps(baudCodeOf(m)); }

    // A one-motor bench instead of a truthful line (see above); off by default.
    void setLenient(bool on) { m_lenient = on; }
    bool isLenient() const { return m_lenient; }

    // Writes with these function codes are taken but change nothing, as on a
    // motor whose firmware knows only some settings.
    void setIgnoredWrites(const QSet<quint8> &functions) { m_ignoredWrites = functions; }

    // Every well-formed frame received, whatever its rate (the newest last;
    // the oldest are dropped beyond a few thousand).
    const QList<ReceivedFrame> &log() const { return m_log; }
    void clearLog() { m_log.clear(); }

    static int baudCodeToBps(int code); // 0 for an unknown code
    static int bpsToBaudCode(int bps); // -1 for an unknown rate
    // What the line carries when all these answers go out at once.
    static QByteArray collision(const QList<QByteArray> &answers);
    static QByteArray commandFrame(int id, quint16 mask, quint8 function, quint8 data);
    static QByteArray responseFrame(int id, quint16 mask, quint8 v4, quint8 v5, quint8 v6, quint8 type, quint8 status);
    static quint8 xorOf(const QByteArray &bytes, int from, int to); // bytes from..to

private:
    void handle(ReceivedFrame &frame);
    QList<int> takers(const QByteArray &frame, int lineRateBps) const;
    void passDeafMotors(int lineRateBps);
    void scheduleAnswers(ReceivedFrame &frame, QList<std::pair<int, QByteArray>> replies) const;
    QByteArray answerOf(const Motor &m, quint8 function, quint8 data) const;
    void take(Motor &m, const QByteArray &frame); // an order the motor took

    QList<Motor> m_motors;
    int m_baudCode = 1;
    int m_answerDelayMs = 20;
    bool m_lenient = false;
    QSet<quint8> m_ignoredWrites;
    QByteArray m_pending;
    int m_pendingRate = 0;
    QList<ReceivedFrame> m_log;
};
