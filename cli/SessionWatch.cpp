// Session: status answers, which the Confirming and Watching steps wait on,
// and the status lines of Watching.  Monitoring waits on nothing: the wire
// lines show the line until the run is stopped.
#include "Session.h"

#include "CliText.h"

#include <QJsonArray>

using namespace SessionStep;

namespace {

QStringList limitPoints(Byte status)
{
    QStringList points;
    for (int n = 1; n <= 4; ++n)
        if (status & Frame::limitPointBit(n))
            points << QString::number(n);
    return points;
}

} // namespace

void Session::onStatusAnswer(const MotorTarget &from, int position, Byte status)
{
    if (isFinished())
        return;
    const MotorTarget *t = requestedTarget();
    const bool silence = from.id == 0;
    if (!silence && (!t || from.id != t->id))
        return; // another motor's answer
    if (std::holds_alternative<Confirming>(m_step)) {
        confirmCommand(silence);
        return;
    }
    auto *watching = std::get_if<Watching>(&m_step);
    if (!watching)
        return;
    if (!silence)
        watching->silentTicks = 0;
    printStatus(*watching, from, position, status);
}

void Session::printStatus(Watching &watching, const MotorTarget &from, int position, Byte status)
{
    const MotorTarget &t = *requestedTarget();
    const bool answering = from.id != 0;
    QString line;
    if (!answering) {
        line = say(CliText::CliStatusSilent).arg(printTarget(t), where(), silenceReason());
    } else {
        const QStringList limits = limitPoints(status);
        line = (position == UnknownPercent ? say(CliText::CliStatusUnknown)
                                           : say(CliText::CliStatusPosition).arg(position))
            + QStringLiteral(", ")
            + (limits.isEmpty() ? say(CliText::CliStatusNoLimits)
                                : say(CliText::CliStatusLimits).arg(limits.join(u',')));
    }
    const bool changed = line != watching.lastLine;
    watching.lastLine = line; // the output below may end the run and the step with it
    if (changed || !m_req.watch) {
        QJsonObject o = targetFields(t);
        o.insert(QStringLiteral("answering"), answering);
        o.insert(QStringLiteral("position"),
                 position == UnknownPercent || !answering ? QJsonValue() : QJsonValue(position));
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
