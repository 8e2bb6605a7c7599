// Session: the Sending and Confirming steps of the motion commands: the
// command goes out twice, and one motor on one channel confirms it with its
// next status answer.  Also where every sent read is noted.
#include "Session.h"

#include "CliText.h"

using K = CommandRow::Kind;
using namespace SessionStep;

namespace {

bool isRead(Byte function)
{
    return function == Frame::ReadBasic || function == Frame::ReadExtended;
}

} // namespace

void Session::sendToTarget()
{
    m_link.setTarget(*requestedTarget());
    m_facts.commandFrames = 0;
    m_link.sendCommand(m_req.function, m_req.data);
}

void Session::onFrameSent(Byte function, Byte data)
{
    // Read-backs only: the question before a write is no read-back.
    if (auto *writing = std::get_if<Writing>(&m_step);
        isRead(function) && writing && writing->underWay && m_link.writeWentOut())
        ++writing->readFrames;
    if (!std::holds_alternative<Sending>(m_step) || function != m_req.function || data != m_req.data
        || ++m_facts.commandFrames != 2)
        return;
    const MotorTarget &t = *requestedTarget();
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
    enter(Confirming {});
    m_facts.discardedBytes = 0;
    m_facts.discardKinds.clear();
    m_link.setStatusPolling(true);
}

void Session::confirmCommand(bool silence)
{
    const MotorTarget &t = *requestedTarget();
    m_link.setStatusPolling(false);
    if (silence)
        endTarget(NoAnswer,
                  say(CliText::CliNoConfirmation)
                      .arg(QLatin1String(m_req.command->name), printTarget(t), where(), silenceReason()));
    else
        endTarget(Done, say(CliText::CliConfirmedBy).arg(QLatin1String(m_req.command->name), printTarget(t)));
}
