// The ID list and channel editor shared by the settings window's first tab
// and the forced ID and channel window.
//
// It edits the motor link's target (its ID and channels) and the channels the
// link remembers for that ID, the same values the main window's selection
// uses and every frame carries.  The ID list's items carry their
// ID as item data: 0 for the group item, 1..99 for the IDs.
#pragma once

#include "MessageTexts.h"
#include "MotorLink.h"
#include "SettingsTable.h"

#include <QObject>
#include <QPoint>
#include <QString>

#include <array>
#include <functional>

class QComboBox;
class QGroupBox;
class QPushButton;
class QWidget;

class ChannelEditor : public QObject {
    Q_OBJECT
public:
    // Places the ID and channel group boxes on parent at the given points;
    // their captions and the all-channels button's come from the language
    // table when the window is created.
    ChannelEditor(MotorLink &link, const MessageTexts &texts, QWidget *parent, QPoint idBoxAt, QPoint channelBoxAt);

    // Runs first in onIdChosen with the new index (the settings window
    // moves the main window's ID list along).
    void setIndexChangedHook(std::function<void(int index)> hook) { m_hook = std::move(hook); }

    QComboBox *idList() const { return m_idList; }
    bool idEmpty() const;
    // Replaces the group-control item's text without running the change
    // handler: a new caption for the same item selects nothing new.
    void setGroupCaption(const QString &caption);

    // Gives each channel button the look of its bit in the current entry.
    void refreshChannelButtons();
    // Shows the ID list at index and the channel buttons as drawn, without
    // choosing anything: a window built late shows what it would have shown.
    void showAsBefore(int index, const ChannelMask &drawn);

    // Stages the write of item with the link once there is a usable port
    // and, for the ID and channels, an ID (written the way given); otherwise
    // says which is missing.  Any other setting takes its value from values.
    void writeSetting(Settings::Item item, MotorLink::IdWrite idWrite, const SettingValues &values = {});

    void onIdChosen();
    void toggleChannel(int channel);
    void toggleAllChannels();

    static constexpr int Channels = MotorSettings::ChannelCount;

private:
    void paintAll(const ChannelMask &mask);
    void paint(int channel, bool selected);

    MotorLink &m_link;
    const MessageTexts &m_texts;
    std::function<void(int)> m_hook;
    QGroupBox *m_idBox;
    QGroupBox *m_channelBox;
    QComboBox *m_idList;
    std::array<QPushButton *, Channels> m_buttons {};
    QPushButton *m_allChannels;
};
