#include "Chaos.h"

#include <QIODevice>
#include <QTimer>

#include <algorithm>

namespace {

QString hex(quint8 b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QChar(u'0')).toUpper();
}

} // namespace

const char *Chaos::kindName(int kind)
{
    static constexpr const char *names[KindCount] = {"noise", "bad-check", "drop",   "duplicate",
                                                     "late",  "split",     "ignore", "flood"};
    return kind >= 0 && kind < KindCount ? names[kind] : "?";
}

Chaos::Chaos(MotorSim &sim, QIODevice *log, quint32 seed, const Timing &timing, QObject *parent)
    : QObject(parent), m_sim(sim), m_log(log), m_seed(seed), m_rng(seed), m_timing(timing)
{
    m_phaseTimer.setSingleShot(true);
    connect(&m_phaseTimer, &QTimer::timeout, this, &Chaos::nextPhase);
    connect(&sim, &MotorSim::frameReceived, this, [this](const QByteArray &bytes, int rate, bool answered) {
        line(QStringLiteral("frame %1 %2 %3")
                 .arg(QString::fromLatin1(bytes.toHex().toUpper()))
                 .arg(rate)
                 .arg(answered ? u"answered" : u"unanswered"));
    });
    connect(&sim, &MotorSim::settingWritten, this, [this](int index, quint8 function, quint8 value, bool kept) {
        const MotorBus &bus = m_sim.bus();
        const Motor &m = bus.motors().at(index);
        QString text = QStringLiteral("write %1 %2 %3 %4 id=%5 ch=%6 baud=%7")
                           .arg(index)
                           .arg(hex(function))
                           .arg(value)
                           .arg(kept ? u"kept" : u"ignored")
                           .arg(m.id)
                           .arg(m.channels, 4, 16, QChar(u'0'))
                           .arg(bus.baudCodeOf(m));
        for (const MotorSetting &mem : MotorMemory)
            text += QStringLiteral(" %1=%2").arg(hex(mem.function)).arg(m.*mem.value);
        line(text);
    });
    connect(&sim, &MotorSim::unplugged, this, [this] { line(QStringLiteral("unplug")); });
    connect(&sim, &MotorSim::replugged, this, [this](const QString &path) { line(QStringLiteral("replug ") + path); });
}

void Chaos::start()
{
    m_clock.start();
    line(QStringLiteral("start seed=%1").arg(m_seed));
    nextPhase();
    scheduleUnplug();
}

void Chaos::line(const QString &text)
{
    if (m_log.device())
        m_log << m_clock.elapsed() << ' ' << text << Qt::endl;
}

void Chaos::nextPhase()
{
    QList<int> kinds;
    m_faulty = !m_faulty;
    if (m_faulty) {
        if (m_round.isEmpty()) {
            for (int k = 0; k < KindCount; ++k)
                m_round.append(k);
            std::shuffle(m_round.begin(), m_round.end(), m_rng);
        }
        kinds.append(m_round.takeFirst());
        // Now and then a second fault at once: the bus misbehaves in more than one way.
        const int other = int(m_rng.bounded(KindCount));
        if (m_rng.bounded(3) == 0 && other != kinds.front())
            kinds.append(other);
    }
    const int ms = pick(m_faulty ? m_timing.phase : m_timing.clean);
    QStringList names;
    for (int k : kinds) {
        names.append(QString::fromLatin1(kindName(k)));
        ++m_phases[std::size_t(k)];
    }
    line(QStringLiteral("phase %1 %2").arg(names.isEmpty() ? QStringLiteral("clean") : names.join(u',')).arg(ms));
    applyFaults(kinds);
    m_phaseTimer.start(ms);
}

void Chaos::applyFaults(const QList<int> &kinds)
{
    MotorSim::Faults f;
    int delayMs = 20;
    for (int k : kinds) {
        switch (k) {
        case Noise: f.garbage = MotorSim::Faults::GarbageBefore; break;
        case BadCheck: f.badCheck = true; break;
        case Dropped: f.dropEvery = 1 + int(m_rng.bounded(3)); break;
        case Doubled: f.duplicate = true; break;
        case Late: delayMs = 200 + int(m_rng.bounded(1300)); break;
        case Split: f.split = true; break;
        case IgnoredWrites:
            for (const MotorSetting &mem : MotorMemory)
                f.ignoredWrites.insert(mem.function);
            break;
        case Flood: {
            const int bytes = 1000 + int(m_rng.bounded(5001));
            line(QStringLiteral("flood %1").arg(bytes));
            m_sim.flood(bytes);
            break;
        }
        default: break;
        }
    }
    m_sim.setFaults(f);
    m_sim.setAnswerDelayMs(delayMs);
}

void Chaos::scheduleUnplug()
{
    QTimer::singleShot(pick(m_timing.replug), this, &Chaos::pullOut);
}

void Chaos::pullOut()
{
    ++m_unplugs;
    m_sim.unplug();
    QTimer::singleShot(pick(m_timing.outage), this, [this] {
        if (!m_sim.replug())
            line(QStringLiteral("replug failed"));
        scheduleUnplug();
    });
}
