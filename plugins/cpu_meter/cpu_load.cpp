#include "plugins/cpu_meter/cpu_load.h"

unsigned LoadPercent(const ProcessorTimes& before, const ProcessorTimes& after) {
    if (after.busyAndIdle <= before.busyAndIdle || after.idle < before.idle) return 0;
    const std::uint64_t total = after.busyAndIdle - before.busyAndIdle;
    const std::uint64_t idle = after.idle - before.idle;
    if (idle >= total) return 0;
    const std::uint64_t busy = total - idle;
    // busy * 100 cannot overflow for any span a meter measures (2^64 / 100
    // hundred-nanosecond ticks is over 5000 processor-years).
    return static_cast<unsigned>((busy * 100 + total / 2) / total);
}

bool StatisticReadGaveReading(long result, unsigned long size) { return result == 0 && size == 4; }
