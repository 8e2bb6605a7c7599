#include "MotorSim.h"

#include <QRandomGenerator>
#include <QSocketNotifier>

namespace {

QByteArray randomBytes(int count)
{
    QByteArray b(count, Qt::Uninitialized);
    for (char &c : b)
        c = char(QRandomGenerator::global()->bounded(256));
    return b;
}

} // namespace

MotorSim::MotorSim(QObject *parent) : QObject(parent)
{
    m_motion.setInterval(50);
    connect(&m_motion, &QTimer::timeout, this, [this] { m_bus.advance(int(m_clock.restart())); });
    if (m_pty.isOpen())
        watch();

    m_chatter.setTimerType(Qt::PreciseTimer);
    m_chatter.setInterval(10);
    connect(&m_chatter, &QTimer::timeout, this, &MotorSim::chatter);
}

MotorSim::~MotorSim() = default;

void MotorSim::watch()
{
    m_readNotifier = std::make_unique<QSocketNotifier>(m_pty.masterFd(), QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &MotorSim::onReadable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_pty.masterFd(), QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &MotorSim::pump);
    m_clock.start();
    m_motion.start();
}

bool MotorSim::link(const QString &path)
{
    if (!m_pty.link(path))
        return false;
    m_linkPath = path;
    return true;
}

void MotorSim::setFaults(const Faults &faults)
{
    m_faults = faults;
    m_answersDue = 0;
    m_bus.setIgnoredWrites(faults.ignoredWrites);
}

void MotorSim::onReadable()
{
    const QByteArray bytes = m_pty.readAvailable();
    if (bytes.isEmpty())
        return;
    // The rate is the program's at arrival: it may reopen at another soon.
    const int rate = m_pty.lineRateBps();
    for (const MotorBus::ReceivedFrame &f : m_bus.feed(bytes, rate)) {
        bool answered = false;
        for (const MotorBus::Answer &a : f.answers)
            answered = scheduleAnswer(a, rate) || answered;
        emit frameReceived(f.bytes, f.lineRateBps, answered);
        for (int index : f.motorIndexes)
            emit settingWritten(index, quint8(f.bytes[4]), quint8(f.bytes[5]), f.write == MotorBus::Write::Kept);
    }
}

// Each answer (or garble) the line carries back is spoilt by the faults of
// the moment its frame arrived; true if anything is on its way.
bool MotorSim::scheduleAnswer(const MotorBus::Answer &a, int rate)
{
    if (m_faults.silent || (m_faults.dropEvery > 0 && ++m_answersDue % m_faults.dropEvery == 0))
        return false;
    if (m_faults.garbage == Faults::GarbageInstead) {
        QTimer::singleShot(a.delayMs, this, [this, junk = randomBytes(int(a.bytes.size()))] { queue(junk); });
        return false;
    }
    QTimer::singleShot(a.delayMs, this, [this, answer = a.bytes, rate, faults = m_faults, plug = m_plugCount] {
        if (plug == m_plugCount) // not across an unplug
            sendAnswer(answer, rate, faults);
    });
    return true;
}

void MotorSim::sendAnswer(QByteArray answer, int lineRateBps, const Faults &faults)
{
    if (!m_pty.isOpen())
        return;
    if (faults.badCheck)
        answer[answer.size() - 1] = char(answer.back() ^ 0x5A);
    // Sent at our rate to a port that has since moved to another: the
    // program's receiver makes noise of it.
    if (m_pty.lineRateBps() != lineRateBps)
        answer = randomBytes(answer.size());
    QByteArray out;
    if (faults.garbage == Faults::GarbageBefore)
        out = randomBytes(1 + QRandomGenerator::global()->bounded(16));
    out += answer;
    if (faults.duplicate)
        out += answer;
    ++m_answersSent;
    if (!faults.split) {
        queue(out);
        return;
    }
    // The line stalls inside the answer: the rest, and anything after it,
    // follows after a pause.
    const int cut = out.size() - 1 - QRandomGenerator::global()->bounded(answer.size() - 1);
    if (m_stallAt < 0)
        m_stallAt = m_out.size() + cut;
    QTimer::singleShot(10 + QRandomGenerator::global()->bounded(90), this, [this, plug = m_plugCount] {
        if (plug != m_plugCount)
            return;
        m_stallAt = -1;
        pump();
    });
    queue(out);
}

void MotorSim::flood(int count)
{
    queue(randomBytes(count));
}

void MotorSim::queue(const QByteArray &bytes)
{
    if (!m_pty.isOpen())
        return;
    m_out += bytes;
    pump();
}

// Writes what the line takes; the rest waits until the program reads.
void MotorSim::pump()
{
    const qsizetype n = m_pty.writeSome(m_stallAt < 0 ? m_out : m_out.left(m_stallAt));
    if (n < 0) {
        m_out.clear();
        return;
    }
    m_out.remove(0, n);
    if (m_stallAt >= 0)
        m_stallAt -= n;
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_out.isEmpty() && m_stallAt != 0);
}

void MotorSim::setChatter(bool on)
{
    if (on == m_chatter.isActive())
        return;
    if (on) {
        m_chatterSent = 0;
        m_chatterClock.start();
        m_chatter.start();
    } else {
        m_chatter.stop();
    }
}

// Sends the answers the line had time for since the chatter began.
void MotorSim::chatter()
{
    if (m_bus.motors().isEmpty())
        return;
    const Motor &m = m_bus.motors().front();
    const qint64 bytesPerSecond = m_bus.lineRateBpsOf(m) / 10;
    const qint64 due = m_chatterClock.elapsed() * bytesPerSecond / 1000 / 10;
    QByteArray out;
    for (; m_chatterSent < due; ++m_chatterSent)
        out += MotorBus::responseFrame(m.id, m.channels, 0, 0, 0, quint8(m_chatterSent % 101), MotorBus::PositionKnown);
    queue(out);
}

void MotorSim::unplug()
{
    if (!m_pty.isOpen())
        return;
    // The notifiers must let go of the descriptor before it closes.
    m_readNotifier.reset();
    m_writeNotifier.reset();
    m_motion.stop();
    m_chatter.stop();
    m_out.clear();
    m_stallAt = -1;
    m_pty.close();
    ++m_plugCount;
    emit unplugged();
}

bool MotorSim::replug()
{
    if (m_pty.isOpen())
        return true;
    if (!m_pty.open())
        return false;
    if (!m_linkPath.isEmpty())
        m_pty.link(m_linkPath);
    watch();
    emit replugged(path());
    return true;
}
