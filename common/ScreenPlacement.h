// Where the windows open.  Each has a usual position on the screen; at 150 %
// or 200 % scaling the screen is smaller in device-independent pixels, and a
// window at its usual place would hang over the edge, so it moves in.
#pragma once

#include <QPoint>
#include <QSize>

class QWidget;

// A window's frame is unknown until it is shown: room is kept for a title bar
// and a thin border on the other sides.  A window is moved by its frame's corner.
constexpr int TitleBarAllowance = 32;
constexpr int BorderAllowance = 2;
constexpr QSize FrameAllowance {2 * BorderAllowance, TitleBarAllowance + BorderAllowance};

// Moves a top-level window to `usual`, or as little from there as keeps it
// (title bar included) on the screen's free area; a window larger than that
// area keeps its top left corner on it.
void placeOnScreen(QWidget *window, QPoint usual);
// The same for a window of the given size (without its frame).
void placeOnScreen(QWidget *window, QPoint usual, QSize size);
// The room a window takes when it opens at its size hint, frame included.
QSize outerSize(const QWidget &window);
