// tavik --language, run as a user runs it: the real program on the offscreen
// platform.  A good code starts the window in that language (its menu bar, as
// the start-up probe reports it after the first paint); a wrong one or none
// gets the usage on standard error, exit code 2 and no window.
#include "LanguageTable.h"

#include <QProcess>
#include <QTest>

namespace {

struct Run {
    QProcess process;

    explicit Run(const QStringList &arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TAVIK_STARTUP_PROBE"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TAVIK_EXE), arguments);
    }
    ~Run()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }

    // The line of standard output that starts with prefix, or "" when the
    // program ends or stays silent.
    QByteArray lineStarting(const QByteArray &prefix)
    {
        for (;;) {
            while (process.canReadLine()) {
                const QByteArray line = process.readLine().trimmed();
                if (line.startsWith(prefix))
                    return line.mid(prefix.size());
            }
            if (!process.waitForReadyRead(60000))
                return {};
        }
    }
};

} // namespace

class TestLanguageOption : public QObject {
    Q_OBJECT

private slots:
    void startsInThatLanguage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<Language>("lang");
        QTest::newRow("no option") << QStringList {} << Language::SimplifiedChinese;
        QTest::newRow("zh_CN") << QStringList {"--language", "zh_CN"} << Language::SimplifiedChinese;
        QTest::newRow("en") << QStringList {"--language", "en"} << Language::English;
        QTest::newRow("zh_TW") << QStringList {"--language=zh_TW"} << Language::TraditionalChinese;
    }

    void startsInThatLanguage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(Language, lang);
        Run run(arguments);
        QVERIFY(run.process.waitForStarted());
        QVERIFY(!run.lineStarting("first-paint ").isEmpty());
        QStringList menu {QStringLiteral("语言 Language(&L)")};
        for (const char *entry : {"SetMenu", "ToolsMenu", "HelpMenu", "About"})
            menu << text(entry, lang);
        QCOMPARE(QString::fromUtf8(run.lineStarting("menu ")), menu.join(QLatin1Char('|')));
        QCOMPARE(run.process.state(), QProcess::Running); // and it stays open until closed
    }

    void wrongValueGetsTheUsage_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unknown code") << QStringList {"--language", "fr"}
                                      << "unknown language 'fr': choose zh_CN, en or zh_TW";
        QTest::newRow("wrong case") << QStringList {"--language=EN"}
                                    << "unknown language 'EN': choose zh_CN, en or zh_TW";
        QTest::newRow("hyphen") << QStringList {"--language", "zh-TW"}
                                << "unknown language 'zh-TW': choose zh_CN, en or zh_TW";
        QTest::newRow("empty") << QStringList {"--language="} << "unknown language '': choose zh_CN, en or zh_TW";
        QTest::newRow("no value") << QStringList {"--language"} << "Missing value after '--language'.";
        QTest::newRow("stray argument") << QStringList {"en"} << "unexpected argument 'en'";
    }

    void wrongValueGetsTheUsage()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        Run run(arguments);
        QVERIFY(run.process.waitForFinished(60000));
        QCOMPARE(run.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.process.exitCode(), 2);
        QCOMPARE(run.process.readAllStandardOutput(), QByteArray()); // no window painted
        const QString err = QString::fromUtf8(run.process.readAllStandardError());
        QVERIFY2(err.contains(QStringLiteral("tavik: ") + reason + QLatin1Char('\n')), qPrintable(err));
        QVERIFY2(err.contains(QStringLiteral("Usage: ")) && err.contains(QStringLiteral("--language <CODE>")),
                 qPrintable(err));
    }
};

QTEST_MAIN(TestLanguageOption)
#include "tst_language_option.moc"
