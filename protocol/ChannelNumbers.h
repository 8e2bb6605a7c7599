// The channels a mask selects as numbers, the way every client lists them
// ("1,3"), so that no client walks the mask bits itself.
#pragma once

#include "Frames.h"
#include "MotorSettings.h"

#include <QList>
#include <QString>

// The numbers (1..16) of the channels a mask selects, in order.
inline QList<int> channelNumbers(const ChannelMask &mask)
{
    QList<int> numbers;
    for (int n = 1; n <= MotorSettings::ChannelCount; ++n)
        if (mask.channel(n))
            numbers << n;
    return numbers;
}

// The same as text, "1,3" (separator between the numbers); empty for none.
inline QString channelNumbersText(const ChannelMask &mask, QChar separator = u',')
{
    QString text;
    for (const int n : channelNumbers(mask)) {
        if (!text.isEmpty())
            text += separator;
        text += QString::number(n);
    }
    return text;
}
