// SerialLine against a real pseudo-terminal: the test plays the device on the
// master side, the component opens the slave like a serial adapter.
#include "PortList.h"
#include "Pty.h"
#include "SerialLine.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

namespace {

void openOn(SerialLine &comm, const QString &path)
{
    comm.setPortName(path);
    comm.setOpen(true);
    QVERIFY(comm.isOpen());
}

// The terminal settings of the line as the device side sees them.
termios lineSettings(const Pty &pty)
{
    termios t {};
    const int fd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ::tcgetattr(fd, &t);
    ::close(fd);
    return t;
}

double cpuSeconds()
{
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

QString commErrorText(const std::function<void()> &call)
{
    try {
        call();
    } catch (const SerialError &e) {
        return QString::fromLatin1(e.what());
    }
    return {};
}

// The texts the component reports without an exception, as its owner gets them.
struct ErrorTexts {
    QStringList list;
    explicit ErrorTexts(SerialLine &comm)
    {
        QObject::connect(&comm, &SerialLine::errorText, [this](const QString &text) { list << text; });
    }
    const QStringList &texts() const { return list; }
    void clear() { list.clear(); }
};

} // namespace

class SerialLineTest : public QObject {
    Q_OBJECT
private slots:
    void equalSettingLeavesOpenPortAlone_differentReconfiguresAtOnce()
    {
        Pty pty;
        SerialLine comm;
        openOn(comm, pty.slavePath());
        QCOMPARE(pty.lineRateBps(), 9600);
        QVERIFY(pty.write("abc"));
        QTRY_COMPARE(comm.bytesWaiting(), 3);

        // Someone else retunes the line: an equal value must not re-apply ours.
        termios t = lineSettings(pty);
        ::cfsetspeed(&t, B2400);
        const int fd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        ::tcsetattr(fd, TCSANOW, &t);
        ::close(fd);
        comm.setBitsPerSecond(9600);
        QCOMPARE(pty.lineRateBps(), 2400);

        comm.setBitsPerSecond(19200);
        QCOMPARE(pty.lineRateBps(), 19200);
        // 8 data bits, one stop bit, no parity, no flow control.
        const termios now = lineSettings(pty);
        QCOMPARE(now.c_cflag & CSIZE, tcflag_t(CS8));
        QVERIFY(!(now.c_cflag & (CSTOPB | PARENB | CRTSCTS)));
        QCOMPARE(comm.bytesWaiting(), 3); // reconfigured in place: nothing purged
    }

    void frameGoesOutByteExactAndPortNameWaitsForReopen()
    {
        Pty pty;
        SerialLine comm;
        openOn(comm, pty.slavePath());
        comm.setPortName(QStringLiteral("COM3"));
        QCOMPARE(comm.portName(), QStringLiteral("COM3"));
        const QByteArray frame = QByteArray::fromHex("9a0505000addd7");
        QVERIFY(comm.writeBytes(reinterpret_cast<const std::uint8_t *>(frame.constData()), 7));
        QByteArray received;
        QTRY_COMPARE(received += pty.readAvailable(), frame);

        comm.setOpen(false);
        QCOMPARE(commErrorText([&] { comm.setOpen(true); }), QString::fromLatin1(CommText::OpenFailed));
        QVERIFY(!comm.isOpen());
    }

    void receiveEventNeedsThreshold()
    {
        Pty pty;
        SerialLine comm;
        int raised = 0;
        comm.onReceiveData = [&](SerialLine *) { ++raised; };
        openOn(comm, pty.slavePath());
        QVERIFY(pty.write(QByteArray(300, 'x')));
        QTRY_COMPARE(comm.bytesWaiting(), 300);
        QTest::qWait(350); // several poll ticks
        QCOMPARE(raised, 0);

        comm.setReceiveThreshold(1);
        QTRY_VERIFY(raised > 0);
    }

