#include "MemorySerialDevice.h"

void MemorySerialDevice::arrive(const QByteArray &bytes, bool notify)
{
    if (!m_open || bytes.isEmpty())
        return;
    m_input += bytes;
    if (notify)
        emit bytesArrived();
}

QByteArray MemorySerialDevice::takeWritten()
{
    return std::exchange(m_written, {});
}

void MemorySerialDevice::pullOut(const QString &reason)
{
    if (!m_open)
        return;
    m_open = false;
    m_input.clear();
    emit deviceLost(reason);
}

SerialDevice::OpenResult MemorySerialDevice::open(const QString &name)
{
    const auto refused = m_refused.constFind(name);
    if (refused != m_refused.constEnd()) {
        OpenResult result;
        result.failure = *refused;
        result.device.device = name;
        return result;
    }
    m_name = name;
    m_open = true;
    ++m_opens;
    m_input.clear();
    return {};
}

QByteArray MemorySerialDevice::read(qint64 max)
{
    const QByteArray out = m_input.left(max);
    m_input.remove(0, out.size());
    return out;
}

void MemorySerialDevice::write(const std::uint8_t *bytes, int count)
{
    if (m_open)
        m_written.append(reinterpret_cast<const char *>(bytes), count);
}
