// Every window fits the screen at any scale.  Each row of the outer table
// starts this program again on an offscreen screen of the row's size at the
// row's scale factor; there, the program starts as tavik does (drawn smaller
// when the main window would not fit) and the inner table opens each window
// from its menu, as a technician would, and checks that its frame lies in the
// screen's free area, frame included, that every named control lies
// inside the window, and that every picture is made for the window's ratio.
#include "AppFixture.h"
#include "FittedProgram.h"
#include "MotorSim.h"
#include "PictureLabel.h"
#include "ScreenPlacement.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const char ChildMode[] = "TAVIK_FIT_CHILD";

QString where(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Inside a scrolled view a control is reached by scrolling, not by its place.
bool scrolled(const QWidget *control, const QWidget *window)
{
    for (const QWidget *w = control->parentWidget(); w && w != window; w = w->parentWidget())
        if (const auto *area = qobject_cast<const QAbstractScrollArea *>(w->parentWidget());
            area && area->viewport() == w)
            return true;
    return false;
}

// A control is what takes the keys or the mouse, or shows words; the
// pictures under them are drawing (a manual page keeps its bottom margin
// below the window's edge on purpose).
bool isControl(const QWidget *w)
{
    const auto *label = qobject_cast<const QLabel *>(w);
    return !label || !label->text().isEmpty() || w->focusPolicy() != Qt::NoFocus;
}

} // namespace

// The outer table: one program per screen and scale.
class ScreenFitTest : public QObject {
    Q_OBJECT
private slots:
    void shrinkRule_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QSize>("room");
        QTest::addColumn<qreal>("shrink");
        QTest::newRow("fits") << QSize(616, 616) << QSize(640, 480 + 136) << 1.0;
        QTest::newRow("exactly") << QSize(640, 512) << QSize(640, 512) << 1.0;
        QTest::newRow("too tall") << QSize(616, 616) << QSize(640, 512) << 0.83;
        QTest::newRow("too wide") << QSize(800, 300) << QSize(640, 512) << 0.8;
        QTest::newRow("both, height rules") << QSize(700, 700) << QSize(640, 350) << 0.5;
        QTest::newRow("no screen") << QSize(616, 616) << QSize() << 1.0;
    }
    void shrinkRule()
    {
        QFETCH(QSize, outer);
        QFETCH(QSize, room);
        QFETCH(qreal, shrink);
        QCOMPARE(shrinkToFit(outer, room), shrink);
        if (shrink < 1) // drawn that much smaller, the window fits whole
            QVERIFY(room.width() >= outer.width() * shrink && room.height() >= outer.height() * shrink);
    }

    void everyWindowFits_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<bool>("drawnSmaller");
        // The main window takes about 616 x 650 at 100 %, title bar included.
        QTest::newRow("1280x1024 at 100 %") << QSize(1280, 1024) << "1" << false;
        QTest::newRow("1280x1024 at 150 %") << QSize(1280, 1024) << "1.5" << false;
        QTest::newRow("1280x1024 at 200 %") << QSize(1280, 1024) << "2" << true;
        QTest::newRow("1920x1080 at 100 %") << QSize(1920, 1080) << "1" << false;
        QTest::newRow("1920x1080 at 150 %") << QSize(1920, 1080) << "1.5" << false;
        QTest::newRow("1920x1080 at 200 %") << QSize(1920, 1080) << "2" << true;
    }
    void everyWindowFits()
    {
        QFETCH(QSize, screen);
        QFETCH(QString, scale);
        QFETCH(bool, drawnSmaller);
        QTemporaryDir dir;
        QFile config(dir.filePath(QStringLiteral("screen.json")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral(R"({"screens": [{"name": "desk", "x": 0, "y": 0, "width": %1, "height": %2,
                                        "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                         .arg(screen.width())
                         .arg(screen.height())
                         .toUtf8());
        config.close();
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config.fileName());
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), scale);
        env.insert(QString::fromLatin1(ChildMode), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(120000));
        const QString output = QString::fromUtf8(child.readAll());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
        QVERIFY2(
            output.contains(drawnSmaller ? QStringLiteral("drawn smaller: yes") : QStringLiteral("drawn smaller: no")),
            qPrintable(output));
    }
};

