#include "ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

QSize openingSize(const QWidget &window)
{
    const QSize hint = window.sizeHint();
    return hint.isValid() ? hint.expandedTo(window.minimumSize()) : window.size();
}

} // namespace

QSize outerSize(const QWidget &window)
{
    return openingSize(window) + FrameAllowance;
}

void placeOnScreen(QWidget *window, QPoint usual)
{
    placeOnScreen(window, usual, openingSize(*window));
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
    const QSize outer = size + FrameAllowance;
    const QRect room = screen->availableGeometry();
    const int x = std::max(room.left(), std::min(usual.x(), room.right() + 1 - outer.width()));
    const int y = std::max(room.top(), std::min(usual.y(), room.bottom() + 1 - outer.height()));
    window->move(x, y);
}
