// scripts/compare-run.sh on two recordings that differ in one way each: its
// verdict per file and its exit status.
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

using Change = std::function<void(const QString &after)>;

void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}

QImage picture(QSize size = {40, 30})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0x2d, 0x33, 0x3d));
    return image;
}

// A recording like the scripted run's: frames, messages and two pictures.
void record(const QString &dir)
{
    QVERIFY(QDir().mkpath(dir));
    writeText(dir + "/frames.txt", "9a 00 00 00 cc 00 cc @1200\n9a 0c 01 00 0a 01 06 @9600\n");
    writeText(dir + "/messages.txt", "ok\n");
    QVERIFY(picture().save(dir + "/main-1-scan.png"));
    QVERIFY(picture().save(dir + "/settings-4-read.png"));
}

} // namespace

class CompareRunTest : public QObject {
    Q_OBJECT
private slots:
    void verdicts_data();
    void verdicts();
    void badUsage();
};

void CompareRunTest::verdicts_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("lines");

    const QStringList allSame {"frames.txt: same", "main-1-scan.png: same", "messages.txt: same",
                               "settings-4-read.png: same"};
    auto with = [&](int index, const QString &line) {
        QStringList l = allSame;
        l[index] = line;
        return l;
    };
    QTest::newRow("identical") << Change([](const QString &) {}) << 0 << allSame;
    QTest::newRow("notes beside one") << Change([](const QString &after) {
        writeText(after + "/README.txt", "how this recording was made\n");
    }) << 0 << allSame;
    QTest::newRow("one pixel") << Change([](const QString &after) {
        QImage image = picture();
        image.setPixelColor(7, 9, Qt::white);
        QVERIFY(image.save(after + "/main-1-scan.png"));
    }) << 1 << with(1, "main-1-scan.png: 1 pixels differ");
    QTest::newRow("a frame") << Change([](const QString &after) {
        writeText(after + "/frames.txt", "9a 00 00 00 cc 00 cc @1200\n9a 0c 01 00 0a 02 05 @9600\n");
    }) << 1 << with(0, "frames.txt: 2 lines differ");
    QTest::newRow("a frame more") << Change([](const QString &after) {
        writeText(after + "/frames.txt",
                  "9a 00 00 00 cc 00 cc @1200\n9a 0c 01 00 0a 01 06 @9600\n"
                  "9a 0c 01 00 0a 01 06 @9600\n");
    }) << 1 << with(0, "frames.txt: 1 lines differ");
    QTest::newRow("other size") << Change([](const QString &after) {
        QVERIFY(picture({41, 30}).save(after + "/settings-4-read.png"));
    }) << 1 << with(3, "settings-4-read.png: size 40x30 vs 41x30");
    QTest::newRow("picture missing") << Change([](const QString &after) {
        QVERIFY(QFile::remove(after + "/main-1-scan.png"));
    }) << 1 << QStringList {};
    QTest::newRow("picture added") << Change([](const QString &after) {
        QVERIFY(picture().save(after + "/forced-id-7-write.png"));
    }) << 1 << QStringList {};
}

void CompareRunTest::verdicts()
{
    QFETCH(Change, change);
    QFETCH(int, exitCode);
    QFETCH(QStringList, lines);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString before = work.filePath("before"), after = work.filePath("after");
    record(before);
    record(after);
    change(after);

    QProcess run;
    run.start(TAVIK_COMPARE_RUN, {before, after});
    QVERIFY(run.waitForFinished(60000));
    const QStringList out = QString::fromUtf8(run.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(run.exitCode(), exitCode);
    if (!lines.isEmpty()) {
        QCOMPARE(out, lines);
        return;
    }
    // A file on one side only is named with the side that lacks it.
    const QString tag = QTest::currentDataTag();
    const QString expected = tag == QLatin1String("picture missing") ? "main-1-scan.png: missing in " + after
                                                                     : "forced-id-7-write.png: missing in " + before;
    QVERIFY2(out.contains(expected), qPrintable(out.join('\n')));
}

void CompareRunTest::badUsage()
{
    QTemporaryDir work;
    QVERIFY(work.isValid());
    for (const QStringList &args : {QStringList {work.path()}, QStringList {work.path(), work.filePath("none")},
                                    QStringList {work.path(), work.path()}}) {
        QProcess run;
        run.start(TAVIK_COMPARE_RUN, args);
        QVERIFY(run.waitForFinished(60000));
        QCOMPARE(run.exitCode(), 2); // never "all same" on nothing compared
    }
}

QTEST_GUILESS_MAIN(CompareRunTest)
#include "tst_compare_run.moc"
