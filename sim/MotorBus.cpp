#include "MotorBus.h"

#include <QStringList>

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

constexpr quint8 CommandLead = 0x9A;
constexpr quint8 ResponseLead = 0xD8;
constexpr int CommandSize = 7;
constexpr int ResponseSize = 10;
constexpr int LogLimit = 5000;

constexpr quint8 MotorCommand = 0x0A, RunToPosition = 0xDD, ForceIdChannels = 0xAA, WriteBaudCode = 0xDA,
                 ReadBasic = 0xCA, ReadExtended = 0xCB, StatusPoll = 0xCC;
constexpr quint8 Up = 0xDD, Stop = 0xCC, Down = 0xEE, Learn = 0xAA, DeleteCode = 0xA6;
constexpr int Rates[] = {1200, 2400, 4800, 9600, 19200};

// What a frame asks of the motors that take it.
enum class Kind { Poll, Read, Write, IdWrite, Motion, Unknown };

const MotorSetting *settingFor(quint8 function)
{
    const auto *s = std::find_if(std::begin(MotorMemory), std::end(MotorMemory),
                                 [function](const MotorSetting &m) { return m.function == function; });
    return s != std::end(MotorMemory) ? s : nullptr;
}

Kind kindOf(quint8 function, quint8 data)
{
    if (function == StatusPoll)
        return data == 0 ? Kind::Poll : Kind::Unknown;
    if (function == MotorCommand || function == RunToPosition)
        return Kind::Motion;
    if (function == ReadBasic || function == ReadExtended)
        return data == function ? Kind::Read : Kind::Unknown;
    if (function == ForceIdChannels)
        return data == ForceIdChannels ? Kind::IdWrite : Kind::Unknown;
    return function == WriteBaudCode || settingFor(function) ? Kind::Write : Kind::Unknown;
}

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
    return code >= 0 && code < int(std::size(Rates)) ? Rates[code] : 0;
}

int MotorBus::bpsToBaudCode(int bps)
{
    const auto *rate = std::find(std::begin(Rates), std::end(Rates), bps);
    return rate != std::end(Rates) ? int(rate - std::begin(Rates)) : -1;
}

