// Frames in words: what a sent command frame asks, what a received answer
// reports, why bytes were dropped, and what happened to the port, in any of
// the three languages.  The one place where the wire is put into words; the
// bus monitor window and the command-line tool's monitor both use it.
//
//   FrameText::hex(bytes)                       "9A 05 05 00 0A DD D7"
//   FrameText::sent(frame, lang)                "Up — ID 5, channels 1, 3"
//   FrameText::received(frame, lang)            "status: 37 %, position known, limit points 1 and 3"
//   FrameText::discarded(why, count, lang)      "invalid: bad check byte, 10 bytes"
//   FrameText::port(event, name, bps, lang)     "port /dev/ttyUSB0 opened at 9600 baud"
//   FrameText::isStatusTraffic(frame)           a status poll or a status answer
//
// The words come from the language table (its Word rows, by Word id); the frame
// layout from Frames.h.  Bytes of any length are accepted: what is not a
// well-formed frame is said to be so.
#pragma once

#include "LanguageTable.h"
#include "MotorLink.h"

#include <QByteArray>
#include <QString>

namespace FrameText {

QString hex(const QByteArray &bytes);
QString sent(const QByteArray &frame, Language lang);
QString received(const QByteArray &frame, Language lang);
// count: how many bytes were dropped (a flood is dropped unread).
QString discarded(MotorLink::Discard why, qint64 count, Language lang);
QString port(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond, Language lang);

// A status poll (function CC) or a status answer (type neither CA nor CB).
bool isStatusTraffic(const QByteArray &frame);

} // namespace FrameText
