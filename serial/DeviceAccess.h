// Who may open a serial device: what the port name leads to, its owner and
// group, and whether this process may read and write it.  Used to tell the
// user what to do when a port does not open.
#pragma once

#include <QString>

struct DeviceAccess {
    QString device; // the device file behind the name, symbolic links resolved
    bool exists = false;
    bool mayOpen = false; // access(device, R_OK | W_OK) succeeds
    QString owner; // user name (the number when the system has no name for it)
    QString group; // group name, likewise
    bool groupMayOpen = false; // members of the group may read and write it
    qint64 holderPid = 0; // the process whose lock file holds the device (0: none found)
};

// Looks at the device behind a port name ("/dev/ttyUSB0", a link to a
// pseudo-terminal).  Names that are no path ("COM3") and systems without
// device files give the name as device and exists = false.
DeviceAccess inspectDevice(const QString &portName);

// Where the serial port component opens a port: the device itself, with
// symbolic links resolved, so that its lock file ("LCK..ttyUSB0") is one per
// device whatever name leads to it.  The name as it stands when nothing is there.
QString deviceToOpen(const QString &portName);
