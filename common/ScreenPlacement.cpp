#include "ScreenPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void placeOnScreen(QWidget *window, QPoint usual)
{
    QScreen *screen = QGuiApplication::screenAt(usual);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window->move(usual);
        return;
    }
    // The frame is unknown until the window is shown: allow for a title bar.
    constexpr int TitleBar = 32;
    const QSize hint = window->sizeHint();
    const QSize size = (hint.isValid() ? hint.expandedTo(window->minimumSize()) : window->size()) + QSize(0, TitleBar);
    const QRect room = screen->availableGeometry();
    const int x = std::max(room.left(), std::min(usual.x(), room.right() + 1 - size.width()));
    const int y = std::max(room.top(), std::min(usual.y(), room.bottom() + 1 - size.height()));
    window->move(x, y);
}
