// The windows at 200 % scaling (QT_SCALE_FACTOR=2): the layout keeps its
// size in device-independent pixels, and every picture of the panel and the
// manual is rendered for the screen's ratio instead of being scaled up.
#include "AppFixture.h"
#include "PictureLabel.h"
#include "Pictures.h"

#include <QApplication>
#include <QScreen>
#include <QtTest>

class HiDpiTest : public QObject {
    Q_OBJECT
private slots:
    void picturesRenderedForTheRatio()
    {
        QCOMPARE(qApp->devicePixelRatio(), 2.0);
        App a;
        QCOMPARE(a.main.centralWidget()->size(), QSize(616, 538));
        QList<PictureLabel *> pictures = a.main.findChildren<PictureLabel *>();
        // Pictures not yet shown cost nothing at start-up: the manual's
        // pages and the hover pictures are drawn when they first appear.
        for (const PictureLabel *page : a.w.manualWindow().findChildren<PictureLabel *>())
            QVERIFY(page->pixmap().isNull());
        a.w.manualWindow().open();
        pictures += a.w.manualWindow().findChildren<PictureLabel *>();
        int checked = 0;
        for (PictureLabel *label : pictures) {
            if (label->picture().isEmpty())
                continue;
            QVERIFY(label->isVisible() || label->pixmap().isNull());
            label->show();
            const QPixmap pm = label->pixmap();
            QVERIFY2(pm.devicePixelRatio() == 2.0, qPrintable(label->objectName()));
            QCOMPARE(pm.deviceIndependentSize().toSize(), Pictures::naturalSize(label->picture()));
            ++checked;
        }
        QVERIFY(checked > 60); // the panel's pictures and both manual pages
        QCOMPARE(a.main.grab().size(), a.main.size() * 2);
    }

    // The offscreen screen is 800 x 800 pixels, 400 x 400 at 200 %: windows
    // that fit open whole on it, the others at its top left corner.
    void windowsStayOnTheScreen()
    {
        App a;
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(!room.contains(QRect(QPoint(622, 193), a.main.size()))); // the usual place is off it
        QCOMPARE(a.main.pos(), room.topLeft());
        for (QWidget *w :
             std::initializer_list<QWidget *> {&a.w.manualWindow(), &a.w.lineRateWindow(), &a.w.forceIdWindow()}) {
            QVERIFY2(room.contains(w->pos()), qPrintable(w->objectName()));
            if (w->height() + 32 <= room.height())
                QVERIFY2(room.contains(w->geometry()), qPrintable(w->objectName()));
        }
        // The bus monitor, larger than the screen at its usual size, is made
        // to fit it, title bar included, and stays usable there.
        BusMonitor &monitor = a.w.busMonitor();
        monitor.open();
        QVERIFY(monitor.isVisible());
        QVERIFY2(room.contains(QRect(monitor.pos(), monitor.size() + QSize(0, 32))), // pos: the frame's corner
                 qPrintable(QStringLiteral("%1,%2 %3x%4")
                                .arg(monitor.x())
                                .arg(monitor.y())
                                .arg(monitor.width())
                                .arg(monitor.height())));
        QVERIFY(monitor.width() >= monitor.minimumSizeHint().width());
    }
};

int main(int argc, char *argv[])
{
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    HiDpiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
