#include "plugins/cpu_meter/meter_dialog.h"

#include <commctrl.h>

#include "plugins/cpu_meter/cpu_usage.h"
#include "resources/tachel_ids.h"

namespace {

constexpr UINT_PTR kMeterTimerId = 11;
constexpr UINT kMeterPeriodMs = 500;

// Each open meter keeps its own last reading: several meters may run at once,
// each on its own thread.
MeterSample* SampleOf(HWND dialog) { return reinterpret_cast<MeterSample*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void ForgetSample(HWND dialog) {
    if (MeterSample* sample = SampleOf(dialog)) {
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        HeapFree(GetProcessHeap(), 0, sample);
    }
}

}  // namespace

INT_PTR CALLBACK MeterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        MeterSample* sample =
            static_cast<MeterSample*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MeterSample)));
        if (sample) StartCpuSampling(sample);
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(sample));
        SetTimer(dialog, kMeterTimerId, kMeterPeriodMs, nullptr);
        return TRUE;
    }
    case WM_TIMER: {
        MeterSample fallback = {false, {0, 0}};
        MeterSample* sample = SampleOf(dialog);
        const unsigned reading = ReadCpuUsage(sample ? sample : &fallback);
        SendMessageA(GetDlgItem(dialog, IDC_METER_BAR), PBM_SETPOS, reading, 0);
        return TRUE;
    }
    case WM_COMMAND:
        // Only "x" ends the meter; IDOK and IDCANCEL (Enter, Esc) do nothing.
        if (LOWORD(wParam) == IDC_METER_CLOSE) {
            KillTimer(dialog, kMeterTimerId);
            ForgetSample(dialog);
            EndDialog(dialog, 0);
        }
        return TRUE;
    case WM_DESTROY:
        // Whatever ends the meter, the statistic it kept running stops with it.
        StopCpuStatistic();
        ForgetSample(dialog);
        return FALSE;
    default: return FALSE;
    }
}
