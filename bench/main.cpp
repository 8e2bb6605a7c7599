// tavik-bench: measures Tavik's start-up, memory, idle load, frame timing
// and receive path; see Roles.h for the processes it runs.
#include "Roles.h"

#include <QApplication>

#include <cstdio>

void say(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int main(int argc, char *argv[])
{
    const QByteArray role = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (role == "host") {
        QApplication app(argc, argv);
        return runHost(app.arguments().mid(2));
    }
    QCoreApplication app(argc, argv);
    if (role == "motor")
        return runMotor(app.arguments().mid(2));
    return runDriver();
}
