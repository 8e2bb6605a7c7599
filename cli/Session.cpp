#include "Session.h"

#include "CliText.h"
#include "FrameText.h"
#include "Frames.h"
#include "LanguageTable.h"
#include "PortList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>

namespace {

using C = Request::Command;

bool isRead(Byte function) { return function == Frame::ReadBasic || function == Frame::ReadExtended; }

QJsonArray limitPoints(Byte status)
{
    QJsonArray points;
    for (int n = 1; n <= 4; ++n)
        if (status & Frame::limitPointBit(n))
            points << n;
    return points;
}

QJsonArray channelList(const ChannelMask &mask)
{
    QJsonArray channels;
    for (int n = 1; n <= 16; ++n)
        if (mask.channel(n))
            channels << n;
    return channels;
}

} // namespace

Session::Session(const Request &request, QTextStream &out, QTextStream &err, QObject *parent)
    : QObject(parent), m_req(request), m_out(out), m_err(err)
{
    // The link's own texts (port failures) in the language the tool speaks.
    for (const LanguageRow &row : LanguageTable())
        if (row.property == Property::Message && row.window == Window::Main)
            if (QString *field = messageField(m_link.state(), row.objectName))
                *field = text(row.objectName, Language::English);

    if (m_req.command == C::Monitor) {
        // First, so that each line is out before anything the event leads to.
        using D = WireLine::Direction;
        constexpr Language en = Language::English;
        connect(&m_link, &MotorLink::frameSent, this,
                [this](const QByteArray &b) { showOnWire(D::Sent, b, FrameText::sent(b, en)); });
        connect(&m_link, &MotorLink::frameReceived, this,
                [this](const QByteArray &b) { showOnWire(D::Received, b, FrameText::received(b, en)); });
        connect(&m_link, &MotorLink::bytesDiscarded, this,
                [this](const QByteArray &b, MotorLink::Discard why, qint64 count) {
                    showOnWire(D::Discarded, b, FrameText::discarded(why, count, en));
                });
        connect(&m_link, &MotorLink::portEvent, this,
                [this](MotorLink::PortEvent event, const QString &name, int bps) {
                    showOnWire(D::Port, {}, FrameText::port(event, name, bps, en));
                });
    }
    // Connected after the link's own timer slot: this runs after each tick.
    connect(&m_link.tickTimer(), &QTimer::timeout, this, &Session::onTick);
    connect(&m_link, &MotorLink::frameSent, this, &Session::onFrameSent);
    connect(&m_link, &MotorLink::frameReceived, this, &Session::onFrameReceived);
    connect(&m_link, &MotorLink::basicReport, this, [this](const FeatureValues &v) {
        m_motor.DeviceBaudCode = v.DeviceBaudCode;
        m_motor.DryContactMode = v.DryContactMode;
        m_motor.MaxSpeed = v.MaxSpeed;
        m_motor.FeatureFlags = v.FeatureFlags;
        m_haveBasic = true;
        m_waitTicks = 0;
        // Acts once the link has finished with this answer (target, channels).
        QTimer::singleShot(0, this, &Session::onReportsChanged);
    });
    connect(&m_link, &MotorLink::extendedReport, this, [this](const FeatureValues &v) {
        m_motor.JogTime = v.JogTime;
        m_motor.ObstacleSensitivity = v.ObstacleSensitivity;
        m_motor.ReboundTime = v.ReboundTime;
        m_haveExtended = true;
        m_waitTicks = 0;
        QTimer::singleShot(0, this, &Session::onReportsChanged);
    });
    connect(&m_link, &MotorLink::writeConfirmed, this, [this](Settings::Item item) { writeDone(item, true); });
    connect(&m_link, &MotorLink::writeFailed, this, [this](Settings::Item item) { writeDone(item, false); });
    connect(&m_link, &MotorLink::positionReported, this, [this](int percent, bool) { m_position = percent; });
    connect(&m_link, &MotorLink::positionUnknown, this, [this] { m_position = -1; });
    connect(&m_link, &MotorLink::statusReported, this, [this](Byte status) { m_status = status; });
    connect(&m_link, &MotorLink::portError, this,
            [this](const QString &componentText, MotorLink::PortCause, const QString &advice) {
                fail(PortFailed, advice.trimmed().isEmpty() ? componentText
                                                           : componentText + u'\n' + advice.trimmed());
            });
    connect(&m_link, &MotorLink::portLost, this, [this](const QString &, const QString &reason) {
        // The port was open: losing it is a failure on the way (what was under
        // way stays unanswered or unconfirmed), not a port that cannot be opened.
        fail(NoAnswer, m_link.state().MsgPortLost.trimmed() + u'\n' + reason);
    });
    connect(&m_link, &MotorLink::commError, this, [this](const QString &text) { fail(NoAnswer, text); });
}

