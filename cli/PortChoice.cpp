#include "PortChoice.h"

#include "CliText.h"
#include "DeviceAccess.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A terminal device: what a serial port is and /dev/null or a file is not.
bool isTerminal(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return true; // cannot tell: leave the reason to the system's text
    const bool tty = ::isatty(fd);
    ::close(fd);
    return tty;
}

} // namespace

QList<SerialPortEntry> serialPorts()
{
    QList<SerialPortEntry> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports.append({info.systemLocation(), info.description(), info.hasVendorIdentifier()});
    std::sort(ports.begin(), ports.end(), [](const auto &a, const auto &b) { return a.path < b.path; });
    return ports;
}

QString onlyUsbAdapter(const QList<SerialPortEntry> &ports, QString &note, QString &error)
{
    QList<SerialPortEntry> adapters;
    QStringList lines;
    for (const SerialPortEntry &p : ports) {
        if (p.usbAdapter)
            adapters << p;
        lines << QStringLiteral("  %1%2%3")
                     .arg(p.path, p.usbAdapter ? QStringLiteral("  (USB) ") : QStringLiteral("  "), p.description);
    }
    if (adapters.size() == 1) {
        note = say(CliText::CliUsingAdapter).arg(adapters[0].path, adapters[0].description);
        return adapters[0].path;
    }
    error = adapters.isEmpty() ? say(CliText::CliNoAdapter) : say(CliText::CliSeveralAdapters);
    error += u'\n' + (lines.isEmpty() ? QStringLiteral("  ") + say(CliText::CliNoPorts) : lines.join(u'\n'));
    return {};
}

QString openFailureReason(const QString &port, LinkDriver::OpenCause cause, const DeviceAccess &device,
                          const QString &componentText)
{
    const QFileInfo file(port);
    if (cause == LinkDriver::OpenCause::NotFound || !file.exists())
        return say(CliText::CliPortMissing).arg(port);
    if (file.isFile() || file.isDir() || !isTerminal(port))
        return say(CliText::CliPortNotSerial).arg(port);
    if (cause == LinkDriver::OpenCause::NoPermission) {
        if (device.groupMayOpen && !device.group.isEmpty())
            return say(CliText::CliPortDeniedGroup).arg(port, device.group);
        return say(CliText::CliPortDenied).arg(port, device.owner);
    }
    if (cause == LinkDriver::OpenCause::InUse && device.holderPid > 0)
        return say(CliText::CliPortHeldBy).arg(port).arg(device.holderPid);
    if (cause == LinkDriver::OpenCause::InUse)
        return say(CliText::CliPortBusy).arg(port);
    return say(CliText::CliPortOther).arg(port, componentText);
}
