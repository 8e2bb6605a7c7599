#include "LineInventory.h"
#include <algorithm>
#include <bit>
namespace {

bool hasChannel(const ChannelMask &mask, int channel)
{
    return channel >= 1 && channel <= 16 && mask.channel(channel);
}

int firstChannel(const ChannelMask &mask)
{
    return mask.word() == 0 ? 0 : std::countr_zero(mask.word()) + 1;
}

} // namespace

const QList<int> &LineInventory::allRates()
{
    static const QList<int> rates = [] {
        QList<int> r;
        for (int code = 0; const auto bps = MotorSettings::baudCodeBps(code); ++code)
            r << *bps;
        return r;
    }();
    return rates;
}

LineInventory::LineInventory(MotorLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&link, &QObject::destroyed, this, [this] { m_linkGone = true; });
}

LineInventory::~LineInventory()
{
    if (running() && !m_linkGone)
        finish(false);
}

int LineInventory::motorsFound() const
{
    return int(std::count_if(m_found.begin(), m_found.end(), [](const Entry &e) { return !e.collision; }));
}

bool LineInventory::start(const Scope &scope)
{
    if (running() || !m_link.portUsable())
        return false;
    m_scope = scope;
    m_scope.firstId = std::clamp(m_scope.firstId, 1, int(MotorSettings::MaxId));
    m_scope.lastId = std::clamp(m_scope.lastId, m_scope.firstId, int(MotorSettings::MaxId));
    if (m_scope.channels.isEmpty())
        for (int c = 1; c <= 16; ++c)
            m_scope.channels << c;
    if (m_scope.rates.isEmpty())
        m_scope.rates = allRates();
    m_found.clear();
    m_ratesHeard.clear();
    m_lossesSeen = false;
    m_done = m_total = 0;
    m_savedTarget = m_link.target();
    m_savedChannels = m_link.channelMemory();
    m_savedPolling = m_link.statusPolling();
    m_savedRate = m_link.serial().bitsPerSecond();
    m_savedSettings = m_link.motorSettings();
    m_phase = Phase::WaitingIdle;

    m_connections << connect(&m_link, &MotorLink::ticked, this, &LineInventory::onTick);
    m_connections << connect(&m_link, &MotorLink::frameSent, this, &LineInventory::onSent);
    m_connections << connect(&m_link, &MotorLink::frameReceived, this, [this](const QByteArray &bytes) {
        m_heard = true;
        m_answerIsBasic = bytes.size() > Frame::PositionByte && Byte(bytes[Frame::PositionByte]) == Frame::ReadBasic;
    });
    // Answers that collide, or one answer damaged, reach the link as bytes it cannot read.
    m_connections << connect(&m_link, &MotorLink::bytesDiscarded, this, [this] {
        m_heard = true;
        noteGarble();
    });
    // Every answer names its sender, addressed or late: each is a motor.
    m_connections << connect(&m_link, &MotorLink::answerFrom, this, &LineInventory::onAnswer);
    m_connections << connect(&m_link, &MotorLink::statusAnswer, this, &LineInventory::onStatus);
    m_connections << connect(&m_link, &MotorLink::portLost, this, [this] { finish(false); });
    return true;
}

void LineInventory::cancel()
{
    if (running())
        finish(false);
}

void LineInventory::onTick()
{
    if (!m_link.portUsable()) {
        finish(false);
        return;
    }
    switch (m_phase) {
    case Phase::Stopped: return;
    case Phase::WaitingIdle:
        if (m_link.isIdle()) {
            m_link.setStatusPolling(false);
            m_rates = m_scope.rates;
            m_phase = Phase::Probing;
            beginProbe();
        }
        return;
    case Phase::Probing: probeTick(); return;
    case Phase::Asking: askingTick(); return;
    case Phase::Settling: settlingTick(); return;
    }
}

