// The yardstick for Tavik's start-up: a minimal Qt Widgets program with as
// many widgets as Tavik has when its main window first paints.
//   tavik-bench-reference WIDGETS
#include "StartupProbe.h"

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int widgets = argc > 1 ? std::max(1, atoi(argv[1])) : 1;

    QWidget window;
    window.resize(616, 538);
    for (int i = 1; i < widgets; ++i) {
        auto *label = new QLabel(QString::number(i), &window);
        label->setGeometry((i % 20) * 30, (i / 20) * 20 % 520, 28, 18);
    }
    watchFirstPaint(window);
    window.show();
    return app.exec();
}
