// What the main window's panel asks of the motor link, in one place: the
// target chosen in the ID box and its channels, the stored limit points and
// the motor commands; the slider's position target, which the panel keeps
// itself; and the texts of the messages a press leaves.
#pragma once

#include "Frames.h"
#include "MessageTexts.h"
#include "PositionTarget.h"

#include <QString>

class MotorLink;
class QComboBox;

class PanelLink {
public:
    PanelLink(MotorLink &link, const MessageTexts &texts, const QComboBox *idList);

    // A text the main window shows in a message box, in the language chosen last.
    QString text(Message which) const;

    // --- ID and channels ------------------------------------------------------
    // Makes the ID box's shown item the target: its ID, or 0 for the group
    // item; an empty box keeps the target there was.
    void followIdList();
    bool idChosen() const; // the ID box shows an ID or the group item
    ChannelMask channels() const; // the chosen target's channels
    void setChannels(const ChannelMask &mask);

    // --- position target -------------------------------------------------------
    // The slider's target: the slider holds and lets go of it, a motion
    // command drops it, and the motor's status answers may end it.
    PositionTarget &positionTarget() { return m_positionTarget; }

    // --- status ------------------------------------------------------------------
    bool hasLimitPoint(int n) const; // n = 1..4, from the last status

    // --- commands ------------------------------------------------------------------
    // Sends a motor command when a port is open, an ID chosen and, outside
    // group control, a channel: otherwise leaves the reason for the release.
    bool sendCheckedCommand(Byte function, Byte data);
    void sendMotorCommand(Byte function, Byte data);

    // A message from a press is shown once the button is released, so the
    // release still reaches the pressed control and undoes its offset.
    void tellOnRelease(Message which);
    void flushReleaseMessage();

private:
    MotorLink &m_link;
    const MessageTexts &m_texts;
    const QComboBox *m_idList;
    QString m_releaseMessage;
    PositionTarget m_positionTarget;
};
