// A second program for the port tests: it holds a serial port the way
// another program on the technician's computer would, or opens one as an
// unprivileged user.
//
//   port_probe hold PATH
//       Opens PATH with QSerialPort, prints "held" (or "failed: <reason>")
//       and keeps the port until its standard input closes.
//   port_probe open-as-nobody PATH [GROUP]
//       Makes the device behind PATH root-owned with mode 0600 (with GROUP:
//       group GROUP, mode 0660), becomes the user and group 65534, then
//       chooses PATH in the main window's port box as a user would.  Prints one "message:<base64>" line per message the
//       program showed, then "open:<0|1>" and "failure:<n>" (lastOpenFailure).
//       Prints "skip: <reason>" and exits with 3 when the identity cannot be
//       changed.
#include "Messages.h"
#include "Windows.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QSerialPort>
#include <QTextStream>

#include <cstdio>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void say(const QByteArray &line)
{
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int hold(const QString &path)
{
    QSerialPort port(path);
    if (!port.open(QIODevice::ReadWrite)) {
        say("failed: " + port.errorString().toUtf8());
        return 2;
    }
    say("held");
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {}
    port.close();
    return 0;
}

int openAsNobody(int &argc, char **argv, const QString &path, const QByteArray &groupName)
{
    const QByteArray device = QFileInfo(path).canonicalFilePath().toLocal8Bit();
    if (device.isEmpty()) {
        say("skip: no device behind " + path.toLocal8Bit());
        return 3;
    }
    gid_t gid = 0;
    if (!groupName.isEmpty()) {
        const group *g = ::getgrnam(groupName.constData());
        if (!g) {
            say("skip: no group " + groupName);
            return 3;
        }
        gid = g->gr_gid;
    }
    if (::chown(device.constData(), 0, gid) != 0 || ::chmod(device.constData(), gid ? 0660 : 0600) != 0) {
        say("skip: cannot give " + device + " to root and group " + QByteArray::number(gid));
        return 3;
    }
    if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0) {
        say("skip: cannot become user 65534");
        return 3;
    }
    if (::access(device.constData(), R_OK | W_OK) == 0) {
        say("skip: user 65534 may still open " + device);
        return 3;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Messages::Recorder messages;
    Windows w({path});
    QComboBox *box = w.mainWindow.portList();
    const int index = box->findText(path);
    if (index < 0) {
        say("skip: the port box does not list " + path.toLocal8Bit());
        return 3;
    }
    box->setCurrentIndex(index);
    emit box->activated(index);
    QCoreApplication::processEvents();
    for (const QString &text : messages.texts())
        say("message:" + text.toUtf8().toBase64());
    say("open:" + QByteArray::number(w.mainWindow.serial().isOpen() ? 1 : 0));
    say("failure:" + QByteArray::number(int(w.mainWindow.serial().lastOpenFailure())));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        std::fputs("usage: port_probe hold PATH | open-as-nobody PATH [GROUP]\n", stderr);
        return 64;
    }
    const QByteArray mode = argv[1];
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (mode == "hold") {
        QCoreApplication app(argc, argv);
        return hold(path);
    }
    if (mode == "open-as-nobody")
        return openAsNobody(argc, argv, path, argc == 4 ? QByteArray(argv[3]) : QByteArray());
    std::fputs("unknown mode\n", stderr);
    return 64;
}
