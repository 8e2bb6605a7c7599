// Session: set and apply, the plan and the confirmed writes.
#include "Session.h"

#include "CliText.h"

using K = CommandRow::Kind;

namespace {

// The ID, channels and line rate: a profile writes them only with --address.
bool isAddress(const SettingName &s)
{
    return s.form == SettingName::Form::Target || s.item == Settings::BaudCode;
}

} // namespace

void Session::onIdWriteRefused(LinkDriver::IdWriteRefusal why)
{
    if (!m_writing || m_finished)
        return;
    m_writing.reset();
    const CliText reason = why == LinkDriver::IdWriteRefusal::NoneAnswered ? CliText::CliIdNoneAnswered
        : why == LinkDriver::IdWriteRefusal::SeveralAnswered               ? CliText::CliIdSeveralAnswered
                                                                           : CliText::CliIdGarbled;
    endTarget(NoAnswer, say(CliText::CliIdWriteRefused).arg(say(reason), where()));
}

QString Session::forcedNote() const
{
    const bool forced = m_req.kind() == CommandRow::Kind::Set && !m_req.change.setting->inReport;
    return forced ? u' ' + say(CliText::CliForcedWrite) : QString();
}

void Session::planLine(const QString &text)
{
    // In a batch the lines of several motors follow each other: each names its motor.
    m_out.say(printTarget(m_reported) + QStringLiteral("  ") + text, true);
}

void Session::planAndApply()
{
    QStringList kept;
    for (const Change &c : m_req.profile.changes) {
        const SettingName &s = *c.setting;
        Target to = m_reported;
        FeatureValues after = m_motor;
        if (s.form == SettingName::Form::Target) {
            if (c.target == m_reported)
                continue;
            to = c.target;
        } else {
            after.*s.field() = c.applied(m_motor.*s.field());
            if (after.*s.field() == m_motor.*s.field())
                continue;
        }
        QJsonObject o = targetFields(m_reported);
        o.insert(QStringLiteral("setting"), QLatin1String(s.name));
        o.insert(QStringLiteral("from"), s.toJson(m_motor, m_reported));
        o.insert(QStringLiteral("to"), s.toJson(after, to));
        const bool keep = isAddress(s) && !m_req.address;
        o.insert(QStringLiteral("kept"), keep);
        m_out.record(Record::Plan, o);
        if (keep) {
            planLine(
                say(CliText::CliPlanKept).arg(QLatin1String(s.name), s.print(m_motor, m_reported), s.print(after, to)));
            kept << QLatin1String(s.name);
            continue;
        }
        m_writes << c;
        if (s.form == SettingName::Form::Switches) {
            // Only the switches that change: the other five would hide them.
            const Byte before = m_motor.*s.field();
            QStringList changes;
            for (const CurtainSwitch &sw : curtainSwitches())
                if ((before ^ after.*s.field()) & sw.mask)
                    changes << QStringLiteral("%1=%2").arg(
                        QLatin1String(sw.name), QLatin1String(after.*s.field() & sw.mask ? sw.set : sw.clear));
            planLine(say(CliText::CliPlanSwitches).arg(QLatin1String(s.name), changes.join(u' ')));
        } else {
            planLine(say(CliText::CliPlanChange)
                         .arg(QLatin1String(s.name), s.print(m_motor, m_reported), s.print(after, to)));
        }
    }
    if (!kept.isEmpty())
        m_out.say(say(CliText::CliKeptHow).arg(kept.join(QStringLiteral(", "))), true);
    // The address written last: it changes the address and rate of every frame after it.
    std::stable_partition(m_writes.begin(), m_writes.end(), [](const Change &c) { return !isAddress(*c.setting); });
    if (m_writes.isEmpty()) {
        endTarget(Done, say(CliText::CliPlanNothing));
    } else if (m_req.dryRun) {
        endTarget(Done, say(CliText::CliDryRun));
    } else {
        m_phase = Phase::Writing;
        whenIdle([this] { nextWrite(); });
    }
}

void Session::nextWrite()
{
    if (m_writes.isEmpty()) {
        endTarget(Done, say(CliText::CliAllConfirmed).arg(m_written) + forcedNote());
        return;
    }
    m_writing = m_writes.takeFirst();
    if (m_writing->setting->form == SettingName::Form::Target && !m_writing->setting->inReport)
        m_out.say(say(CliText::CliIdWriteAlone), true); // forced: nobody asked the line whether this motor is alone
    m_readFrames = 0;
    m_link.write(*m_writing);
}

void Session::onWriteDone(Settings::Item item, bool confirmed)
{
    if (!m_writing || m_writing->setting->item != item || m_finished)
        return;
    // The link has done with the read-back: its answer went to the
    // confirmation, not to a report, so no read is awaited any more.
    m_readOutstanding = false;
    const SettingName &name = *m_writing->setting;
    const FeatureValues held = m_link.values();
    const Target target = m_link.target();
    const QString value = name.print(held, target);
    const Target before = actedOn().value_or(m_link.target());
    m_writing.reset();
    QJsonObject o = targetFields(before);
    o.insert(QStringLiteral("setting"), QLatin1String(name.name));
    o.insert(QStringLiteral("value"), name.toJson(held, target));
    o.insert(QStringLiteral("confirmed"), confirmed);
    o.insert(QStringLiteral("reads"), (m_readFrames + 1) / 2);
    o.insert(QStringLiteral("rate"), m_link.rateBps());
    m_out.record(Record::Change, o);
    if (!confirmed) {
        endTarget(NoAnswer,
                  say(CliText::CliNotConfirmed)
                      .arg(QLatin1String(name.name), value, printTarget(before), where())
                      .arg((m_readFrames + 1) / 2));
        return;
    }
    ++m_written;
    if (name.form == SettingName::Form::Target)
        m_reported = target;
    else
        m_motor.*name.field() = held.*name.field();
    m_out.say(say(CliText::CliConfirmed).arg(QLatin1String(name.name), value, printTarget(before)) + forcedNote(),
              true);
    whenIdle([this] { nextWrite(); });
}
