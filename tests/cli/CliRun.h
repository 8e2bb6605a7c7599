// tavik-cli run as a script runs it: the real executable, its exit code,
// its output, and the frames the simulated bus received.
#pragma once

#include "MotorSim.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryFile>

struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
    QJsonObject json(int line = 0) const { return QJsonDocument::fromJson(out.split('\n').value(line)).object(); }
    // The first record of this type.
    QJsonObject record(const QString &type) const
    {
        for (const QByteArray &line : out.split('\n'))
            if (const QJsonObject o = QJsonDocument::fromJson(line).object(); o.value("type") == type)
                return o;
        return {};
    }
};

// Runs tavik-cli while the simulator keeps answering (the event loop runs),
// without TAVIK_PORT and TAVIK_BAUD unless env sets them.
inline Run cli(const QStringList &args, const QStringList &env = {})
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove(QStringLiteral("TAVIK_PORT"));
    e.remove(QStringLiteral("TAVIK_BAUD"));
    for (const QString &kv : env)
        e.insert(kv.section(u'=', 0, 0), kv.section(u'=', 1));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(TAVIK_CLI), args);
    QSignalSpy done(&p, &QProcess::finished);
    if (!done.wait(30000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

inline QByteArray frame(int id, quint16 mask, quint8 function, quint8 data)
{
    return MotorBus::commandFrame(id, mask, function, data);
}

// How often this exact frame reached the bus.
inline int received(const MotorSim &sim, const QByteArray &bytes)
{
    int n = 0;
    for (const auto &f : sim.frames())
        n += f.bytes == bytes;
    return n;
}

// Frames with this function byte.
inline int withFunction(const MotorSim &sim, quint8 function)
{
    int n = 0;
    for (const auto &f : sim.frames())
        n += quint8(f.bytes.at(4)) == function;
    return n;
}

inline QString profileFile(QTemporaryFile &file, const QByteArray &content)
{
    file.open();
    file.write(content);
    file.flush();
    return file.fileName();
}

inline const QByteArray kProfileHead = R"({"format":"tavik-motor-profile","version":1)";
