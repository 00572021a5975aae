// MeterParts.exe TACHEL_PATH: what one tick of Tachel's meter costs, part by
// part, in processor time of this thread: the processor-time query the meter
// makes on the NT family, and the repaint of the meter's own progress bar
// (Tachel's dialog 101, created from the plug-in's resources) after PBM_SETPOS
// with a changed reading and with the same reading. Prints one line per part:
//   meter part: <name>: <ms> ms
#include <windows.h>
#include <commctrl.h>
#include <winternl.h>

#include <cstdio>

namespace {

constexpr int kRounds = 4000;
constexpr int kBarId = 1000;

double ThreadCpuMs() {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    const auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
               10000.0;
    };
    return ms(kernel) + ms(user);
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

template <typename Step>
void Report(const char* name, Step step) {
    const double before = ThreadCpuMs();
    for (int i = 0; i < kRounds; ++i) step(i);
    std::printf("meter part: %s: %.4f ms\n", name, (ThreadCpuMs() - before) / kRounds);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    InitCommonControls();
    HMODULE tachel = LoadLibraryExA(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!tachel) return 1;
    HWND meter = CreateDialogParamA(tachel, MAKEINTRESOURCEA(101), nullptr, QuietDialogProc, 0);
    if (!meter) return 1;
    ShowWindow(meter, SW_SHOWNA);
    HWND bar = GetDlgItem(meter, kBarId);
    Drain();

    using QueryFunction = decltype(::NtQuerySystemInformation);
    auto* query = reinterpret_cast<QueryFunction*>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 1;
    static unsigned char records[48 * 64];
    Report("processor-time query", [&](int) {
        ULONG returned = 0;
        query(SystemProcessorPerformanceInformation, records, sizeof records, &returned);
    });
    // Small changes, as a quiet machine's load gives.
    Report("bar repaint after a changed reading", [&](int i) {
        SendMessageA(bar, PBM_SETPOS, 3 + (i % 2) * 4, 0);
        UpdateWindow(bar);
    });
    Report("bar with an unchanged reading", [&](int) {
        SendMessageA(bar, PBM_SETPOS, 7, 0);
        UpdateWindow(bar);
    });
    DestroyWindow(meter);
    return 0;
}
