// The bridge's figures on one bus of many covers.
#pragma once

struct ScaleRow {
    int covers = 0;
    double firstStateS = -1; // start -> every cover online with its state; -1: not within the limit
    double rssMiB = 0;
    double cpuPercent = 0; // of one core, while polling
    double silentToOfflineS = -1; // the bus falls silent -> every cover offline
};

ScaleRow measureScale(int covers, int cpuSeconds);
