// The port tavik-cli opens without --port: the one USB serial adapter, or a
// usage error that lists the ports when there is none or several.
#include "PortChoice.h"

#include <QTest>

using Ports = QList<SerialPortEntry>;

class PortChoiceTest : public QObject {
    Q_OBJECT

private slots:
    void onlyOneAdapterIsChosen_data()
    {
        QTest::addColumn<Ports>("ports");
        QTest::addColumn<QString>("chosen"); // empty: none
        QTest::addColumn<QStringList>("says"); // in the note, else the error
        const SerialPortEntry builtIn {"/dev/ttyS0", "built-in", false};
        const SerialPortEntry first {"/dev/ttyUSB0", "RS-485 adapter", true};
        const SerialPortEntry second {"/dev/ttyUSB1", "radio transmitter", true};
        QTest::addRow("no ports") << Ports {} << QString()
                                  << QStringList {"no USB serial adapter", "No serial port found"};
        QTest::addRow("no adapter") << Ports {builtIn} << QString()
                                    << QStringList {"no USB serial adapter", "/dev/ttyS0"};
        QTest::addRow("one adapter") << Ports {builtIn, first} << "/dev/ttyUSB0"
                                     << QStringList {"/dev/ttyUSB0", "RS-485 adapter"};
        QTest::addRow("two adapters") << Ports {first, builtIn, second} << QString()
                                      << QStringList {"several", "/dev/ttyUSB0  (USB)", "/dev/ttyUSB1  (USB)"};
    }

    void onlyOneAdapterIsChosen()
    {
        QFETCH(Ports, ports);
        QFETCH(QString, chosen);
        QFETCH(QStringList, says);
        QString note, error;
        QCOMPARE(onlyUsbAdapter(ports, note, error), chosen);
        const QString text = chosen.isEmpty() ? error : note;
        QVERIFY(chosen.isEmpty() ? note.isEmpty() : error.isEmpty());
        for (const QString &part : says)
            QVERIFY2(text.contains(part, Qt::CaseInsensitive), qPrintable(text));
    }
};

QTEST_GUILESS_MAIN(PortChoiceTest)
#include "tst_port_choice.moc"
