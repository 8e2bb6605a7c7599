// The words tavik-mqtt logs and announces: the English of its rows in the
// language table, named by their ids (TextIds.h).
#pragma once

#include "LanguageTable.h"

inline QString mqttText(MqttText id)
{
    return englishText(id);
}
