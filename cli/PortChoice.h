// The port tavik-cli opens without --port (the only USB serial adapter
// present), the ports it lists, and why a port did not open, in the command
// line's own words.
#pragma once

#include "LinkDriver.h"

#include <QList>
#include <QString>

struct DeviceAccess;

struct SerialPortEntry {
    QString path;
    QString description;
    bool usbAdapter = false; // it has a USB vendor identifier
};

QList<SerialPortEntry> serialPorts();

// The only USB adapter's path among ports, with note saying which it is;
// empty with error (listing the ports) when there is none or several.
QString onlyUsbAdapter(const QList<SerialPortEntry> &ports, QString &note, QString &error);

// Why the port did not open: not there, not a serial device, no permission
// (and which group may), held by another process, or the system's own text.
QString openFailureReason(const QString &port, LinkDriver::OpenCause cause, const DeviceAccess &device,
                          const QString &componentText);