// A group read at the next rate: every motor at that rate answers it, so
// any bytes at all, a garble included, say the rate is worth searching.
void LineInventory::beginProbe()
{
    m_rate = m_rates.takeFirst();
    if (!m_link.reopenAt(m_rate)) {
        finish(false);
        return;
    }
    m_heard = false;
    m_ticksInStep = 0;
    emit probingRate(m_rate);
    m_link.setTarget({0, ChannelMask::ofWord(0xFFFF)});
    m_link.readSettings(Frame::ReadBasic);
}

void LineInventory::probeTick()
{
    if (!m_link.isIdle())
        return; // the read still goes out
    // Once bytes came, one more tick lets the answer to the read's second
    // sending arrive before the rate changes under it.
    const int listen = m_heard ? 2 : m_scope.listenTicks;
    if (++m_ticksInStep < listen)
        return;
    if (m_heard)
        m_ratesHeard << m_rate;
    if (!m_rates.isEmpty()) {
        beginProbe();
        return;
    }
    m_rates = m_ratesHeard;
    m_total = int(m_rates.size()) * (m_scope.lastId - m_scope.firstId + 1);
    beginRate();
}

void LineInventory::beginRate()
{
    if (m_rates.isEmpty()) {
        finish(true);
        return;
    }
    m_rate = m_rates.takeFirst();
    if (!m_link.reopenAt(m_rate)) {
        finish(false);
        return;
    }
    m_queue.clear();
    m_garbledOnce.clear();
    m_askedAgain.clear();
    m_channelPolls.clear();
    m_collided.clear();
    m_clean.clear();
    m_severalIds.clear();
    m_askedIds.clear();
    m_placeless.clear();
    m_last.reset();
    m_beforeLast.reset();
    m_round = 0;
    for (int id = m_scope.firstId; id <= m_scope.lastId; ++id)
        m_queue.append({id, 0});
    m_phase = Phase::Asking;
    send(m_queue.takeFirst());
}

// One frame a tick: staged while the last waits for its second sending, the
// next takes its place, so each goes out once (a round's last may go twice).
void LineInventory::send(const Ask &ask)
{
    m_staged = ask;
    if (ask.channel == 0) {
        m_link.setTarget({ask.id, ChannelMask::ofWord(0)});
        m_link.sendMotorCommand(Frame::ReadBasic, Frame::ReadBasic);
    } else {
        m_link.setTarget({ask.id, ChannelMask::ofChannel(ask.channel)});
        m_link.sendMotorCommand(Frame::StatusPoll, 0);
    }
}

// A position poll of a motor already placed, or of a motor at an ID now
// polled channel by channel anyway, is not sent.
bool LineInventory::needless(const Ask &ask) const
{
    if (m_garbledOnce.contains(ask) && m_clean.contains(ask))
        return true; // asked again for a garble, and its clean answer came meanwhile
    if (ask.channel == 0 || m_channelPolls.contains(ask))
        return false;
    return !std::any_of(m_placeless.begin(), m_placeless.end(),
                        [&](const Entry &e) { return e.id == ask.id && hasChannel(e.channels, ask.channel); });
}

void LineInventory::askingTick()
{
    if (m_staged)
        return; // not out yet
    while (!m_queue.isEmpty()) {
        const Ask ask = m_queue.takeFirst();
        if (!needless(ask)) {
            send(ask);
            return;
        }
    }
    m_phase = Phase::Settling;
    m_ticksInStep = 0;
}

void LineInventory::settlingTick()
{
    if (m_sentThisTick) {
        m_sentThisTick = false;
        m_ticksInStep = 0; // the last frame's second sending
        return;
    }
    if (++m_ticksInStep < m_scope.settleTicks)
        return;
    endRound();
}

