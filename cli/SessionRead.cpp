// Session: the Reading step: the target's motor reports itself (the basic
// report, then the extended one for read and apply), or the wait runs out.
#include "Session.h"

#include "CliText.h"
#include "MotorSettings.h"

using K = CommandRow::Kind;
using namespace SessionStep;

void Session::readTarget()
{
    // A group's read reaches every motor: whoever answers alone is read by
    // name next (onBasicRead).
    const MotorTarget *t = requestedTarget();
    m_link.read({t && !t->isGroup() ? *t : m_link.target(), Frame::ReadBasic});
}

void Session::onReadDone(const ReadResult &result)
{
    // Canceled: the port's loss or closing ends the run in its own words.
    if (result.outcome == ReadResult::Outcome::Canceled || !std::holds_alternative<Reading>(m_step))
        return;
    noteAnswers(result);
    if (m_search)
        rateSearchRead(result);
    else if (result.request.readFunction == Frame::ReadExtended)
        onExtendedRead(result);
    else
        onBasicRead(result);
}

void Session::noteAnswers(const ReadResult &result)
{
    using O = ReadResult::Outcome;
    // Garbled answers were noted as they came, with their kind; clean ones in turn only here.
    if (result.outcome == O::SeveralAnswered && m_facts.discardedBytes == 0)
        m_facts.sharedAtBps = result.rateBps;
    if (result.outcome == O::OtherMotor && result.answered && !result.request.motor.isGroup()
        && !m_facts.otherAnswers.contains(printTarget(*result.answered)))
        m_facts.otherAnswers << printTarget(*result.answered); // for the reason, if the target stays silent
}

void Session::onBasicRead(const ReadResult &result)
{
    if (result.request.motor.isGroup() && result.outcome == ReadResult::Outcome::OtherMotor) {
        m_link.read({*result.answered, Frame::ReadBasic});
        return;
    }
    if (!result.read()) {
        notReported();
        return;
    }
    basicReported(*result.answered, *result.values);
}

void Session::onExtendedRead(const ReadResult &result)
{
    if (!m_facts.reported)
        return;
    if (!result.read()) {
        endTarget(NoAnswer,
                  say(CliText::CliNoExtended).arg(printTarget(m_facts.reported->target), where(), silenceReason()));
        return;
    }
    SettingValues &motor = m_facts.reported->values;
    motor.jogTime = result.values->jogTime;
    motor.obstacleSensitivity = result.values->obstacleSensitivity;
    motor.reboundTime = result.values->reboundTime;
    afterRead();
}

void Session::notReported()
{
    // The monitor shows the line all the same; an ID write asks the line
    // itself; a forced write goes out blind.
    if (m_req.kind() == K::Monitor || (m_req.kind() == K::Set && m_req.force)
        || (m_req.kind() == K::Set && m_req.change.setting->kind() == Settings::Kind::Address)) {
        proceed();
        return;
    }
    const MotorTarget *t = requestedTarget();
    const bool writes = m_req.kind() == K::Set || m_req.kind() == K::Apply;
    if (t && writes && (m_facts.collided || m_facts.sharedAtBps || !m_facts.otherAnswers.isEmpty())) {
        const QString why = m_facts.collided ? say(CliText::CliRefusedAtOnce).arg(t->id).arg(m_facts.collidedAtBps)
            : m_facts.sharedAtBps
            ? say(CliText::CliRefusedShared).arg(t->id).arg(m_facts.sharedAtBps)
            : say(CliText::CliNotOnLine).arg(printTarget(*t), m_facts.otherAnswers.join(QStringLiteral(", ")));
        endTarget(NoAnswer, say(CliText::CliNothingWritten).arg(printTarget(*t), why));
        return;
    }
    endTarget(NoAnswer,
              t ? say(CliText::CliNoAnswerFrom).arg(printTarget(*t), where(), silenceReason())
                : say(CliText::CliNoMotor).arg(where(), silenceReason()));
}

bool Session::fromTargetUnderWay(const MotorTarget &reported) const
{
    // Another motor's answer to a group read: shown on the wire, and
    // otherwise left alone.  A motor of the ID without every channel named
    // is another motor: a setting written to it would not be the named motor's.
    const MotorTarget *t = requestedTarget();
    const quint16 named = t ? t->channels.word() : 0;
    return !t || t->id == 0 || (reported.id == t->id && (reported.channels.word() & named) == named);
}

void Session::onBasicReport(const SettingValues &values, const MotorTarget &reported)
{
    // Only a scan's report: reads by name give their values with their result.
    if (!std::holds_alternative<Reading>(m_step) || m_facts.reported || m_search)
        return;
    if (!fromTargetUnderWay(reported)) {
        if (!m_facts.otherAnswers.contains(printTarget(reported)))
            m_facts.otherAnswers << printTarget(reported); // for the reason, if the target stays silent
        return;
    }
    basicReported(reported, values);
}

void Session::basicReported(const MotorTarget &reported, const SettingValues &values)
{
    m_rateKnown = true;
    ReportedMotor &motor = m_facts.reported.emplace();
    motor.target = reported;
    motor.values.deviceBaudCode = values.deviceBaudCode;
    motor.values.dryContactMode = values.dryContactMode;
    motor.values.maxSpeed = values.maxSpeed;
    motor.values.curtainFunctions = values.curtainFunctions;
    // The reported motor is the target from now on, as after the window's scan.
    if (reported.id >= 1 && reported.id <= MotorSettings::MaxId && m_link.target() != reported)
        m_link.setTarget(reported);
    m_link.dropExtendedRead(); // a scan's own: the read by name below serves the ones that want it
    if (std::get<Reading>(m_step).needsExtended) {
        m_link.read({reported, Frame::ReadExtended});
        return;
    }
    afterRead();
}

void Session::afterRead()
{
    const MotorTarget reported = m_facts.reported->target;
    const SettingValues &motor = m_facts.reported->values;
    switch (m_req.kind()) {
    case K::Scan: {
        m_out.say(say(CliText::CliScanFound)
                      .arg(m_link.rateBps())
                      .arg(reported.id)
                      .arg(printTarget(reported).section(u':', 1))
                  + u' ' + say(CliText::CliOnPort).arg(m_port));
        QJsonObject o = targetFields(reported);
        o.insert(QStringLiteral("port"), m_port);
        o.insert(QStringLiteral("rate"), m_link.rateBps());
        m_out.record(Record::Scan, o);
        endTarget(Done, {});
        return;
    }
    case K::Read:
        for (const SettingName &s : settingNames())
            if (s.inReport)
                m_out.say(QStringLiteral("%1%2").arg(QString::fromLatin1(s.name).leftJustified(14),
                                                     s.print(motor, reported)));
        m_out.record(Record::Settings, writeProfile(motor, reported));
        endTarget(Done, {});
        return;
    case K::Apply: planAndApply(); return;
    default: proceed(); return;
    }
}
