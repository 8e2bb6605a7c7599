// Session: the run itself: the link's signals, opening the port, the targets
// in turn, the ticks, and how a target and the run end.
#include "Session.h"

#include "CliText.h"
#include "DeviceAccess.h"
#include "PortChoice.h"

#include <utility>

using K = CommandRow::Kind;
using namespace SessionStep;

Session::Session(const Request &request, Output &output, QObject *parent)
    : QObject(parent), m_req(request), m_out(output)
{
    const bool monitor = m_req.kind() == K::Monitor;
    connect(&m_link, &LinkDriver::wire, this, [this, monitor](const WireLine &line) {
        if (!isFinished())
            m_out.wire(line, monitor);
    });
    connect(&m_link, &LinkDriver::discarded, this, [this](LinkDriver::Discard why, qint64 count) {
        m_facts.discardedBytes += count;
        if (why == LinkDriver::Discard::Collision) {
            m_facts.collided = true;
            m_facts.collidedAtBps = m_link.rateBps();
        }
        const QString kind = why == LinkDriver::Discard::BadCheck ? sayWord(Word::MonBadCheck)
            : why == LinkDriver::Discard::Collision               ? sayWord(Word::MonCollision)
            : why == LinkDriver::Discard::CutOff                  ? say(CliText::CliCutOff)
                                                                  : sayWord(Word::MonNoise);
        if (!m_facts.discardKinds.contains(kind))
            m_facts.discardKinds << kind;
    });
    connect(&m_link, &LinkDriver::ticked, this, &Session::onTick);
    connect(&m_link, &LinkDriver::frameSent, this, &Session::onFrameSent);
    connect(&m_link, &LinkDriver::basicReport, this, &Session::onBasicReport);
    connect(&m_link, &LinkDriver::readDone, this, &Session::onReadDone);
    connect(&m_link, &LinkDriver::scanEnded, this, [this] { m_scanOver = true; });
    connect(&m_link, &LinkDriver::writeDone, this, &Session::onNamedWriteDone);
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
    if (const MotorTarget *t = requestedTarget())
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
    enter(Opening {});
    // The monitor only listens: without --baud at the rate a motor is delivered with.
    const bool listenOnly = m_req.kind() == K::Monitor && m_req.targets.isEmpty();
    // Named targets have their rates found one by one: no scan at the opening.
    const int baudCode = (listenOnly || findsRateOfTarget()) && !m_rateKnown ? m_link.values().deviceBaudCode
                                                                             : m_req.baudCode;
    m_rateKnown = m_rateKnown || listenOnly;
    if (!m_link.open(m_port, baudCode) || isFinished())
        return false;
    if (listenOnly)
        m_out.say(say(CliText::CliListening).arg(m_link.rateBps()).arg(m_port), true);
    return true;
}

void Session::beginTarget()
{
    m_facts = {}; // nothing of the motor before carries over
    m_scanOver = false;
    const MotorTarget *t = requestedTarget();
    if (t)
        m_link.setTarget(*t);
    if (t && m_req.targets.size() > 1)
        m_out.progress(m_targetIndex + 1, int(m_req.targets.size()), printTarget(*t));
    // An ID write asks the line itself (or is forced): no read of one motor first.
    const bool idWrite = m_req.kind() == K::Set && m_req.change.setting->kind() == Settings::Kind::Address;
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
    if (!needsRead) {
        proceed();
        return;
    }
    enter(Reading {m_req.kind() == K::Read || m_req.kind() == K::Apply});
    if (findsRateOfTarget()) {
        m_rateKnown = false;
        startRateSearch();
        return;
    }
    if (m_link.scanning())
        return; // the opening's scan is under way
    if (m_rateKnown)
        readTarget();
    else
        m_link.scan();
}

void Session::proceed()
{
    switch (m_req.kind()) {
    case K::Set:
        enter(Writing {QList<Change> {m_req.change}});
        nextWrite(); // queued behind the read: the link serves requests in turn
        return;
    case K::Status:
        m_link.setTarget(*requestedTarget());
        m_link.setStatusPolling(true); // the link polls this motor now
        enter(Watching {});
        return;
    case K::Monitor:
        m_link.setStatusPolling(!m_req.targets.isEmpty()); // --poll: the link polls that motor now
        enter(Monitoring {});
        return;
    default:
        enter(Sending {});
        onNextTick([this] { sendToTarget(); });
        return;
    }
}

void Session::enter(Step step)
{
    if (!isFinished())
        m_step = std::move(step);
}

void Session::onTick()
{
    if (isFinished())
        return;
    // A scan that ended without a report of the target's motor ends the reading.
    if (std::holds_alternative<Reading>(m_step) && m_scanOver && !m_facts.reported && !m_search) {
        notReported();
        return;
    }
    auto *confirming = std::get_if<Confirming>(&m_step);
    auto *watching = std::get_if<Watching>(&m_step);
    if ((confirming && ++confirming->silentTicks >= MotorLink::SilenceTicks)
        || (watching && ++watching->silentTicks >= MotorLink::SilenceTicks))
        onStatusAnswer({}, -1, 0); // silence: told once, then waited on
    if (m_nextTickStep && !isFinished())
        std::exchange(m_nextTickStep, nullptr)();
}

void Session::onNextTick(std::function<void()> step)
{
    m_nextTickStep = std::move(step);
}

void Session::endTarget(int code, const QString &message)
{
    if (isFinished())
        return;
    if (code != Done) {
        QJsonObject o = withLine(targetFields(actedOn()));
        o.insert(QStringLiteral("exit"), code);
        m_out.error(message, o);
    } else if (!message.isEmpty()) {
        m_out.say(message, true);
    }
    recordResult(code, message);
    enter(Ended {});
    m_link.setStatusPolling(false);
    if (++m_targetIndex < m_req.targets.size()) {
        onNextTick([this] { beginTarget(); });
        return;
    }
    closeRun(code);
}

void Session::fail(int code, const QString &message)
{
    if (isFinished())
        return;
    QJsonObject o = withLine(targetFields(actedOn()));
    o.insert(QStringLiteral("exit"), code);
    m_out.error(message, o);
    if (m_outcomes.size() <= m_targetIndex)
        recordResult(code, message.section(u'\n', 0, 0)); // the target under way ends here
    closeRun(code);
}

void Session::finish(int code)
{
    if (isFinished())
        return;
    m_step = Finished {};
    m_nextTickStep = nullptr;
    m_link.halt();
    emit finished(code);
}
