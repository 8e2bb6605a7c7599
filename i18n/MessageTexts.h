// The texts the windows show in message boxes and captions, in the language
// chosen last; the language table fills them (rows of Property::Message,
// named by the member's name in the table: "MsgSelectId" is selectId).
#pragma once

#include <QString>

struct MessageTexts {
    QString groupCaption; // the ID lists' item for group control
    QString selectId;
    QString selectChannel;
    QString selectPort;
    QString setSuccess;
    QString setFailure;
    // Why an ID write was not sent: it reaches every motor on the line.
    QString idWriteNoneAnswered;
    QString idWriteSeveral;
    QString idWriteGarbled;
    QString portLost; // the adapter vanished under an open port
    // Why a port did not open; "%1" = the port or its device, "%2" = its group or owner.
    QString portBusy; // another program holds the port
    QString portDenied; // no permission to open the port; members of group %2 may
    QString portOwnerOnly; // no permission; only the user %2 may open the device
    QString portMissing; // the port's device is not there
    QString idOutOfRange; // "%1" = an ID the motor reported outside 1..99
    QString valueOutOfRange; // a settings tab's note; "%1" = a reported value no control can show
};
