#include "BusSettings.h"

#include "Log.h"
#include "MqttText.h"
#include "Topics.h"

#include <QDateTime>
#include <QJsonDocument>

namespace {

QByteArray json(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

} // namespace

BusSettings::BusSettings(Names names, Publisher publish, BusLink &link, QObject *parent)
    : QObject(parent), m_names(std::move(names)), m_publish(std::move(publish)), m_link(link)
{
    connect(&m_link, &BusLink::readDone, this, &BusSettings::onReadDone);
    connect(&m_link, &BusLink::writeDone, this, &BusSettings::onWriteDone);
    m_retry.setInterval(RetryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        // A problem may have been mended meanwhile (another ID given to one of two motors).
        for (auto it = m_motors.cbegin(); it != m_motors.cend(); ++it)
            if (it->standing != Standing::Alone)
                queueReads(it.key());
    });
    m_retry.start();
}

void BusSettings::setMotors(const QList<CoverConfig> &covers)
{
    QMap<int, quint16> channels;
    for (const CoverConfig &c : covers)
        channels[c.id] |= quint16(1u << (c.channel - 1));
    for (auto it = channels.cbegin(); it != channels.cend(); ++it) {
        const bool added = !m_motors.contains(it.key());
        Motor &m = m_motors[it.key()];
        m.known.motor = {it.key(), ChannelMask::ofWord(it.value())};
        if (added)
            queueReads(it.key());
    }
}

void BusSettings::readAll()
{
    for (auto it = m_motors.cbegin(); it != m_motors.cend(); ++it)
        queueReads(it.key());
}

QString BusSettings::path(int id) const
{
    return Topics::motorPath(m_names.base, m_names.bus, id);
}

void BusSettings::queueReads(int id)
{
    const MotorTarget motor = m_motors[id].known.motor;
    for (const Byte function : {Byte(Frame::ReadBasic), Byte(Frame::ReadExtended)}) {
        const auto same = [&](const Waiting &w) {
            const auto *read = std::get_if<NamedRead>(&w.request);
            return read && read->motor.id == id && read->readFunction == function;
        };
        if (std::none_of(m_waiting.begin(), m_waiting.end(), same))
            m_waiting.push_back({NamedRead {motor, function}, {}});
    }
}

bool BusSettings::startNext()
{
    if (m_underWay || m_waiting.empty() || !m_link.idle())
        return false;
    m_underWay = m_waiting.front();
    m_waiting.pop_front();
    if (const auto *read = std::get_if<NamedRead>(&m_underWay->request))
        m_link.read(*read);
    else
        m_link.write(std::get<NamedWrite>(m_underWay->request));
    return true;
}

bool BusSettings::onMessage(const QString &topic, const QByteArray &payload, bool retained, bool lineOpen)
{
    const QString prefix = m_names.base + u'/' + m_names.bus + u"/m"_qs;
    if (!topic.startsWith(prefix))
        return false;
    // B/bus/m12/settings/read or B/bus/m12/settings/KEY/set
    const QStringList parts = topic.mid(prefix.size()).split(u'/');
    bool isId = false;
    const int id = parts.value(0).toInt(&isId);
    const bool read = parts.size() == 3 && parts[2] == QLatin1String("read");
    const bool set = parts.size() == 4 && parts[3] == QLatin1String("set");
    if (!isId || parts.value(1) != QLatin1String("settings") || !(read || set) || !m_motors.contains(id))
        return false;
    if (retained) // a press or a value left on the broker is no command
        return true;
    Motor &motor = m_motors[id];
    if (read) {
        queueReads(id);
        return true;
    }
    const SettingsEntities::Entity *entity = SettingsEntities::entity(parts[2]);
    const auto parsed = entity ? SettingsEntities::parseWrite(*entity, payload, motor.known)
                               : std::variant<SettingsEntities::Write, QString> {parts[2]};
    if (const QString *why = std::get_if<QString>(&parsed); why || motor.standing != Standing::Alone) {
        const QString reason = why    ? *why
            : motor.problem.isEmpty() ? mqttText(MqttText::MqttSettingNotRead)
                                      : motor.problem;
        logLine(mqttText(MqttText::MqttSettingDropped).arg(topic, shownPayload(payload), reason));
        publishState(motor); // the entity shows the motor's value again
        return true;
    }
    const auto [item, value] = std::get<SettingsEntities::Write>(parsed);
    const NamedWrite write {motor.known.motor, item, value};
    if (lineOpen)
        m_waiting.push_back({write, entity->key});
    else
        report({write, WriteResult::Outcome::Canceled}, entity->key);
    return true;
}

