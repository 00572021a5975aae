#include "plugins/cpu_meter/cpu_usage.h"

#include <windows.h>

namespace {

const HKEY kDynData = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000006));

// Windows 95/98: reading StartStat asks the system to collect the statistic,
// StatData holds it (a 4-byte binary value there). Returns false when the value
// could not be read.
bool ReadPerformanceStatistic(DWORD* reading) {
    HKEY key = nullptr;
    DWORD type = REG_DWORD;
    DWORD scratch = 0;
    DWORD size = sizeof scratch;
    RegOpenKeyExA(kDynData, "PerfStats\\StartStat", 0, KEY_READ, &key);
    RegQueryValueExA(key, "KERNEL\\CPUUsage", nullptr, &type, reinterpret_cast<BYTE*>(&scratch), &size);
    RegCloseKey(key);

    key = nullptr;
    type = REG_DWORD;
    size = sizeof *reading;
    *reading = 0;
    RegOpenKeyExA(kDynData, "PerfStats\\StatData", 0, KEY_READ, &key);
    const LONG result =
        RegQueryValueExA(key, "KERNEL\\CPUUsage", nullptr, &type, reinterpret_cast<BYTE*>(reading), &size);
    RegCloseKey(key);
    return StatisticReadGaveReading(result, size);
}

bool IsWindows9xFamily() {
    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
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

typedef LONG(WINAPI* QuerySystemInformation)(ULONG infoClass, void* buffer, ULONG length, ULONG* returned);

// The processor times of the whole machine from ntdll, looked up here because
// Windows 95/98 has no such function.
bool ReadProcessorTimes(ProcessorTimes* times) {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll) return false;
    QuerySystemInformation query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySystemInformation")));
    if (!query) return false;
    ProcessorPerformance processors[64];
    ULONG returned = 0;
    if (query(8, processors, sizeof processors, &returned) != 0) return false;
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

unsigned ReadCpuUsage(MeterSample* sample) {
    if (IsWindows9xFamily()) {
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
