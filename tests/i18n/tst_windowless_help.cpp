// The help of tavik-cli and of tavik, as printed: every command and option
// is described by its row's English, and no row name shows through in place
// of a text (what englishText gives for a name looked up in the wrong part of
// the table).
#include "Commands.h"
#include "Help.h"
#include "LanguageTable.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

// A row name of the table, as a missing row would print it.
QString leakedName(const QString &printed)
{
    static const QRegularExpression name(QStringLiteral("\\b(Cli|Mon|Mqtt|App|Msg)[A-Z][A-Za-z]+\\b"));
    return name.match(printed).captured();
}

} // namespace

class WindowlessHelpTest : public QObject {
    Q_OBJECT

private slots:
    void everyCommandIsDescribed_data()
    {
        QTest::addColumn<QString>("name");
        for (const CommandRow &c : commandRows())
            QTest::newRow(c.name) << QString::fromLatin1(c.name);
    }

    void everyCommandIsDescribed()
    {
        QFETCH(QString, name);
        const CommandRow *c = findCommand(name);
        QVERIFY(c);
        const QString description = englishText(c->text);
        QVERIFY2(!description.isEmpty(), c->name);

        // The description's words as the help sets them, broken into lines
        // of a terminal's width wherever a blank stood.
        QStringList words = description.split(u' ');
        for (QString &w : words)
            w = QRegularExpression::escape(w);
        const QString wrapped = words.join(QStringLiteral("\\s+"));

        // The command's own help: usage line, then its description alone.
        const QString help = commandHelp(*c);
        const QRegularExpression own(QStringLiteral(" tavik-cli \\[OPTIONS\\] %1\n\n%2\n")
                                         .arg(QRegularExpression::escape(QLatin1String(c->syntax)), wrapped));
        QVERIFY2(own.match(help).hasMatch(), qPrintable(help));
        QVERIFY2(leakedName(help).isEmpty(), qPrintable(leakedName(help)));

        // The full help: the description beside the syntax, in the same line.
        const QString all = helpText();
        const QRegularExpression line(
            QStringLiteral("^  %1 +%2$").arg(QRegularExpression::escape(QLatin1String(c->syntax)), wrapped),
            QRegularExpression::MultilineOption);
        QVERIFY2(line.match(all).hasMatch(), qPrintable(all));
    }

    void fullHelpNamesNoRow()
    {
        const QString all = helpText();
        QVERIFY2(leakedName(all).isEmpty(), qPrintable(leakedName(all)));
    }

    // tavik --help itself, run as a user runs it; a usage error repeats it.
    void tavikHelpIsEnglishFromTheTable_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addRow("--help") << QStringList {QStringLiteral("--help")} << 0;
        QTest::addRow("unknown language") << QStringList {QStringLiteral("--language=xx")} << 2;
        QTest::addRow("stray argument") << QStringList {QStringLiteral("xx")} << 2;
    }

    void tavikHelpIsEnglishFromTheTable()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QProcess tavik;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        tavik.setProcessEnvironment(env);
        tavik.start(QStringLiteral(TAVIK_EXE), arguments);
        QVERIFY(tavik.waitForFinished(30000));
        QCOMPARE(tavik.exitCode(), exitCode);
        // Qt wraps option texts at the terminal's width: compare words only.
        const QString printed =
            QString::fromUtf8(tavik.readAllStandardOutput() + tavik.readAllStandardError()).simplified();
        for (AppText id : {AppText::AppDescription, AppText::AppOptPort, AppText::AppOptLanguage})
            QVERIFY2(printed.contains(englishText(id).simplified()), qPrintable(printed));
        QVERIFY2(leakedName(printed).isEmpty(), qPrintable(printed));
    }
};

QTEST_MAIN(WindowlessHelpTest)
#include "tst_windowless_help.moc"
