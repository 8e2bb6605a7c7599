// Session: opening the port, the targets in turn, and reading each motor.
#include "Session.h"

#include "CliText.h"
#include "DeviceAccess.h"
#include "MotorSettings.h"
#include "PortChoice.h"

#include <QTimer>

using K = CommandRow::Kind;

Session::Session(const Request &request, Output &output, QObject *parent)
    : QObject(parent), m_req(request), m_out(output)
{
    const bool monitor = m_req.kind() == K::Monitor;
    connect(&m_link, &LinkDriver::wire, this, [this, monitor](const WireLine &line) {
        if (!m_finished)
            m_out.wire(line, monitor);
    });
    connect(&m_link, &LinkDriver::discarded, this, [this](LinkDriver::Discard why, qint64 count) {
        m_discardedBytes += count;
        const QString kind = why == LinkDriver::Discard::BadCheck ? sayWord(Word::MonBadCheck)
            : why == LinkDriver::Discard::Collision               ? sayWord(Word::MonCollision)
            : why == LinkDriver::Discard::CutOff                  ? say(CliText::CliCutOff)
                                                                  : sayWord(Word::MonNoise);
        if (!m_discardKinds.contains(kind))
            m_discardKinds << kind;
    });
    connect(&m_link, &LinkDriver::ticked, this, &Session::onTick);
    connect(&m_link, &LinkDriver::frameSent, this, &Session::onFrameSent);
    connect(&m_link, &LinkDriver::basicReport, this, &Session::onBasicReport);
    connect(&m_link, &LinkDriver::extendedReport, this, &Session::onExtendedReport);
    connect(&m_link, &LinkDriver::writeConfirmed, this, [this](Settings::Item item) { onWriteDone(item, true); });
    connect(&m_link, &LinkDriver::writeFailed, this, [this](Settings::Item item) { onWriteDone(item, false); });
    connect(&m_link, &LinkDriver::statusAnswer, this, &Session::onStatusAnswer);
    connect(&m_link, &LinkDriver::idWriteRefused, this, &Session::onIdWriteRefused);
    connect(&m_link, &LinkDriver::openFailed, this, [this](LinkDriver::OpenCause cause, const QString &text) {
        fail(PortFailed, openFailureReason(m_port, cause, m_link.lastOpenDevice(), text));
    });
    connect(&m_link, &LinkDriver::portLost, this, [this](const QString &reason) {
        // The port was open: what was under way stays unanswered or unconfirmed.
        fail(NoAnswer, say(CliText::CliPortLost).arg(m_port, reason));
    });
    connect(&m_link, &LinkDriver::lineError, this,
            [this](const QString &text) { fail(NoAnswer, text + u' ' + where()); });
    m_out.onWriteFailed([this](const QString &reason) { fail(NoAnswer, reason); });
}

void Session::start()
{
    m_rateKnown = m_req.baudCode >= 0;
    if (const Target *t = requestedTarget())
        m_link.setTarget(*t); // the scan's reads go to it
    if (!openPort())
        return;
    beginTarget();
}

bool Session::openPort()
{
    m_port = m_req.port;
    if (m_port.isEmpty()) {
        QString note, error;
        m_port = onlyUsbAdapter(serialPorts(), note, error);
        if (m_port.isEmpty()) {
            fail(Usage, error + u'\n' + say(CliText::CliChoosePort));
            return false;
        }
        m_out.say(note, true);
    }
    m_phase = Phase::Opening;
    // The monitor only listens: without --baud at the rate a motor is delivered with.
    const bool listenOnly = m_req.kind() == K::Monitor && m_req.targets.isEmpty();
    const int baudCode = listenOnly && !m_rateKnown ? m_link.values().deviceBaudCode : m_req.baudCode;
    m_rateKnown = m_rateKnown || listenOnly;
    if (!m_link.open(m_port, baudCode) || m_finished)
        return false;
    if (listenOnly)
        m_out.say(say(CliText::CliListening).arg(m_link.rateBps()).arg(m_port), true);
    return true;
}

const Target *Session::requestedTarget() const
{
    return m_targetIndex < m_req.targets.size() ? &m_req.targets[m_targetIndex] : nullptr;
}

void Session::beginTarget()
{
    m_haveBasic = m_haveExtended = false;
    m_waitTicks = m_quietTicks = 0;
    m_discardedBytes = 0;
    m_discardKinds.clear();
    m_otherAnswers.clear();
    m_reported = {};
    m_motor = {}; // nothing of the motor before carries over
    m_writes.clear();
    m_writing.reset();
    m_written = 0;
    m_sent = 0;
    const Target *t = requestedTarget();
    if (t)
        m_link.setTarget(*t);
    if (t && m_req.targets.size() > 1)
        m_out.progress(m_targetIndex + 1, int(m_req.targets.size()), printTarget(*t));
    // An ID write asks the line itself (or is forced): no read of one motor first.
    const bool idWrite = m_req.kind() == K::Set && m_req.change.setting->form == SettingName::Form::Target;
    bool needsRead = false;
    switch (m_req.kind()) {
    case K::Scan:
    case K::Read:
    case K::Apply: needsRead = true; break;
    case K::Set: needsRead = !idWrite || !m_rateKnown; break;
    default:
        // Commands need the line rate: without --baud, the scan finds it.
        needsRead = !m_rateKnown;
        break;
    }
    m_needsExtended = m_req.kind() == K::Read || m_req.kind() == K::Apply;
    if (!needsRead) {
        proceed();
        return;
    }
    m_phase = Phase::Reading;
    if (m_link.scanning())
        return; // the opening's scan is under way
    if (m_rateKnown)
        m_link.readBasic();
    else
        m_link.scan();
}