QByteArray MotorBus::collision(const QList<QByteArray> &answers)
{
    if (answers.size() < 2)
        return answers.value(0);
    QByteArray garble;
    for (const QByteArray &a : answers) {
        garble.resize(std::max(garble.size(), a.size()), '\0');
        for (qsizetype i = 0; i < a.size(); ++i)
            garble[i] = char(garble[i] | a[i]);
    }
    for (char &c : garble)
        c = char(c | 0x01);
    return garble;
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

bool MotorBus::addMotor(const QString &text)
{
    // The timing after the address: "/delay=MS", "/deaf=N".
    QStringList timing = text.split(u'/');
    const QString addressAndRate = timing.takeFirst();
    int delayMs = -1, deafFrames = 0;
    for (const QString &t : timing) {
        bool ok = false;
        const int n = t.section(u'=', 1).toInt(&ok);
        const QString key = t.section(u'=', 0, 0);
        if (!ok || n < 0 || (key != u"delay" && key != u"deaf"))
            return false;
        (key == u"delay" ? delayMs : deafFrames) = n;
    }
    const QString address = addressAndRate.section(u'@', 0, 0);
    const QStringList parts = address.split(u':');
    if (parts.size() < 2 || parts.size() > 3 || addressAndRate.count(u'@') > 1)
        return false;
    bool ok = false;
    const int id = parts[0].toInt(&ok);
    if (!ok || id < 0 || id > 255)
        return false;
    quint16 mask = 0;
    for (const QString &ch : parts[1].split(u',', Qt::SkipEmptyParts)) {
        const int n = ch.toInt(&ok);
        if (!ok || n < 1 || n > 16)
            return false;
        mask |= quint16(1u << (n - 1));
    }
    int ownCode = -1;
    if (addressAndRate.contains(u'@')) {
        ownCode = bpsToBaudCode(addressAndRate.section(u'@', 1).toInt(&ok));
        if (!ok || ownCode < 0 || parts.size() == 3)
            return false;
    }
    if (parts.size() == 3) {
        const int code = parts[2].toInt(&ok);
        if (!ok || baudCodeToBps(code) == 0)
            return false;
        m_baudCode = code; // the bus's rate: the last one given wins
    }
    Motor &m = addMotor(id, mask);
    m.baudCode = ownCode;
    m.answerDelayMs = delayMs;
    m.deafFrames = deafFrames;
    return true;
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
        ReceivedFrame f;
        f.bytes = m_pending.left(CommandSize);
        f.lineRateBps = lineRateBps;
        m_pending.remove(0, CommandSize);
        handle(f);
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

void MotorBus::handle(ReceivedFrame &f)
{
    const quint8 function = byteAt(f.bytes, 4);
    const quint8 data = byteAt(f.bytes, 5);
    const Kind kind = kindOf(function, data);
    const QList<int> indexes = takers(f.bytes, f.lineRateBps);
    passDeafMotors(f.lineRateBps);
    const bool write = kind == Kind::Write || kind == Kind::IdWrite;
    if (write && !indexes.isEmpty()) {
        f.motorIndexes = indexes;
        f.write = m_ignoredWrites.contains(function) ? Write::Ignored : Write::Kept;
    }
    QList<std::pair<int, QByteArray>> replies; // each answering motor's delay and answer
    for (int i : indexes) {
        Motor &m = m_motors[i];
        const QByteArray answer = answerOf(m, function, data);
        if (!answer.isEmpty())
            replies.append({answerDelayMsOf(m), answer});
        if (kind == Kind::Motion || f.write == Write::Kept)
            take(m, f.bytes);
    }
    scheduleAnswers(f, std::move(replies));
}

int MotorBus::answerSpanMs(int lineRateBps)
{
    return lineRateBps > 0 ? (ResponseSize * 10 * 1000 + lineRateBps - 1) / lineRateBps : 0;
}

// Answers starting within one answer's length of the first of a run overlap
// on the line and collide; a later one goes out on its own.
void MotorBus::scheduleAnswers(ReceivedFrame &f, QList<std::pair<int, QByteArray>> replies) const
{
    std::stable_sort(replies.begin(), replies.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    const int span = answerSpanMs(f.lineRateBps);
    QList<QList<QByteArray>> runs;
    for (const auto &[delayMs, answer] : replies) {
        if (runs.isEmpty() || delayMs >= f.answers.last().delayMs + span) {
            f.answers.append(Answer {delayMs, {}, 0});
            runs.append(QList<QByteArray> {});
        }
        runs.last().append(answer);
    }
    for (qsizetype i = 0; i < runs.size(); ++i) {
        f.answers[i].bytes = collision(runs[i]);
        f.answers[i].motors = int(runs[i].size());
        f.answer += f.answers[i].bytes;
    }
    f.answering = int(replies.size());
}

// Every motor that was deaf to this frame has one frame less to miss.
void MotorBus::passDeafMotors(int lineRateBps)
{
    for (Motor &m : m_motors)
        if (m.deafFrames > 0 && lineRateBpsOf(m) == lineRateBps)
            --m.deafFrames;
}

QList<int> MotorBus::takers(const QByteArray &frame, int lineRateBps) const
{
    const int id = byteAt(frame, 1);
    const quint16 mask = quint16(byteAt(frame, 2) | byteAt(frame, 3) << 8);
    const Kind kind = kindOf(byteAt(frame, 4), byteAt(frame, 5));
    const auto takes = [&](const Motor &m) {
        switch (kind) {
        case Kind::Poll: return id != 0 && std::popcount(mask) == 1 && m.id == id && (m.channels & mask) != 0;
        case Kind::Read:
        case Kind::Write: return id == 0 || m.id == id;
        case Kind::IdWrite: return true;
        case Kind::Motion:
            // Group control with no channel selected is the panel's
            // "everyone" command: every motor that hears it acts.
            if (id == 0 && mask == 0)
                return true;
            return (id == 0 || m.id == id) && (m.channels & mask) != 0;
        case Kind::Unknown: break;
        }
        return false;
    };

    QList<int> indexes, hearing;
    for (int i = 0; i < m_motors.size(); ++i) {
        if (lineRateBpsOf(m_motors[i]) != lineRateBps || m_motors[i].deafFrames > 0)
            continue;
        hearing.append(i);
        if (takes(m_motors[i]))
            indexes.append(i);
    }
    if (!m_lenient || kind == Kind::Motion || kind == Kind::Unknown)
        return indexes;
    if (kind == Kind::Poll)
        return indexes.mid(0, 1);
    // The bench: one motor takes a read or write, the one with the frame's
    // ID or else the first that hears it (the frame's ID may be stale).
    const auto withId = std::find_if(hearing.begin(), hearing.end(), [&](int i) { return m_motors[i].id == id; });
    return withId != hearing.end() ? QList<int> {*withId} : hearing.mid(0, 1);
}

QByteArray MotorBus::answerOf(const Motor &m, quint8 function, quint8 data) const
{
    switch (kindOf(function, data)) {
    case Kind::Poll: return responseFrame(m.id, m.channels, 0, 0, 0, quint8(m.reportedPosition()), m.status());
    case Kind::Read:
        if (function == ReadBasic)
            return responseFrame(m.id, m.channels, quint8(baudCodeOf(m)), m.dryContactMode, m.maxSpeed, ReadBasic,
                                 m.curtainFunctions);
        return responseFrame(m.id, m.channels, m.jogTime, m.sensitivity, m.rebound, ReadExtended, m.status());
    default: return {};
    }
}

void MotorBus::take(Motor &m, const QByteArray &frame)
{
    const int id = byteAt(frame, 1);
    const quint16 mask = quint16(byteAt(frame, 2) | byteAt(frame, 3) << 8);
    const quint8 function = byteAt(frame, 4);
    const quint8 data = byteAt(frame, 5);
    if (function == ForceIdChannels) {
        m.id = id;
        m.channels = mask;
    } else if (function == WriteBaudCode) {
        if (baudCodeToBps(data) == 0)
            return;
        // It hears the next frame at the new rate; the bench moved the whole bus.
        if (m_lenient) {
            m_baudCode = data;
            m.baudCode = -1;
        } else {
            m.baudCode = data;
        }
    } else if (const MotorSetting *setting = settingFor(function)) {
        m.*setting->value = data;
    } else if (function == RunToPosition) {
        if (m.positionKnown && data <= 100)
            m.target = data;
    } else {
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
