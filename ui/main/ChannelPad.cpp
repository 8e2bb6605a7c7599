#include "ChannelPad.h"

#include "PanelLink.h"

#include <utility>

ChannelPad::ChannelPad(const PanelItems &items, PanelLink &link, BringToFront bringToFront)
    : m_allLabel(items(QStringLiteral("Label_quan_ping"))), m_allIdle(items(QStringLiteral("Image_quan_pin_dis"))),
      m_allHover(items(QStringLiteral("Image_quan_pin_en"))), m_allCaption(items(QStringLiteral("Label6"))),
      m_areaCaption(items(QStringLiteral("Label9"))), m_link(link), m_bringToFront(std::move(bringToFront))
{
    for (int n = 1; n <= MotorSettings::ChannelCount; ++n) {
        Channel &c = m_channels[n - 1];
        c = {items("Label_ch", n), items("ImageCH", n), items("ImageEnCH", n), items("ImageSelectCH", n)};
        c.label->onPress = [this, n](QMouseEvent *) { channelPressed(n); };
        c.label->onRelease = [this, n](QMouseEvent *) { channelReleased(n); };
        c.label->onMove = [this, n](QMouseEvent *) { channelHovered(n); };
    }
    m_allLabel->onPress = [this](QMouseEvent *) { allChannelsPressed(); };
    m_allLabel->onRelease = [this](QMouseEvent *) { allChannelsReleased(); };
    m_allLabel->onMove = [this](QMouseEvent *) { allChannelsHovered(); };
}

void ChannelPad::refresh()
{
    const ChannelMask mask = m_link.channels();
    for (int n = 1; n <= MotorSettings::ChannelCount; ++n) {
        const bool selected = mask.channel(n);
        const Channel &c = m_channels[n - 1];
        c.idle->setVisible(!selected);
        c.selected->setVisible(selected);
        if (!selected)
            c.hover->setVisible(false);
    }
}

void ChannelPad::enterArea()
{
    m_areaCaption->setTextColour(Qt::white);
    leaveAllChannels();
    refresh();
}

void ChannelPad::leave()
{
    m_areaCaption->setTextColour(QColor(192, 192, 192));
    leaveAllChannels();
    refresh();
}

void ChannelPad::leaveAllChannels()
{
    m_allIdle->setVisible(true);
    m_allHover->setVisible(false);
    if (std::exchange(m_captionRaised, false))
        m_allCaption->moveBy(0, 1);
}

void ChannelPad::channelPressed(int n)
{
    const Channel &c = m_channels[n - 1];
    c.label->moveBy(1, 1);
    if (!m_link.idChosen()) {
        m_link.tellOnRelease(Message::SelectId);
        return;
    }
    ChannelMask mask = m_link.channels();
    mask.toggle(n);
    m_link.setChannels(mask);
    const bool selected = mask.channel(n);
    c.selected->setVisible(selected);
    c.idle->setVisible(!selected);
}

void ChannelPad::channelReleased(int n)
{
    m_channels[n - 1].label->moveBy(-1, -1);
    m_link.flushReleaseMessage();
}

void ChannelPad::channelHovered(int n)
{
    for (const Channel &c : m_channels) {
        c.hover->setVisible(false);
        c.idle->setVisible(true);
    }
    const Channel &c = m_channels[n - 1];
    c.hover->setVisible(true);
    c.idle->setVisible(false);
    if (m_link.channels().channel(n))
        c.selected->setVisible(true);
}

void ChannelPad::allChannelsPressed()
{
    m_allHover->moveBy(0, 2);
    m_allCaption->moveBy(0, 2);
    if (!m_link.idChosen()) {
        m_link.tellOnRelease(Message::SelectId);
        return;
    }
    ChannelMask mask = m_link.channels();
    mask.setWord(mask.word() == 0xFFFF ? 0x0000 : 0xFFFF);
    m_link.setChannels(mask);
    // The hover over this button redraws the channels.
}

void ChannelPad::allChannelsReleased()
{
    m_allHover->moveBy(0, -2);
    m_allCaption->moveBy(0, -2);
    m_link.flushReleaseMessage();
}

void ChannelPad::allChannelsHovered()
{
    m_bringToFront(m_allLabel);
    m_allIdle->setVisible(false);
    m_allHover->setVisible(true);
    if (!std::exchange(m_captionRaised, true))
        m_allCaption->moveBy(0, -1);
    refresh();
}
