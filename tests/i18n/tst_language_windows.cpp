// The language switch against the program's own five windows, created as the
// program creates them: every row of the table must find exactly one target
// and read back as written, in all three languages.
#include "LanguageTable.h"
#include "Messages.h"
#include "Windows.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

struct Fixture : Windows {
    LanguageWindows lw {&mainWindow, &manualWindow(), &settingsWindow(), &forceIdWindow(), &texts, &busMonitor()};

    QWidget *window(Window w) const
    {
        QWidget *windows[] = {lw.mainWindow, lw.manual, lw.settings, lw.forceId, lw.monitor};
        return windows[int(w)];
    }

    // A target of the row as it stands now, in the table's notation.
    QString readBack(const LanguageRow &row, const QString &objectName)
    {
        QWidget *win = window(row.window);
        if (row.property == Property::Message) {
            const QString value = *messageField(texts, row.objectName);
            if (qstrcmp(row.objectName, "GroupCaption") == 0
                && win->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->itemText(0) != value)
                return QStringLiteral("<ComboBox1 item 0 differs>");
            return value;
        }
        if (objectName.isEmpty())
            return win->windowTitle();
        QObject *target = win->findChild<QObject *>(objectName);
        auto *widget = qobject_cast<QWidget *>(target);
        switch (row.property) {
        case Property::Caption: return captionOf(target);
        case Property::Hint: return widget ? widget->toolTip() : QString();
        case Property::Left: return widget ? QString::number(widget->x()) : QString();
        case Property::Visible: return widget ? QString::number(int(!widget->isHidden())) : QString();
        case Property::AccessibleName: return widget ? widget->accessibleName() : QString();
        case Property::AccessibleDescription: return widget ? widget->accessibleDescription() : QString();
        case Property::Message:
        case Property::Word: break;
        }
        return {};
    }

    // Whether every target of the row shows what the row sets when its value
    // is `value`; if not, the first that does not, and what it shows, in `why`.
    bool shows(const LanguageRow &row, const char *value, QString &why)
    {
        for (const RowTarget &t : row.targets(value)) {
            if (const QString now = readBack(row, t.objectName); now != t.value) {
                why = QStringLiteral("%1/%2 (property %3): \"%4\"")
                          .arg(QLatin1String(windowName(row.window)), t.objectName)
                          .arg(int(row.property))
                          .arg(now);
                return false;
            }
        }
        return true;
    }

    QStringList snapshot()
    {
        QStringList values;
        for (const LanguageRow &row : languageRows())
            for (const RowTarget &t : row.targets(row.values[0]))
                values << readBack(row, t.objectName);
        return values << forceIdWindow().findChild<QComboBox *>(QStringLiteral("ComboBox1"))->currentText();
    }
};

QString rowName(const LanguageRow &row)
{
    return QStringLiteral("%1/%2 (property %3)")
        .arg(QLatin1String(windowName(row.window)), QLatin1String(row.objectName))
        .arg(int(row.property));
}

} // namespace

class LanguageWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void everyNameIsUnique()
    {
        Fixture f;
        for (const LanguageRow &row : languageRows()) {
            if (row.property == Property::Message || row.property == Property::Word || !*row.objectName)
                continue;
            for (const RowTarget &t : row.targets(row.values[0])) {
                const auto found = f.window(row.window)->findChildren<QObject *>(t.objectName);
                QVERIFY2(found.size() == 1, qPrintable(rowName(row) + QLatin1Char(' ') + t.objectName));
            }
        }
    }

    void startShowsSimplifiedChinese()
    {
        Fixture f;
        QString why;
        for (const LanguageRow &row : languageRows())
            // Label9 keeps its design-time 129, the table's value; words are
            // read by the code that composes them, no control shows them as such.
            if (row.window == Window::Main && row.property != Property::Word)
                QVERIFY2(f.shows(row, row.value(Language::SimplifiedChinese), why), qPrintable(why));
        QCOMPARE(f.mainWindow.idList()->currentIndex(), 0);
    }

    // Every window takes its start texts from the table at creation; where a
    // row has a start text of its own, choosing Simplified Chinese replaces it.
    void everyWindowStartsWithTheTablesStartTexts_data()
    {
        QTest::addColumn<Window>("window");
        QTest::newRow("main") << Window::Main;
        QTest::newRow("manual") << Window::Manual;
        QTest::newRow("settings") << Window::Settings;
        QTest::newRow("forced ID") << Window::IdSet;
    }

    void everyWindowStartsWithTheTablesStartTexts()
    {
        QFETCH(Window, window);
        Fixture f;
        int ownStarts = 0;
        QString why;
        for (const LanguageRow &row : languageRows()) {
            if (row.window != window || row.property == Property::Visible || row.property == Property::Word)
                continue;
            QVERIFY2(f.shows(row, row.startValue(), why), qPrintable(why));
            if (row.start) {
                QVERIFY2(qstrcmp(row.start, row.value(Language::SimplifiedChinese)) != 0, qPrintable(rowName(row)));
                ++ownStarts;
            }
        }
        applyLanguage(f.lw, Language::SimplifiedChinese);
        for (const LanguageRow &row : languageRows())
            if (row.window == window && row.start)
                QVERIFY2(f.shows(row, row.value(Language::SimplifiedChinese), why), qPrintable(why));
        // The settings tabs and the manual start with wordings of their own.
        const int expected[] = {0, 1, 22, 0};
        QCOMPARE(ownStarts, expected[int(window)]);
    }

    void everyRowReadsBack_data()
    {
        QTest::addColumn<Language>("lang");
        QTest::newRow("simplified") << Language::SimplifiedChinese;
        QTest::newRow("english") << Language::English;
        QTest::newRow("traditional") << Language::TraditionalChinese;
    }

    void everyRowReadsBack()
    {
        QFETCH(Language, lang);
        Fixture f;
        // From another language first, so that the values really change.
        applyLanguage(f.lw, lang == Language::English ? Language::TraditionalChinese : Language::English);
        QCOMPARE(applyLanguage(f.lw, lang), QStringList());
        QString why;
        for (const LanguageRow &row : languageRows()) {
            if (row.property == Property::Word)
                continue; // read by code: the frame texts
            QVERIFY2(f.shows(row, row.value(lang), why), qPrintable(why));
        }

        // What no language changes.
        QCOMPARE(f.mainWindow.findChild<QMenu *>(QStringLiteral("Language"))->title(),
                 QStringLiteral("语言 Language(&L)"));
        QCOMPARE(f.settingsWindow().findChild<QPushButton *>(QStringLiteral("bsSkinButton14"))->text(),
                 QStringLiteral("设      置"));
        QCOMPARE(f.lineRateWindow().windowTitle(), QStringLiteral("串口设置"));
    }

    void menuItemsSwitchTheLanguage()
    {
        Messages::Recorder recorder;
        Fixture f;
        QSignalSpy shown(f.mainWindow.idList(), &QComboBox::currentTextChanged);
        f.mainWindow.setLanguage(Language::English);
        QCOMPARE(f.mainWindow.idList()->currentText(), QStringLiteral("Group"));
        QCOMPARE(shown.count(), 1);
        QCOMPARE(f.mainWindow.link().target().id, 0); // still recognised as group control
        QVERIFY(f.manualWindow().findChild<QWidget *>(QStringLiteral("Image_cn"))->isHidden());

        const QStringList english = f.snapshot();
        f.mainWindow.setLanguage(Language::English);
        QCOMPARE(f.snapshot(), english);
        QCOMPARE(shown.count(), 1);

        f.mainWindow.setLanguage(Language::TraditionalChinese);
        QVERIFY(!f.manualWindow().findChild<QWidget *>(QStringLiteral("Image_cn"))->isHidden());
        QCOMPARE(f.texts[Message::SelectPort], QStringLiteral("     請選擇串口號 !     "));
        QVERIFY(recorder.texts().isEmpty());
    }

    void forcedIdListKeepsTheTarget()
    {
        Fixture f;
        f.mainWindow.idList()->setCurrentIndex(5);
        QCOMPARE(f.mainWindow.link().target().id, 5);
        // The hidden forced-ID list still shows the group item.
        auto *forced = f.forceIdWindow().findChild<QComboBox *>(QStringLiteral("ComboBox1"));
        QCOMPARE(forced->currentIndex(), 0);

        applyLanguage(f.lw, Language::English);
        QCOMPARE(forced->currentText(), QStringLiteral("Group"));
        QCOMPARE(f.mainWindow.idList()->currentText(), QStringLiteral("5"));
        QCOMPARE(f.mainWindow.link().target().id, 5);
    }

    void missingTargetIsReported()
    {
        Fixture f;
        delete f.mainWindow.findChild<QLabel *>(QStringLiteral("Label6"));
        QCOMPARE(applyLanguage(f.lw, Language::English), QStringList {QStringLiteral("Main/Label6")});
        QCOMPARE(f.settingsWindow().windowTitle(), QStringLiteral("function settings"));
    }
};

QTEST_MAIN(LanguageWindowsTest)
#include "tst_language_windows.moc"
