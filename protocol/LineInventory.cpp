#include "LineInventory.h"

#include <algorithm>

namespace {

ChannelMask allChannels()
{
    return ChannelMask::ofWord(0xFFFF);
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

LineInventory::LineInventory(MotorLink &link, QObject *parent) : QObject(parent), m_link(link) {}

LineInventory::~LineInventory()
{
    if (running())
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
    m_garbled.clear();
    m_done = m_total = 0;
    m_savedTarget = m_link.target();
    m_savedChannels = m_link.channelMemory();
    m_savedPolling = m_link.statusPolling();
    m_savedRate = m_link.serial().bitsPerSecond();
    m_savedSettings = m_link.motorSettings();
    m_phase = Phase::WaitingIdle;

    m_connections << connect(&m_link, &MotorLink::ticked, this, &LineInventory::onTick);
    m_connections << connect(&m_link, &MotorLink::frameSent, this, [this](const QByteArray &bytes) {
        if (bytes.size() == Frame::CommandSize && Byte(bytes[Frame::Function]) == Frame::StatusPoll)
            onPollSent();
    });
    m_connections << connect(&m_link, &MotorLink::frameReceived, this, [this] { m_heard = true; });
    // Answers that collide reach the link as bytes it cannot read.
    m_connections << connect(&m_link, &MotorLink::bytesDiscarded, this, [this] {
        m_heard = true;
        noteGarble();
    });
    // Every status answer names its sender, addressed or late: each is a motor.
    m_connections << connect(&m_link, &MotorLink::statusAnswer, this, &LineInventory::noteAnswer);
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
    case Phase::Polling:
    case Phase::Confirming: listenTick(); return;
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
    m_link.setTarget({0, allChannels()});
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
    m_total = int(m_rates.size()) * (m_scope.lastId - m_scope.firstId + 1) * int(m_scope.channels.size());
    m_phase = Phase::Polling;
    beginPolling();
}

void LineInventory::beginPolling()
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
    m_spots.clear();
    for (int id = m_scope.firstId; id <= m_scope.lastId; ++id)
        for (int channel : m_scope.channels)
            m_spots.append({id, channel});
    m_next = 0;
    m_garbled.clear();
    m_polled.reset();
    m_previousPolled.reset();
    m_phase = Phase::Polling;
    pollNext();
}

bool LineInventory::reported(int id, int channel) const
{
    return std::any_of(m_found.begin(), m_found.end(), [&](const Entry &e) {
        return !e.collision && e.rate == m_rate && e.id == id && e.channels.channel(channel);
    });
}

// The next spot not yet reported becomes the target: the tick takes it when
// it sends, so an answer that arrives first can still spare the poll.
void LineInventory::pollNext()
{
    while (m_next < m_spots.size() && reported(m_spots[m_next].id, m_spots[m_next].channel)) {
        ++m_done;
        emit progress(m_done, m_total, m_spots[m_next].id, motorsFound());
        ++m_next;
    }
    if (m_next < m_spots.size()) {
        m_current = m_spots[m_next];
        m_link.setTarget({m_current->id, ChannelMask::ofChannel(m_current->channel)});
        m_link.setStatusPolling(true);
        return;
    }
    // Every spot decided: listen a little longer, then the collisions.
    m_current.reset();
    m_link.setStatusPolling(false);
    m_ticksInStep = 0;
}

void LineInventory::onPollSent()
{
    if (!m_current)
        return;
    m_previousPolled = m_polled;
    m_polled = m_current;
    if (m_phase == Phase::Confirming) {
        // Alone on the line: nothing follows until the answer is in.
        m_link.setStatusPolling(false);
        m_current.reset();
        m_ticksInStep = 0;
        return;
    }
    ++m_done;
    ++m_next;
    emit progress(m_done, m_total, m_polled->id, motorsFound());
    pollNext();
}

void LineInventory::listenTick()
{
    if (m_current)
        return; // a poll is still to go out
    // Counted from the tick that sent the last poll: settleTicks whole ticks follow it.
    if (++m_ticksInStep <= m_scope.settleTicks)
        return;
    if (m_phase == Phase::Confirming && m_polled && m_garbleSeen)
        addCollision(*m_polled);
    m_phase = Phase::Confirming;
    confirmNext();
}

// A garble is the last poll's, or, on a slow line, the one before: both are
// polled again alone.
void LineInventory::noteGarble()
{
    if (m_phase == Phase::Confirming) {
        m_garbleSeen = true;
        return;
    }
    if (m_phase != Phase::Polling)
        return;
    for (const std::optional<Spot> &spot : {m_polled, m_previousPolled})
        if (spot && !m_garbled.contains(*spot))
            m_garbled.append(*spot);
}

// Two motors found that both have the channel explain its garble.
bool LineInventory::explained(const Spot &spot) const
{
    return std::count_if(m_found.begin(), m_found.end(),
                         [&](const Entry &e) {
                             return !e.collision && e.rate == m_rate && e.id == spot.id
                                 && e.channels.channel(spot.channel);
                         })
        >= 2;
}

void LineInventory::confirmNext()
{
    m_polled.reset();
    m_garbleSeen = false;
    while (!m_garbled.isEmpty()) {
        const Spot spot = m_garbled.takeFirst();
        if (explained(spot))
            continue;
        m_current = spot;
        m_link.setTarget({spot.id, ChannelMask::ofChannel(spot.channel)});
        m_link.setStatusPolling(true);
        return;
    }
    m_phase = Phase::Polling;
    beginPolling();
}

void LineInventory::addCollision(const Spot &spot)
{
    if (explained(spot))
        return;
    record({spot.id, ChannelMask::ofChannel(spot.channel), m_rate, std::nullopt, true});
}

void LineInventory::noteAnswer(const StatusReport &report)
{
    const MotorTarget &sender = report.from;
    if (m_phase != Phase::Polling && m_phase != Phase::Confirming)
        return;
    if (sender.id < 1 || sender.id > MotorSettings::MaxId || sender.channels.word() == 0)
        return;
    record({sender.id, sender.channels, m_rate, report.percent, false});
    // The spot about to be polled may be one this motor just reported.
    if (m_phase == Phase::Polling && m_current && reported(m_current->id, m_current->channel))
        pollNext();
}

void LineInventory::record(const Entry &entry)
{
    const bool known = std::any_of(m_found.begin(), m_found.end(), [&](const Entry &e) {
        return e.collision == entry.collision && e.id == entry.id && e.channels == entry.channels
            && e.rate == entry.rate;
    });
    if (known)
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
    m_current.reset();
    restoreLink();
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
