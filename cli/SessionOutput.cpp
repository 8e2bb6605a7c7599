// Session: how each target ends, errors, the summary and interrupts.
#include "Session.h"

#include "CliText.h"

#include <QJsonArray>

QString Session::where() const
{
    if (!m_rateKnown && m_phase == Phase::Reading)
        return say("CliWhereScan").arg(m_port);
    return say("CliWhere").arg(m_port).arg(m_link.rateBps());
}

QString Session::silenceReason() const
{
    if (m_discardedBytes == 0)
        return say("CliNoBytes");
    return say("CliInvalidBytes").arg(m_discardedBytes).arg(m_discardKinds.join(QStringLiteral(", ")));
}

QJsonObject Session::targetFields(const Target &t) const
{
    return {{QStringLiteral("id"), t.id}, {QStringLiteral("channels"), channelArray(t.mask)}};
}

Target Session::actedOn() const
{
    const Target *t = requestedTarget();
    // A motion command or a status poll acts on the ID and channels asked for.
    if (t && (m_req.command->movesCurtains() || m_req.command->kind == CommandRow::Kind::Status))
        return *t;
    // Settings belong to the motor as it reported itself (its ID and every
    // channel), unless another motor answered for the target.
    if (m_haveBasic && (!t || t->id == 0 || t->id == m_reported.id))
        return m_reported;
    return t ? *t : m_link.target();
}

void Session::endTarget(int code, const QString &message)
{
    if (m_finished)
        return;
    const Target target = actedOn();
    m_outcomes << Outcome {target, code, message};
    QJsonObject o = targetFields(target);
    o.insert(QStringLiteral("command"), QLatin1String(m_req.command->name));
    o.insert(QStringLiteral("port"), m_port);
    o.insert(QStringLiteral("rate"), m_link.rateBps());
    o.insert(QStringLiteral("exit"), code);
    if (code != Done)
        m_out.error(message, o);
    else if (!message.isEmpty())
        m_out.say(message, true);
    o.insert(QStringLiteral("message"), message);
    m_out.record(Record::Result, o);

    m_phase = Phase::Done;
    m_link.setStatusPolling(false);
    if (++m_targetIndex < m_req.targets.size()) {
        whenIdle([this] { beginTarget(); });
        return;
    }
    int worst = Done;
    for (const Outcome &done : std::as_const(m_outcomes))
        worst = std::max(worst, done.code);
    if (m_req.targets.size() > 1)
        printSummary();
    finish(worst);
}

void Session::printSummary()
{
    int failed = 0;
    int worst = Done;
    QJsonArray results;
    QStringList lines;
    for (const Outcome &done : std::as_const(m_outcomes)) {
        failed += done.code != Done;
        worst = std::max(worst, done.code);
        QJsonObject r = targetFields(done.target);
        r.insert(QStringLiteral("exit"), done.code);
        r.insert(QStringLiteral("message"), done.message);
        results << r;
        lines << QStringLiteral("  %1  %2  %3")
                     .arg(printTarget(done.target).leftJustified(10),
                          done.code == Done ? say("CliOk") : say("CliFailed").arg(done.code),
                          done.message.section(u'\n', 0, 0));
    }
    for (qsizetype i = m_outcomes.size(); i < m_req.targets.size(); ++i)
        lines << QStringLiteral("  %1  %2").arg(printTarget(m_req.targets[i]).leftJustified(10), say("CliNotTried"));
    const int done = int(m_outcomes.size()) - failed;
    const int skipped = int(m_req.targets.size() - m_outcomes.size());
    m_out.say(say("CliSummary").arg(QLatin1String(m_req.command->name)).arg(done).arg(failed).arg(skipped) + u'\n'
              + lines.join(u'\n'));
    m_out.record(Record::Summary,
                 {{QStringLiteral("command"), QLatin1String(m_req.command->name)},
                  {QStringLiteral("done"), done},
                  {QStringLiteral("failed"), failed},
                  {QStringLiteral("skipped"), skipped},
                  {QStringLiteral("exit"), worst},
                  {QStringLiteral("results"), results}});
}

void Session::fail(int code, const QString &message)
{
    if (m_finished)
        return;
    QJsonObject o = targetFields(actedOn());
    o.insert(QStringLiteral("port"), m_port);
    o.insert(QStringLiteral("exit"), code);
    if (!m_port.isEmpty())
        o.insert(QStringLiteral("rate"), m_link.rateBps());
    m_out.error(message, o);
    m_outcomes << Outcome {actedOn(), code, message.section(u'\n', 0, 0)};
    int worst = code;
    for (const Outcome &done : std::as_const(m_outcomes))
        worst = std::max(worst, done.code);
    if (m_req.targets.size() > 1)
        printSummary();
    finish(worst);
}

void Session::finish(int code)
{
    if (m_finished)
        return;
    m_finished = true;
    m_phase = Phase::Done;
    m_idleStep = nullptr;
    m_link.halt();
    emit finished(code);
}

void Session::interrupt()
{
    if (m_finished)
        return;
    // Frames are written whole within one tick: no tick, no further frame.
    m_link.halt();
    if (m_req.kind() == CommandRow::Kind::Monitor || (m_phase == Phase::Watching && m_req.watch)) {
        finish(Done);
        return;
    }
    const Target target = actedOn();
    if (m_writing && m_link.writeWentOut()) {
        const QString readBack = QStringLiteral("tavik-cli --port %1 --baud %2 --target %3 read")
                                     .arg(m_port)
                                     .arg(m_link.rateBps())
                                     .arg(printTarget(target));
        fail(Interrupted,
             say("CliInterruptedWrite").arg(QLatin1String(m_writing->setting->name), printTarget(target), readBack));
    } else if (m_sent > 0) {
        fail(Interrupted, say("CliInterruptedCommand").arg(QLatin1String(m_req.command->name), printTarget(target)));
    } else {
        fail(Interrupted, say("CliInterrupted"));
    }
}