void Session::start()
{
    if (m_req.command == C::Ports) {
        listPorts();
        return;
    }
    const bool forced = m_req.command == C::Set && m_req.change.setting->item == Settings::IdAndChannels
                        && !m_req.change.setting->inReport;
    switch (m_req.command) {
    case C::Scan: case C::Read: case C::Apply: case C::Monitor:
        m_needsRead = true; // the monitor polls the motor that answers
        break;
    case C::Set:
        m_needsRead = !forced || m_req.baudCode < 0;
        break;
    default:
        // Commands need the line rate: without --baud, the scan finds it.
        m_needsRead = m_req.baudCode < 0;
        break;
    }
    m_needsExtended = m_req.command == C::Read || m_req.command == C::Apply;
    // Like the open settings window: no status polls between the reads and
    // writes.  status turns them on once the target is chosen.
    m_link.setSettingsWindowOpen(true);
    m_link.tickTimer().start();
    if (!openPort())
        return;
    if (m_needsRead) {
        m_phase = Phase::Reading;
        if (m_req.baudCode >= 0)
            m_link.stageRead(Frame::ReadBasic);
    } else {
        proceed();
    }
}

bool Session::openPort()
{
    QString path = m_req.port;
    if (path.isEmpty()) {
        const QList<PortInfo> ports = PortList::availablePorts();
        if (ports.size() != 1) {
            QStringList names;
            for (const PortInfo &p : ports)
                names << QStringLiteral("  ") + p.name;
            if (ports.isEmpty())
                fail(PortFailed, say("CliNoPorts"));
            else
                fail(Usage, say("CliSeveralPorts") + u'\n' + names.join(u'\n'));
            return false;
        }
        path = ports.first().name;
    }
    m_phase = Phase::Opening;
    const bool scan = m_req.baudCode < 0;
    if (!scan)
        m_link.state().Features.DeviceBaudCode = Byte(m_req.baudCode);
    if (!m_link.choosePort(path, scan)) {
        fail(PortFailed, say("CliPortNotOpened").arg(path)); // after portError's own explanation
        return false;
    }
    return !m_finished;
}

void Session::listPorts()
{
    const QList<PortInfo> ports = PortList::availablePorts();
    if (ports.isEmpty())
        print(say("CliNoPorts"));
    for (const PortInfo &p : ports) {
        print(QStringLiteral("%1\t%2\t%3").arg(p.name, p.description.isEmpty() ? QStringLiteral("-") : p.description,
                                              p.systemLocation));
        printJson({{QStringLiteral("name"), p.name}, {QStringLiteral("description"), p.description},
                   {QStringLiteral("path"), p.systemLocation}});
    }
    finish(Done);
}

