// The settings table against the simulated motor, which keeps its own
// memory and reads the frames its own way: each setting read from the
// motor is the value in the motor's memory, each write lands in the
// memory the table says it does, and the table itself is whole.
#include "Bench.h"
#include "LinkRequests.h"
#include "SettingsTable.h"

#include <QtTest>

#include <set>
#include <string>

namespace {

// The simulated motor's own field for each setting the table names.
struct SimField {
    const char *name;
    quint8 Motor::*field;
};
constexpr SimField SimFields[] = {
    {"dry_contact", &Motor::dryContactMode},
    {"max_speed", &Motor::maxSpeed},
    {"curtain_functions", &Motor::curtainFunctions},
    {"jog_time", &Motor::jogTime},
    {"sensitivity", &Motor::sensitivity},
    {"rebound", &Motor::rebound},
};

quint8 Motor::*simField(const QString &name)
{
    for (const SimField &f : SimFields)
        if (name == QLatin1String(f.name))
            return f.field;
    return nullptr;
}

MotorTarget motorOne()
{
    return {1, ChannelMask::ofChannel(1)};
}

} // namespace

class SettingsTableTest : public QObject {
    Q_OBJECT
private slots:
    void readAsTheMotorKeepsIt_data() { valuesRows(); }
    void readAsTheMotorKeepsIt();
    void writtenWhereTheMotorKeepsIt_data() { valuesRows(); }
    void writtenWhereTheMotorKeepsIt();
    void everyItemHasOneWholeRow();

private:
    void valuesRows();
};

// A value unlike the motor's delivered one, for each setting the motor
// keeps in memory (the rate and the address move the motor: other tests).
void SettingsTableTest::valuesRows()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("value");
    QTest::newRow("dry contact") << "dry_contact" << 3;
    QTest::newRow("max speed, lowest") << "max_speed" << 50;
    QTest::newRow("curtain functions, bit 2 kept") << "curtain_functions" << 0x95;
    QTest::newRow("jog time, longest") << "jog_time" << 10;
    QTest::newRow("sensitivity high") << "sensitivity" << 3;
    QTest::newRow("rebound unlimited") << "rebound" << 0xFF;
}

void SettingsTableTest::readAsTheMotorKeepsIt()
{
    QFETCH(QString, name);
    QFETCH(int, value);
    const Settings::Row *row = Settings::rowNamed(qPrintable(name));
    QVERIFY(row);
    SimBench b;
    b.sim.bus().motors()[0].*simField(name) = quint8(value);
    b.open();
    b.link.setStatusPolling(false);
    b.link.setTarget(motorOne());
    b.link.readSettings(row->readBack == Settings::ReadBack::Extended ? Frame::ReadExtended : Frame::ReadBasic);
    b.runUntilIdle();
    QCOMPARE(int(b.link.motorSettings().*row->value), value);
}

void SettingsTableTest::writtenWhereTheMotorKeepsIt()
{
    QFETCH(QString, name);
    QFETCH(int, value);
    const Settings::Row *row = Settings::rowNamed(qPrintable(name));
    QVERIFY(row);
    SimBench b;
    b.open();
    b.link.setStatusPolling(false);
    QSignalSpy done(&b.link, &MotorLink::writeDone);
    b.link.write({motorOne(), row->item, Byte(value), false});
    b.runUntilIdle();
    QCOMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).value<WriteResult>().outcome, WriteResult::Outcome::Confirmed);
    QCOMPARE(int(b.sim.bus().motors()[0].*simField(name)), value);
    QCOMPARE(countFrames(b.sim, row->function, value), 2); // each write goes out twice
}

// Every setting item once, under a name of its own; a number's default in
// its range or among its words, a choice's among its words.
void SettingsTableTest::everyItemHasOneWholeRow()
{
    std::set<int> items;
    std::set<std::string> names;
    std::set<int> functions;
    for (const Settings::Row &r : Settings::rows()) {
        QVERIFY2(items.insert(r.item).second, r.name);
        QVERIFY2(names.insert(r.name).second, r.name);
        QVERIFY2(functions.insert(r.function).second, r.name);
        QCOMPARE(Settings::row(r.item), &r);
        QCOMPARE(Settings::rowNamed(r.name), &r);
        QVERIFY2(QString::fromLatin1(r.name).contains(QRegularExpression(QStringLiteral("^[a-z]+(_[a-z]+)*$"))),
                 r.name);
        bool fallbackNamed = false;
        std::set<int> wordValues;
        for (const Settings::ValueWord &w : r.words) {
            fallbackNamed = fallbackNamed || w.value == r.fallback;
            QVERIFY2(wordValues.insert(w.value).second, w.word);
            QVERIFY2(r.min > r.max || w.value < r.min || w.value > r.max, w.word); // a word is not also a number
        }
        switch (r.kind) {
        case Settings::Kind::Address: QCOMPARE(r.value, nullptr); break;
        case Settings::Kind::Number:
            QVERIFY2(r.min <= r.max && r.step > 0, r.name);
            QVERIFY2((r.fallback >= r.min && r.fallback <= r.max) || fallbackNamed, r.name);
            break;
        case Settings::Kind::Choice: QVERIFY2(!r.words.empty() && fallbackNamed, r.name); break;
        case Settings::Kind::Functions: QVERIFY2(r.words.empty() && r.value, r.name); break;
        }
    }
    QCOMPARE(int(items.size()), int(Settings::BaudCode));
    Byte bits = 0;
    for (const Settings::CurtainFunction &f : Settings::curtainFunctions()) {
        QVERIFY2(!(bits & f.bit) && f.bit && !(f.bit & (f.bit - 1)), f.name); // one bit each, none twice
        bits |= f.bit;
        QVERIFY2(QLatin1String(f.clear) != QLatin1String(f.set), f.name);
    }
    QCOMPARE(bits, Byte(0xFB)); // every bit but bit 2, which means nothing a person sets
}

QTEST_GUILESS_MAIN(SettingsTableTest)
#include "tst_settings_table.moc"
