// A pseudo-terminal pair: the far end of a serial line for the simulated
// motor bus and for tests.  The program opens slavePath() as its serial port;
// we read and write the master side.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class Pty {
public:
    Pty();
    ~Pty();
    // Opens a new pair after close(), as a re-plugged adapter: a new slave
    // path.  false if the system gives none.
    bool open();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool isOpen() const { return m_master >= 0; }
    int masterFd() const { return m_master; }
    QString slavePath() const { return m_slavePath; }

    // The line rate in bits per second that the program set on its side
    // (read back from the terminal's settings); 0 if unknown.
    int lineRateBps() const;

    // Everything the program has written so far (non-blocking).
    QByteArray readAvailable();
    // Writes all bytes to the program's side; false if the terminal is gone.
    bool write(const QByteArray &bytes);
    // Writes what the line takes now without waiting; the count written, or
    // -1 if the terminal is gone.
    qsizetype writeSome(const QByteArray &bytes);

    // Places a symbolic link to the slave at path (replacing an old link).
    bool link(const QString &path);

    // Closes the master: to the program this is an unplugged adapter, its
    // device gone.  Our slave end stays open until this object goes (see
    // m_slavesHeld).
    void close();

private:
    int m_master = -1;
    int m_slaveKeep = -1; // keeps the line alive while the program reopens it
    // Slave ends of closed pairs.  A pair's number is free for the next
    // pseudo-terminal made anywhere once its last descriptor closes; a serial
    // port closes its descriptor before it removes its lock file, so were the
    // port's descriptor the last, another program could be given the number
    // and find it locked by a live process.
    QList<int> m_slavesHeld;
    QString m_slavePath;
    QString m_linkPath;
};

// bits per second of a termios speed constant (B9600 -> 9600); 0 if unknown.
int termiosSpeedToBps(unsigned speed);
