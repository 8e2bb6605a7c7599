// The values every window, the transmit tick and the answer handling share.
//
// Everything runs on the UI thread; these are plain values without locks.
// Flags hold 0 or 1; counters are single unsigned bytes, as on the wire.
#pragma once

#include "Frames.h"

#include <QString>

#include <array>
#include <cstdint>

// Entry 1 belongs to group control, entry n + 1 to ID n (n = 1..99).
class ChannelMaskArray {
public:
    static constexpr int First = 1;
    static constexpr int Last = 100;

    ChannelMaskArray();
    // The table is never indexed past its ends: an index outside 1..100 (which
    // only a corrupt ID could produce) lands on the nearest end.
    ChannelMask &operator[](int index) { return m_entries[slot(index)]; }
    const ChannelMask &operator[](int index) const { return m_entries[slot(index)]; }

private:
    static int slot(int index) { return (index < First ? First : index > Last ? Last : index) - First; }
    std::array<ChannelMask, Last> m_entries;
};

// The values a motor keeps in its own memory, as the settings window edits them.
struct FeatureValues {
    Byte DryContactMode = 0;
    Byte MaxSpeed = 0;
    Byte FeatureFlags = 0;
    Byte JogTime = 0;
    Byte ObstacleSensitivity = 0;
    Byte ReboundTime = 0;
    Byte DeviceBaudCode = 0;
};

struct SharedState {
    Byte PortReady = 0;
    int TargetId = 0;           // 0 = group control, 1..99 = a motor ID
    Byte SelectedIdIndex = 1;   // always TargetId + 1
    ChannelMaskArray ChannelMaskTable;

    QString GroupCaption;
    QString MsgSelectId;
    QString MsgSelectChannel;
    QString MsgSelectPort;
    QString MsgSetSuccess;
    QString MsgSetFailure;
    QString MsgPortLost;        // the adapter vanished under an open port
    // Why a port did not open; "%1" = the port or its device, "%2" = its group or owner.
    QString MsgPortBusy;        // another program holds the port
    QString MsgPortDenied;      // no permission to open the port; members of group %2 may
    QString MsgPortOwnerOnly;   // no permission; only the user %2 may open the device
    QString MsgPortMissing;     // the port's device is not there
    QString MsgIdOutOfRange;    // "%1" = an ID the motor reported outside 1..99
    QString MsgValueOutOfRange; // a settings tab's note; "%1" = a reported value no control can show

    // The 7-byte frame buffer every frame is built in: 9A, ID, mask 0,
    // mask 1, function, data, check.  Bytes 4 and 5 are the pending command.
    std::array<Byte, Frame::CommandSize> CommandFrame = Frame::command(0, {}, Frame::Motor, Frame::Stop);
    Byte SendPending = 0;
    Byte SendCount = 0;

    Byte StatusSeen = 0;
    Byte StatusSilenceTicks = 0;
    Byte DeviceStatus = 0;
    Byte PositionTargetActive = 0;
    // The percent the slider's pointer stands at: the target while
    // PositionTargetActive is 1 (the window keeps it in step with the pointer).
    int PositionTargetPercent = 0;
    Byte PositionDragging = 0;
    Byte PositionSettleCount = 0;

    Byte BaudScanActive = 0;
    Byte OpenSettingsAfterScan = 0;
    Byte ExtReadPending = 0;
    Byte BaudApplyPending = 0;
    Byte VerifyBasicPending = 0;
    Byte VerifyExtPending = 0;
    Byte VerifyIdPending = 0;
    Byte VerifyItem = 0;
    Byte RetryCount = 0;

    FeatureValues Features;

    ChannelMask &currentMask() { return ChannelMaskTable[SelectedIdIndex]; }
    const ChannelMask &currentMask() const { return ChannelMaskTable[SelectedIdIndex]; }
    // Sets TargetId and SelectedIdIndex together, the only way they change.
    void selectTarget(int id)
    {
        TargetId = id;
        SelectedIdIndex = Byte(id + 1);
    }
};
