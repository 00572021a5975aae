// Processor load from two readings of the system's processor times.
#pragma once
#include <cstdint>

// Processor times summed over all processors, in any one unit. busyAndIdle
// counts every tick (kernel, which includes idle, plus user); idle the idle ones.
struct ProcessorTimes {
    std::uint64_t idle;
    std::uint64_t busyAndIdle;
};

// The share, 0 to 100 and rounded, of the time between two readings that was not
// idle. No time passed, or a reading that went backwards, gives 0.
unsigned LoadPercent(const ProcessorTimes& before, const ProcessorTimes& after);

// Whether one read of a Windows 95/98 performance statistic gave a reading: the
// query succeeded (result 0) and returned exactly 4 bytes. The value's type is
// not asked for: those systems report the statistics as 4-byte binary values,
// not as REG_DWORD.
bool StatisticReadGaveReading(long result, unsigned long size);
