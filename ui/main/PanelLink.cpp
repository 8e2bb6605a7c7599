#include "PanelLink.h"

#include "Messages.h"
#include "MotorLink.h"
#include "SharedState.h"

#include <QComboBox>

PanelLink::PanelLink(MotorLink &link, const QComboBox *idList) : m_link(link), s(link.state()), m_idList(idList) {}

QString PanelLink::text(Text which) const
{
    switch (which) {
    case Text::SelectId: return s.MsgSelectId;
    case Text::SelectChannel: return s.MsgSelectChannel;
    case Text::SelectPort: return s.MsgSelectPort;
    case Text::SetSuccess: return s.MsgSetSuccess;
    case Text::SetFailure: return s.MsgSetFailure;
    case Text::PortLost: return s.MsgPortLost;
    case Text::IdOutOfRange: return s.MsgIdOutOfRange;
    }
    return {};
}

void PanelLink::followIdList()
{
    const QString itemText = m_idList->itemText(m_idList->currentIndex());
    const QString shown = m_idList->currentText();
    int id = s.TargetId;
    if (!shown.isEmpty())
        id = itemText == s.GroupCaption ? 0 : shown.toInt();
    s.selectTarget(id);
}

bool PanelLink::idChosen() const
{
    return !m_idList->currentText().isEmpty();
}

ChannelMask PanelLink::channels() const
{
    return s.currentMask();
}

void PanelLink::setChannels(const ChannelMask &mask)
{
    s.currentMask() = mask;
}

void PanelLink::startTarget()
{
    s.PositionTargetActive = 1;
    s.PositionDragging = 1;
}

void PanelLink::endDrag()
{
    s.PositionDragging = 0;
}

void PanelLink::endTarget()
{
    s.PositionTargetActive = 0;
    s.PositionDragging = 0;
}

bool PanelLink::targetActive() const
{
    return s.PositionTargetActive != 0;
}

void PanelLink::setTargetPercent(int percent)
{
    s.PositionTargetPercent = percent;
}

bool PanelLink::hasLimitPoint(int n) const
{
    return s.DeviceStatus & Frame::limitPointBit(n);
}

bool PanelLink::stageChecked(Byte function, Byte data)
{
    if (!m_link.portUsable()) {
        tellOnRelease(Text::SelectPort);
        return false;
    }
    if (!idChosen()) {
        tellOnRelease(Text::SelectId);
        return false;
    }
    // Group control may address no channel at all; an ID needs one.
    if (s.currentMask().word() == 0 && s.SelectedIdIndex != 1) {
        tellOnRelease(Text::SelectChannel);
        return false;
    }
    stage(function, data);
    return true;
}

void PanelLink::stage(Byte function, Byte data)
{
    m_link.stageMotorCommand(function, data);
}

void PanelLink::tellOnRelease(Text which)
{
    m_releaseMessage = text(which);
}

void PanelLink::flushReleaseMessage()
{
    if (m_releaseMessage.isEmpty())
        return;
    Messages::post(m_releaseMessage);
    m_releaseMessage.clear();
}
