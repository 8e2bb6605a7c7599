#include "ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void placeOnScreen(QWidget *window, QPoint usual)
{
    const QSize hint = window->sizeHint();
    placeOnScreen(window, usual, hint.isValid() ? hint.expandedTo(window->minimumSize()) : window->size());
}

void placeOnScreen(QWidget *window, QPoint usual, QSize size)
{
    QScreen *screen = QGuiApplication::screenAt(usual);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window->move(usual);
        return;
    }
    const QSize outer = size + QSize(0, TitleBarAllowance);
    const QRect room = screen->availableGeometry();
    const int x = std::max(room.left(), std::min(usual.x(), room.right() + 1 - outer.width()));
    const int y = std::max(room.top(), std::min(usual.y(), room.bottom() + 1 - outer.height()));
    window->move(x, y);
}