void Session::onTick()
{
    if (m_finished)
        return;
    if (m_phase == Phase::Reading) {
        const bool scanOver = m_req.baudCode < 0 ? !m_link.state().BaudScanActive : ++m_waitTicks > 9;
        if (!m_haveBasic && scanOver) {
            if (m_req.command == C::Monitor) {
                proceed(); // no motor: the line is shown all the same
                return;
            }
            if (m_req.command == C::Set && !m_req.change.setting->inReport) {
                proceed(); // a forced ID write goes out whether or not a motor answered
                return;
            }
            fail(NoAnswer, m_req.baudCode < 0 ? say("CliNoAnswerScan") : say("CliNoAnswer"));
            return;
        }
        if (m_haveBasic && m_needsExtended && !m_haveExtended && ++m_waitTicks > 12) {
            fail(NoAnswer, say("CliNoExtended"));
            return;
        }
    }
    if (m_phase == Phase::Watching && ++m_waitTicks >= 8) {
        if (!m_req.watch) {
            fail(NoAnswer, say("CliNoStatus").arg(printTarget(m_req.target)));
            return;
        }
        if (m_lastStatus != QLatin1String("silent")) {
            m_lastStatus = QStringLiteral("silent");
            print(say("CliStatusSilent"));
            printJson({{QStringLiteral("target"), printTarget(m_req.target)}, {QStringLiteral("answering"), false}});
        }
    }
    // A read whose answer never came stops being awaited after a quiet tick.
    if (m_readOutstanding && linkIdle() && ++m_quietTicks >= 2)
        m_readOutstanding = false;
    runIdleStep();
}

void Session::runIdleStep()
{
    if (m_idleStep && linkIdle() && !m_readOutstanding && !m_finished)
        std::exchange(m_idleStep, nullptr)();
}

void Session::onFrameSent(const QByteArray &bytes)
{
    if (bytes.size() != Frame::CommandSize)
        return;
    const Byte function = Byte(bytes[Frame::Function]);
    if (isRead(function)) {
        m_readOutstanding = true;
        m_quietTicks = 0;
        if (m_writing)
            ++m_readFrames;
    }
    if (m_phase == Phase::Sending && function == m_req.function && Byte(bytes[Frame::Data]) == m_req.data
        && ++m_sent == 2) {
        const bool withNumber = m_req.command == C::Goto || m_req.command == C::Limit;
        const QString what = withNumber ? QStringLiteral("%1 %2").arg(m_req.name).arg(m_req.data) : m_req.name;
        print(say("CliSent").arg(what, printTarget(m_req.target)), true);
        printJson({{QStringLiteral("command"), m_req.name},
                   {QStringLiteral("target"), printTarget(m_req.target)},
                   {QStringLiteral("frame"), QString::fromLatin1(bytes.toHex(' ').toUpper())},
                   {QStringLiteral("sent"), m_sent}});
        finish(Done);
    }
}

void Session::onFrameReceived(const QByteArray &bytes)
{
    if (bytes.size() != Frame::ResponseSize)
        return;
    const Byte type = Byte(bytes[7]);
    if (type == Frame::ReadBasic || type == Frame::ReadExtended) {
        m_readOutstanding = false;
        if (m_idleStep)
            QTimer::singleShot(0, this, &Session::runIdleStep);
    }
    if (type == Frame::ReadBasic) {
        m_reported.id = Byte(bytes[Frame::Id]);
        m_reported.mask.bytes = {Byte(bytes[Frame::Mask0]), Byte(bytes[Frame::Mask1])};
    } else if (type != Frame::ReadExtended && m_phase == Phase::Watching) {
        m_statusSeen = true;
        m_waitTicks = 0;
        QTimer::singleShot(0, this, [this] { printStatus(false); });
    }
}

void Session::onReportsChanged()
{
    if (m_phase != Phase::Reading || !m_haveBasic || m_finished)
        return;
    SharedState &s = m_link.state();
    // The reported motor is the target from now on, as after the window's scan.
    if (m_reported.id <= 99 && (s.TargetId != m_reported.id || s.currentMask() != m_reported.mask)) {
        s.selectTarget(m_reported.id);
        s.currentMask() = m_reported.mask;
    }
    if (!m_needsExtended) {
        s.ExtReadPending = 0; // nothing here needs the extended report
    } else if (!m_haveExtended) {
        // After a scan the link asks for it by itself; at a given rate, ask.
        const bool underWay = s.SendPending && s.CommandFrame[Frame::Function] == Frame::ReadExtended;
        if (!s.ExtReadPending && !underWay && m_req.baudCode >= 0)
            s.ExtReadPending = 1;
        return;
    }
    afterRead();
}

