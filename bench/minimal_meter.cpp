// MinimalMeter.exe SECONDS: the floor for Tachel's processor time. A dialog with
// one system progress bar, Tachel's size, whose position is set every 500 ms from
// the machine's processor times, and nothing else; it ends after SECONDS.
#include <windows.h>
#include <commctrl.h>
#include <winternl.h>

#include <cstdlib>

namespace {

constexpr int kBar = 1000;
constexpr UINT_PTR kTick = 1, kEnd = 2;

decltype(::NtQuerySystemInformation)* Query = nullptr;
unsigned long long LastIdle = 0, LastTotal = 0;

// The busy share of all processors since the last call, in percent.
int LoadPercent() {
    struct {
        LARGE_INTEGER idle, kernel, user, dpc, interrupt;  // kernel includes idle
        ULONG interrupts;
    } processors[64];
    ULONG returned = 0;
    if (Query(SystemProcessorPerformanceInformation, processors, sizeof processors, &returned) != 0) return 0;
    unsigned long long idle = 0, total = 0;
    for (ULONG i = 0; i < returned / sizeof processors[0]; ++i) {
        idle += processors[i].idle.QuadPart;
        total += processors[i].kernel.QuadPart + processors[i].user.QuadPart;
    }
    const unsigned long long idleSpan = idle - LastIdle, span = total - LastTotal;
    LastIdle = idle;
    LastTotal = total;
    return span ? static_cast<int>(100 - idleSpan * 100 / span) : 0;
}

INT_PTR CALLBACK MeterProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        LoadPercent();
        SetTimer(dialog, kTick, 500, nullptr);
        SetTimer(dialog, kEnd, static_cast<UINT>(lParam) * 1000u, nullptr);
        return TRUE;
    case WM_TIMER:
        if (wParam == kEnd) EndDialog(dialog, 0);
        else SendDlgItemMessageA(dialog, kBar, PBM_SETPOS, LoadPercent(), 0);
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const LPARAM seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    InitCommonControls();
    Query = reinterpret_cast<decltype(Query)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!Query) return 1;
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(101), nullptr, MeterProc, seconds) == -1;
}
