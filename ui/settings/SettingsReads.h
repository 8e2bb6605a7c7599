// What the settings window shows of the motor link's reads: the values the
// reports brought (and the edits made on the tabs since), whether the last
// scan left defaults and why, and the ID a scan reported with the channels
// the ID list drew for it.  Made when the program starts and kept for its
// whole run, so that the settings window, built the first time it is
// wanted, starts from what it would show had it been built at start; it
// shows what this object takes, it keeps no copy of its own.
#pragma once

#include "MessageTexts.h"
#include "MotorLink.h"
#include "SettingsTable.h"

#include <QObject>

#include <array>

class SettingsReads : public QObject {
    Q_OBJECT
public:
    // Follows link from now on; the values start as the link's.
    explicit SettingsReads(MotorLink &link, QObject *parent = nullptr);

    // The values the tabs stand for, as a set button writes them: the
    // tabs edit them in place.
    SettingValues &values() { return m_values; }
    const SettingValues &values() const { return m_values; }
    // Takes the fields a report of this kind carries (taken() follows).
    void take(Settings::ReadBack carried, const SettingValues &reported);
    // Whether a report of this kind has been taken: its tabs show it.
    bool taken(Settings::ReadBack kind) const { return m_taken[std::size_t(kind)]; }

    // No motor answered the last scan clearly: the tabs show defaults, and why.
    bool showsDefaults() const { return m_showsDefaults; }
    Message defaultsWhy() const { return m_defaultsWhy; }
    // The last read heard several motors answer at once: a write would reach
    // them all.  A clean basic report clears it.
    bool lastReadSeveral() const { return m_lastReadSeveral; }
    void markSeveral() { m_lastReadSeveral = true; }

    // The ID list's item: the last ID a scan reported (0, group control,
    // before any), and the channels drawn when the list moved to it: that
    // ID's channels as remembered then, before the report's own were taken.
    int reportedId() const { return m_reportedId; }
    ChannelMask channelsDrawn() const { return m_channelsDrawn; }

signals:
    void reportTaken(Settings::ReadBack carried);
    void defaultsChanged();

private:
    MotorLink &m_link;
    SettingValues m_values;
    std::array<bool, 3> m_taken {}; // by Settings::ReadBack
    bool m_showsDefaults = false;
    Message m_defaultsWhy = Message::SettingsDefaultsNote;
    bool m_lastReadSeveral = false;
    int m_reportedId = 0;
    ChannelMask m_channelsDrawn;
};