void LineInventory::onSent(const QByteArray &bytes)
{
    if (m_phase != Phase::Asking && m_phase != Phase::Settling)
        return;
    if (bytes.size() != Frame::CommandSize)
        return;
    const Byte function = Byte(bytes[Frame::Function]);
    if (function != Frame::ReadBasic && function != Frame::StatusPoll)
        return;
    const ChannelMask mask {{Byte(bytes[Frame::Mask0]), Byte(bytes[Frame::Mask1])}};
    const Ask ask {Byte(bytes[Frame::Id]), function == Frame::ReadBasic ? 0 : firstChannel(mask)};
    m_beforeLast = m_last;
    m_last = ask;
    m_staged.reset();
    m_sentThisTick = m_phase == Phase::Settling;
    if (m_garbledOnce.contains(ask) && !m_askedAgain.contains(ask))
        m_askedAgain.append(ask);
    if (ask.channel == 0 && !m_askedIds.contains(ask.id)) {
        m_askedIds.insert(ask.id);
        ++m_done;
        emit progress(m_done, m_total, ask.id, motorsFound());
    }
}

// Bytes nobody could read: the answer to the last ask, or on a slow line to
// the one before.  Each is asked again at once; garbled twice, the ID holds
// several motors, or the channel polled is shared.
void LineInventory::noteGarble()
{
    if (m_phase != Phase::Asking && m_phase != Phase::Settling)
        return;
    QList<Ask> again;
    for (const std::optional<Ask> &suspect : {m_last, m_beforeLast}) {
        if (!suspect || m_clean.contains(*suspect) || again.contains(*suspect))
            continue;
        if (suspect->channel == 0 && m_severalIds.contains(suspect->id))
            continue;
        if (!m_garbledOnce.contains(*suspect)) {
            m_garbledOnce.append(*suspect);
            again.append(*suspect);
        } else if (suspect->channel == 0) {
            pollEveryChannel(suspect->id);
        } else if (!m_collided.contains(*suspect)) {
            m_collided.append(*suspect); // told at the rate's end, unless two motors found explain it
        }
    }
    if (again.isEmpty())
        return;
    // The frame staged next waits behind the asks repeated.
    if (m_staged)
        m_queue.prepend(*m_staged);
    for (auto it = again.crbegin(); it != again.crend(); ++it)
        m_queue.prepend(*it);
    m_phase = Phase::Asking;
    send(m_queue.takeFirst());
}

void LineInventory::pollEveryChannel(int id)
{
    m_severalIds.insert(id);
    for (int channel : std::as_const(m_scope.channels)) {
        m_channelPolls.append({id, channel});
        m_queue.append({id, channel});
    }
    if (m_phase == Phase::Settling) {
        m_phase = Phase::Asking;
        send(m_queue.takeFirst());
    }
}

// An answer at the rate searched from a motor with an ID of the range.
bool LineInventory::fromMotor(const MotorTarget &sender) const
{
    return (m_phase == Phase::Asking || m_phase == Phase::Settling) && sender.id >= 1
        && sender.id <= MotorSettings::MaxId && sender.channels.word() != 0;
}

void LineInventory::onAnswer(const MotorTarget &sender)
{
    if (!fromMotor(sender))
        return;
    // A status answer is the last poll's when it has the channel polled.
    const bool lastPoll = m_last && m_last->id == sender.id && hasChannel(sender.channels, m_last->channel);
    const std::optional<Ask> answered = m_answerIsBasic ? std::optional<Ask>({sender.id, 0})
        : lastPoll                                      ? m_last
                                                        : std::nullopt;
    if (answered && m_askedAgain.contains(*answered))
        m_lossesSeen = true; // one motor's answer was damaged once, clean when asked again
    if (answered && !m_clean.contains(*answered))
        m_clean.append(*answered);
    if (!m_answerIsBasic || known(sender.id, sender.channels))
        return; // a status answer records its motor with the position
    const Entry motor {sender.id, sender.channels, m_rate, std::nullopt, false};
    if (m_placeless.contains(motor))
        return;
    m_placeless.append(motor);
    m_queue.prepend({sender.id, firstChannel(sender.channels)});
}

void LineInventory::onStatus(const StatusReport &report)
{
    const MotorTarget &sender = report.from;
    if (!fromMotor(sender))
        return;
    m_placeless.removeIf([&](const Entry &e) { return e.id == sender.id && e.channels == sender.channels; });
    record({sender.id, sender.channels, m_rate, report.percent, false});
}

