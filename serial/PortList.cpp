#include "PortList.h"

#include <QSerialPortInfo>

void sortPortNames(QStringList &names)
{
    names.sort(Qt::CaseInsensitive);
}

// Qt has no "list unreadable" outcome: an empty enumeration is a valid answer
// (no ports present) and replaces the list like any other.
void EnumComPorts(QStringList &strings)
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports) {
        // Each entry must open as it is when handed to TComm::setPortName:
        // Windows opens "COM3" by its short name, elsewhere the device path.
#ifdef Q_OS_WIN
        names.append(info.portName());
#else
        names.append(info.systemLocation());
#endif
    }
    sortPortNames(names);
    strings = names;
}
