#include "MotorBus.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr quint8 CommandLead = 0x9A;
constexpr quint8 ResponseLead = 0xD8;
constexpr int CommandSize = 7;
constexpr int LogLimit = 5000;

constexpr quint8 MotorCommand = 0x0A, RunToPosition = 0xDD, ForceIdChannels = 0xAA, WriteBaudCode = 0xDA,
                 ReadBasic = 0xCA, ReadExtended = 0xCB, StatusPoll = 0xCC;
constexpr quint8 Up = 0xDD, Stop = 0xCC, Down = 0xEE, Learn = 0xAA, DeleteCode = 0xA6;

// The settings a write changes: function code -> the motor's value.
struct Setting {
    quint8 function;
    quint8 Motor::*value;
};
constexpr Setting Settings[] = {
    {0xD2, &Motor::dryContactMode}, {0xD5, &Motor::featureFlags}, {0xD6, &Motor::jogTime},
    {0xD7, &Motor::sensitivity},    {0xD8, &Motor::rebound},      {0xD9, &Motor::maxSpeed},
};

quint8 byteAt(const QByteArray &b, int i)
{
    return quint8(b.at(i));
}

} // namespace

int Motor::reportedPosition() const
{
    return positionKnown ? std::clamp(int(std::lround(position)), 0, 100) : 0;
}

quint8 Motor::status() const
{
    quint8 s = positionKnown ? MotorBus::PositionKnown : 0;
    for (int n = 0; n < 4; ++n)
        if (limits[n] >= 0)
            s |= quint8(MotorBus::LimitPoint1 << n);
    if (target >= 0)
        s |= MotorBus::Moving;
    return s;
}

int MotorBus::baudCodeToBps(int code)
{
    static constexpr int Rates[] = {1200, 2400, 4800, 9600, 19200};
    return code >= 0 && code < 5 ? Rates[code] : 0;
}

quint8 MotorBus::xorOf(const QByteArray &bytes, int from, int to)
{
    quint8 x = 0;
    for (int i = from; i <= to; ++i)
        x ^= byteAt(bytes, i);
    return x;
}

QByteArray MotorBus::commandFrame(int id, quint16 mask, quint8 function, quint8 data)
{
    QByteArray f;
    for (int b : {int(CommandLead), id, mask & 0xFF, mask >> 8, int(function), int(data)})
        f.append(char(b));
    f.append(char(xorOf(f, 1, 5)));
    return f;
}

QByteArray MotorBus::responseFrame(int id, quint16 mask, quint8 v4, quint8 v5, quint8 v6, quint8 type, quint8 status)
{
    QByteArray f;
    for (int b : {int(ResponseLead), id, mask & 0xFF, mask >> 8, int(v4), int(v5), int(v6), int(type), int(status)})
        f.append(char(b));
    f.append(char(xorOf(f, 1, 8)));
    return f;
}

Motor &MotorBus::addMotor(int id, quint16 channels)
{
    Motor m;
    m.id = id;
    m.channels = channels;
    m_motors.append(m);
    return m_motors.last();
}

QList<MotorBus::ReceivedFrame> MotorBus::feed(const QByteArray &bytes, int lineRateBps)
{
    if (lineRateBps != m_pendingRate)
        m_pending.clear();
    m_pendingRate = lineRateBps;
    m_pending.append(bytes);

    QList<ReceivedFrame> frames;
    while (!m_pending.isEmpty()) {
        if (byteAt(m_pending, 0) != CommandLead) {
            m_pending.remove(0, 1);
            continue;
        }
        if (m_pending.size() < CommandSize)
            break;
        if (xorOf(m_pending, 1, 6) != 0) { // check byte included: XOR of all is 0
            m_pending.remove(0, 1); // a false lead: look for the next one
            continue;
        }
        ReceivedFrame f {m_pending.left(CommandSize), lineRateBps, {}};
        m_pending.remove(0, CommandSize);
        f.answer = handle(f.bytes, lineRateBps, f);
        frames.append(f);
    }
    for (const ReceivedFrame &f : frames)
        m_log.append(f);
    if (m_log.size() > LogLimit)
        m_log.remove(0, m_log.size() - LogLimit);
    return frames;
}

