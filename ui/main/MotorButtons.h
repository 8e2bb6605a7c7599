// The main window's motor buttons: up, stop and down, and learn and delete
// for the motor's remotes.  Each stages a motor command while pressed.
#pragma once

#include "Frames.h"
#include "PanelItem.h"

#include <array>

class PanelLink;

class MotorButtons {
public:
    MotorButtons(const PanelItems &items, PanelLink &link, BringToFront bringToFront);

    // The pointer left the buttons: each shows its idle picture again.
    void leaveAll();
    // The pointer moved onto the channel area: learn and delete, its
    // neighbours, show their idle pictures again.
    void leaveLearnAndDelete();

    // Mouse handling, button = an index into the buttons' table.
    void pressed(int button);
    void released(int button);
    void hovered(int button);

private:
    struct Button {
        PanelItem *label, *idle, *hover;
        PanelItem *caption; // moved along with the hover picture, or none
        Byte data;
        bool endsTarget; // up, stop and down end a slider target
    };
    std::array<Button, 5> m_buttons {};
    PanelLink &m_link;
    BringToFront m_bringToFront;
};
