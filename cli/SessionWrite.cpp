// Session: the Writing step of set and apply: the plan, then each change
// written and confirmed by its read-back.
#include "Session.h"

#include "CliText.h"

using namespace SessionStep;

namespace {

// The ID, channels and line rate: a profile writes them only with --address.
bool isAddress(const SettingName &s)
{
    return s.kind() == Settings::Kind::Address || s.item == Settings::BaudCode;
}

} // namespace

void Session::onIdWriteRefused(LinkDriver::IdWriteRefusal why)
{
    auto *writing = std::get_if<Writing>(&m_step);
    if (!writing || !writing->underWay)
        return;
    writing->underWay.reset();
    const CliText reason = why == LinkDriver::IdWriteRefusal::NoneAnswered ? CliText::CliIdNoneAnswered
        : why == LinkDriver::IdWriteRefusal::SeveralAnswered               ? CliText::CliIdSeveralAnswered
                                                                           : CliText::CliIdGarbled;
    endTarget(NoAnswer, say(CliText::CliIdWriteRefused).arg(say(reason), where()));
}

QString Session::nowShared(const SettingName &name, const MotorTarget &written) const
{
    // An ID write that every motor hearing it took, or onto an address
    // another motor holds: its read-backs collide.
    if (name.kind() != Settings::Kind::Address || !m_facts.collided)
        return {};
    return QStringLiteral("; ") + say(CliText::CliIdNowShared).arg(printTarget(written));
}

QString Session::forcedNote() const
{
    const bool forced = m_req.kind() == CommandRow::Kind::Set && (m_req.force || !m_req.change.setting->inReport);
    return forced ? u' ' + say(CliText::CliForcedWrite) : QString();
}

void Session::planLine(const QString &text)
{
    // In a batch the lines of several motors follow each other: each names its motor.
    m_out.say(printTarget(m_facts.reported->target) + QStringLiteral("  ") + text, true);
}

void Session::planAndApply()
{
    const MotorTarget reported = m_facts.reported->target;
    const SettingValues motor = m_facts.reported->values;
    QList<Change> writes;
    QStringList kept;
    for (const Change &c : m_req.profile.changes) {
        const SettingName &s = *c.setting;
        MotorTarget to = reported;
        SettingValues after = motor;
        if (s.kind() == Settings::Kind::Address) {
            if (c.target == reported)
                continue;
            to = c.target;
        } else {
            after.*s.field() = c.applied(motor.*s.field());
            if (after.*s.field() == motor.*s.field())
                continue;
        }
        QJsonObject o = targetFields(reported);
        o.insert(QStringLiteral("setting"), QLatin1String(s.name));
        o.insert(QStringLiteral("from"), s.toJson(motor, reported));
        o.insert(QStringLiteral("to"), s.toJson(after, to));
        const bool keep = isAddress(s) && !m_req.address;
        o.insert(QStringLiteral("kept"), keep);
        m_out.record(Record::Plan, o);
        if (keep) {
            planLine(
                say(CliText::CliPlanKept).arg(QLatin1String(s.name), s.print(motor, reported), s.print(after, to)));
            kept << QLatin1String(s.name);
            continue;
        }
        writes << c;
        if (s.kind() == Settings::Kind::Functions) {
            // Only the functions that change: the other five would hide them.
            const Byte before = motor.*s.field();
            QStringList changes;
            for (const Settings::CurtainFunction &f : Settings::curtainFunctions())
                if ((before ^ after.*s.field()) & f.bit)
                    changes << QStringLiteral("%1=%2").arg(functionName(f),
                                                           QLatin1String(after.*s.field() & f.bit ? f.set : f.clear));
            planLine(say(CliText::CliPlanFunctions).arg(QLatin1String(s.name), changes.join(u' ')));
        } else {
            planLine(
                say(CliText::CliPlanChange).arg(QLatin1String(s.name), s.print(motor, reported), s.print(after, to)));
        }
    }
    if (!kept.isEmpty())
        m_out.say(say(CliText::CliKeptHow).arg(kept.join(QStringLiteral(", "))), true);
    // The address written last: it changes the address and rate of every frame after it.
    std::stable_partition(writes.begin(), writes.end(), [](const Change &c) { return !isAddress(*c.setting); });
    if (writes.isEmpty()) {
        endTarget(Done, say(CliText::CliPlanNothing));
    } else if (m_req.dryRun) {
        endTarget(Done, say(CliText::CliDryRun));
    } else {
        enter(Writing {writes});
        nextWrite(); // the link serves it once the read is over
    }
}

