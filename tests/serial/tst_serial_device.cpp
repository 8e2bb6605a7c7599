// SerialLine over the in-memory serial device: the events and their order, when
// a poll pass runs (bytes arriving, modem lines where the device has them,
// a threshold lowered under held-back bytes) and what reaches the device.
#include "MemorySerialDevice.h"
#include "SerialLine.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

// Counts the poll passes: each asks the device for its line errors once.
class CountingDevice : public MemorySerialDevice {
public:
    int passes = 0, modemAsks = 0;
    std::uint32_t nextErrors = 0;
    std::uint32_t lineErrors() override
    {
        ++passes;
        return std::exchange(nextErrors, 0);
    }
    std::optional<ModemLines> modemLines() override
    {
        ++modemAsks;
        return MemorySerialDevice::modemLines();
    }
};

struct Rig {
    CountingDevice *dev = new CountingDevice;
    SerialLine comm {std::unique_ptr<SerialDevice>(dev)};
    QStringList events;

    Rig()
    {
        comm.onReceiveData = [this](SerialLine *) { events << QStringLiteral("receive %1").arg(comm.bytesWaiting()); };
        comm.onModemStateChange = [this](SerialLine *, std::uint32_t m) {
            events << QStringLiteral("modem %1").arg(m);
        };
        comm.onReceiveError = [this](SerialLine *, std::uint32_t m) { events << QStringLiteral("error %1").arg(m); };
        comm.setPortName(QStringLiteral("/dev/ttyFAKE"));
    }
};

} // namespace

