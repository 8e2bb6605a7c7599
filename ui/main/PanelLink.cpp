#include "PanelLink.h"

#include "MessageTexts.h"
#include "Messages.h"
#include "MotorLink.h"

#include <QComboBox>

PanelLink::PanelLink(MotorLink &link, const MessageTexts &texts, const QComboBox *idList)
    : m_link(link), m_texts(texts), m_idList(idList)
{
}

QString PanelLink::text(Message which) const
{
    return m_texts[which];
}

void PanelLink::followIdList()
{
    const bool group = m_idList->currentData().toInt() == 0;
    const QString shown = m_idList->currentText();
    int id = m_link.target().id;
    if (!shown.isEmpty())
        id = group ? 0 : shown.toInt();
    m_link.chooseId(id);
}

bool PanelLink::idChosen() const
{
    return !m_idList->currentText().isEmpty();
}

ChannelMask PanelLink::channels() const
{
    return m_link.target().channels;
}

void PanelLink::setChannels(const ChannelMask &mask)
{
    m_link.setChannels(mask);
}

bool PanelLink::hasLimitPoint(int n) const
{
    return m_link.deviceStatus() & Frame::limitPointBit(n);
}

bool PanelLink::sendCheckedCommand(Byte function, Byte data)
{
    if (!m_link.portUsable()) {
        tellOnRelease(Message::SelectPort);
        return false;
    }
    if (!idChosen()) {
        tellOnRelease(Message::SelectId);
        return false;
    }
    // Group control may address no channel at all; an ID needs one.
    if (m_link.target().channels.word() == 0 && !m_link.target().isGroup()) {
        tellOnRelease(Message::SelectChannel);
        return false;
    }
    sendMotorCommand(function, data);
    return true;
}

void PanelLink::sendMotorCommand(Byte function, Byte data)
{
    m_link.sendMotorCommand(function, data);
}

void PanelLink::tellOnRelease(Message which)
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
