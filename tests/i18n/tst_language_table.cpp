// The language switch without windows: the message texts still switch, and
// every row that needs a window is reported instead of crashing.  The table
// itself: three texts per row with the same placeholders, and exactly the
// rows tavik-cli and tavik-mqtt ask for.
#include "LanguageTable.h"
#include "MessageTexts.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

constexpr Language kLanguages[] = {Language::SimplifiedChinese, Language::English, Language::TraditionalChinese};

QString rowName(const LanguageRow &row)
{
    return QStringLiteral("%1/%2/%3")
        .arg(QLatin1String(windowName(row.window)), QLatin1String(row.objectName))
        .arg(int(row.property));
}

QString rowName(const ProgramRow &row)
{
    return QStringLiteral("%1/%2").arg(QLatin1String(programName(row.program)), QLatin1String(row.name));
}

// %1, %2 ... in the order they appear; a translation may not drop, add or
// reorder what tavik-cli, tavik-mqtt and the windows fill in.
QStringList placeholdersOf(const char *value)
{
    static const QRegularExpression placeholder(QStringLiteral("%\\d+"));
    QStringList found;
    for (const QRegularExpressionMatch &m : placeholder.globalMatch(QString::fromUtf8(value)))
        found << m.captured();
    return found;
}

} // namespace

class LanguageTableTest : public QObject {
    Q_OBJECT

private slots:
    void withoutWindowsOnlyTheMessagesSwitch()
    {
        MessageTexts texts;
        const QStringList missing = applyLanguage(LanguageWindows {nullptr, nullptr, nullptr, nullptr, &texts},
                                                  Language::English);
        QCOMPARE(texts[Message::SelectPort], QStringLiteral("    Please Select CommPort !    "));
        QCOMPARE(texts[Message::SetSuccess], QStringLiteral("  Set successfully   "));
        QCOMPARE(texts[Message::GroupCaption], QStringLiteral("Group"));
        QCOMPARE(texts[Message::IdOutOfRange].arg(150).count(QStringLiteral("150")), 1);

        int windowRows = 0;
        for (const LanguageRow &row : languageRows())
            if (row.property != Property::Message && row.property != Property::Word)
                windowRows += int(row.targets(row.value(Language::English)).size());
        QCOMPARE(missing.size(), windowRows + 2); // and ComboBox1 of both ID lists
        QVERIFY(missing.contains(QStringLiteral("Settings/bsSkinTabSheet3")));
        QVERIFY(missing.contains(QStringLiteral("Manual/(window)")));
        QVERIFY(missing.contains(QStringLiteral("IdSet/ComboBox1")));
    }

    void everyMessageNamesAMessageText()
    {
        MessageTexts texts;
        for (const LanguageRow &row : languageRows())
            if (row.property == Property::Message)
                QVERIFY2(messageField(texts, row.objectName), row.objectName);
        // Texts filled in when shown: a language without the placeholder would
        // leave out the port or the group to join.
        const std::pair<const char *, int> placeholders[] = {{"MsgIdOutOfRange", 1},
                                                             {"MsgPortBusy", 1},
                                                             {"MsgPortMissing", 1},
                                                             {"MsgPortDenied", 2},
                                                             {"MsgPortOwnerOnly", 2}};
        for (Language lang : {Language::SimplifiedChinese, Language::English, Language::TraditionalChinese})
            for (const auto &[name, count] : placeholders)
                for (int n = 1; n <= count; ++n)
                    QVERIFY2(text(name, lang).contains(QStringLiteral("%%1").arg(n)), name);
        QVERIFY(text("bsSkinButton14", Language::English, Window::Settings).isEmpty());
    }

    void everyRowHasThreeTextsWithTheSamePlaceholders()
    {
        QSet<QString> seen;
        int cliRows = 0;
        const auto check = [&](const QString &name, const auto &row) {
            QVERIFY2(!seen.contains(name), qPrintable(name + QStringLiteral(" twice")));
            seen.insert(name);
            for (Language lang : kLanguages) {
                QVERIFY2(row.value(lang) && *row.value(lang), qPrintable(name));
                QVERIFY2(placeholdersOf(row.value(lang)) == placeholdersOf(row.value(Language::English)),
                         qPrintable(name));
            }
        };
        for (const LanguageRow &row : languageRows())
            check(rowName(row), row);
        for (const ProgramRow &row : programRows()) {
            check(rowName(row), row);
            cliRows += row.program == Program::Cli;
        }
        QVERIFY(cliRows > 100);
    }