void Session::nextWrite()
{
    auto *writing = std::get_if<Writing>(&m_step);
    if (!writing)
        return;
    if (writing->queue.isEmpty()) {
        endTarget(Done, say(CliText::CliAllConfirmed).arg(writing->confirmed) + forcedNote());
        return;
    }
    const Change change = writing->queue.takeFirst();
    writing->underWay = change;
    m_facts.collided = false; // from now on: the answers to this write's read-backs
    writing->readFrames = 0;
    if (change.setting->kind() == Settings::Kind::Address && !change.setting->inReport)
        m_out.say(say(CliText::CliIdWriteAlone), true); // forced: nobody asked the line whether this motor is alone
    // Written to the motor named: the one that reported itself for it.
    const MotorTarget *named = requestedTarget();
    m_link.write(change, motorValues(), named && !named->isGroup() ? *named : actedOn().value_or(m_link.target()),
                 m_req.force);
}

QString Session::refusalReason(const WriteResult &result) const
{
    using R = WriteResult::Refusal;
    const MotorTarget &motor = result.request.motor;
    switch (result.refusal) {
    case R::SharedId: return say(CliText::CliRefusedShared).arg(motor.id).arg(result.rateBps);
    case R::SeveralAtOnce: return say(CliText::CliRefusedAtOnce).arg(motor.id).arg(result.rateBps);
    case R::OtherMotor: return say(CliText::CliRefusedOther).arg(printTarget(*result.answered), printTarget(motor));
    case R::NotOnLine:
    case R::None: break;
    }
    return say(CliText::CliRefusedAbsent).arg(printTarget(motor)).arg(result.rateBps);
}

void Session::onNamedWriteDone(const WriteResult &result)
{
    switch (result.outcome) {
    case WriteResult::Outcome::Canceled: return; // the port's loss or closing ends the run in its own words
    case WriteResult::Outcome::Refused: refuseWrite(result.request.motor, refusalReason(result)); return;
    default: onWriteDone(result.request.item, result.confirmed(), result.request.value); return;
    }
}

void Session::refuseWrite(const MotorTarget &motor, const QString &reason)
{
    auto *writing = std::get_if<Writing>(&m_step);
    if (!writing || !writing->underWay)
        return;
    const Change change = *std::exchange(writing->underWay, std::nullopt);
    const SettingName &name = *change.setting;
    SettingValues wanted = motorValues();
    wanted.*name.field() = change.applied(wanted.*name.field());
    QJsonObject o = targetFields(motor);
    o.insert(QStringLiteral("setting"), QLatin1String(name.name));
    o.insert(QStringLiteral("value"), name.toJson(wanted, motor));
    o.insert(QStringLiteral("confirmed"), false);
    o.insert(QStringLiteral("refused"), reason);
    o.insert(QStringLiteral("reads"), 0);
    o.insert(QStringLiteral("rate"), m_link.rateBps());
    m_out.record(Record::Change, o);
    endTarget(NoAnswer,
              say(CliText::CliWriteRefused)
                  .arg(QLatin1String(name.name), name.print(wanted, motor), printTarget(motor), reason));
}

void Session::onWriteDone(Settings::Item item, bool confirmed, std::optional<Byte> written)
{
    auto *writing = std::get_if<Writing>(&m_step);
    if (!writing || !writing->underWay || writing->underWay->setting->item != item)
        return;
    const SettingName &name = *writing->underWay->setting;
    SettingValues held = motorValues();
    if (written && name.kind() != Settings::Kind::Address)
        held.*name.field() = *written;
    const MotorTarget target = m_link.target();
    const QString value = name.print(held, target);
    const MotorTarget before = actedOn().value_or(m_link.target());
    const int reads = (writing->readFrames + 1) / 2;
    writing->underWay.reset();
    if (confirmed)
        ++writing->confirmed; // before the output, which may end the run
    QJsonObject o = targetFields(before);
    o.insert(QStringLiteral("setting"), QLatin1String(name.name));
    o.insert(QStringLiteral("value"), name.toJson(held, target));
    o.insert(QStringLiteral("confirmed"), confirmed);
    o.insert(QStringLiteral("reads"), reads);
    o.insert(QStringLiteral("rate"), m_link.rateBps());
    m_out.record(Record::Change, o);
    if (!confirmed) {
        endTarget(
            NoAnswer,
            say(CliText::CliNotConfirmed).arg(QLatin1String(name.name), value, printTarget(before), where()).arg(reads)
                + nowShared(name, target) + forcedNote());
        return;
    }
    if (m_facts.reported) { // the motor as it is now: results name its new address
        if (name.kind() == Settings::Kind::Address)
            m_facts.reported->target = target;
        else
            m_facts.reported->values.*name.field() = held.*name.field();
    }
    m_out.say(say(CliText::CliConfirmed).arg(QLatin1String(name.name), value, printTarget(before)) + forcedNote(),
              true);
    onNextTick([this] { nextWrite(); });
}