QByteArray MotorBus::receive(const QByteArray &bytes, int lineRateBps)
{
    QByteArray answers;
    for (const ReceivedFrame &f : feed(bytes, lineRateBps))
        answers.append(f.answer);
    return answers;
}

QByteArray MotorBus::handle(const QByteArray &frame, int lineRateBps, ReceivedFrame &into)
{
    // At another rate the transmitter sees only noise.
    if (lineRateBps != this->lineRateBps())
        return {};
    const int id = byteAt(frame, 1);
    const quint16 mask = quint16(byteAt(frame, 2) | byteAt(frame, 3) << 8);
    const quint8 function = byteAt(frame, 4);
    const quint8 data = byteAt(frame, 5);

    if (function == StatusPoll && data == 0)
        return statusPoll(id, mask);
    if (function == MotorCommand || function == RunToPosition) {
        command(id, mask, function, data);
        return {};
    }
    return configure(id, mask, function, data, into);
}

QByteArray MotorBus::statusPoll(int id, quint16 mask) const
{
    if (id == 0 || std::popcount(mask) != 1)
        return {};
    for (const Motor &m : m_motors) {
        if (m.id == id && (m.channels & mask))
            return responseFrame(m.id, m.channels, 0, 0, 0, quint8(m.reportedPosition()), m.status());
    }
    return {};
}

QByteArray MotorBus::configure(int id, quint16 mask, quint8 function, quint8 data, ReceivedFrame &into)
{
    // A technician sets up one motor at a time: the frame's ID may be stale.
    if (m_motors.isEmpty())
        return {};
    auto it = std::find_if(m_motors.begin(), m_motors.end(), [id](const Motor &m) { return m.id == id; });
    Motor &m = it != m_motors.end() ? *it : m_motors.first();

    if (function == ReadBasic && data == ReadBasic)
        return responseFrame(m.id, m.channels, quint8(m_baudCode), m.dryContactMode, m.maxSpeed, ReadBasic,
                             m.featureFlags);
    if (function == ReadExtended && data == ReadExtended)
        return responseFrame(m.id, m.channels, m.jogTime, m.sensitivity, m.rebound, ReadExtended, m.status());
    const Setting *setting = std::find_if(std::begin(Settings), std::end(Settings),
                                          [function](const Setting &s) { return s.function == function; });
    const bool known = setting != std::end(Settings) || function == WriteBaudCode
        || (function == ForceIdChannels && data == ForceIdChannels);
    if (!known)
        return {};
    into.motorIndex = int(&m - m_motors.data());
    if (m_ignoredWrites.contains(function)) {
        into.write = Write::Ignored;
        return {};
    }
    into.write = Write::Kept;
    if (function == ForceIdChannels) {
        m.id = id;
        m.channels = mask;
    } else if (function == WriteBaudCode) {
        if (baudCodeToBps(data) > 0)
            m_baudCode = data; // from the next frame on
    } else {
        m.*setting->value = data;
    }
    return {};
}

void MotorBus::command(int id, quint16 mask, quint8 function, quint8 data)
{
    for (Motor &m : m_motors) {
        const bool addressed = id == 0 ? (mask == 0 || (m.channels & mask)) : (m.id == id && (m.channels & mask));
        if (!addressed)
            continue;
        if (function == RunToPosition) {
            if (m.positionKnown && data <= 100)
                m.target = data;
            continue;
        }
        switch (data) {
        case Up: m.target = 0; break;
        case Down: m.target = 100; break;
        case Stop: m.target = -1; break;
        case Learn: ++m.learnCount; break;
        case DeleteCode: ++m.deleteCount; break;
        case 1:
        case 2:
        case 3:
        case 4:
            // Without a known position a limit point means nothing to the motor.
            if (m.positionKnown && m.limits[data - 1] >= 0)
                m.target = m.limits[data - 1];
            break;
        default: break;
        }
    }
}

void MotorBus::advance(int ms)
{
    for (Motor &m : m_motors) {
        if (m.target < 0)
            continue;
        const double step = m.speed * ms / 1000.0;
        const double left = m.target - m.position;
        if (std::abs(left) > step) {
            m.position += left > 0 ? step : -step;
            continue;
        }
        m.position = m.target;
        if (m.target == 0 || m.target == 100)
            m.positionKnown = true; // an end of travel is a known place
        m.target = -1;
    }
}
