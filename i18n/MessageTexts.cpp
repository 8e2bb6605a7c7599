#include "MessageTexts.h"

QString MessageTexts::portAdvice(const QString &portName, MotorLink::PortCause cause, const DeviceAccess &device) const
{
    switch (cause) {
    case MotorLink::PortCause::NotFound: return portMissing.arg(portName);
    case MotorLink::PortCause::InUse: return portBusy.arg(portName);
    case MotorLink::PortCause::NoPermission:
        // Joining the group helps only when the group may read and write it.
        return device.groupMayOpen ? portDenied.arg(device.device, device.group)
                                   : portOwnerOnly.arg(device.device, device.owner);
    default: return {};
    }
}

QString MessageTexts::setFailureText(bool motorAnswered) const
{
    return setFailure + QLatin1Char('\n') + (motorAnswered ? setFailureOtherValue : setFailureSilent);
}