void Session::afterRead()
{
    switch (m_req.command) {
    case C::Scan: {
        const int bps = baudRateBps(m_link.serial().BaudRate());
        print(say("CliScanFound").arg(bps).arg(m_reported.id).arg(printTarget(m_reported).section(u':', 1)));
        printJson({{QStringLiteral("rate"), bps}, {QStringLiteral("id"), m_reported.id},
                   {QStringLiteral("channels"), channelList(m_reported.mask)}});
        finish(Done);
        return;
    }
    case C::Read:
        for (const SettingName &s : settingNames())
            if (s.inReport)
                print(QStringLiteral("%1%2").arg(QString::fromLatin1(s.name).leftJustified(14), s.print(m_motor, m_reported)));
        printJson(writeProfile(m_motor, m_reported));
        finish(Done);
        return;
    case C::Apply:
        planAndApply();
        return;
    default:
        proceed();
        return;
    }
}

void Session::proceed()
{
    switch (m_req.command) {
    case C::Set:
        m_phase = Phase::Writing;
        m_writes = {m_req.change};
        whenIdle([this] { nextWrite(); });
        return;
    case C::Status:
        m_link.state().selectTarget(m_req.target.id);
        m_link.state().currentMask() = m_req.target.mask;
        m_link.setSettingsWindowOpen(false); // the link polls this motor now
        m_phase = Phase::Watching;
        m_waitTicks = 0;
        return;
    case C::Monitor:
        m_link.setSettingsWindowOpen(false); // the link polls the reported motor now
        m_phase = Phase::Monitoring;
        return;
    default:
        m_phase = Phase::Sending;
        whenIdle([this] { sendToTarget(); });
        return;
    }
}

void Session::sendToTarget()
{
    m_link.state().selectTarget(m_req.target.id);
    m_link.state().currentMask() = m_req.target.mask;
    m_sent = 0;
    m_link.stageMotorCommand(m_req.function, m_req.data);
}

void Session::planAndApply()
{
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
        m_writes << c;
        if (s.form == SettingName::Form::Switches) {
            // Only the switches that change: the other five would hide them.
            const Byte before = m_motor.*s.field();
            QStringList changes;
            for (const CurtainSwitch &sw : curtainSwitches())
                if ((before ^ after.*s.field()) & sw.mask)
                    changes << QStringLiteral("%1=%2").arg(QLatin1String(sw.name),
                                                           QLatin1String(after.*s.field() & sw.mask ? sw.set : sw.clear));
            print(say("CliPlanSwitches").arg(QLatin1String(s.name), changes.join(u' ')), true);
        } else {
            print(say("CliPlanChange").arg(QLatin1String(s.name), s.print(m_motor, m_reported), s.print(after, to)), true);
        }
        printJson({{QStringLiteral("setting"), QLatin1String(s.name)},
                   {QStringLiteral("from"), s.toJson(m_motor, m_reported)},
                   {QStringLiteral("to"), s.toJson(after, to)}});
    }
    if (m_writes.isEmpty()) {
        print(say("CliPlanNothing"), true);
        finish(Done);
    } else if (m_req.dryRun) {
        print(say("CliDryRun"), true);
        finish(Done);
    } else {
        m_phase = Phase::Writing;
        whenIdle([this] { nextWrite(); });
    }
}

void Session::nextWrite()
{
    if (m_writes.isEmpty()) {
        finish(Done);
        return;
    }
    m_current = m_writes.takeFirst();
    SharedState &s = m_link.state();
    const SettingName &name = *m_current.setting;
    if (name.form == SettingName::Form::Target) {
        s.selectTarget(m_current.target.id);
        s.currentMask() = m_current.target.mask;
    } else {
        s.Features.*name.field() = m_current.applied(s.Features.*name.field());
    }
    m_readFrames = 0;
    m_writing = &m_current;
    m_link.stageWrite(name.item);
}

