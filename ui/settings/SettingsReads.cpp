#include "SettingsReads.h"

SettingsReads::SettingsReads(MotorLink &link, QObject *parent)
    : QObject(parent), m_link(link), m_values(link.motorSettings()), m_channelsDrawn(link.target().channels)
{
    connect(&link, &MotorLink::basicReport, this, [this](const SettingsReport &report) {
        m_showsDefaults = false;
        m_lastReadSeveral = false;
        take(Settings::ReadBack::Basic, report.values);
        emit defaultsChanged();
    });
    connect(&link, &MotorLink::extendedReport, this,
            [this](const SettingsReport &report) { take(Settings::ReadBack::Extended, report.values); });
    // A scan no motor answered clearly leaves the defaults on the tabs.
    connect(&link, &MotorLink::scanEnded, this, [this](MotorLink::ScanEnd end) {
        const bool several = end == MotorLink::ScanEnd::SeveralAnswered;
        m_lastReadSeveral = several;
        m_defaultsWhy = several ? Message::SettingsDefaultsSeveral : Message::SettingsDefaultsNote;
        m_showsDefaults = end != MotorLink::ScanEnd::MotorAnswered;
        emit defaultsChanged();
    });
    // The list draws an ID's channels when it moves to the ID; the reported
    // ones are taken after this signal and drawn only in an open window.
    connect(&link, &MotorLink::reportedId, this, [this](int id) {
        if (id == m_reportedId)
            return;
        m_reportedId = id;
        m_channelsDrawn = m_link.channelMemory()[id];
    });
}

void SettingsReads::take(Settings::ReadBack carried, const SettingValues &reported)
{
    for (const Settings::Row &row : Settings::rows())
        if (row.value && row.readBack == carried)
            m_values.*row.value = reported.*row.value;
    m_taken[std::size_t(carried)] = true;
    emit reportTaken(carried);
}