// The inner table, in the program started on the row's screen.
class WindowsOnScreenTest : public QObject {
    Q_OBJECT
public:
    WindowsOnScreenTest(Windows &windows, MotorSim &sim) : m_w(windows), m_sim(sim) {}

private slots:
    void initTestCase()
    {
        MainWindow &main = m_w.mainWindow;
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.choosePort(m_sim.path());
        QTRY_VERIFY(main.link().portUsable());
        // The About box, shown as the program shows it but without its own
        // event loop, so the test can look at it.
        Messages::setSink([this](const QString &text, Messages::Kind kind) {
            m_box = Messages::createBox(text, kind, &m_w.mainWindow);
            m_box->setObjectName(QStringLiteral("AboutBox"));
            m_box->show();
        });
    }

    void fitsAndReachable_data()
    {
        QTest::addColumn<QString>("menuItem"); // "": the window is there already or opened directly
        QTest::addColumn<QString>("window");
        const char *rows[][2] = {
            {"", "Form1"}, // the main window
            {"", "SetForm"}, // opened when a settings read ends
            {"IDSetMenu", "IDSetForm"},
            {"ComSetMenu", "Form3"},
            {"MonitorMenu", "BusMonitor"},
            {"InventoryMenu", "LineInventoryWindow"},
            {"HelpMenu", "Form2"},
            {"About", "AboutBox"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[1]) << QString::fromLatin1(r[0]) << QString::fromLatin1(r[1]);
    }

    void fitsAndReachable()
    {
        QFETCH(QString, menuItem);
        QFETCH(QString, window);
        MainWindow &main = m_w.mainWindow;
        if (window == QLatin1String("SetForm"))
            m_w.settingsWindow().open();
        else if (!menuItem.isEmpty())
            main.findChild<QAction *>(menuItem)->trigger();
        QWidget *shown = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == window && w->isVisible())
                shown = w;
        QVERIFY2(shown, qPrintable(window));
        QVERIFY(QTest::qWaitForWindowExposed(shown));

        const QRect room = shown->screen()->availableGeometry();
        QVERIFY2(room.contains(shown->frameGeometry()), qPrintable(where(shown->frameGeometry())));
        // Moved by its frame's corner, the window keeps room for a window
        // manager's title bar and borders.
        const QRect framed(shown->pos(), shown->size() + FrameAllowance);
        QVERIFY2(room.contains(framed), qPrintable(where(framed) + " in " + where(room)));

        int controls = 0;
        for (QWidget *control : shown->findChildren<QWidget *>()) {
            if (control->objectName().isEmpty() || !control->isVisibleTo(shown) || scrolled(control, shown)
                || control->windowType() != Qt::Widget)
                continue;
            // Pictures are made for the ratio the window is drawn at: sharp.
            if (auto *picture = qobject_cast<PictureLabel *>(control); picture && !picture->pixmap().isNull())
                QVERIFY2(qFuzzyCompare(picture->pixmap().devicePixelRatio(), shown->devicePixelRatioF()),
                         qPrintable(control->objectName()));
            if (!isControl(control))
                continue;
            const QRect place(control->mapTo(shown, QPoint(0, 0)), control->size());
            QVERIFY2(shown->rect().contains(place), qPrintable(control->objectName() + " at " + where(place)));
            ++controls;
        }
        QVERIFY2(controls > 0, qPrintable(window));
    }

    // Back to the main window alone, as Escape or the close box leave it.
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w != &m_w.mainWindow && w->isVisible())
                w->close();
        QTRY_VERIFY(m_w.mainWindow.isEnabled());
    }

private:
    Windows &m_w;
    MotorSim &m_sim;
    std::unique_ptr<QMessageBox> m_box;
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty(ChildMode)) {
        QApplication app(argc, argv);
        ScreenFitTest test;
        return QTest::qExec(&test, argc, argv);
    }
    FittedProgram program(argc, argv);
    Windows &windows = program.start([] { return std::make_unique<Windows>(); });
    std::fputs(program.shrink() < 1 ? "drawn smaller: yes\n" : "drawn smaller: no\n", stdout);
    std::fflush(stdout);
    MotorSim sim;
    sim.bus().addMotor(1, 0x0001);
    WindowsOnScreenTest test(windows, sim);
    return QTest::qExec(&test, 1, argv);
}

#include "tst_screen_fit.moc"
