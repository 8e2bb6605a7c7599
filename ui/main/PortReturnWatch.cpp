#include "PortReturnWatch.h"

#include <QFileInfo>

namespace {

constexpr int PollMs = 250;
constexpr int PollsBeforeOpening = 2;

} // namespace

PortReturnWatch::PortReturnWatch(QObject *parent) : QObject(parent)
{
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &PortReturnWatch::look);
}

void PortReturnWatch::watch(const QString &deviceName)
{
    m_name = deviceName;
    m_seenGone = false;
    m_seenBack = 0;
    m_poll.start();
    look(); // mostly gone already: its going is what lost the port
}

void PortReturnWatch::stop()
{
    m_poll.stop();
}

void PortReturnWatch::look()
{
    // exists() follows a link: a link to a terminal that closed is gone.
    if (!QFileInfo::exists(m_name)) {
        m_seenGone = true;
        m_seenBack = 0;
        return;
    }
    if (!m_seenGone || ++m_seenBack < PollsBeforeOpening)
        return;
    m_poll.stop();
    emit deviceBack(m_name);
}