    void waitingBytesAndReads()
    {
        Pty pty;
        SerialLine comm;
        openOn(comm, pty.slavePath());
        QVERIFY(pty.write("12345678"));
        QTRY_COMPARE(comm.bytesWaiting(), 8);
        comm.discardWaiting();
        QCOMPARE(comm.bytesWaiting(), 0);

        const QByteArray frame = QByteArray::fromHex("d8050100010203cc0035");
        QVERIFY(pty.write(frame + "!"));
        QTRY_COMPARE(comm.bytesWaiting(), 11);
        const SerialLine::ReadResult r = comm.readBytes();
        QCOMPARE(r.lastIndex, 10);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.bytes), 11), frame + "!");

        // A backlog above 4096 bytes is dropped, not read, and the previous
        // read is not handed out again in its place.
        QVERIFY(pty.write(QByteArray(5000, 'z')));
        QTRY_COMPARE(comm.bytesWaiting(), 5000);
        QCOMPARE(comm.input(), QByteArray());
        QCOMPARE(comm.bytesWaiting(), 0);
        QCOMPARE(comm.discardedBytes(), 5000);
    }

    // The largest backlog one read takes, and one byte more.
    void readLimit_data()
    {
        QTest::addColumn<int>("waiting");
        QTest::addColumn<bool>("read");
        QTest::newRow("4096 read") << 4096 << true;
        QTest::newRow("4097 discarded") << 4097 << false;
    }
    void readLimit()
    {
        QFETCH(int, waiting);
        QFETCH(bool, read);
        Pty pty;
        SerialLine comm;
        openOn(comm, pty.slavePath());
        QByteArray bytes(waiting, Qt::Uninitialized);
        for (int i = 0; i < waiting; ++i)
            bytes[i] = char(i * 7);
        QVERIFY(pty.write(bytes));
        QTRY_COMPARE(comm.bytesWaiting(), waiting);
        const SerialLine::ReadResult r = comm.readBytes();
        QCOMPARE(comm.bytesWaiting(), 0);
        QCOMPARE(r.lastIndex, read ? waiting - 1 : -1);
        QCOMPARE(comm.input(), read ? bytes : QByteArray());
    }

    void failureReports()
    {
        SerialLine comm;
        ErrorTexts boxes(comm);
        const std::uint8_t frame[2] {0x9A, 0x01};
        QCOMPARE(comm.writeBytes(frame, 2), false);
        QCOMPARE(boxes.texts(), QStringList {QString::fromLatin1(CommText::NotOpen)});
        const QString notOpen = QString::fromLatin1(CommText::NotOpen);
        QCOMPARE(commErrorText([&] { comm.input(); }), notOpen);
        QCOMPARE(commErrorText([&] { comm.readBytes(); }), notOpen);
        comm.setDtrEnabled(true);
        comm.setRtsEnabled(true);
        QVERIFY(!comm.dtrEnabled() && !comm.rtsEnabled());

        comm.setPortName(QStringLiteral("/dev/tavik-no-such-port"));
        QCOMPARE(commErrorText([&] { comm.setOpen(true); }), QString::fromLatin1(CommText::OpenFailed));
        QVERIFY(!comm.isOpen());

        Pty pty;
        openOn(comm, pty.slavePath());
        boxes.clear();
        comm.setOpen(true);
        QCOMPARE(boxes.texts(), QStringList {QString::fromLatin1(CommText::AlreadyOpen)});
        QVERIFY(comm.isOpen());
        comm.setDtrEnabled(true); // a pseudo-terminal refuses the line; the value is kept
        QVERIFY(comm.dtrEnabled());
        QVERIFY(comm.isOpen());
    }

    void pollErrorsNeverEscapeTheTimer()
    {
        // A handler that closes the port makes the rest of the tick fail.
        Pty pty;
        SerialLine comm;
        ErrorTexts boxes(comm);
        openOn(comm, pty.slavePath());
        comm.onReceiveData = [](SerialLine *sender) { sender->setOpen(false); };
        comm.setReceiveThreshold(1);
        QVERIFY(pty.write("x"));
        QTRY_COMPARE(boxes.texts(), QStringList {QString::fromLatin1(CommText::NotOpen)});
    }

    void lostPortIsReleasedOnceAndCanBeReopened()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ttyTAVIK"));
        auto pty = std::make_unique<Pty>();
        QVERIFY(pty->link(path));
        SerialLine comm;
        QSignalSpy lost(&comm, &SerialLine::portLost);
        openOn(comm, path);

        pty->close();
        QTRY_COMPARE(lost.count(), 1);
        QCOMPARE(lost.at(0).at(0).toString(), path);
        QVERIFY(!comm.isOpen());

        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = cpuSeconds();
        QTest::qWait(1500);
        const double cpuShare = (cpuSeconds() - cpuBefore) * 1000.0 / double(wall.elapsed());
        QVERIFY2(cpuShare < 0.3, qPrintable(QStringLiteral("CPU share %1").arg(cpuShare)));
        QCOMPARE(lost.count(), 1);

        pty = std::make_unique<Pty>(); // the adapter is plugged in again
        QVERIFY(pty->link(path));
        openOn(comm, path);
        const std::uint8_t byte = 0x42;
        QVERIFY(comm.writeBytes(&byte, 1));
        QByteArray received;
        QTRY_COMPARE(received += pty->readAvailable(), QByteArray("\x42"));
    }

    void portListSortsCaseInsensitivelyAndReplaces()
    {
        QStringList names {QStringLiteral("COM2"), QStringLiteral("com10"), QStringLiteral("COM1")};
        sortPortNames(names);
        QCOMPARE(names, (QStringList {QStringLiteral("COM1"), QStringLiteral("com10"), QStringLiteral("COM2")}));

        QStringList box {QStringLiteral("stale entry")};
        EnumComPorts(box);
        QVERIFY(!box.contains(QStringLiteral("stale entry")));
        QStringList sorted = box;
        sortPortNames(sorted);
        QCOMPARE(box, sorted);
    }
};

QTEST_GUILESS_MAIN(SerialLineTest)
#include "tst_serial_line.moc"
