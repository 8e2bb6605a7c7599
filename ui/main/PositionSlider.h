// The main window's position slider: a track with a bar up to the motor's
// position, a pointer to drag to a target, end captions and a box with the
// percent.  A release sends the pointer's percent as a run-to-position.
#pragma once

#include "Frames.h"
#include "PanelItem.h"

#include <array>
#include <optional>

class PanelLink;
class PositionTarget;
class QLineEdit;

class PositionSlider {
public:
    // Builds the percent box on the panel.
    PositionSlider(const PanelItems &items, QWidget *panel, PanelLink &link);

    QLineEdit *box() const { return m_box; }

    // No position is known: captions, track, bar, pointer and box go.
    void hide();
    // Box text, bar width, then captions, track, bar and pointer shown (the
    // box itself appears when the mouse is over the track).
    void show(int percent);
    // The position and status byte the motor addressed answered with: the
    // pointer follows it unless a target is pending.
    void follow(int percent, Byte status);
    void hideBox();

    int pointerLeft() const;
    // Moves the pointer; the target percent follows it.
    void setPointerLeft(int left);

    // Mouse handling; x is relative to the pressed item.
    void trackPressed(int x);
    void pointerPressed(int x);
    void pointerDragged(Qt::MouseButtons buttons, int x);
    void released(bool fromBar);
    // Keyboard handling: true when the key moves the pointer.
    bool keyMoved(int key);

private:
    // The percent a slider key leads to from percent, or none for another key.
    static std::optional<int> keyTarget(int key, int percent);

    std::array<PanelItem *, 5> parts() const { return {m_caption0, m_caption100, m_track, m_bar, m_pointer}; }

    PanelItem *m_caption0, *m_caption100, *m_track, *m_bar, *m_pointer;
    QLineEdit *m_box;
    PanelLink &m_link;
    PositionTarget &m_target; // kept by the panel link
    int m_shownPercent = -1; // the percent in the box
    int m_dragAnchorX = 0; // where in the pointer the drag took hold
};
