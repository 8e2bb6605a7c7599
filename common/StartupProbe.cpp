#include "StartupProbe.h"

#include <QApplication>
#include <QAction>
#include <QEvent>
#include <QMenuBar>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace {

class FirstPaint : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // Reported once the paint and the flush to the screen are done.
            QTimer::singleShot(0, this, [this] {
                const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                    std::chrono::steady_clock::now().time_since_epoch());
                std::printf("first-paint %lld widgets %lld\n", static_cast<long long>(ns.count()),
                            static_cast<long long>(QApplication::allWidgets().size()));
                QStringList entries;
                if (const auto *bar = static_cast<QWidget *>(parent())->findChild<QMenuBar *>())
                    for (const QAction *entry : bar->actions())
                        entries << entry->text();
                std::printf("menu %s\n", qPrintable(entries.join(QLatin1Char('|'))));
                std::fflush(stdout);
                deleteLater();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_seen = false;
};

} // namespace

void watchFirstPaint(QWidget &window)
{
    if (qEnvironmentVariableIsEmpty("TAVIK_STARTUP_PROBE"))
        return;
    window.installEventFilter(new FirstPaint(&window));
}
