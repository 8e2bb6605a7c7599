// Renders every window in every language against the simulated motor, for
// looking at them and for the README:
//   QT_QPA_PLATFORM=offscreen build/tests/main/tavik-screenshots OUTDIR
#include "AppFixture.h"
#include "MotorSim.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTabWidget>

namespace {

void save(QWidget *w, const QString &dir, const QString &name)
{
    w->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// Two windows side by side on a plain desktop, as a technician arranges them.
void saveSideBySide(QWidget *left, QWidget *right, const QString &dir, const QString &name)
{
    const QPixmap a = left->grab(), b = right->grab();
    const int gap = 12;
    const qreal dpr = a.devicePixelRatio();
    QImage both(QSize(a.width() + gap * dpr + b.width(), std::max(a.height(), b.height())), QImage::Format_RGB32);
    both.setDevicePixelRatio(dpr);
    both.fill(QColor(0x2d, 0x33, 0x3d));
    QPainter paint(&both);
    paint.drawPixmap(0, 0, a);
    paint.drawPixmap(QPointF(a.width() / dpr + gap, 0), b);
    paint.end();
    both.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

void waitFor(const std::function<bool()> &ready, int ms = 8000)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready() && clock.elapsed() < ms)
        QTest::qWait(20);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavik"));
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);

    const struct {
        const char *item;
        const char *tag;
    } languages[] = {{"Chinese", "zh_CN"}, {"English1", "en"}, {"N1", "zh_TW"}};
    for (const auto &language : languages) {
        MotorSim sim;
        Motor m;
        m.id = 12;
        m.channels = 0x0001;
        m.position = 37;
        m.limits = {20, -1, 60, -1};
        m.maxSpeed = 100;
        m.jogTime = 6;
        sim.bus().motors().append(m);
        sim.bus().setBaudCode(3);
        App a({sim.path()});
        a.main.findChild<QAction *>(QLatin1String(language.item))->trigger();
        a.choosePort(sim.path());
        waitFor([&] { return !a.link.isScanning() && a.shown("Image_Place_zhi_zhen"); });
        a.move("Image_bei_jing");
        a.move("Label_ch3");
        a.move("Image_Place");
        QTest::qWait(300);
        save(&a.main, dir, QStringLiteral("main-%1").arg(language.tag));

        // The bus monitor beside the main window: a few motor commands, then
        // a settings read.
        a.main.findChild<QAction *>(QStringLiteral("MonitorMenu"))->trigger();
        for (const char *button : {"Label_shang", "Label_ting", "Label_xia", "Label_ting"}) {
            a.click(button);
            QTest::qWait(400);
        }
        a.main.findChild<QAction *>(QStringLiteral("SetMenu"))->trigger();
        waitFor([&] { return a.w.settingsWindow().isVisible() && a.link.motorSettings().jogTime == 6; });
        auto *pages = a.w.settingsWindow().findChild<QTabWidget *>();
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            save(&a.w.settingsWindow(), dir, QStringLiteral("settings-%1-tab%2").arg(language.tag).arg(page + 1));
        }
        a.w.settingsWindow().close(); // the main window takes input again
        QTest::qWait(400);
        a.w.busMonitor().log().flush();
        a.w.busMonitor().resize(900, a.main.height());
        saveSideBySide(&a.main, &a.w.busMonitor(), dir, QStringLiteral("monitor-%1").arg(language.tag));
        a.w.busMonitor().close();
        a.w.forceIdWindow().openWithIndex(a.main.idList()->currentIndex());
        save(&a.w.forceIdWindow(), dir, QStringLiteral("forced-id-%1").arg(language.tag));
        a.w.forceIdWindow().close();
        a.w.lineRateWindow().open();
        save(&a.w.lineRateWindow(), dir, QStringLiteral("serial-%1").arg(language.tag));
        a.w.lineRateWindow().close();
        a.w.manualWindow().open();
        save(&a.w.manualWindow(), dir, QStringLiteral("manual-%1").arg(language.tag));
        a.w.manualWindow().close();
    }
    return 0;
}
