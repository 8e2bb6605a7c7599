#include "BusScheduler.h"

#include "Frames.h"
#include "LinkReports.h"

#include <utility>

BusScheduler::BusScheduler(const BusConfig &bus) : m_groups(bus.groups)
{
    for (const CoverConfig &c : bus.covers)
        addCover(c);
}

int BusScheduler::findCover(const MotorTarget &target) const
{
    for (int i = 0; i < m_covers.size(); ++i)
        if (m_covers[i].config.id == target.id && ChannelMask::ofChannel(m_covers[i].config.channel) == target.channels)
            return i;
    return -1;
}

BusWork BusScheduler::toWork(const Command &command, int coverIndex) const
{
    const bool invert = coverIndex >= 0 && m_covers[coverIndex].config.invert;
    BusWork w {BusWork::Send, command.target, Frame::Motor, 0, -1};
    switch (command.action) {
    case Command::Open: w.data = invert ? Frame::Down : Frame::Up; break;
    case Command::Close: w.data = invert ? Frame::Up : Frame::Down; break;
    case Command::Stop: w.data = Frame::Stop; break;
    case Command::Limit: w.data = std::uint8_t(command.value); break;
    case Command::SetPosition:
        w.function = Frame::RunToPosition;
        w.data = std::uint8_t(Topics::motorPercent(command.value, invert));
        break;
    }
    return w;
}

namespace {
// Whether two targets reach a common motor channel (ID 0 reaches every ID).
bool overlaps(const MotorTarget &a, const MotorTarget &b)
{
    return (a.id == b.id || a.id == 0 || b.id == 0) && (a.channels.word() & b.channels.word()) != 0;
}
} // namespace

bool BusScheduler::enqueue(const Command &command)
{
    int coverIndex = -1;
    const Command &c = command;
    if (c.group) {
        if (std::none_of(m_groups.begin(), m_groups.end(), [&](const GroupConfig &g) { return g.target == c.target; }))
            return false;
    } else {
        coverIndex = findCover(c.target);
        if (coverIndex < 0)
            return false;
    }
    const BusWork work = toWork(c, coverIndex);
    const auto sameTarget = [&](const Queued &q) { return q.work.to == work.to; };
    if (c.action == Command::Stop) {
        // Whatever was still waiting for this target would undo the stop.
        m_queue.removeIf(sameTarget);
        m_queue.prepend({work, c.action});
    } else {
        if (c.action == Command::SetPosition)
            m_queue.removeIf([&](const Queued &q) { return sameTarget(q) && q.action == Command::SetPosition; });
        m_queue.append({work, c.action});
    }
    // A group's members show their motion at once, like a cover of their own.
    for (int i = 0; i < m_covers.size(); ++i)
        if (i == coverIndex
            || (c.group
                && overlaps(c.target, {m_covers[i].config.id, ChannelMask::ofChannel(m_covers[i].config.channel)})))
            markCommanded(i, c);
    return true;
}

void BusScheduler::markCommanded(int coverIndex, const Command &c)
{
    Cover &cover = m_covers[coverIndex];
    cover.lastCommand = m_tick;
    cover.answersSinceCommand = 0;
    const std::optional<int> now = view(coverIndex).position;
    switch (c.action) {
    case Command::Open: cover.direction = Opening; break;
    case Command::Close: cover.direction = Closing; break;
    case Command::SetPosition:
        cover.direction = !now || *now == c.value ? None : c.value > *now ? Opening : Closing;
        break;
    default: cover.direction = None; break;
    }
}

// The first waiting command, with every later one of the same ID, function
// and data folded into its channels.  A command never overtakes an earlier
// one for a channel it reaches.
BusWork BusScheduler::takeMerged()
{
    BusWork work = m_queue.takeFirst().work;
    QList<MotorTarget> passed;
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        const BusWork &o = it->work;
        const bool same = o.to.id == work.to.id && o.function == work.function && o.data == work.data;
        if (same
            && std::none_of(passed.begin(), passed.end(), [&](const MotorTarget &t) { return overlaps(t, o.to); })) {
            work.to.channels.setWord(work.to.channels.word() | o.to.channels.word());
            it = m_queue.erase(it);
        } else {
            passed.append(o.to);
            ++it;
        }
    }
    return work;
}

void BusScheduler::countUnansweredPoll()
{
    if (m_lastPolled < 0)
        return;
    Cover &c = m_covers[m_lastPolled];
    if (c.pollPending) {
        c.pollPending = false;
        if (++c.unanswered >= OfflineAfterPolls)
            c.online = false;
        // A bus that answers no one is gone as a whole, however many covers it has.
        if (++m_silentPolls >= OfflineAfterPolls)
            for (Cover &each : m_covers)
                each.online = false;
    }
    m_lastPolled = -1;
}

