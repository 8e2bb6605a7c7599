// The secondary windows are built the first time they are wanted, not at
// start; built late, each is the window it would have been had it been built
// at start and lived through the same language changes: captions, texts,
// place on the screen, enabled and shown state, checked boxes and chosen
// items.  The settings window also lives through what happens on the line
// before it is first opened (a channel chosen in the panel, the reads of a
// port's opening: found, silent, several motors answering at once).
#include "AppFixture.h"
#include "MotorSim.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include <functional>

namespace {

using Getter = std::function<QWidget &(Windows &)>;

// What a person sees of a window and its named controls.
QStringList snapshot(QWidget &window)
{
    QStringList seen {QStringLiteral("%1 at %2,%3 %4 %5")
                          .arg(window.windowTitle())
                          .arg(window.x())
                          .arg(window.y())
                          .arg(window.isEnabled() ? "enabled" : "disabled", window.isVisible() ? "shown" : "hidden")};
    for (QWidget *w : window.findChildren<QWidget *>()) {
        // Qt's own parts (a closed list's popup) are laid out when they open.
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(w))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            text = button->text() + (button->isChecked() ? " checked" : "")
                + (w->property("selected").toBool() ? " selected" : "");
        else if (auto *list = qobject_cast<QComboBox *>(w))
            text = QStringLiteral("item %1 %2").arg(list->currentIndex()).arg(list->currentText());
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            text = group->title();
        else if (auto *tabs = qobject_cast<QTabWidget *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                text += tabs->tabText(i) + u'|';
        const QRect r = w->geometry();
        seen << QStringLiteral("%1 \"%2\" %3,%4 %5x%6 %7")
                    .arg(w->objectName(), text)
                    .arg(r.x())
                    .arg(r.y())
                    .arg(r.width())
                    .arg(r.height())
                    .arg(w->isVisibleTo(&window) ? "visible" : "hidden")
                + (w->isEnabled() ? "" : " disabled");
    }
    return seen;
}

void choose(App &a, const char *languageItem)
{
    a.main.findChild<QAction *>(QString::fromLatin1(languageItem))->trigger();
}

bool builtAlready(const char *objectName)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::any_of(windows.cbegin(), windows.cend(),
                       [&](QWidget *w) { return w->objectName() == QLatin1String(objectName); });
}

const char *const Secondary[] = {"Form2", "SetForm", "IDSetForm", "Form3"};

// What happens on the line before the settings window is first opened: the
// motors on it, what the program does first, whether a scan then runs to its
// end, and what it does once the line is quiet.
using OnBus = std::function<void(MotorBus &)>;
using OnApp = std::function<void(App &, MotorSim &)>;
using Check = std::function<void(App &)>;

// A scan has ended and, when it found a motor, its extended read has come.
struct ScanWatch {
    explicit ScanWatch(App &a)
        : ends(&a.link, &MotorLink::scanEnded), basic(&a.link, &MotorLink::basicReport),
          extended(&a.link, &MotorLink::extendedReport)
    {
    }
    bool settled() const { return !ends.isEmpty() && (basic.isEmpty() || !extended.isEmpty()); }
    QSignalSpy ends, basic, extended;
};

// Every value the tabs stand for, in the settings table's order.
QList<int> valuesOf(const SettingValues &values)
{
    QList<int> all;
    for (const Settings::Row &row : Settings::rows())
        if (row.value)
            all << values.*row.value;
    return all;
}

template <typename T = QWidget> T *control(QWidget &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}

} // namespace

class LateWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void aWindowBuiltLateIsTheWindowBuiltAtStart_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<Getter>("window");
        QTest::addColumn<QStringList>("languages"); // menu items, in turn
        const struct {
            const char *name;
            Getter get;
        } windows[] = {
            {"Form2", [](Windows &w) -> QWidget & { return w.manualWindow(); }},
            {"SetForm", [](Windows &w) -> QWidget & { return w.settingsWindow(); }},
            {"IDSetForm", [](Windows &w) -> QWidget & { return w.forceIdWindow(); }},
            {"Form3", [](Windows &w) -> QWidget & { return w.lineRateWindow(); }},
        };
        const struct {
            const char *tag;
            QStringList items;
        } histories[] = {
            {"never switched", {}},
            {"English", {"English1"}},
            {"Traditional Chinese", {"English1", "N1"}},
            {"back to Simplified Chinese", {"English1", "Chinese"}},
        };
        for (const auto &w : windows)
            for (const auto &h : histories)
                QTest::addRow("%s, %s", w.name, h.tag) << QString::fromLatin1(w.name) << w.get << h.items;
    }

    void aWindowBuiltLateIsTheWindowBuiltAtStart()
    {
        QFETCH(QString, objectName);
        QFETCH(Getter, window);
        QFETCH(QStringList, languages);

        App early;
        QWidget &atStart = window(early.w);
        App late;
        for (const QString &item : languages) {
            choose(early, qPrintable(item));
            choose(late, qPrintable(item));
        }
        QCOMPARE(snapshot(window(late.w)), snapshot(atStart));
    }

    // Built late, the settings window starts from what the line brought
    // before (values, defaults note and why, the ID list and the channels it
    // drew, the language): the window built at start and lived through the
    // same is compared, and the row says what a person sees.
    void theSettingsWindowBuiltLateTookWhatCameBefore_data()
    {
        QTest::addColumn<OnBus>("bus");
        QTest::addColumn<OnApp>("first");
        QTest::addColumn<bool>("scan");
        QTest::addColumn<QStringList>("languages"); // menu items, in turn, once the line is quiet
        QTest::addColumn<Check>("check");
        const OnApp open = [](App &a, MotorSim &sim) { a.choosePort(sim.path()); };
        const auto noteSays = [](Message why) {
            return [why](App &a) {
                QVERIFY(a.w.settingsWindow().showsDefaults());
                QCOMPARE(control<QLabel>(a.w.settingsWindow(), "DefaultsNote")->text(), a.texts[why]);
            };
        };
        QTest::newRow("a channel chosen in the panel")
            << OnBus([](MotorBus &bus) { bus.addMotor(4, 0x0001); }) << OnApp([](App &a, MotorSim &sim) {
                   a.choosePortWithoutScan(sim.path());
                   a.main.idList()->setCurrentIndex(4);
                   a.click("Label_ch3");
               })
            << false << QStringList() << Check([](App &a) {
                   // The window draws channels when its list moves or while it is open: still the start's.
                   QCOMPARE(a.link.target().channels.word(), 0x0005);
                   MotorSettingsWindow &form = a.w.settingsWindow();
                   QCOMPARE(control<QComboBox>(form, "ComboBox1")->currentIndex(), 0);
                   QVERIFY(!control(form, "bsSkinSpeedButton1")->property("selected").toBool());
                   QVERIFY(!control(form, "bsSkinSpeedButton3")->property("selected").toBool());
               });
        QTest::newRow("a motor found when the port opened") << OnBus([](MotorBus &bus) {
            Motor &m = bus.addMotor(7, 0x0014);
            m.maxSpeed = 100;
            m.jogTime = 6;
        }) << open << true << QStringList() << Check([](App &a) {
            MotorSettingsWindow &form = a.w.settingsWindow();
            QVERIFY(!form.showsDefaults());
            QCOMPARE(control<QComboBox>(form, "ComboBox1")->currentIndex(), 7);
            QCOMPARE(form.values().maxSpeed, Byte(100));
            QCOMPARE(form.values().jogTime, Byte(6));
            QVERIFY(control<QAbstractButton>(form, "RPM100")->isChecked());
        });
        QTest::newRow("no motor answered") << OnBus([](MotorBus &) {}) << open << true << QStringList()
                                           << Check(noteSays(Message::SettingsDefaultsNote));
        QTest::newRow("no motor answered, then English")
            << OnBus([](MotorBus &) {}) << open << true << QStringList {"English1"}
            << Check(noteSays(Message::SettingsDefaultsNote));
        QTest::newRow("two motors answered at once")
            << OnBus([](MotorBus &bus) {
                   bus.addMotor(4, 0x0001);
                   bus.addMotor(9, 0x0002);
               })
            << open << true << QStringList {"English1", "N1"} << Check([noteSays](App &a) {
                   noteSays(Message::SettingsDefaultsSeveral)(a);
                   // A write would reach them all: refused, and said why.
                   a.w.settingsWindow().writeSetting(Settings::MaxSpeed);
                   QCOMPARE(a.messages.count(a.texts[Message::SettingsWriteSeveral]), 1);
               });
    }

    void theSettingsWindowBuiltLateTookWhatCameBefore()
    {
        QFETCH(OnBus, bus);
        QFETCH(OnApp, first);
        QFETCH(bool, scan);
        QFETCH(QStringList, languages);
        QFETCH(Check, check);

        MotorSim earlyLine, lateLine;
        bus(earlyLine.bus());
        bus(lateLine.bus());
        App early({earlyLine.path()});
        QWidget &atStart = early.w.settingsWindow();
        App late({lateLine.path()});
        const ScanWatch earlyScan(early), lateScan(late);
        first(early, earlyLine);
        first(late, lateLine);
        if (scan) // both lines at once; a scan of every rate takes seconds
            QTRY_VERIFY_WITH_TIMEOUT(earlyScan.settled() && lateScan.settled(), 30000);
        for (const QString &item : languages) {
            choose(early, qPrintable(item));
            choose(late, qPrintable(item));
        }
        QVERIFY(!late.w.built(QStringLiteral("SetForm")));
        QCOMPARE(snapshot(late.w.settingsWindow()), snapshot(atStart));
        QCOMPARE(valuesOf(late.w.settingsWindow().values()), valuesOf(early.w.settingsWindow().values()));
        check(late);
    }

    // None of them is built while the program starts; each when it is
    // first opened, the settings window when a settings read starts.
    void noSecondaryWindowIsBuiltAtStart()
    {
        MotorSim sim;
        App a({sim.path()});
        QCoreApplication::processEvents();
        for (const char *name : Secondary)
            QVERIFY2(!builtAlready(name) && !a.w.built(QLatin1String(name)), name);
        a.w.lineRateWindow();
        QVERIFY(builtAlready("Form3") && a.w.built(QStringLiteral("Form3")));
        QVERIFY(!a.w.built(QStringLiteral("SetForm")));
        a.choosePort(sim.path());
        QVERIFY(!a.w.built(QStringLiteral("SetForm")));
        QTRY_VERIFY(!a.link.isScanning());
        a.main.findChild<QAction *>(QStringLiteral("SetMenu"))->trigger();
        QVERIFY(a.w.built(QStringLiteral("SetForm")));
    }
};

QTEST_MAIN(LateWindowsTest)
#include "tst_late_windows.moc"
