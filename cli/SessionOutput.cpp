// Session: the records of a run: where it is, why a motor was silent, each
// target's result, the summary, and what an interrupt left unconfirmed.
#include "Session.h"

#include "CliText.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <csignal>

using namespace SessionStep;

namespace {

// A word the shell takes as it stands, else the word in single quotes.
QString shellQuoted(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:,@%+=-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

} // namespace

QString Session::where() const
{
    if (!m_rateKnown && std::holds_alternative<Reading>(m_step))
        return say(CliText::CliWhereScan).arg(m_port);
    return say(CliText::CliWhere).arg(m_port).arg(m_link.rateBps());
}

QString Session::silenceReason() const
{
    if (m_facts.collided)
        return sayWord(Word::MonCollision);
    if (m_facts.sharedAtBps && requestedTarget())
        return say(CliText::CliSeveralInTurn).arg(requestedTarget()->id).arg(m_facts.sharedAtBps);
    if (m_facts.discardedBytes == 0 && !m_facts.otherAnswers.isEmpty())
        return say(CliText::CliOnlyOthers).arg(m_facts.otherAnswers.join(QStringLiteral(", ")));
    if (m_facts.discardedBytes == 0)
        return say(CliText::CliNoBytes);
    return say(CliText::CliInvalidBytes)
        .arg(m_facts.discardedBytes)
        .arg(m_facts.discardKinds.join(QStringLiteral(", ")));
}

QJsonObject Session::targetFields(const std::optional<MotorTarget> &t) const
{
    if (!t)
        return {{QStringLiteral("id"), QJsonValue()}, {QStringLiteral("channels"), QJsonValue()}};
    return {{QStringLiteral("id"), t->id}, {QStringLiteral("channels"), channelArray(t->channels)}};
}

QJsonObject Session::withLine(QJsonObject fields) const
{
    fields.insert(QStringLiteral("port"), m_port.isEmpty() ? QJsonValue() : QJsonValue(m_port));
    fields.insert(QStringLiteral("rate"), m_rateKnown ? QJsonValue(m_link.rateBps()) : QJsonValue());
    return fields;
}

const MotorTarget *Session::requestedTarget() const
{
    return m_targetIndex < m_req.targets.size() ? &m_req.targets[m_targetIndex] : nullptr;
}

SettingValues Session::motorValues() const
{
    return m_facts.reported ? m_facts.reported->values : m_link.values();
}

std::optional<MotorTarget> Session::actedOn() const
{
    const MotorTarget *t = requestedTarget();
    // A motion command or a status poll acts on the ID and channels asked for.
    if (t && (m_req.command->movesCurtains() || m_req.command->kind == CommandRow::Kind::Status))
        return *t;
    // Settings belong to the motor as it reported itself (its ID and every
    // channel), unless another motor answered for the target.
    if (m_facts.reported && (!t || t->id == 0 || t->id == m_facts.reported->target.id))
        return m_facts.reported->target;
    if (t)
        return *t;
    return std::nullopt; // no target named and no motor reported
}

void Session::recordResult(int code, const QString &message)
{
    const std::optional<MotorTarget> target = actedOn();
    m_outcomes << Outcome {target, code, message};
    QJsonObject o = withLine(targetFields(target));
    o.insert(QStringLiteral("command"), QLatin1String(m_req.command->name));
    o.insert(QStringLiteral("exit"), code);
    o.insert(QStringLiteral("message"), message);
    m_out.record(Record::Result, o);
}

void Session::closeRun(int code)
{
    if (isFinished())
        return;
    // The targets never begun have their result too, so that a script sees every one.
    for (qsizetype i = m_outcomes.size(); i < m_req.targets.size(); ++i) {
        QJsonObject o = targetFields(m_req.targets[i]);
        o.insert(QStringLiteral("command"), QLatin1String(m_req.command->name));
        o.insert(QStringLiteral("exit"), QJsonValue());
        o.insert(QStringLiteral("message"), say(CliText::CliNotTried));
        m_out.record(Record::Result, o);
    }
    int worst = code;
    for (const Outcome &done : std::as_const(m_outcomes))
        worst = std::max(worst, done.code);
    printSummary(worst);
    finish(worst);
}

void Session::printSummary(int worst)
{
    int failed = 0;
    QJsonArray results;
    QStringList lines;
    const auto printed = [](const std::optional<MotorTarget> &t) { return t ? printTarget(*t) : QStringLiteral("-"); };
    for (const Outcome &done : std::as_const(m_outcomes)) {
        failed += done.code != Done;
        QJsonObject r = targetFields(done.target);
        r.insert(QStringLiteral("exit"), done.code);
        r.insert(QStringLiteral("message"), done.message);
        results << r;
        lines << QStringLiteral("  %1  %2  %3")
                     .arg(printed(done.target).leftJustified(10),
                          done.code == Done ? say(CliText::CliOk) : say(CliText::CliFailed).arg(done.code),
                          done.message.section(u'\n', 0, 0));
    }
    for (qsizetype i = m_outcomes.size(); i < m_req.targets.size(); ++i) {
        QJsonObject r = targetFields(m_req.targets[i]);
        r.insert(QStringLiteral("exit"), QJsonValue());
        r.insert(QStringLiteral("message"), say(CliText::CliNotTried));
        results << r;
        lines << QStringLiteral("  %1  %2")
                     .arg(printTarget(m_req.targets[i]).leftJustified(10), say(CliText::CliNotTried));
    }
    const int done = int(m_outcomes.size()) - failed;
    const int skipped = int(std::max<qsizetype>(0, m_req.targets.size() - m_outcomes.size()));
    // People read a summary of a batch; scripts get one in every run.
    if (m_req.targets.size() > 1)
        m_out.say(say(CliText::CliSummary).arg(QLatin1String(m_req.command->name)).arg(done).arg(failed).arg(skipped)
                  + u'\n' + lines.join(u'\n'));
    m_out.record(Record::Summary,
                 {{QStringLiteral("command"), QLatin1String(m_req.command->name)},
                  {QStringLiteral("done"), done},
                  {QStringLiteral("failed"), failed},
                  {QStringLiteral("skipped"), skipped},
                  {QStringLiteral("exit"), worst},
                  {QStringLiteral("results"), results}});
}

void Session::interrupt(int signal)
{
    if (isFinished())
        return;
    const int code = signal == SIGTERM ? Terminated : Interrupted;
    // Frames are written whole within one tick: no tick, no further frame.
    m_link.halt();
    if (m_req.kind() == CommandRow::Kind::Monitor || (std::holds_alternative<Watching>(m_step) && m_req.watch)) {
        recordResult(code, say(CliText::CliStopped)); // the way these commands end
        closeRun(code);
        return;
    }
    const MotorTarget target = actedOn().value_or(m_link.target());
    const auto *writing = std::get_if<Writing>(&m_step);
    if (writing && writing->underWay && m_link.writeWentOut()) {
        const QString readBack = QStringList {QStringLiteral("tavik-cli"),
                                              QStringLiteral("--port"),
                                              shellQuoted(m_port),
                                              QStringLiteral("--baud"),
                                              QString::number(m_link.rateBps()),
                                              QStringLiteral("--target"),
                                              printTarget(target),
                                              QStringLiteral("read")}
                                     .join(u' ');
        fail(code,
             say(CliText::CliInterruptedWrite)
                 .arg(QLatin1String(writing->underWay->setting->name), printTarget(target), readBack));
    } else if (m_facts.commandFrames > 0) {
        fail(code, say(CliText::CliInterruptedCommand).arg(QLatin1String(m_req.command->name), printTarget(target)));
    } else {
        fail(code, say(CliText::CliInterrupted));
    }
}
