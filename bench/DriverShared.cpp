// What the driver's measures share: knobs, progress, the motor and host
// processes, frame times and the table's cells.
#include "Driver.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace Bench {

int knob(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

void progress(const QString &text)
{
    std::fprintf(stderr, "-- %s\n", qPrintable(text));
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QByteArray field(const QByteArray &line, int n)
{
    return line.split(' ').value(n);
}

std::unique_ptr<Child> startMotor(const QStringList &extra, const QString &link)
{
    QFile::remove(link);
    auto motor = std::make_unique<Child>(QCoreApplication::applicationFilePath(),
                                         QStringList {QStringLiteral("motor"), QStringLiteral("--link"), link} + extra);
    motor->waitFor("/");
    return motor;
}

std::unique_ptr<Child> startHost(const QStringList &args)
{
    auto host = std::make_unique<Child>(QCoreApplication::applicationFilePath(),
                                        QStringList {QStringLiteral("host")} + args
                                            + QStringList {QStringLiteral("--port"), kLink});
    host->waitFor("ready");
    return host;
}

QList<qint64> frameTimes(const Child &motor, int function, qint64 from, qint64 to)
{
    QList<qint64> times;
    for (const QByteArray &l : motor.linesStarting("frame ")) {
        const qint64 t = field(l, 1).toLongLong();
        const QByteArray bytes = QByteArray::fromHex(field(l, 2));
        if (t >= from && t <= to && bytes.size() == 7 && (function < 0 || quint8(bytes[4]) == function))
            times.append(t);
    }
    return times;
}

QList<double> spacingsMs(const QList<qint64> &times)
{
    QList<double> spacing;
    for (qsizetype i = 1; i < times.size(); ++i)
        spacing.append(double(times[i] - times[i - 1]) / 1e6);
    return spacing;
}

QString num(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("NOT MET");
}

void row(const QString &measure, const QString &tavik, const QString &yardstick, const QString &goal,
         const QString &result)
{
    std::printf("| %s | %s | %s | %s | %s |\n", qPrintable(measure), qPrintable(tavik), qPrintable(yardstick),
                qPrintable(goal), qPrintable(result));
}

} // namespace Bench
