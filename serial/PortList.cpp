#include "PortList.h"

#include <QSerialPortInfo>

#include <algorithm>

namespace {

QList<PortInfo> systemPorts()
{
    QList<PortInfo> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos) {
        PortInfo port;
        // Each entry must open as it is when handed to SerialLine::setPortName:
        // Windows opens "COM3" by its short name, elsewhere the device path.
#ifdef Q_OS_WIN
        port.name = info.portName();
#else
        port.name = info.systemLocation();
#endif
        port.description = info.description();
        port.manufacturer = info.manufacturer();
        port.systemLocation = info.systemLocation();
        ports.append(port);
    }
    return ports;
}

PortList::Source &source()
{
    static PortList::Source current;
    return current;
}

} // namespace

QString PortInfo::toolTip() const
{
    QStringList lines;
    // A driver that knows nothing better repeats the port's name or says "n/a".
    for (const QString &line : {description.trimmed(), manufacturer.trimmed(), systemLocation})
        if (!line.isEmpty() && line != QLatin1String("n/a") && !lines.contains(line))
            lines << line;
    return lines.isEmpty() ? name : lines.join(QLatin1Char('\n'));
}

namespace PortList {

QList<PortInfo> availablePorts()
{
    QList<PortInfo> ports = source() ? source()() : systemPorts();
    std::stable_sort(ports.begin(), ports.end(), [](const PortInfo &a, const PortInfo &b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    return ports;
}

Source setSource(Source replacement)
{
    Source previous = std::move(source());
    source() = std::move(replacement);
    return previous;
}

} // namespace PortList

void sortPortNames(QStringList &names)
{
    names.sort(Qt::CaseInsensitive);
}

// Qt has no "list unreadable" outcome: an empty enumeration is a valid answer
// (no ports present) and replaces the list like any other.
void EnumComPorts(QStringList &strings)
{
    QStringList names;
    for (const PortInfo &port : PortList::availablePorts())
        names.append(port.name);
    strings = names;
}
