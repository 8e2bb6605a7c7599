// Reads and checks the device's 10-byte answers and acts on them: status
// answers report the position and the limit points, settings reports are
// stored and announced or end a baud scan, and a report that reads back a
// written value confirms it.
#pragma once

#include "Frames.h"
#include "LinkEvents.h"
#include "LinkJob.h"
#include "LinkReports.h"
#include "SettingsTable.h"

#include <QByteArray>

#include <optional>

struct LinkState;
class SerialLine;

class ResponseHandler {
public:
    ResponseHandler(LinkState &state, LinkEvents &events, SerialLine &serial);

    // The port's receive event: reads what is waiting and examines it.
    void readAndExamine();

    // What one read brought: count bytes as the port delivered them.
    void examine(const Byte *bytes, int count);
    // Drops the bytes kept for an answer still arriving (the port changed).
    void forgetWaiting();

    // Acts on one frame that passed the lead and check byte tests.
    void handleFrame(const Frame::Response &f);

private:
    // Store a report's values and announce them.
    void loadBasicSettings(const Frame::Response &f);
    void loadExtendedSettings(const Frame::Response &f);
    void extendedReport(const Frame::Response &f);
    void basicReport(const Frame::Response &f);
    // The setting a write is waiting to read back, if any.
    std::optional<Settings::Item> itemBeingReadBack() const;
    std::optional<Settings::ReadBack> readBackWay() const;
    bool readsBack(const Frame::Response &f, Settings::ReadBack way) const;
    void noteOtherValue();
    void confirm();
    // The answers an ID write's question and check listen for; true when
    // the answer was theirs.
    bool takenByIdWrite(const Frame::Response &f, bool fromAddressed);
    void noteGarble(LinkEvents::Discard why, qsizetype size);
    bool repeatsGarble(const QByteArray &bytes, bool lead);
    // The named write whose value is being read back, and that value.
    std::optional<NamedWrite> requestUnderWay() const;
    // The question of a named write or read under way, if one is.
    LinkJob::Question *questionUnderWay();
    bool answersRequestOver() const;
    Byte valueBeingReadBack() const;
    bool answerAwaited() const;
    bool looksLikeCollision(const QByteArray &bytes, bool lead) const;
    void discard(const QByteArray &bytes);

    LinkState &m_state;
    LinkEvents &m_events;
    SerialLine &m_serial;
    quint64 m_generation = 0; // counts forgetWaiting, so examine notices one mid-way
};
