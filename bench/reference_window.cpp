// The yardstick for Tavik's start-up and memory: what the toolkit costs for
// a window like Tavik's main window and nothing more.  A main window with the
// same client size (616 x 538 under its menu bar), 150 labels of which half
// carry Chinese text (so the CJK font is loaded, as in Tavik) and a menu bar
// with two Chinese menus.
//   tavik-bench-reference
#include "StartupProbe.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QMainWindow window;
    auto *client = new QWidget(&window);
    client->setFixedSize(616, 538);
    window.setCentralWidget(client);
    window.layout()->setSizeConstraint(QLayout::SetFixedSize);
    constexpr int Labels = 150, Columns = 10;
    for (int i = 0; i < Labels; ++i) {
        const QString text = i % 2 ? QStringLiteral("频道 %1").arg(i) : QStringLiteral("Label %1").arg(i);
        auto *label = new QLabel(text, client);
        label->setGeometry((i % Columns) * 61, (i / Columns) * 35, 60, 34);
    }
    QMenu *language = window.menuBar()->addMenu(QStringLiteral("语言(&L)"));
    language->addAction(QStringLiteral("简体中文"));
    language->addAction(QStringLiteral("繁体"));
    QMenu *help = window.menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    help->addAction(QStringLiteral("关于"));

    watchFirstPaint(window);
    window.show();
    return app.exec();
}
