// What the transmit tick and the answer handling need from the windows.
//
// The protocol code changes shared values and calls these hooks for
// everything drawn; the main window implements them (and forwards the
// settings-window ones).  The defaults do nothing, so the protocol runs
// without any window in tests and fuzzing.
#pragma once

#include "SharedState.h"

class ProtocolView {
public:
    virtual ~ProtocolView() = default;

    // Position display of the main window (slider track, bar, pointer, end
    // captions and the percentage box).
    virtual void HidePositionDisplay() {}
    virtual int PointerLeft() const { return m_pointerLeft; }
    virtual void SetPointerLeft(int left) { m_pointerLeft = left; }
    // Shows a reported position: box text, bar width, track, bar, pointer and
    // end captions (the box itself appears when the mouse is over the track).
    virtual void ShowPosition(Byte percent) { (void)percent; }
    virtual void RefreshLimitPointButtons() {}
    virtual void RefreshChannelImages() {}

    // Feature settings window.
    virtual bool SettingsWindowEnabled() const { return false; }
    virtual void ShowSettingsWindow() {}   // disable the main window, show and enable the settings
    virtual void ShowBasicSettings() {}    // put the stored basic values into the tabs
    virtual void ShowExtendedSettings() {} // the same for the extended values
    virtual void SelectReportedId(int id) { (void)id; } // select it in the settings window's ID list
    virtual void RefreshChannelButtons() {}
    // A report ended a read with an ID that the ID lists cannot hold.
    virtual void ReportedIdOutOfRange(int id) { (void)id; }

private:
    int m_pointerLeft = 339;
};
