// The secondary windows are built the first time they are wanted, not at
// start; built late, each is the window it would have been had it been built
// at start and lived through the same language changes: captions, texts,
// place on the screen, enabled and shown state.
#include "AppFixture.h"
#include "MotorSim.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
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
        if (w->objectName().isEmpty())
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(w))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(w))
            text = button->text();
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
                    .arg(w->isVisibleTo(&window) ? "visible" : "hidden");
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

    // None of them is built while the program starts; each when it is
    // first opened, the settings window at the latest when a port opens.
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
        QVERIFY(a.w.built(QStringLiteral("SetForm")));
    }
};

QTEST_MAIN(LateWindowsTest)
#include "tst_late_windows.moc"
