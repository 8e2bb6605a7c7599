// The channel pad of the main window: sixteen channel buttons and the
// all-channels button, showing and toggling the chosen target's channels.
#pragma once

#include "MotorSettings.h"
#include "PanelItem.h"

#include <array>

class PanelLink;

class ChannelPad {
public:
    ChannelPad(const PanelItems &items, PanelLink &link, BringToFront bringToFront);

    // Shows each channel of the chosen target as selected or idle.
    void refresh();
    // The pointer moved onto the pad's area, or off the pad to the panel's
    // background: the area's caption lights or dims, and the buttons show
    // their idle pictures.
    void enterArea();
    void leave();

    // Mouse handling, n = 1..16.
    void channelPressed(int n);
    void channelReleased(int n);
    void channelHovered(int n);
    void allChannelsPressed();
    void allChannelsReleased();
    void allChannelsHovered();

private:
    // The all-channels button shows its idle picture and its caption drops
    // back to its place.
    void leaveAllChannels();

    struct Channel {
        PanelItem *label, *idle, *hover, *selected;
    };
    std::array<Channel, MotorSettings::ChannelCount> m_channels {};
    PanelItem *m_allLabel, *m_allIdle, *m_allHover, *m_allCaption;
    PanelItem *m_areaCaption;
    PanelLink &m_link;
    BringToFront m_bringToFront;
    // The all-channels caption rises once while the pointer is over its
    // button, however many move events arrive.
    bool m_captionRaised = false;
};
