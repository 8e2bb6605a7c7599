// The plan of a line inventory: which rates are searched, what is asked at
// each, one frame a tick, the rounds, the pause, and the link given back.
#include "LineInventory.h"

#include "InventoryChannels.h"

#include <algorithm>

using inventory::firstChannel;
using inventory::hasChannel;

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
    if (m_phase != Phase::Stopped && !m_linkGone)
        finish(false);
}

int LineInventory::motorsFound() const
{
    return int(std::count_if(m_found.begin(), m_found.end(), [](const Entry &e) { return !e.collision; }));
}

bool LineInventory::start(const Scope &scope)
{
    if (m_phase != Phase::Stopped || !m_link.portUsable())
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
    saveLink();
    m_port = m_link.serial().portName();
    m_phase = Phase::WaitingIdle;
    m_pausedIn = Phase::Stopped;

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
    if (m_phase != Phase::Stopped)
        finish(false);
}

bool LineInventory::pause()
{
    if (!running())
        return false;
    if (m_phase != Phase::WaitingIdle) // a run paused again before it went on keeps its place
        m_pausedIn = m_phase;
    if (m_phase == Phase::Asking || m_phase == Phase::Settling) {
        // The frame not yet out, and the last one whose answer the pause
        // would miss, are asked first when the run goes on.
        if (m_staged)
            m_queue.prepend(*m_staged);
        if (m_last && !m_clean.contains(*m_last) && !m_queue.contains(*m_last))
            m_queue.prepend(*m_last);
    }
    m_staged.reset();
    m_phase = Phase::Paused;
    giveLinkBack();
    return true;
}

bool LineInventory::resume()
{
    if (!paused() || !m_link.portUsable())
        return false;
    if (m_link.serial().portName() != m_port) {
        finish(false); // what was found is another line's
        return false;
    }
    saveLink(); // the panel may have moved meanwhile: that is what the end gives back
    m_phase = Phase::WaitingIdle;
    return true;
}

void LineInventory::onTick()
{
    if (m_phase == Phase::Paused)
        return; // the link is the panel's until the run goes on
    if (!m_link.portUsable()) {
        finish(false);
        return;
    }
    switch (m_phase) {
    case Phase::Stopped:
    case Phase::Paused: return;
    case Phase::WaitingIdle:
        if (m_link.isIdle())
            beginAfterIdle();
        return;
    case Phase::Probing: probeTick(); return;
    case Phase::Asking: askingTick(); return;
    case Phase::Settling: settlingTick(); return;
    }
}

// The link has finished its own work: the run begins, or goes on where it paused.
void LineInventory::beginAfterIdle()
{
    m_link.setStatusPolling(false);
    switch (m_pausedIn) {
    case Phase::Asking:
    case Phase::Settling:
        if (!atRate(m_rate)) {
            finish(false);
            return;
        }
        m_phase = Phase::Asking;
        askingTick();
        return;
    case Phase::Probing: m_rates.prepend(m_rate); break;
    default: m_rates = m_scope.rates; break;
    }
    m_phase = Phase::Probing;
    beginProbe();
}

bool LineInventory::atRate(int rate)
{
    return m_link.serial().bitsPerSecond() == rate || m_link.reopenAt(rate);
}

// The group read goes out twice and is listened to; each ID is one tick,
// and a rate ends with its settling and the last frame's second sending.
int LineInventory::ticksLeft() const
{
    constexpr int GroupReadTicks = 2;
    const int probe = GroupReadTicks + m_scope.listenTicks;
    const int search = idCount() + m_scope.settleTicks + 1;
    const int queued = int(m_queue.size()) + (m_staged ? 1 : 0);
    const Phase at = m_phase == Phase::Paused || m_phase == Phase::WaitingIdle ? m_pausedIn : m_phase;
    switch (m_phase == Phase::Stopped ? Phase::Stopped : at) {
    case Phase::Stopped: // not begun
        return m_phase == Phase::Stopped ? 0 : int(m_scope.rates.size()) * (probe + search);
    case Phase::Probing: {
        const int toProbe = int(m_rates.size()) + 1;
        return std::max(toProbe * probe - m_ticksInStep, 0) + (toProbe + int(m_ratesHeard.size())) * search;
    }
    case Phase::Asking: return queued + m_scope.settleTicks + 1 + int(m_rates.size()) * search;
    case Phase::Settling:
        return queued + std::max(m_scope.settleTicks - m_ticksInStep, 0) + int(m_rates.size()) * search;
    default: return 0;
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
    if (m_phase != Phase::Probing)
        return; // paused or stopped by a listener
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
    m_total = int(m_rates.size()) * idCount();
    beginRate();
}

void LineInventory::beginRate()
{
    if (m_rates.isEmpty()) {
        finish(true);
        return;
    }
    m_rate = m_rates.takeFirst();
    if (!atRate(m_rate)) {
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
    if (!running())
        return; // paused or stopped by a listener: the rate ends when the run goes on
    if (m_askedIds.size() < idCount()) {
        finish(false);
        return;
    }
    beginRate();
}

void LineInventory::finish(bool complete)
{
    if (m_phase == Phase::Stopped)
        return;
    const bool linkGivenBack = paused();
    if (complete && m_total > 0) // the last answers are in
        emit progress(m_total, m_total, m_scope.lastId, motorsFound());
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_phase = Phase::Stopped;
    m_staged.reset();
    if (!linkGivenBack)
        giveLinkBack();
    emit finished(complete);
}

void LineInventory::saveLink()
{
    m_savedTarget = m_link.target();
    m_savedChannels = m_link.channelMemory();
    m_savedPolling = m_link.statusPolling();
    m_savedRate = m_link.serial().bitsPerSecond();
    m_savedSettings = m_link.motorSettings();
}

void LineInventory::giveLinkBack()
{
    restoreLink();
    // A frame of the run may still wait to go out or for its second sending,
    // to the target current when sent: the panel's own poll takes its place.
    const auto &waiting = m_link.outgoing();
    const MotorTarget panel = m_link.target();
    if (waiting && m_savedPolling && panel.isOneMotorChannel()
        && (waiting->function == Frame::ReadBasic || waiting->function == Frame::StatusPoll))
        m_link.sendMotorCommand(Frame::StatusPoll, 0);
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
