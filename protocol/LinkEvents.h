// LinkEvents: what the link's parts (the transmit tick, the answer
// handling) tell MotorLink happened, and the one thing they ask of it (to
// move the port to another rate).  MotorLink implements it and turns each
// event into its signals, so that only MotorLink emits them.
#pragma once

#include "Frames.h"
#include "LinkReports.h"
#include "LinkRequests.h"
#include "MotorTarget.h"
#include "SettingsTable.h"

#include <QByteArray>
#include <QObject>

class LinkEvents {
    Q_GADGET
public:
    // Why received bytes were not understood.
    // Collision: answer-like bytes while an answer was awaited that only
    // several motors answering at once give (more than one answer's length,
    // overlapping lead bytes, or a bad answer to a group read).
    enum class Discard { Noise, BadCheck, CutOff, Flood, Collision };
    Q_ENUM(Discard)
    // Why an ID write that asks the line first was not sent.
    enum class IdWriteRefusal { NoneAnswered, SeveralAnswered, Garbled };
    Q_ENUM(IdWriteRefusal)
    // How a baud scan ended: with a motor's answer, with silence at every
    // rate, or with none but answers that collided (several motors heard
    // the read).
    enum class ScanEnd { MotorAnswered, NoneAnswered, SeveralAnswered };
    Q_ENUM(ScanEnd)

    // --- the wire ---
    virtual void wrote(const QByteArray &frame) = 0;
    virtual void received(const QByteArray &frame) = 0;
    virtual void discarded(const QByteArray &bytes, Discard why, qint64 count) = 0;
    // --- the answers, in the order they are acted on ---
    virtual void answered(const MotorTarget &sender) = 0;
    virtual void statusAnswered(const StatusReport &report) = 0;
    // The status byte of the motor addressed, as its last status or extended
    // answer gave it, or 0 after its silence.
    virtual void statusByte(Byte status) = 0;
    virtual void basicSettingsRead(const SettingsReport &report) = 0;
    virtual void extendedSettingsRead(const SettingsReport &report) = 0;
    // A scan found this ID (within 1..99 or not).
    virtual void idFound(int id, bool inRange) = 0;
    virtual void channelsTaken() = 0;
    // A baud scan ended; announce: its end was asked for.
    virtual void scanOver(ScanEnd end, bool announce) = 0;
    // A written setting was confirmed, or not (motorAnswered: a read-back
    // came with another value).
    virtual void writeEnded(Settings::Item item, bool confirmed, bool motorAnswered) = 0;
    virtual void idWriteNotSent(IdWriteRefusal why) = 0;
    // A named request has its result (confirmed, not, refused, canceled).
    virtual void requestEnded(const WriteResult &result) = 0;
    virtual void readEnded(const ReadResult &result) = 0;
    // Six ticks passed without an answer from the motor addressed; the
    // status byte follows as 0.
    virtual void silence() = 0;

    // Closes the port and opens it again at this rate; a failure propagates
    // as SerialError.
    virtual void moveToRate(int rate) = 0;

    virtual ~LinkEvents() = default;
};