    // Every text id in a windowless program's sources has its row, and
    // every row of that program is named there: a dead row would be
    // translated for nothing.  (A misspelt id does not compile.)
    void windowlessRowsAreTheTextsTheProgramSays_data()
    {
        QTest::addColumn<Program>("program");
        QTest::addColumn<QString>("sourceDir");
        QTest::addColumn<int>("atLeast");
        QTest::newRow("tavik-cli") << Program::Cli << QStringLiteral(TAVIK_CLI_SOURCE_DIR) << 100;
        QTest::newRow("tavik-mqtt") << Program::Mqtt << QStringLiteral(TAVIK_MQTT_SOURCE_DIR) << 50;
        QTest::newRow("tavik") << Program::App << QStringLiteral(TAVIK_APP_SOURCE_DIR) << 4;
    }

    void windowlessRowsAreTheTextsTheProgramSays()
    {
        QFETCH(Program, program);
        QFETCH(QString, sourceDir);
        QFETCH(int, atLeast);
        // CliText::CliOk, MqttText::MqttLimitButton, AppText::AppOptPort
        const QRegularExpression quotedName(
            QStringLiteral("\\b%1Text::(%1[A-Z][A-Za-z]*)\\b").arg(QLatin1String(programName(program))));
        QSet<QString> named;
        const QDir dir(sourceDir);
        for (const QString &file : dir.entryList({QStringLiteral("*.cpp"), QStringLiteral("*.h")})) {
            QFile source(dir.filePath(file));
            QVERIFY2(source.open(QIODevice::ReadOnly), qPrintable(source.fileName()));
            for (const QRegularExpressionMatch &m : quotedName.globalMatch(QString::fromUtf8(source.readAll())))
                named.insert(m.captured(1));
        }
        QVERIFY(named.size() > atLeast);

        QSet<QString> rows;
        for (const ProgramRow &row : programRows())
            if (row.program == program)
                rows.insert(QLatin1String(row.name));
        for (const QString &name : named)
            QVERIFY2(rows.contains(name), qPrintable(name + QStringLiteral(" has no row")));
        for (const QString &name : rows)
            QVERIFY2(named.contains(name),
                     qPrintable(name + QStringLiteral(" is not used by ") + QTest::currentDataTag()));
    }

    // Each id reads the row spelt like it, in all three languages.
    void everyIdReadsItsOwnRow()
    {
        int checked = 0;
        const auto check = [&checked](Program program, const char *name, auto id) {
            const ProgramRow *own = nullptr;
            for (const ProgramRow &row : programRows())
                if (row.program == program && qstrcmp(row.name, name) == 0)
                    own = &row;
            QVERIFY2(own, name);
            for (Language lang : kLanguages)
                QCOMPARE(text(id, lang), QString::fromUtf8(own->value(lang)));
            ++checked;
        };
#define CHECK_CLI(id) check(Program::Cli, #id, CliText::id);
#define CHECK_MQTT(id) check(Program::Mqtt, #id, MqttText::id);
#define CHECK_APP(id) check(Program::App, #id, AppText::id);
        TAVIK_CLI_TEXTS(CHECK_CLI)
        TAVIK_MQTT_TEXTS(CHECK_MQTT)
        TAVIK_APP_TEXTS(CHECK_APP)
#undef CHECK_CLI
#undef CHECK_MQTT
#undef CHECK_APP
        QCOMPARE(checked, int(programRows().size()));
    }

    // The programs without windows speak English; an id finds its own row
    // (ids of another program are another type: they do not compile here).
    void windowlessTextsAreLookedUpInTheirOwnRows()
    {
        QCOMPARE(englishText(CliText::CliOk), QStringLiteral("ok"));
        QCOMPARE(englishText(MqttText::MqttLimitButton), QStringLiteral("Limit point %1"));
        QCOMPARE(text(CliText::CliStatusPosition, Language::TraditionalChinese), QStringLiteral("位置 %1 %"));
        QVERIFY(text("CliStatusPosition", Language::English).isEmpty()); // Cli rows belong to no window
    }
};

QTEST_MAIN(LanguageTableTest)
#include "tst_language_table.moc"
