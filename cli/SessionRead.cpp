// Session: the Reading step: the target's motor reports itself (the basic
// report, then the extended one for read and apply), or the wait runs out.
#include "Session.h"

#include "CliText.h"
#include "MotorSettings.h"

using K = CommandRow::Kind;
using namespace SessionStep;

bool Session::readingTimedOut(Reading &reading)
{
    ++reading.ticks;
    if (m_search && !rateSearchTick(reading))
        return false;
    if (m_search || !std::holds_alternative<Reading>(m_step))
        return true;
    if (!m_facts.reported) {
        const bool over = m_rateKnown ? reading.ticks > BasicAnswerTicks : !m_link.scanning() || findsRateOfTarget();
        if (!over)
            return false;
        // The monitor shows the line all the same; an ID write asks the line
        // itself; a forced write goes out blind.
        if (m_req.kind() == K::Monitor || (m_req.kind() == K::Set && m_req.force)
            || (m_req.kind() == K::Set && m_req.change.setting->kind() == Settings::Kind::Address)) {
            proceed();
            return true;
        }
        const MotorTarget *t = requestedTarget();
        const bool writes = m_req.kind() == K::Set || m_req.kind() == K::Apply;
        if (t && writes && (m_facts.collided || !m_facts.otherAnswers.isEmpty())) {
            const QString why = m_facts.collided
                ? say(CliText::CliRefusedAtOnce).arg(t->id).arg(m_facts.collidedAtBps)
                : say(CliText::CliNotOnLine).arg(printTarget(*t), m_facts.otherAnswers.join(QStringLiteral(", ")));
            endTarget(NoAnswer, say(CliText::CliNothingWritten).arg(printTarget(*t), why));
            return true;
        }
        endTarget(NoAnswer,
                  t ? say(CliText::CliNoAnswerFrom).arg(printTarget(*t), where(), silenceReason())
                    : say(CliText::CliNoMotor).arg(where(), silenceReason()));
        return true;
    }
    if (reading.needsExtended && reading.ticks > ExtendedAnswerTicks) {
        endTarget(NoAnswer,
                  say(CliText::CliNoExtended).arg(printTarget(m_facts.reported->target), where(), silenceReason()));
        return true;
    }
    return false;
}

bool Session::fromTargetUnderWay(const MotorTarget &reported) const
{
    // A late or duplicated answer of the motor before, or another motor's
    // answer to a group read: shown on the wire, and otherwise left alone.
    // A motor of the ID without every channel named is another motor: a
    // setting written to it would not be the named motor's.
    const MotorTarget *t = requestedTarget();
    if (m_facts.reported)
        return reported == m_facts.reported->target;
    const quint16 named = t ? t->channels.word() : 0;
    return !t || t->id == 0 || (reported.id == t->id && (reported.channels.word() & named) == named);
}

void Session::onBasicReport(const SettingValues &values, const MotorTarget &reported)
{
    if (m_search && m_search->anyAnswer) {
        heardDuringSearch(); // an ID write's rate is wherever a motor answers
        return;
    }
    if (!fromTargetUnderWay(reported)) {
        if (!m_facts.otherAnswers.contains(printTarget(reported)))
            m_facts.otherAnswers << printTarget(reported); // for the reason, if the target stays silent
        return;
    }
    Reading *reading = readAnswered();
    if (!reading)
        return;
    if (m_search) {
        heardDuringSearch(); // the search goes on to the next rate on its tick
        return;
    }
    m_rateKnown = true;
    if (!m_facts.reported)
        m_facts.reported.emplace();
    ReportedMotor &motor = *m_facts.reported;
    motor.target = reported;
    motor.values.deviceBaudCode = values.deviceBaudCode;
    motor.values.dryContactMode = values.dryContactMode;
    motor.values.maxSpeed = values.maxSpeed;
    motor.values.curtainFunctions = values.curtainFunctions;
    reading->ticks = 0; // from now on the wait for the extended report
    reportsComplete(reading->needsExtended, false);
}

void Session::onExtendedReport(const SettingValues &values, const MotorTarget &reported)
{
    if (!m_facts.reported || !fromTargetUnderWay(reported))
        return;
    Reading *reading = readAnswered();
    if (!reading)
        return;
    SettingValues &motor = m_facts.reported->values;
    motor.jogTime = values.jogTime;
    motor.obstacleSensitivity = values.obstacleSensitivity;
    motor.reboundTime = values.reboundTime;
    reportsComplete(reading->needsExtended, true);
}

void Session::reportsComplete(bool needsExtended, bool extendedCame)
{
    const MotorTarget reported = m_facts.reported->target;
    // The reported motor is the target from now on, as after the window's scan.
    if (reported.id >= 1 && reported.id <= MotorSettings::MaxId && m_link.target() != reported)
        m_link.setTarget(reported);
    if (!needsExtended) {
        m_link.dropExtendedRead(); // nothing here needs the extended report
    } else if (!extendedCame) {
        m_link.readExtended();
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
