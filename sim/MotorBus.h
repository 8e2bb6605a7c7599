// The simulated motor bus: the transmitter at the end of the serial line and
// the motors behind it, with no I/O of its own.  Feed it the bytes the
// program wrote (with the line rate they arrived at) and send back what it
// returns; call advance() to let time pass for the motors.
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

#include <array>

struct Motor {
    int id = 1;
    quint16 channels = 0x0001; // bit 0 = channel 1 .. bit 15 = channel 16

    // Values kept in the motor's memory (the bus baud code is the bus's).
    quint8 dryContactMode = 0;
    quint8 maxSpeed = 130;
    quint8 featureFlags = 0x40;
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

class MotorBus {
public:
    enum Status : quint8 {
        PositionKnown = 0x02,
        LimitPoint1 = 0x04, // limit point n: LimitPoint1 << (n - 1)
        Moving = 0x40,
    };

    // What a frame did to the memory of the motor it configured.
    enum class Write : quint8 { None, Kept, Ignored };

    struct ReceivedFrame {
        QByteArray bytes; // the 7 bytes of a well-formed command frame
        int lineRateBps = 0; // the program's line rate when it arrived
        QByteArray answer; // what the bus answered; empty if nothing
        Write write = Write::None; // a setting write, and whether the motor kept it
        int motorIndex = -1; // the motor the write went to
    };

    // Takes the bytes the program wrote and returns every frame completed by
    // them, each with its answer.  Bytes that arrive at another rate than the
    // ones before them cannot belong to the same frame and replace them.
    QList<ReceivedFrame> feed(const QByteArray &bytes, int lineRateBps);
    // The same, returning only the answers to send now, in order.
    QByteArray receive(const QByteArray &bytes, int lineRateBps);

    // Lets ms milliseconds pass: moving motors travel toward their target.
    void advance(int ms);

    QList<Motor> &motors() { return m_motors; }
    const QList<Motor> &motors() const { return m_motors; }
    Motor &addMotor(int id, quint16 channels);

    int baudCode() const { return m_baudCode; }
    void setBaudCode(int code) { m_baudCode = code; }
    int lineRateBps() const { return baudCodeToBps(m_baudCode); }

    // Writes with these function codes are taken but change nothing, as on a
    // motor whose firmware knows only some settings.
    void setIgnoredWrites(const QSet<quint8> &functions) { m_ignoredWrites = functions; }

    // Every well-formed frame received, whatever its rate (the newest last;
    // the oldest are dropped beyond a few thousand).
    const QList<ReceivedFrame> &log() const { return m_log; }
    void clearLog() { m_log.clear(); }

    static int baudCodeToBps(int code); // 0 for an unknown code
    static QByteArray commandFrame(int id, quint16 mask, quint8 function, quint8 data);
    static QByteArray responseFrame(int id, quint16 mask, quint8 v4, quint8 v5, quint8 v6, quint8 type, quint8 status);
    static quint8 xorOf(const QByteArray &bytes, int from, int to); // bytes from..to

private:
    QByteArray handle(const QByteArray &frame, int lineRateBps, ReceivedFrame &into);
    QByteArray statusPoll(int id, quint16 mask) const;
    QByteArray configure(int id, quint16 mask, quint8 function, quint8 data, ReceivedFrame &into);
    void command(int id, quint16 mask, quint8 function, quint8 data);

    QList<Motor> m_motors;
    int m_baudCode = 1;
    QSet<quint8> m_ignoredWrites;
    QByteArray m_pending;
    int m_pendingRate = 0;
    QList<ReceivedFrame> m_log;
};
