#include "plugins/cpu_meter/cpu_usage.h"

#include <windows.h>
#include <winternl.h>

#include "common/library_lookup.h"
#include "common/windows_family.h"

namespace {

const HKEY kDynData = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000006));

const char kCpuUsageValue[] = "KERNEL\\CPUUsage";

// Reads the statistic's value under one of the keys whose reading is an order
// to the system (StartStat, StopStat); the value read means nothing.
void ReadStatisticOrder(const char* subKey) {
    HKEY key = nullptr;
    DWORD type = REG_DWORD;
    DWORD scratch = 0;
    DWORD size = sizeof scratch;
    RegOpenKeyExA(kDynData, subKey, 0, KEY_READ, &key);
    RegQueryValueExA(key, kCpuUsageValue, nullptr, &type, reinterpret_cast<BYTE*>(&scratch), &size);
    RegCloseKey(key);
}

// Windows 95/98: reading StartStat asks the system to collect the statistic,
// StatData holds it (a 4-byte binary value there). Returns false when the value
// could not be read.
bool ReadPerformanceStatistic(DWORD* reading) {
    ReadStatisticOrder("PerfStats\\StartStat");

    HKEY key = nullptr;
    DWORD type = REG_DWORD;
    DWORD size = sizeof *reading;
    *reading = 0;
    RegOpenKeyExA(kDynData, "PerfStats\\StatData", 0, KEY_READ, &key);
    const LONG result =
        RegQueryValueExA(key, kCpuUsageValue, nullptr, &type, reinterpret_cast<BYTE*>(reading), &size);
    RegCloseKey(key);
    return StatisticReadGaveReading(result, size);
}

// The record of system information class 8 (processor performance), one per
// processor; the same layout on 32 and 64 bits.
struct ProcessorPerformance {
    LARGE_INTEGER IdleTime;
    LARGE_INTEGER KernelTime;  // includes the idle time
    LARGE_INTEGER UserTime;
    LARGE_INTEGER DpcTime;
    LARGE_INTEGER InterruptTime;
    ULONG InterruptCount;
};

// The processor times of the whole machine from ntdll, looked up here because
// Windows 95/98 has no such function.
bool ReadProcessorTimes(ProcessorTimes* times) {
    auto query = LibraryFunction<decltype(::NtQuerySystemInformation)>(GetModuleHandleA("ntdll.dll"),
                                                                      "NtQuerySystemInformation");
    if (!query) return false;
    ProcessorPerformance processors[64];
    ULONG returned = 0;
    if (query(SystemProcessorPerformanceInformation, processors, sizeof processors, &returned) != 0) return false;
    const ULONG count = returned / sizeof(ProcessorPerformance);
    if (count == 0 || count > 64) return false;
    times->idle = 0;
    times->busyAndIdle = 0;
    for (ULONG i = 0; i < count; ++i) {
        times->idle += static_cast<unsigned long long>(processors[i].IdleTime.QuadPart);
        times->busyAndIdle += static_cast<unsigned long long>(processors[i].KernelTime.QuadPart) +
                              static_cast<unsigned long long>(processors[i].UserTime.QuadPart);
    }
    return true;
}

}  // namespace

void StartCpuSampling(MeterSample* sample) { sample->valid = ReadProcessorTimes(&sample->times); }

void StopCpuStatistic() {
    if (RunningWindowsFamily() == WindowsFamily::Windows9x) ReadStatisticOrder("PerfStats\\StopStat");
}

unsigned ReadCpuUsage(MeterSample* sample) {
    if (RunningWindowsFamily() == WindowsFamily::Windows9x) {
        DWORD reading = 0;
        if (ReadPerformanceStatistic(&reading)) return reading;
    }
    ProcessorTimes now;
    if (!ReadProcessorTimes(&now)) return 0;
    const unsigned percent = sample->valid ? LoadPercent(sample->times, now) : 0;
    sample->times = now;
    sample->valid = true;
    return percent;
}
