// The driver's view of a process it starts: the host, the motor, Tavik or a
// yardstick, with its standard output lines collected as they come.
#pragma once

#include <QByteArray>
#include <QEventLoop>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace Bench {

// A child process whose output lines are collected as they come.
class Child {
public:
    Child(const QString &program, const QStringList &args, bool probe = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (probe)
            env.insert(QStringLiteral("TAVIK_STARTUP_PROBE"), QStringLiteral("1"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] {
            while (m_process.canReadLine())
                lines.append(m_process.readLine().trimmed());
        });
        m_process.start(program, args);
    }
    ~Child() { stop(); }

    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() == QProcess::Running; }

    // The first line starting with prefix, waiting up to timeoutMs for it.
    QByteArray waitFor(const QByteArray &prefix, int timeoutMs = 30000)
    {
        // Woken by output, not by a timer: a busy driver would take CPU from
        // the processes it measures.
        QEventLoop loop;
        const auto check = [&] {
            if (find(prefix) || !running())
                loop.quit();
        };
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &loop, check);
        QObject::connect(&m_process, &QProcess::finished, &loop, check);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        if (!find(prefix))
            loop.exec();
        const QByteArray *line = find(prefix);
        if (!line)
            qFatal("no \"%s\" from %s", prefix.constData(), qPrintable(m_process.program()));
        return *line;
    }

    QList<QByteArray> linesStarting(const QByteArray &prefix) const
    {
        QList<QByteArray> found;
        for (const QByteArray &l : lines)
            if (l.startsWith(prefix))
                found.append(l);
        return found;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }

    QList<QByteArray> lines;

private:
    const QByteArray *find(const QByteArray &prefix) const
    {
        for (const QByteArray &l : lines)
            if (l.startsWith(prefix))
                return &l;
        return nullptr;
    }

    QProcess m_process;
};

} // namespace Bench
