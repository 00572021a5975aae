// One reading of the processor usage, in percent.
#pragma once
#include "plugins/cpu_meter/cpu_load.h"

// The meter's memory between ticks: the processor times of the last reading.
struct MeterSample {
    bool valid;
    ProcessorTimes times;
};

// Takes the first processor-times reading, so that the first tick can measure.
void StartCpuSampling(MeterSample* sample);

// On the Windows 95/98 family, asks the system to stop collecting the processor
// statistic, which each reading asked it to collect; nothing elsewhere.
void StopCpuStatistic();

// On the Windows 95/98 family, the performance statistics' CPUUsage value,
// unchanged. Where that value cannot be read (the Windows NT family; or Wine,
// which reports a 95/98 system but keeps no statistics), the share of processor
// time since the last reading that was not idle, 0 to 100; 0 when no reading
// of processor times can be had either.
unsigned ReadCpuUsage(MeterSample* sample);
