// The texts the windows show in message boxes, captions and the status line,
// in the language chosen last.  Each is named once, by its id in
// TAVIK_MESSAGES beside the name of its Message row in the language table;
// applying a language fills them, and code reads them as texts[Message::SelectId].
#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <iterator>

// X(id, row name), one line per message.  "%1", "%2" are filled in where shown.
#define TAVIK_MESSAGES(X)                                                                                              \
    X(GroupCaption, "GroupCaption") /* the ID lists' item for group control */                                         \
    X(SelectId, "MsgSelectId")                                                                                         \
    X(SelectChannel, "MsgSelectChannel")                                                                               \
    X(SelectPort, "MsgSelectPort")                                                                                     \
    X(SetSuccess, "MsgSetSuccess")                                                                                     \
    X(SetFailure, "MsgSetFailure")                                                                                     \
    /* Why an ID write was not sent: it reaches every motor on the line. */                                            \
    X(IdWriteNoneAnswered, "MsgIdWriteNoneAnswered")                                                                   \
    X(IdWriteSeveral, "MsgIdWriteSeveral")                                                                             \
    X(IdWriteGarbled, "MsgIdWriteGarbled")                                                                             \
    X(SetFailureSilent, "MsgSetFailureSilent") /* after SetFailure: no read-back answer came */                        \
    X(SetFailureOtherValue, "MsgSetFailureOtherValue") /* after SetFailure: the motor answered another value */        \
    X(SettingsDefaultsNote, "MsgSettingsDefaults") /* the settings window after a read no motor answered */            \
    X(SettingsDefaultsSeveral, "MsgSettingsDefaultsSeveral") /* the same, after answers that collided */               \
    X(SettingsWriteSeveral, "MsgSettingsWriteSeveral") /* a write refused: the last read heard several motors */       \
    X(PortLost, "MsgPortLost") /* the adapter vanished under an open port */                                           \
    /* Why a port did not open; %1 = the port or its device, %2 = its group or owner. */                               \
    X(PortBusy, "MsgPortBusy") /* another program holds the port */                                                    \
    X(PortDenied, "MsgPortDenied") /* no permission to open the port; members of group %2 may */                       \
    X(PortOwnerOnly, "MsgPortOwnerOnly") /* no permission; only the user %2 may open the device */                     \
    X(PortMissing, "MsgPortMissing") /* the port's device is not there */                                              \
    X(IdOutOfRange, "MsgIdOutOfRange") /* %1 = an ID the motor reported outside 1..99 */                               \
    X(ValueOutOfRange, "MsgValueOutOfRange") /* a settings tab's note; %1 = a value no control can show */             \
    /* The status line under the panel. */                                                                             \
    X(StatusPort, "MsgStatusPort") /* %1 = the port, %2 = its bits per second */                                       \
    X(StatusNoPort, "MsgStatusNoPort")                                                                                 \
    X(StatusScanning, "MsgStatusScanning")                                                                             \
    X(StatusMotorAddressed, "MsgStatusMotorAddressed") /* %1 = the ID, %2 = the channels, %3 = bits per second */      \
    X(StatusMotorSilent, "MsgStatusMotorSilent") /* as StatusMotorAddressed */                                         \
    X(StatusGroupAddressed, "MsgStatusGroupAddressed") /* %1 = the channels, %2 = bits per second */                   \
    X(StatusNoAnswer, "MsgStatusNoAnswer")                                                                             \
    X(StatusSeveralAnswered, "MsgStatusSeveralAnswered")                                                               \
    X(StatusIdOutOfRange, "MsgStatusIdOutOfRange")                                                                     \
    X(StatusPortLost, "MsgStatusPortLost") /* %1 = the port, waited for */                                             \
    X(StatusPortBack, "MsgStatusPortBack") /* %1 = the port, scanned again */                                          \
    X(StatusLastAnswer, "MsgStatusLastAnswer") /* %1 = seconds since the last valid answer */

#define TAVIK_MESSAGE_ID(id, row) id,
enum class Message { TAVIK_MESSAGES(TAVIK_MESSAGE_ID) };
#undef TAVIK_MESSAGE_ID

#define TAVIK_MESSAGE_ROW(id, row) row,
// The name of each message's row, indexed by Message.
inline constexpr const char *kMessageRows[] = {TAVIK_MESSAGES(TAVIK_MESSAGE_ROW)};
#undef TAVIK_MESSAGE_ROW

inline constexpr std::size_t kMessageCount = std::size(kMessageRows);

struct MessageTexts {
    QString &operator[](Message which) { return texts[std::size_t(which)]; }
    const QString &operator[](Message which) const { return texts[std::size_t(which)]; }

    // A failed write: SetFailure, then whether the motor kept another value
    // or was silent.
    QString setFailureText(bool motorAnswered) const
    {
        return (*this)[Message::SetFailure] + QLatin1Char('\n')
            + (*this)[motorAnswered ? Message::SetFailureOtherValue : Message::SetFailureSilent];
    }

    std::array<QString, kMessageCount> texts;
};
