// The language switch without windows: the message texts still switch, and
// every row that needs a window is reported instead of crashing.
#include "LanguageTable.h"
#include "SharedState.h"

#include <QTest>

class LanguageTableTest : public QObject {
    Q_OBJECT

private slots:
    void withoutWindowsOnlyTheMessagesSwitch()
    {
        SharedState state;
        const QStringList missing = ApplyLanguage(LanguageWindows {nullptr, nullptr, nullptr, nullptr, &state},
                                                  Language::English);
        QCOMPARE(state.selectPort, QStringLiteral("    Please Select CommPort !    "));
        QCOMPARE(state.setSuccess, QStringLiteral("  Set successfully   "));
        QCOMPARE(state.groupCaption, QStringLiteral("Group"));
        QCOMPARE(state.idOutOfRange.arg(150).count(QStringLiteral("150")), 1);

        int windowRows = 0;
        for (const LanguageRow &row : LanguageTable())
            if (row.property != Property::Message && row.property != Property::Word && row.window != Window::Cli)
                windowRows += int(row.targets(row.value(Language::English)).size());
        QCOMPARE(missing.size(), windowRows + 2);  // and ComboBox1 of both ID lists
        QVERIFY(missing.contains(QStringLiteral("Settings/bsSkinTabSheet3")));
        QVERIFY(missing.contains(QStringLiteral("Manual/(window)")));
        QVERIFY(missing.contains(QStringLiteral("IdSet/ComboBox1")));
    }

    void everyMessageNamesAStateMember()
    {
        SharedState state;
        for (const LanguageRow &row : LanguageTable())
            if (row.property == Property::Message)
                QVERIFY2(messageField(state, row.objectName), row.objectName);
        // Texts filled in when shown: a language without the placeholder would
        // leave out the port or the group to join.
        const std::pair<const char *, int> placeholders[] = {
            {"MsgIdOutOfRange", 1}, {"MsgPortBusy", 1}, {"MsgPortMissing", 1},
            {"MsgPortDenied", 2}, {"MsgPortOwnerOnly", 2}};
        for (Language lang : {Language::SimplifiedChinese, Language::English, Language::TraditionalChinese})
            for (const auto &[name, count] : placeholders)
                for (int n = 1; n <= count; ++n)
                    QVERIFY2(text(name, lang).contains(QStringLiteral("%%1").arg(n)), name);
        QVERIFY(text("bsSkinButton14", Language::English, Window::Settings).isEmpty());
    }
};

QTEST_MAIN(LanguageTableTest)
#include "tst_language_table.moc"