void Session::onTick()
{
    if (m_finished)
        return;
    if (m_phase == Phase::Reading) {
        const bool over = m_rateKnown ? ++m_waitTicks > 9 : !m_link.scanning();
        if (!m_haveBasic && over) {
            if (m_req.kind() == K::Monitor
                || (m_req.kind() == K::Set && m_req.change.setting->form == SettingName::Form::Target)) {
                proceed(); // the monitor shows the line all the same; an ID write asks the line itself
                return;
            }
            const Target *t = requestedTarget();
            endTarget(NoAnswer,
                      t ? say(CliText::CliNoAnswerFrom).arg(printTarget(*t), where(), silenceReason())
                        : say(CliText::CliNoMotor).arg(where(), silenceReason()));
            return;
        }
        if (m_haveBasic && m_needsExtended && !m_haveExtended && ++m_waitTicks > 12) {
            endTarget(NoAnswer, say(CliText::CliNoExtended).arg(printTarget(m_reported), where(), silenceReason()));
            return;
        }
    }
    if (m_phase == Phase::Confirming || m_phase == Phase::Watching) {
        if (++m_waitTicks >= 8)
            onStatusAnswer({}, -1, 0); // silence: told once, then waited on
    }
    // A read whose answer never came stops being awaited after a quiet tick.
    if (m_readOutstanding && m_link.isIdle() && ++m_quietTicks >= 2)
        m_readOutstanding = false;
    runIdleStep();
}

// A read has its answer: a step waiting for it may go on.  true when the
// target under way is being read.
bool Session::readAnswered()
{
    m_readOutstanding = false;
    if (m_idleStep)
        QTimer::singleShot(0, this, &Session::runIdleStep);
    return m_phase == Phase::Reading && !m_finished;
}

bool Session::fromTargetUnderWay(const Target &reported) const
{
    // A late or duplicated answer of the motor before, or another motor's
    // answer to a group read: shown on the wire, and otherwise left alone.
    const Target *t = requestedTarget();
    if (m_haveBasic)
        return reported.id == m_reported.id && reported.mask == m_reported.mask;
    return !t || t->id == 0 || reported.id == t->id;
}

void Session::onBasicReport(const FeatureValues &values, const Target &reported)
{
    if (!fromTargetUnderWay(reported)) {
        if (!m_otherAnswers.contains(printTarget(reported)))
            m_otherAnswers << printTarget(reported); // for the reason, if the target stays silent
        return;
    }
    if (!readAnswered())
        return;
    m_rateKnown = true;
    m_reported = reported;
    m_motor.deviceBaudCode = values.deviceBaudCode;
    m_motor.dryContactMode = values.dryContactMode;
    m_motor.maxSpeed = values.maxSpeed;
    m_motor.featureFlags = values.featureFlags;
    m_haveBasic = true;
    m_waitTicks = 0;
    reportsComplete();
}

void Session::onExtendedReport(const FeatureValues &values, const Target &reported)
{
    if (!m_haveBasic || !fromTargetUnderWay(reported) || !readAnswered())
        return;
    m_motor.jogTime = values.jogTime;
    m_motor.obstacleSensitivity = values.obstacleSensitivity;
    m_motor.reboundTime = values.reboundTime;
    m_haveExtended = true;
    m_waitTicks = 0;
    reportsComplete();
}

void Session::reportsComplete()
{
    if (!m_haveBasic)
        return;
    // The reported motor is the target from now on, as after the window's scan.
    if (m_reported.id >= 1 && m_reported.id <= MotorSettings::MaxId && m_link.target() != m_reported)
        m_link.setTarget(m_reported);
    if (!m_needsExtended) {
        m_link.dropExtendedRead(); // nothing here needs the extended report
    } else if (!m_haveExtended) {
        m_link.readExtended();
        return;
    }
    afterRead();
}

void Session::afterRead()
{
    const QJsonObject motor = targetFields(m_reported);
    switch (m_req.kind()) {
    case K::Scan: {
        m_out.say(say(CliText::CliScanFound)
                      .arg(m_link.rateBps())
                      .arg(m_reported.id)
                      .arg(printTarget(m_reported).section(u':', 1))
                  + u' ' + say(CliText::CliOnPort).arg(m_port));
        QJsonObject o = motor;
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
                                                     s.print(m_motor, m_reported)));
        m_out.record(Record::Settings, writeProfile(m_motor, m_reported));
        endTarget(Done, {});
        return;
    case K::Apply: planAndApply(); return;
    default: proceed(); return;
    }
}

// Stages the next step once the link has nothing under way and the last read
// has had its answer: a late answer to the scan's second read would
// otherwise confirm a write that was never sent.
void Session::whenIdle(std::function<void()> step)
{
    m_idleStep = std::move(step);
    runIdleStep();
}

void Session::runIdleStep()
{
    if (m_idleStep && m_link.isIdle() && !m_readOutstanding && !m_finished)
        std::exchange(m_idleStep, nullptr)();
}
