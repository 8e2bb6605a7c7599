// Where the windows open.  Each has a usual position on the screen; at 150 %
// or 200 % scaling the screen is smaller in device-independent pixels, and a
// window at its usual place would hang over the edge, so it moves in.
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

// A window's frame is unknown until it is shown: room is kept for a title bar.
constexpr int TitleBarAllowance = 32;

// Moves a top-level window to `usual`, or as little from there as keeps it
// (title bar included) on the screen's free area; a window larger than that
// area keeps its top left corner on it.
void placeOnScreen(QWidget *window, QPoint usual);
// The same for a window of the given size (without its title bar).
void placeOnScreen(QWidget *window, QPoint usual, QSize size);
