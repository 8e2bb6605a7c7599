// The list of serial ports offered in the port box.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One serial port the system reports.
struct PortInfo {
    QString name; // what the port box shows and SerialLine opens ("/dev/ttyUSB0", "COM3")
    QString description; // "CP2102 USB to UART Bridge Controller"; may be empty
    QString manufacturer; // "Silicon Labs"; may be empty
    QString systemLocation; // "/dev/ttyUSB0", "\\.\COM3"

    // The item's tool tip: description and manufacturer, then the location,
    // one per line and each only when known; the name when nothing is known.
    QString toolTip() const;
};

namespace PortList {

// The ports present now, sorted by name (sortPortNames).
QList<PortInfo> availablePorts();

// Where availablePorts gets its ports: the system's serial ports
// (QSerialPortInfo) unless a test installs another source.  Returns the
// previous source; an empty source restores the system's.
using Source = std::function<QList<PortInfo>()>;
Source setSource(Source source);

} // namespace PortList

// Replaces the content of strings with the names of the serial ports present,
// sorted case-insensitively ("COM1", "COM10", "COM2"); leaves it untouched
// when the ports cannot be enumerated.
void EnumComPorts(QStringList &strings);

// Case-insensitive text order used for the port list.
void sortPortNames(QStringList &names);
