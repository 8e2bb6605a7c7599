#include "DeviceAccess.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
#endif
    return access;
}
