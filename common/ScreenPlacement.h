// Where the windows open.  Each has a usual position on the screen; at 150 %
// or 200 % scaling the screen is smaller in device-independent pixels, and a
// window at its usual place would hang over the edge, so it moves in.
#pragma once

#include <QPoint>

class QWidget;

// Moves a top-level window to `usual`, or as little from there as keeps it
// (title bar included) on the screen's free area; a window larger than that
// area keeps its top left corner on it.
void placeOnScreen(QWidget *window, QPoint usual);
