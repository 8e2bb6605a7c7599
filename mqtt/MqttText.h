// The words tavik-mqtt logs and announces: the English of its rows in the
// language table.
#pragma once

#include "LanguageTable.h"

inline QString mqttText(const char *name)
{
    return englishText(name, Window::Mqtt);
}
