#include "DeviceAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// The process holding the device's lock file: the serial port component
// keeps "LCK.." and the device's name below /dev ('/' made '_') in the first
// of the usual lock directories that it may use.
qint64 lockHolder(const QString &device)
{
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name.replace(u'/', u'_');
    for (const char *dir : {"/var/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp", "/var/tmp",
                            "/var/lock/lockdev", "/run/lock"}) {
        const QString path = QLatin1String(dir) + QStringLiteral("/LCK..") + name;
        qint64 pid = 0;
        QString host, app;
        if (QFile::exists(path) && QLockFile(path).getLockInfo(&pid, &host, &app))
            return pid;
    }
    return 0;
}

} // namespace

QString deviceToOpen(const QString &portName)
{
    const QString resolved = QFileInfo(portName).canonicalFilePath();
    return resolved.isEmpty() ? portName : resolved;
}

DeviceAccess inspectDevice(const QString &portName)
{
    DeviceAccess access;
    const QString resolved = QFileInfo(portName).canonicalFilePath(); // empty when nothing is there
    access.device = resolved.isEmpty() ? portName : resolved;
#ifdef Q_OS_UNIX
    if (resolved.isEmpty())
        return access;
    const QByteArray file = QFile::encodeName(resolved);
    struct stat info {};
    if (::stat(file.constData(), &info) != 0)
        return access;
    access.exists = true;
    access.mayOpen = ::access(file.constData(), R_OK | W_OK) == 0;
    const passwd *user = ::getpwuid(info.st_uid);
    access.owner = user ? QString::fromLocal8Bit(user->pw_name) : QString::number(info.st_uid);
    const group *grp = ::getgrgid(info.st_gid);
    access.group = grp ? QString::fromLocal8Bit(grp->gr_name) : QString::number(info.st_gid);
    access.groupMayOpen = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    access.holderPid = lockHolder(resolved);
#endif
    return access;
}
