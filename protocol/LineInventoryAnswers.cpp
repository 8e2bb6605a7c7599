// The reading of answers during a line inventory: which ask an answer or a
// garble belongs to, what is asked again, and what is recorded.
#include "LineInventory.h"

#include "InventoryChannels.h"

#include <algorithm>

using inventory::firstChannel;
using inventory::hasChannel;

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