void Session::writeDone(Settings::Item item, bool confirmed)
{
    if (!m_writing || m_writing->setting->item != item || m_finished)
        return;
    const SettingName &name = *m_writing->setting;
    const Target target {m_link.state().TargetId, m_link.state().currentMask()};
    const QString value = name.print(m_link.state().Features, target);
    m_writing = nullptr;
    QJsonObject o {{QStringLiteral("setting"), QLatin1String(name.name)},
                   {QStringLiteral("value"), name.toJson(m_link.state().Features, target)},
                   {QStringLiteral("confirmed"), confirmed}};
    if (!confirmed) {
        const int reads = (m_readFrames + 1) / 2;
        o.insert(QStringLiteral("reads"), reads);
        printJson(o);
        fail(NoAnswer, say("CliNotConfirmed").arg(QLatin1String(name.name), value).arg(reads));
        return;
    }
    if (name.form == SettingName::Form::Target)
        m_reported = target;
    else
        m_motor.*name.field() = m_link.state().Features.*name.field();
    print(say("CliConfirmed").arg(QLatin1String(name.name), value), true);
    printJson(o);
    if (m_writes.isEmpty())
        finish(Done);
    else
        whenIdle([this] { nextWrite(); });
}

void Session::printStatus(bool force)
{
    if (m_finished)
        return;
    QStringList limits;
    for (int n = 1; n <= 4; ++n)
        if (m_status & Frame::limitPointBit(n))
            limits << QString::number(n);
    const QString position = m_position < 0 ? say("CliStatusUnknown") : say("CliStatusPosition").arg(m_position);
    const QString line = position + QStringLiteral(", ")
                         + (limits.isEmpty() ? say("CliStatusNoLimits") : say("CliStatusLimits").arg(limits.join(u',')));
    if (force || line != m_lastStatus) {
        m_lastStatus = line;
        print(line);
        printJson({{QStringLiteral("target"), printTarget(m_req.target)},
                   {QStringLiteral("answering"), true},
                   {QStringLiteral("position"), m_position < 0 ? QJsonValue() : QJsonValue(m_position)},
                   {QStringLiteral("limits"), limitPoints(m_status)}});
    }
    if (!m_req.watch)
        finish(Done);
}

void Session::showOnWire(WireLine::Direction direction, const QByteArray &bytes, const QString &meaning)
{
    if (m_finished)
        return;
    const WireLine line {m_link.msSincePortOpened(), direction, bytes, meaning};
    print(line.text());
    printJson(line.json());
}

bool Session::linkIdle() const
{
    const SharedState &s = m_link.state();
    return !s.SendPending && !s.BaudScanActive && !s.ExtReadPending && !s.BaudApplyPending
           && !s.VerifyBasicPending && !s.VerifyExtPending && !s.VerifyIdPending;
}

// Stages the next step once the link has nothing under way and the last read
// has had its answer: a late answer to the scan's second read would
// otherwise confirm a write that was never sent.
void Session::whenIdle(std::function<void()> step)
{
    m_idleStep = std::move(step);
    runIdleStep();
}

void Session::interrupt()
{
    if (m_finished)
        return;
    // Frames are written whole within one tick; stopping the timer stops
    // the next one before it starts.
    m_link.tickTimer().stop();
    if (m_writing) {
        printJson({{QStringLiteral("setting"), QLatin1String(m_writing->setting->name)},
                   {QStringLiteral("confirmed"), false}, {QStringLiteral("interrupted"), true}});
        fail(NoAnswer, say("CliInterruptedWrite").arg(QLatin1String(m_writing->setting->name)));
        return;
    }
    if ((m_phase == Phase::Watching && m_req.watch) || m_req.command == C::Monitor) {
        finish(Done);
        return;
    }
    fail(Interrupted, say("CliInterrupted"));
}

void Session::print(const QString &text, bool chatter)
{
    if (m_req.json || (chatter && m_req.quiet))
        return;
    m_out << text << '\n';
    m_out.flush();
}

void Session::printJson(const QJsonObject &o)
{
    if (!m_req.json)
        return;
    m_out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
    m_out.flush();
}

void Session::fail(int code, const QString &message)
{
    if (m_finished)
        return;
    m_err << message << '\n';
    m_err.flush();
    finish(code);
}

void Session::finish(int code)
{
    if (m_finished)
        return;
    m_finished = true;
    m_phase = Phase::Done;
    m_idleStep = nullptr;
    m_link.tickTimer().stop();
    emit finished(code);
}