class SerialDeviceTest : public QObject {
    Q_OBJECT
private slots:
    void passRaisesEventsInOrder_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ctsUp");
        QTest::addColumn<int>("errors");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("bytes only") << QByteArray("abc") << false << 0 << QStringList {"receive 3"};
        QTest::newRow("bytes and a line error")
            << QByteArray("ab") << false << 4 << QStringList {"receive 2", "error 4"};
        QTest::newRow("everything at once")
            << QByteArray("a") << true << 2 << QStringList {"receive 1", "modem 8", "error 2"};
    }
    void passRaisesEventsInOrder()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ctsUp);
        QFETCH(int, errors);
        QFETCH(QStringList, expected);
        Rig r;
        r.dev->setModemLines(SerialDevice::ModemLines {});
        r.comm.setReceiveThreshold(1);
        r.comm.setOpen(true);
        SerialDevice::ModemLines lines;
        lines.cts = ctsUp;
        r.dev->setModemLines(lines);
        r.dev->nextErrors = std::uint32_t(errors);
        r.dev->arrive(bytes);
        // The first pass raises them all; the modem-line timer's later passes
        // raise the receive event again for the bytes still waiting.
        QTRY_VERIFY(r.events.size() >= expected.size());
        QCOMPARE(r.events.mid(0, expected.size()), expected);
        QCOMPARE(r.comm.ctsHolding(), ctsUp);
    }

    // A pseudo-terminal has no modem lines: nothing wakes the component
    // until bytes arrive.  A device with modem lines is watched on its own.
    void passesRunOnArrivalAndForModemLinesOnly()
    {
        Rig r;
        r.comm.setReceiveThreshold(1);
        r.comm.setOpen(true);
        QTest::qWait(350);
        QCOMPARE(r.dev->passes, 0);
        r.dev->arrive("x");
        r.dev->arrive("y"); // both before the pass: one pass takes them
        QTRY_COMPARE(r.events, QStringList {"receive 2"});
        QCOMPARE(r.dev->passes, 1);
        QCOMPARE(r.dev->modemAsks, 1); // at the opening only: it had none then

        Rig m;
        m.dev->setModemLines(SerialDevice::ModemLines {});
        m.comm.setOpen(true);
        SerialDevice::ModemLines lines;
        lines.cd = lines.ri = true;
        m.dev->setModemLines(lines);
        QTRY_COMPARE(m.events, QStringList {"modem 288"});
        m.comm.setOpen(false);
        const int passes = m.dev->passes;
        QTest::qWait(250);
        QCOMPARE(m.dev->passes, passes);
    }

    // The owner holds the event back (threshold 0) while its handler runs;
    // bytes that came meanwhile raise it once the threshold returns, but a
    // handler that leaves short bytes waiting is not called again for them.
    void heldBackBytesAreNotForgottenNorRepeated()
    {
        Rig r;
        r.comm.setOpen(true);
        r.dev->arrive("12345");
        QTest::qWait(50);
        QVERIFY(r.events.isEmpty());
        r.comm.setReceiveThreshold(1);
        QTRY_COMPARE(r.events, QStringList {"receive 5"});

        r.comm.onReceiveData = [&](SerialLine *c) {
            r.events << QStringLiteral("receive %1").arg(c->bytesWaiting());
            c->setReceiveThreshold(0);
            c->setReceiveThreshold(1); // nothing read, nothing new: no second event
        };
        r.dev->arrive("6");
        QTRY_COMPARE(r.events.size(), 2);
        QTest::qWait(50);
        QCOMPARE(r.events, (QStringList {"receive 5", "receive 6"}));

        bool first = true;
        r.comm.onReceiveData = [&](SerialLine *c) {
            c->setReceiveThreshold(0);
            r.events << QStringLiteral("read %1").arg(QString::fromLatin1(c->input()));
            if (std::exchange(first, false)) {
                r.dev->arrive("late"); // while the handler runs
                QCoreApplication::processEvents();
            }
            c->setReceiveThreshold(1);
        };
        r.dev->arrive("7");
        QTRY_COMPARE(r.events.size(), 4);
        QCOMPARE(r.events.mid(2), (QStringList {"read 1234567", "read late"}));
    }

    void lineSettingsReachTheDevice_data()
    {
        QTest::addColumn<int>("bps");
        QTest::newRow("the start rate") << 9600;
        QTest::newRow("slowest scan rate") << 1200;
        QTest::newRow("fastest scan rate") << 19200;
        QTest::newRow("not a device rate") << 14400;
    }
    void lineSettingsReachTheDevice()
    {
        QFETCH(int, bps);
        Rig r;
        r.comm.setOpen(true);
        r.comm.setBitsPerSecond(bps); // an open port takes it at once
        QCOMPARE(r.dev->lineSettings().bitsPerSecond, bps);
        QVERIFY(!r.dev->dtr() && !r.dev->rts());
        QCOMPARE(r.dev->name(), QStringLiteral("/dev/ttyFAKE"));
    }

    void openFailuresAreClassified_data()
    {
        QTest::addColumn<int>("failure");
        for (auto f : {SerialLine::OpenFailure::NotFound, SerialLine::OpenFailure::InUse,
                       SerialLine::OpenFailure::NoPermission, SerialLine::OpenFailure::Other})
            QTest::addRow("%d", int(f)) << int(f);
    }
    void openFailuresAreClassified()
    {
        QFETCH(int, failure);
        Rig r;
        r.dev->refuse(QStringLiteral("/dev/ttyFAKE"), SerialLine::OpenFailure(failure));
        QString text;
        try {
            r.comm.setOpen(true);
        } catch (const SerialError &e) {
            text = QString::fromLatin1(e.what());
        }
        QCOMPARE(text, QString::fromLatin1(CommText::OpenFailed));
        QCOMPARE(int(r.comm.lastOpenFailure()), failure);
        QCOMPARE(r.comm.lastOpenDevice().device, QStringLiteral("/dev/ttyFAKE"));
        QVERIFY(!r.comm.isOpen());
    }

    void pulledOutDeviceIsReportedAndReopens()
    {
        Rig r;
        QSignalSpy lost(&r.comm, &SerialLine::portLost);
        r.comm.setOpen(true);
        r.dev->pullOut();
        QCOMPARE(lost.size(), 1);
        QCOMPARE(lost[0][0].toString(), QStringLiteral("/dev/ttyFAKE"));
        QVERIFY(!r.comm.isOpen());
        r.comm.setOpen(true);
        const std::uint8_t frame[] {0x9A, 1, 1, 0, 0xCC, 0, 0xCC};
        QVERIFY(r.comm.writeBytes(frame, 7));
        QCOMPARE(r.dev->takeWritten(), QByteArray(reinterpret_cast<const char *>(frame), 7));
        QCOMPARE(r.dev->opens(), 2);
    }
};

QTEST_GUILESS_MAIN(SerialDeviceTest)
#include "tst_serial_device.moc"
