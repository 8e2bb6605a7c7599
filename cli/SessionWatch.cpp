// Session: motion commands and their confirmation, status, the monitor.
#include "Session.h"

#include "CliText.h"

#include <QJsonArray>

using K = CommandRow::Kind;

namespace {

bool isRead(Byte function)
{
    return function == Frame::ReadBasic || function == Frame::ReadExtended;
}

QStringList limitPoints(Byte status)
{
    QStringList points;
    for (int n = 1; n <= 4; ++n)
        if (status & Frame::limitPointBit(n))
            points << QString::number(n);
    return points;
}

} // namespace

void Session::proceed()
{
    switch (m_req.kind()) {
    case K::Set:
        m_phase = Phase::Writing;
        m_writes = {m_req.change};
        whenIdle([this] { nextWrite(); });
        return;
    case K::Status:
        m_link.setTarget(*requestedTarget());
        m_link.setStatusPolling(true); // the link polls this motor now
        m_phase = Phase::Watching;
        m_waitTicks = 0;
        return;
    case K::Monitor:
        m_link.setStatusPolling(!m_req.targets.isEmpty()); // --poll: the link polls that motor now
        m_phase = Phase::Monitoring;
        return;
    default:
        m_phase = Phase::Sending;
        whenIdle([this] { sendToTarget(); });
        return;
    }
}

void Session::sendToTarget()
{
    m_link.setTarget(*requestedTarget());
    m_sent = 0;
    m_link.sendCommand(m_req.function, m_req.data);
}

void Session::onFrameSent(Byte function, Byte data)
{
    if (isRead(function)) {
        m_readOutstanding = true;
        m_quietTicks = 0;
        if (m_writing)
            ++m_readFrames;
    }
    if (m_phase != Phase::Sending || function != m_req.function || data != m_req.data || ++m_sent != 2)
        return;
    const Target &t = *requestedTarget();
    const bool withNumber = m_req.kind() == K::Goto || m_req.kind() == K::Limit;
    const QString what = withNumber ? QStringLiteral("%1 %2").arg(QLatin1String(m_req.command->name)).arg(data)
                                    : QLatin1String(m_req.command->name);
    if (!singleMotor(t)) {
        // A group or several channels: several motors may answer at once, so
        // no answer can confirm it.
        endTarget(Done, say(CliText::CliSentUnconfirmable).arg(what, printTarget(t)));
        return;
    }
    // One motor on one channel: its status answer after the command confirms it.
    m_out.say(say(CliText::CliSent).arg(what, printTarget(t)), true);
    m_phase = Phase::Confirming;
    m_waitTicks = 0;
    m_discardedBytes = 0;
    m_discardKinds.clear();
    m_link.setStatusPolling(true);
}

void Session::onStatusAnswer(const Target &from, int position, Byte status)
{
    if (m_finished)
        return;
    const Target *t = requestedTarget();
    const bool silence = from.id == 0;
    if (!silence && (!t || from.id != t->id))
        return; // another motor's answer
    if (m_phase == Phase::Confirming) {
        m_link.setStatusPolling(false);
        if (silence)
            endTarget(NoAnswer,
                      say(CliText::CliNoConfirmation)
                          .arg(QLatin1String(m_req.command->name), printTarget(*t), where(), silenceReason()));
        else
            endTarget(Done, say(CliText::CliConfirmedBy).arg(QLatin1String(m_req.command->name), printTarget(*t)));
        return;
    }
    if (m_phase != Phase::Watching)
        return;
    if (!silence)
        m_waitTicks = 0;
    printStatus(from, position, status);
}

void Session::printStatus(const Target &from, int position, Byte status)
{
    const Target &t = *requestedTarget();
    const bool answering = from.id != 0;
    QString line;
    if (!answering) {
        line = say(CliText::CliStatusSilent).arg(printTarget(t), where(), silenceReason());
    } else {
        const QStringList limits = limitPoints(status);
        line = (position < 0 ? say(CliText::CliStatusUnknown) : say(CliText::CliStatusPosition).arg(position))
            + QStringLiteral(", ")
            + (limits.isEmpty() ? say(CliText::CliStatusNoLimits)
                                : say(CliText::CliStatusLimits).arg(limits.join(u',')));
    }
    const bool changed = line != m_lastStatus;
    m_lastStatus = line;
    if (changed || !m_req.watch) {
        QJsonObject o = targetFields(t);
        o.insert(QStringLiteral("answering"), answering);
        o.insert(QStringLiteral("position"), position < 0 || !answering ? QJsonValue() : QJsonValue(position));
        QJsonArray points;
        for (const QString &n : limitPoints(answering ? status : 0))
            points << n.toInt();
        o.insert(QStringLiteral("limits"), points);
        m_out.record(Record::Status, o);
        if (answering || m_req.watch)
            m_out.say(line);
    }
    if (!m_req.watch)
        endTarget(answering ? Done : NoAnswer, answering ? QString() : line);
}