bool LineInventory::heardAt(int id) const
{
    const auto atId = [&](const Entry &e) { return e.rate == m_rate && e.id == id; };
    return m_severalIds.contains(id) || std::any_of(m_found.begin(), m_found.end(), atId)
        || std::any_of(m_placeless.begin(), m_placeless.end(), atId);
}

// The round's last answers are in: on a line that lost answers the silent
// IDs are read again, else the rate is done.
void LineInventory::endRound()
{
    // Every motor still without a position was polled for it and fell silent.
    if (!m_placeless.isEmpty())
        m_lossesSeen = true;
    if (m_lossesSeen && m_round < m_scope.lossRetries) {
        ++m_round;
        for (const Entry &e : std::as_const(m_placeless))
            m_queue.append({e.id, firstChannel(e.channels)});
        for (int id = m_scope.firstId; id <= m_scope.lastId; ++id)
            if (!heardAt(id))
                m_queue.append({id, 0});
        if (!m_queue.isEmpty()) {
            m_garbledOnce.clear();
            m_askedAgain.clear();
            m_phase = Phase::Asking;
            send(m_queue.takeFirst());
            return;
        }
    }
    // Heard, but its position never came.
    for (const Entry &e : std::as_const(m_placeless))
        record(e);
    m_placeless.clear();
    for (const Ask &spot : std::as_const(m_collided))
        if (!explained(spot))
            record({spot.id, ChannelMask::ofChannel(spot.channel), m_rate, std::nullopt, true});
    if (m_askedIds.size() < m_scope.lastId - m_scope.firstId + 1) {
        finish(false);
        return;
    }
    beginRate();
}

// Two motors found that both have the channel explain its garble.
bool LineInventory::explained(const Ask &spot) const
{
    return std::count_if(m_found.begin(), m_found.end(),
                         [&](const Entry &e) {
                             return !e.collision && e.rate == m_rate && e.id == spot.id
                                 && hasChannel(e.channels, spot.channel);
                         })
        >= 2;
}

bool LineInventory::known(int id, const ChannelMask &channels) const
{
    return std::any_of(m_found.begin(), m_found.end(), [&](const Entry &e) {
        return !e.collision && e.rate == m_rate && e.id == id && e.channels == channels;
    });
}

void LineInventory::record(const Entry &entry)
{
    const bool seen = std::any_of(m_found.begin(), m_found.end(), [&](const Entry &e) {
        return e.collision == entry.collision && e.id == entry.id && e.channels == entry.channels
            && e.rate == entry.rate;
    });
    if (seen)
        return;
    m_found.append(entry);
    emit entryFound(entry);
}

void LineInventory::finish(bool complete)
{
    if (!running())
        return;
    if (complete && m_total > 0) // the last answers are in
        emit progress(m_total, m_total, m_scope.lastId, motorsFound());
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_phase = Phase::Stopped;
    m_staged.reset();
    restoreLink();
    // A frame of the run may still wait to go out or for its second sending,
    // to the target current when sent: the panel's own poll takes its place.
    const auto &waiting = m_link.outgoing();
    const MotorTarget panel = m_link.target();
    if (waiting && m_savedPolling && panel.isOneMotorChannel()
        && (waiting->function == Frame::ReadBasic || waiting->function == Frame::StatusPoll))
        m_link.sendMotorCommand(Frame::StatusPoll, 0);
    emit finished(complete);
}

// The link as the run found it: rate, remembered channels, target, polling,
// the motor's settings.
void LineInventory::restoreLink()
{
    m_link.setStatusPolling(false);
    if (m_link.portUsable() && m_link.serial().bitsPerSecond() != m_savedRate)
        m_link.reopenAt(m_savedRate);
    for (int id = 0; id <= ChannelMemory::Last; ++id) {
        m_link.chooseId(id);
        m_link.setChannels(m_savedChannels[id]);
    }
    m_link.setTarget(m_savedTarget);
    m_link.setStatusPolling(m_savedPolling);
    // The group read's answers are not the panel's motor's settings.
    m_link.restoreMotorSettings(m_savedSettings);
}