// Every second poll goes to the cover polled longest ago, whatever moves;
// the others to a cover commanded lately or moving, due again two ticks
// after its last poll.
int BusScheduler::pickPollTarget()
{
    if (m_covers.isEmpty())
        return -1;
    // Moving covers come before those only commanded lately; the longest unpolled first.
    const auto urgency = [this](const Cover &c) {
        return c.moving || c.direction != None ? 2 : m_tick - c.lastCommand <= RecentCommandTicks ? 1 : 0;
    };
    int best = -1;
    for (int i = 0; !m_lastPollUrgent && i < m_covers.size(); ++i) {
        const Cover &c = m_covers[i];
        if (urgency(c) == 0 || m_tick - c.lastPoll < 2)
            continue;
        if (best < 0 || urgency(c) > urgency(m_covers[best])
            || (urgency(c) == urgency(m_covers[best]) && c.lastPoll < m_covers[best].lastPoll))
            best = i;
    }
    m_lastPollUrgent = best >= 0;
    if (best >= 0)
        return best;
    best = 0;
    for (int i = 1; i < m_covers.size(); ++i)
        if (m_covers[i].lastPoll < m_covers[best].lastPoll)
            best = i;
    return best;
}

BusWork BusScheduler::next(bool canSend)
{
    ++m_tick;
    countUnansweredPoll();
    if (!canSend)
        return {};
    if (!m_queue.isEmpty())
        return takeMerged();
    const int i = pickPollTarget();
    if (i < 0)
        return {};
    Cover &c = m_covers[i];
    c.pollPending = true;
    c.lastPoll = m_tick;
    m_lastPolled = i;
    return {BusWork::Poll, {c.config.id, ChannelMask::ofChannel(c.config.channel)}, Frame::StatusPoll, 0, i};
}

int BusScheduler::answer(const MotorTarget &from, int motorPercent, std::uint8_t status)
{
    // The answer names its ID and channels; of the covers it may be, the one
    // polled is preferred.
    int index = -1;
    for (int i = 0; i < m_covers.size(); ++i) {
        const Cover &c = m_covers[i];
        if (c.config.id == from.id && from.channels.channel(c.config.channel) && (index < 0 || c.pollPending))
            index = i;
    }
    if (index < 0)
        return -1;
    Cover &c = m_covers[index];
    m_silentPolls = 0;
    // Back from offline, a changed position says where it went, not that it moves.
    const bool wasOnline = std::exchange(c.online, true);
    c.unanswered = 0;
    c.pollPending = false;
    c.status = status;
    // A motor may set the known bit yet send no position: still unknown here.
    c.known = (status & Frame::StatusPositionKnown) && motorPercent != UnknownPercent;
    c.moving = wasOnline && c.known && c.percent && *c.percent != motorPercent;
    // Moved by a group, a wall switch or a remote as well as from here.
    if (c.moving)
        c.seen = Topics::haPosition(motorPercent, c.config.invert) > Topics::haPosition(*c.percent, c.config.invert)
            ? Opening
            : Closing;
    else
        c.seen = None;
    c.percent = c.known ? std::optional<int>(motorPercent) : std::nullopt;
    if (c.direction != None && ++c.answersSinceCommand > SettleAnswers && !c.moving)
        c.direction = None;
    return index;
}

void BusScheduler::portLost()
{
    m_queue.clear();
    m_lastPolled = -1;
    m_silentPolls = 0;
    for (Cover &c : m_covers) {
        c.online = false;
        c.pollPending = false;
        c.unanswered = 0;
        c.direction = None;
        c.moving = false;
        c.seen = None;
    }
}

void BusScheduler::addCover(const CoverConfig &cover)
{
    Cover c;
    c.config = cover;
    m_covers.append(c);
}

void BusScheduler::markMissing(int i)
{
    m_covers[i].online = false;
    m_covers[i].unanswered = OfflineAfterPolls;
}

void BusScheduler::removeCover(int i)
{
    m_covers.removeAt(i);
    m_lastPolled = -1;
}

CoverView BusScheduler::view(int i) const
{
    const Cover &c = m_covers[i];
    CoverView v;
    v.online = c.online;
    v.positionKnown = c.known;
    v.motorPercent = c.percent.value_or(0);
    if (c.percent)
        v.position = Topics::haPosition(*c.percent, c.config.invert);
    for (int n = 1; n <= 4; ++n)
        if (c.status & Frame::limitPointBit(n))
            v.limitPoints.append(n);
    const Direction direction = c.direction != None ? c.direction : c.seen;
    if (direction == Opening)
        v.state = u"opening"_qs;
    else if (direction == Closing)
        v.state = u"closing"_qs;
    else
        v.state = v.position == 100 ? u"open"_qs : v.position == 0 ? u"closed"_qs : u"stopped"_qs;
    return v;
}
