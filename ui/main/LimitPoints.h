// The main window's four limit-point buttons: a point the motor has stored
// is shown selectable, and a press runs the motor to it.
#pragma once

#include "PanelItem.h"

#include <array>

class PanelLink;

class LimitPoints {
public:
    LimitPoints(const PanelItems &items, PanelLink &link, BringToFront bringToFront);

    // Draws the points from the last status; every status answer asks, and
    // they are redrawn only when the motor stores or clears one.
    void refresh();
    // The pointer moved onto the points' area, or off it to the panel's
    // background: the area's caption lights, or dims as the points are redrawn.
    void enterArea();
    void leave();

    // Mouse handling, n = 1..4.
    void pressed(int n);
    void released(int n);

private:
    struct Point {
        PanelItem *label, *idle, *hover, *selected;
    };
    std::array<Point, 4> m_points {};
    PanelItem *m_areaCaption;
    PanelLink &m_link;
    int m_drawn = -1; // the stored points they show, one bit each
};