void BusSettings::onReadDone(const ReadResult &r)
{
    if (!m_underWay || !std::holds_alternative<NamedRead>(m_underWay->request))
        return; // another client's request
    m_underWay.reset();
    Motor &motor = m_motors[r.request.motor.id];
    using O = ReadResult::Outcome;
    switch (r.outcome) {
    case O::Read:
        SettingsEntities::take(motor.known, r);
        setStanding(motor, Standing::Alone);
        publishState(motor);
        break;
    case O::SeveralAnswered:
        setStanding(motor, Standing::Problem,
                    mqttText(MqttText::MqttSettingsShared).arg(r.request.motor.id).arg(r.rateBps));
        break;
    case O::OtherMotor: {
        QStringList channels;
        for (int c = 1; r.answered && c <= 16; ++c)
            if (r.answered->channels.channel(c))
                channels << QString::number(c);
        setStanding(motor, Standing::Problem,
                    mqttText(MqttText::MqttSettingsOtherMotor).arg(r.request.motor.id).arg(channels.join(u',')));
        break;
    }
    case O::Silent: // asked again later; what was known stays
    case O::Canceled: break;
    }
}

void BusSettings::onWriteDone(const WriteResult &r)
{
    if (!m_underWay || !std::holds_alternative<NamedWrite>(m_underWay->request))
        return;
    report(r, std::exchange(m_underWay, std::nullopt)->key);
}

void BusSettings::portLost()
{
    // A write waiting meanwhile would change the motor long after it was asked for.
    std::deque<Waiting> dropped;
    std::swap(dropped, m_waiting);
    for (const Waiting &w : dropped)
        if (const auto *write = std::get_if<NamedWrite>(&w.request))
            report({*write, WriteResult::Outcome::Canceled}, w.key);
}

void BusSettings::report(const WriteResult &r, const QString &key)
{
    Motor &motor = m_motors[r.request.motor.id];
    const Settings::Row &row = *Settings::row(r.request.item);
    if (r.confirmed()) // the read-back showed it: the motor's value now
        motor.known.values.*row.value = r.request.value;
    // A failed write shows the last value read again.
    publishState(motor);
    const QString outcome = SettingsEntities::outcomeWord(r);
    const QString reason = SettingsEntities::refusalWord(r.refusal);
    const QJsonObject result {{u"result"_qs, outcome},
                              {u"reason"_qs, reason.isEmpty() ? QJsonValue::Null : QJsonValue(reason)},
                              {u"setting"_qs, key},
                              {u"value"_qs, r.request.value},
                              {u"at"_qs, QDateTime::currentDateTimeUtc().toString(Qt::ISODate)}};
    m_publish(path(motor.known.motor.id) + QStringLiteral("/settings/%1/result").arg(key), json(result), true);
    QJsonObject event = result;
    event.insert(u"event_type"_qs, outcome);
    m_publish(path(motor.known.motor.id) + QStringLiteral("/settings/event"), json(event), false);
    logLine(mqttText(MqttText::MqttSettingWritten)
                .arg(m_names.bus)
                .arg(motor.known.motor.id)
                .arg(key)
                .arg(r.request.value)
                .arg(outcome, reason),
            !r.confirmed());
    using R = WriteResult::Refusal;
    if (r.refusal == R::SharedId || r.refusal == R::SeveralAtOnce)
        setStanding(motor, Standing::Problem,
                    mqttText(MqttText::MqttSettingsShared).arg(motor.known.motor.id).arg(r.rateBps));
}

void BusSettings::setStanding(Motor &motor, Standing standing, const QString &problem)
{
    const Standing was = std::exchange(motor.standing, standing);
    motor.problem = problem;
    if (was == standing) {
        publishProblem(motor);
        return;
    }
    if (standing == Standing::Problem)
        logLine(mqttText(MqttText::MqttSettingsProblemLine).arg(m_names.bus).arg(motor.known.motor.id).arg(problem));
    // A device whose components change kind is announced anew.
    if (was != Standing::Unknown)
        m_publish(SettingsEntities::discovery(device(motor.known.motor.id)).topic, {}, true);
    if (was == Standing::Problem)
        for (const char *topic : {"/problem", "/problem/attributes"})
            m_publish(path(motor.known.motor.id) + QLatin1String(topic), {}, true);
    emit discoveryChanged();
    publishProblem(motor);
}

void BusSettings::publishState(const Motor &motor)
{
    if (motor.known.basic || motor.known.extended)
        m_publish(path(motor.known.motor.id) + QStringLiteral("/settings"), json(SettingsEntities::state(motor.known)),
                  true);
}

void BusSettings::publishProblem(const Motor &motor)
{
    if (motor.standing != Standing::Problem)
        return;
    m_publish(path(motor.known.motor.id) + QStringLiteral("/problem"), "ON", true);
    m_publish(path(motor.known.motor.id) + QStringLiteral("/problem/attributes"), json({{u"reason"_qs, motor.problem}}),
              true);
}

void BusSettings::publishAll()
{
    for (const Motor &m : std::as_const(m_motors)) {
        publishState(m);
        publishProblem(m);
    }
}

SettingsEntities::MotorDevice BusSettings::device(int id) const
{
    const Motor &m = m_motors[id];
    return {m_names.base, m_names.bus, m_names.prefix, m_names.version, id, m.standing == Standing::Problem};
}

QList<DiscoveryMessage> BusSettings::discovery() const
{
    QList<DiscoveryMessage> out;
    for (auto it = m_motors.cbegin(); it != m_motors.cend(); ++it)
        if (it->standing != Standing::Unknown)
            out.append(SettingsEntities::discovery(device(it.key())));
    return out;
}
