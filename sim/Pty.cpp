#include "Pty.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

int termiosSpeedToBps(unsigned speed)
{
    switch (speed) {
    case B110: return 110;
    case B300: return 300;
    case B600: return 600;
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    default: return 0;
    }
}

Pty::Pty()
{
    open();
}

bool Pty::open()
{
    if (m_master >= 0)
        return true;
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0)
        return false;
    char name[128] = {};
    if (::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 || ::ptsname_r(m_master, name, sizeof name) != 0) {
        close();
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Holding the slave open keeps the master readable while the program
    // closes and reopens its port (a scan reopens it at every step).
    m_slaveKeep = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slaveKeep >= 0) {
        termios t {};
        if (::tcgetattr(m_slaveKeep, &t) == 0) {
            ::cfmakeraw(&t); // no echo of our answers back to us
            ::tcsetattr(m_slaveKeep, TCSANOW, &t);
        }
    }
    return true;
}

Pty::~Pty()
{
    close();
    for (int fd : m_slavesHeld)
        ::close(fd);
}

int Pty::lineRateBps() const
{
    const int fd = m_slaveKeep >= 0 ? m_slaveKeep : m_master;
    termios t {};
    if (fd < 0 || ::tcgetattr(fd, &t) != 0)
        return 0;
    return termiosSpeedToBps(::cfgetospeed(&t));
}

QByteArray Pty::readAvailable()
{
    QByteArray out;
    if (m_master < 0)
        return out;
    char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            out.append(buf, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    return out;
}

bool Pty::write(const QByteArray &bytes)
{
    if (m_master < 0)
        return false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p {m_master, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0)
                return false; // nobody drains the line
        } else if (!(n < 0 && errno == EINTR)) {
            return false;
        }
    }
    return true;
}

qsizetype Pty::writeSome(const QByteArray &bytes)
{
    if (m_master < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::write(m_master, bytes.constData(), size_t(bytes.size()));
        if (n >= 0)
            return n;
        if (errno == EAGAIN)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

bool Pty::link(const QString &path)
{
    if (m_slavePath.isEmpty())
        return false;
    QFile::remove(path);
    if (!QFile::link(m_slavePath, path))
        return false;
    m_linkPath = path;
    return true;
}

void Pty::close()
{
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveKeep >= 0)
        m_slavesHeld << m_slaveKeep;
    m_slaveKeep = m_master = -1;
    if (!m_linkPath.isEmpty())
        QFile::remove(m_linkPath);
    m_linkPath.clear();
}
